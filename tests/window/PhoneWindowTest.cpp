// The main window against the phone emulator over a real pseudo-terminal: start-up,
// navigation, refresh, the scan's questions, abort, the error report, close and exit.

#include <gtest/gtest.h>

#include <algorithm>

#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include "emulator/PhoneEmulator.h"
#include "base/Failure.h"
#include "link/PhoneLink.h"
#include "settings/SettingsStore.h"
#include "phonefs/PhoneFs.h"
#include "session/PhoneSession.h"
#include "phonefs/Tree.h"
#include "window/MainWindow.h"
#include "window/PhoneListView.h"
#include "window/ProgressDialog.h"
#include "window/Texts.h"
#include "window/WindowOnPhone.h"
#include "window/WindowTestSupport.h"

using namespace q7k3;
using q7k3::test::WaitUntil;
using q7k3::test::WindowOnPhone;

namespace {

class PhoneForm : public MainWindow {
public:
    using MainWindow::MainWindow;
    int views = 0;
    void ViewClick() override { ++views; }
};

// The command lines the PC sent, without prompts, pings and data.
std::vector<std::string> Commands(const std::string& received) {
    std::vector<std::string> out;
    size_t pos = 0;
    while (pos < received.size()) {
        size_t end = received.find("\r\n", pos);
        if (end == std::string::npos) break;
        const std::string line = received.substr(pos, end - pos);
        if (line.rfind("AT", 0) == 0) out.push_back(line);
        pos = end + 2;
    }
    return out;
}

struct PhoneWindowFixture : ::testing::Test, WindowOnPhone<PhoneForm> {
    PhoneFs* fs = nullptr;
    // The connection dialog: what it answers, and what the line had seen each time.
    std::vector<bool> dialogAnswers;
    std::vector<std::string> receivedAtDialog;

    void SetUp() override {
        ASSERT_TRUE(configDir.isValid());
        store = std::make_unique<SettingsStore>(S(configDir.filePath("Q7K3FileManager.conf")));
    }

    void TearDown() override {
        ExpectIdle();
        Close();
    }

    void StorePort() {
        store->WriteString("ComPort", phone->SlavePath());
        store->WriteString("LastPath", S(configDir.path()));
        ASSERT_TRUE(store->Flush());
    }

    // Builds the program as its entry does and shows the window; waits for start-up.
    void Boot() {
        form = std::make_unique<PhoneForm>(flags, prompts);
        link = std::make_unique<PhoneLink>();
        port = std::make_unique<DriverSettings<SerialPort>>(link->Port);
        session =
            std::make_unique<PhoneSession>(*link, flags, prompts, *form->Progress(), *form, *form);
        fs = &session->Fs();
        form->AttachCore({link.get(), session.get(), store.get(), port.get(),
                          test::AnswerAtOnce([this] {
                              receivedAtDialog.push_back(phone ? phone->Received() : "");
                              const bool start = !dialogAnswers.empty() && dialogAnswers.front();
                              if (!dialogAnswers.empty())
                                  dialogAnswers.erase(dialogAnswers.begin());
                              if (start) link->Port.SetPortName(phone->SlavePath());
                              return start;
                          })});
        form->show();
        ASSERT_TRUE(WaitUntil([&] { return form->Initialized(); }));
        WaitForStartUp();
    }

    void PutDemoFiles() {
        ASSERT_TRUE(phone->PutFile("U", "tune.MMF", std::string(3000, 'm')));
        ASSERT_TRUE(phone->PutFile("U", "tune.imy", std::string(2000, 'i')));
        ASSERT_TRUE(phone->PutFile("B", "notes.txt", std::string(16385, 'n')));
    }

    void DoubleClick(const QString& name) {
        QTreeWidgetItem* item = form->Phone().List()->FindItem(name);
        ASSERT_NE(item, nullptr) << S(name) << " not in "
                                 << S(form->Phone().List()->Names().join(','));
        form->Phone().List()->setCurrentItem(item);
        form->OpenPhoneItem();
        Settle();
    }

    void PressF4InPhonePane() {
        form->ActivatePhonePane();
        QTest::keyClick(form->Phone().List(), Qt::Key_F4);
        Settle();
    }
};

TEST_F(PhoneWindowFixture, StoredPortResetsIdentifiesScansAndShowsTheRoot) {
    StartPhone();
    PutDemoFiles();
    StorePort();
    Boot();

    EXPECT_TRUE(receivedAtDialog.empty());
    EXPECT_TRUE(prompts.shown.empty());
    const std::vector<std::string> sent = Commands(phone->Received());
    ASSERT_GE(sent.size(), 3u);
    EXPECT_EQ(sent[0], "ATZ");
    EXPECT_EQ(sent[1], "AT+CGMM");
    EXPECT_EQ(sent[2], "AT+CGMM");
    // Then every real folder, changed to and listed, in the scan's order.
    std::vector<std::string> expected;
    for (const Tree4* node : CollectFolderTable(fs->PhoneRoot())) {
        if (node->IsVirtual()) continue;
        expected.push_back("AT+FSCD=\"" + node->Id + "\"");
        expected.push_back("AT+FSDL=\"" + node->Id + "\"");
    }
    // After them the window asks whether the phone keeps contacts and messages.
    const auto asked = std::find_if(sent.begin() + 3, sent.end(), [](const std::string& c) {
        return c.rfind("AT+FS", 0) != 0;
    });
    EXPECT_EQ(std::vector<std::string>(sent.begin() + 3, asked), expected);

    ASSERT_TRUE(form->PhoneReady());
    EXPECT_EQ(session->CurrentFolder(), fs->PhoneRoot());
    EXPECT_EQ(form->Phone().List()->Names(), (QStringList{"java", "Sounds", "Images", "User", "Контакты", "Сообщения"}));
    EXPECT_EQ(form->Phone().PathLine()->text(), "E700:");
    EXPECT_EQ(form->ModelLine()->text(), "SGH-E700");
    // 3000 + 2000 + 16385 bytes take 16 + 16 + 32 KB, plus the 240 KB reserve.
    EXPECT_EQ(form->Phone().FreeLine()->text(), "Свободно 12800 KB из 13104 KB ");
    EXPECT_EQ(form->Computer().PathLine()->text(), QDir::toNativeSeparators(configDir.path()));
    EXPECT_TRUE(form->ComputerPaneActive());
}

TEST_F(PhoneWindowFixture, WithoutAStoredPortTheDialogComesBeforeAnyByte) {
    StartPhone();
    PutDemoFiles();
    dialogAnswers = {false};
    Boot();
    ASSERT_EQ(receivedAtDialog.size(), 1u);
    EXPECT_EQ(receivedAtDialog[0], "");
    EXPECT_EQ(phone->Received(), "");
    EXPECT_FALSE(form->PhoneReady());

    // "Настройки" then Start connects to the chosen port.
    dialogAnswers = {true};
    form->SettingsClick();
    Settle();
    ASSERT_EQ(receivedAtDialog.size(), 2u);
    EXPECT_EQ(receivedAtDialog[1], "");
    EXPECT_TRUE(form->PhoneReady());
    EXPECT_EQ(Commands(phone->Received()).front(), "ATZ");
}

TEST_F(PhoneWindowFixture, StoredPortThatCannotOpenSaysSoThenShowsTheDialog) {
    store->WriteString("ComPort", S(configDir.filePath("no-such-tty")));
    ASSERT_TRUE(store->Flush());
    dialogAnswers = {false};
    Boot();
    ASSERT_EQ(prompts.shown.size(), 1u);
    // The text goes on to say why: here, that there is no such device.
    EXPECT_EQ(prompts.shown[0].Text.rfind("Невозможно открыть порт\r\n", 0), 0u);
    EXPECT_NE(prompts.shown[0].Text.find("не найден"), std::string::npos);
    EXPECT_EQ(prompts.shown[0].Caption, "Ошибка");
    EXPECT_EQ(prompts.shown[0].Icon, BoxIcon::Error);
    EXPECT_EQ(receivedAtDialog.size(), 1u);
}

TEST_F(PhoneWindowFixture, NavigationUpDownAndUnlistedFoldersReadOnce) {
    StartPhone();
    PutDemoFiles();
    StorePort();
    Boot();
    ASSERT_TRUE(form->PhoneReady());

    DoubleClick("Sounds");
    EXPECT_EQ(form->Phone().PathLine()->text(), "E700:\\Sounds");
    EXPECT_EQ(form->Phone().List()->Names(),
              (QStringList{"..", "My Sounds", "Default Sounds", "Voice", "sms"}));
    DoubleClick("My Sounds");
    EXPECT_EQ(form->Phone().PathLine()->text(), "E700:\\Sounds\\My Sounds");
    EXPECT_EQ(form->Phone().List()->Names(), (QStringList{"..", "tune.MMF", "tune.imy"}));
    EXPECT_EQ(form->Phone().StatusLine()->text(), "0 КБ из 4 KБ,Файлов: 0 из 2");

    // A file: the viewer for a melody, nothing for an iMelody text.
    DoubleClick("tune.MMF");
    EXPECT_EQ(form->views, 1);
    DoubleClick("tune.imy");
    EXPECT_EQ(form->views, 1);
    EXPECT_EQ(form->Phone().PathLine()->text(), "E700:\\Sounds\\My Sounds");

    DoubleClick("..");
    EXPECT_EQ(form->Phone().PathLine()->text(), "E700:\\Sounds");
    DoubleClick("..");
    EXPECT_EQ(form->Phone().PathLine()->text(), "E700:");
    EXPECT_EQ(form->Phone().List()->Names(), (QStringList{"java", "Sounds", "Images", "User", "Контакты", "Сообщения"}));

    // A folder the scan never reached is read when it is opened, and only then.
    Tree4* user = FindChild("User", fs->PhoneRoot());
    ASSERT_NE(user, fs->PhoneRoot());
    user->Listed = false;
    ASSERT_TRUE(phone->PutFile("B", "late.jpg", std::string(100, 'j')));
    phone->ClearReceived();
    DoubleClick("User");
    EXPECT_EQ(Commands(phone->Received()),
              (std::vector<std::string>{"AT+FSCD=\"B\"", "AT+FSCD=\"B\"", "AT+FSDL=\"B\""}));
    EXPECT_EQ(form->Progress()->QuickStatus->text(), "Обновление папки User");
    EXPECT_EQ(form->Progress()->LongStatus->text(), "Обновление текущей папки");
    EXPECT_EQ(form->Phone().List()->Names(), (QStringList{"..", "notes.txt", "late.jpg"}));
    EXPECT_TRUE(user->Listed);
    DoubleClick("..");
    phone->ClearReceived();
    DoubleClick("User");
    EXPECT_EQ(phone->Received(), "");
}

TEST_F(PhoneWindowFixture, AnUnlistedFolderThePhoneWillNotEnterStillShowsWhereThePaneIs) {
    StartPhone();
    PutDemoFiles();
    StorePort();
    Boot();
    Tree4* user = FindChild("User", fs->PhoneRoot());
    ASSERT_NE(user, fs->PhoneRoot());
    user->Listed = false;
    phone->FailCommand("AT+FSCD", 2000);
    DoubleClick("User");
    ASSERT_FALSE(prompts.shown.empty());
    EXPECT_EQ(prompts.shown.front().Text, "Файл не найден");
    EXPECT_FALSE(user->Listed);
    // List and path line agree on the folder, and the way back is there.
    EXPECT_EQ(S(form->Phone().PathLine()->text()), "E700:\\User");
    ASSERT_FALSE(form->Phone().List()->Names().isEmpty());
    EXPECT_EQ(form->Phone().List()->Names().front(), "..");
    phone->ClearFaults();
    DoubleClick("..");
    EXPECT_EQ(S(form->Phone().PathLine()->text()), "E700:");
    EXPECT_EQ(form->Phone().List()->Names(), (QStringList{"java", "Sounds", "Images", "User", "Контакты", "Сообщения"}));
}

TEST_F(PhoneWindowFixture, RefreshRescansAtTheRootRelistsARealFolderAndSkipsAVirtualOne) {
    StartPhone();
    PutDemoFiles();
    StorePort();
    Boot();

    // A virtual folder has nothing to read.
    DoubleClick("Sounds");
    phone->ClearReceived();
    PressF4InPhonePane();
    EXPECT_EQ(phone->Received(), "");

    // A real folder is listed again and shows what changed on the phone.
    DoubleClick("My Sounds");
    ASSERT_TRUE(phone->PutFile("U", "new.mmf", std::string(10, 'x')));
    phone->ClearReceived();
    PressF4InPhonePane();
    EXPECT_EQ(Commands(phone->Received()),
              (std::vector<std::string>{"AT+FSCD=\"U\"", "AT+FSDL=\"U\""}));
    EXPECT_TRUE(form->Phone().List()->Names().contains("new.mmf"));
    EXPECT_EQ(form->HintLine()->text(), "Обновление текущей папки");

    // At the root, F4 is the whole scan again.
    DoubleClick("..");
    DoubleClick("..");
    phone->ClearReceived();
    PressF4InPhonePane();
    const std::vector<std::string> sent = Commands(phone->Received());
    ASSERT_FALSE(sent.empty());
    EXPECT_EQ(sent.front(), "AT+CGMM");
    EXPECT_GT(sent.size(), 20u);
    EXPECT_EQ(session->CurrentFolder(), fs->PhoneRoot());
    EXPECT_EQ(form->Phone().PathLine()->text(), "E700:");
}

TEST_F(PhoneWindowFixture, TimeOutInASubfolderReportsRecoversAndRereadsIt) {
    StartPhone();
    PutDemoFiles();
    StorePort();
    Boot();
    DoubleClick("Sounds");
    DoubleClick("My Sounds");

    phone->FallSilentAfter(0);
    prompts.onShow = [this] { phone->ClearFaults(); };
    phone->ClearReceived();
    PressF4InPhonePane();
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].Text, FailureReport(kErrTimeout, ""));
    EXPECT_EQ(prompts.shown[0].Caption, "Ошибка");
    const std::vector<std::string> sent = Commands(phone->Received());
    // The unanswered change of folder (sent again while the phone was silent), then the
    // reset after the port was cycled, then the folder once more.
    const auto atz = std::find(sent.begin(), sent.end(), "ATZ");
    ASSERT_NE(atz, sent.end());
    EXPECT_EQ(std::vector<std::string>(atz + 1, sent.end()),
              (std::vector<std::string>{"AT+FSCD=\"U\"", "AT+FSDL=\"U\""}));
    EXPECT_TRUE(form->PhoneReady());
    EXPECT_EQ(form->Phone().List()->Names(), (QStringList{"..", "tune.MMF", "tune.imy"}));
}

TEST_F(PhoneWindowFixture, RescanOfASilentPhoneEndsWithoutATreeAndBringsTheDialog) {
    StartPhone();
    PutDemoFiles();
    StorePort();
    Boot();
    phone->FallSilentAfter(0);
    dialogAnswers = {false};
    PressF4InPhonePane();
    ASSERT_FALSE(prompts.shown.empty());
    EXPECT_EQ(prompts.shown.back().Text, FailureReport(kErrTimeout, ""));
    EXPECT_EQ(receivedAtDialog.size(), 1u);
    EXPECT_FALSE(form->PhoneReady());
    EXPECT_EQ(fs->PhoneRoot(), nullptr);
    EXPECT_EQ(form->Phone().List()->topLevelItemCount(), 0);
    EXPECT_FALSE(link->Port.Connected());
    // Nothing to refresh without a tree.
    phone->ClearFaults();
    phone->ClearReceived();
    PressF4InPhonePane();
    EXPECT_EQ(phone->Received(), "");
}

TEST_F(PhoneWindowFixture, APhoneGoneForGoodInASubfolderLeavesNoStaleLines) {
    StartPhone();
    PutDemoFiles();
    StorePort();
    Boot();
    DoubleClick("Sounds");
    DoubleClick("My Sounds");
    ASSERT_EQ(S(form->Phone().PathLine()->text()), "E700:\\Sounds\\My Sounds");
    phone->FallSilentAfter(0);
    dialogAnswers = {false};
    PressF4InPhonePane();
    ASSERT_FALSE(prompts.shown.empty());
    EXPECT_EQ(prompts.shown.front().Text, FailureReport(kErrTimeout, ""));
    EXPECT_FALSE(form->PhoneReady());
    EXPECT_EQ(form->Phone().List()->topLevelItemCount(), 0);
    // The pane no longer names the folder it stopped showing.
    EXPECT_EQ(S(form->Phone().PathLine()->text()), "\\Root");
    EXPECT_EQ(S(form->Phone().FreeLine()->text()), "Свободно 0КБ из 0КБ");
    // Nor does the status bar name a model that is no longer there.
    EXPECT_EQ(form->ModelLine()->text(), "");
}

TEST_F(PhoneWindowFixture, ARefusedFolderIsReportedWithoutEndlessRetries) {
    StartPhone();
    PutDemoFiles();
    StorePort();
    Boot();
    DoubleClick("Sounds");
    DoubleClick("My Sounds");
    phone->FailName("U", 2000);
    PressF4InPhonePane();
    // The report and the report of its own re-read; then it stops.
    ASSERT_EQ(prompts.shown.size(), 2u);
    EXPECT_EQ(prompts.shown[0].Text, "Файл не найден");
    EXPECT_EQ(prompts.shown[1].Text, "Файл не найден");
    EXPECT_TRUE(form->PhoneReady());
}

TEST_F(PhoneWindowFixture, EmptyPhoneQuestionNoDropsTheTreeAndReconnectsYesKeepsIt) {
    StartPhone();
    StorePort();
    prompts.answers = {false};
    dialogAnswers = {false};
    Boot();
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_TRUE(prompts.shown[0].Question);
    EXPECT_EQ(prompts.shown[0].Text,
              "Ваш телефон не пропатчен или Nand отформатирован\r\nВы хотите продолжить?");
    EXPECT_EQ(prompts.shown[0].Caption, "Внимание");
    EXPECT_FALSE(form->PhoneReady());
    EXPECT_EQ(fs->PhoneRoot(), nullptr);
    EXPECT_FALSE(link->Port.Connected());
    EXPECT_EQ(receivedAtDialog.size(), 1u);
    EXPECT_EQ(form->Phone().List()->topLevelItemCount(), 0);

    // Start from the dialog again, and this time go on with the empty phone.
    prompts.shown.clear();
    prompts.answers = {true};
    dialogAnswers = {true};
    form->SettingsClick();
    Settle();
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_TRUE(form->PhoneReady());
    EXPECT_TRUE(link->Port.Connected());
    EXPECT_EQ(form->Phone().PathLine()->text(), "E700:");
}

TEST_F(PhoneWindowFixture, SettingsCancelledOnARunningConnectionKeepsItsKeepAlive) {
    StartPhone();
    PutDemoFiles();
    StorePort();
    Boot();
    ASSERT_TRUE(session->KeepAliveArmed());
    dialogAnswers = {false};
    form->SettingsClick();
    Settle();
    EXPECT_EQ(receivedAtDialog.size(), 1u);
    EXPECT_TRUE(form->PhoneReady());
    EXPECT_TRUE(session->KeepAliveArmed());
    // The session opened the port again, off the window's thread.
    EXPECT_TRUE(link->Port.Connected());
}

TEST_F(PhoneWindowFixture, AbortDuringTheScanStopsBeforeTheNextFolderAndKeepsTheTree) {
    EmulatorConfig config;
    config.LatencyMs = 40;
    StartPhone(config);
    PutDemoFiles();
    StorePort();
    // Press "Прервать" once the walk has listed its first folders.
    QTimer presser;
    QObject::connect(&presser, &QTimer::timeout, [&] {
        if (form && form->Progress()->isVisible() && phone->CommandCount() >= 7) {
            form->Progress()->AbortBtn->click();
            presser.stop();
        }
    });
    presser.start(5);
    Boot();
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].Text,
              "Кэширование файлов было прервано.\r\nСвободное место на телефоне отображается "
              "неправильно");
    EXPECT_EQ(prompts.shown[0].Caption, "Внимание");
    EXPECT_EQ(prompts.shown[0].Icon, BoxIcon::Information);
    ASSERT_TRUE(form->PhoneReady());
    int unlisted = 0;
    for (const Tree4* node : CollectFolderTable(fs->PhoneRoot())) unlisted += node->Listed ? 0 : 1;
    EXPECT_GT(unlisted, 0);
    EXPECT_EQ(form->Progress()->LongStatus->text(), "Завершение текущей операции");
    // The next operation starts afresh: the whole scan again, nothing cut.
    prompts.shown.clear();
    ASSERT_TRUE(session->Rescan());
    Settle();
    EXPECT_TRUE(prompts.shown.empty()) << prompts.shown.front().Text;
    for (const Tree4* node : CollectFolderTable(fs->PhoneRoot())) EXPECT_TRUE(node->Listed);
}

TEST_F(PhoneWindowFixture, CloseSavesTheLastPathAndFavouritesExitDoesNot) {
    StartPhone();
    PutDemoFiles();
    StorePort();
    Boot();
    QTemporaryDir other;
    form->SetComputerPath(other.path());
    form->Favs.Alias = {"home"};
    form->Favs.Path = {"/home"};

    form->ExitClick();
    {
        QSettings file(configDir.filePath("Q7K3FileManager.conf"), QSettings::IniFormat);
        EXPECT_EQ(file.value("LastPath").toString(), configDir.path());
        EXPECT_FALSE(file.contains("FavCount"));
    }
    EXPECT_TRUE(link->Port.Connected());

    form->close();
    // The port's close is the session's last task; the window goes once it is done.
    ASSERT_TRUE(test::WaitUntil([&] { return form->SessionClosed() && !form->isVisible(); }));
    QSettings file(configDir.filePath("Q7K3FileManager.conf"), QSettings::IniFormat);
    EXPECT_EQ(file.value("LastPath").toString(), QDir::cleanPath(other.path()));
    EXPECT_EQ(file.value("FavCount").toString(), "1");
    EXPECT_FALSE(link->Port.Connected());
    EXPECT_FALSE(session->KeepAliveArmed());
}

}  // namespace

namespace {

QString CurrentPhoneName(const MainWindow& form) {
    const QTreeWidgetItem* item = form.Phone().List()->currentItem();
    return item ? item->text(0) : QString();
}

TEST_F(PhoneWindowFixture, EnterBackspaceAndF4KeepThePlaceInThePhonePane) {
    StartPhone();
    PutDemoFiles();
    StorePort();
    Boot();
    form->ActivatePhonePane();
    form->Phone().List()->setCurrentItem(form->Phone().List()->FindItem("Sounds"), 0,
                                         QItemSelectionModel::NoUpdate);
    QTest::keyClick(form->Phone().List(), Qt::Key_Return);
    Settle();
    // Entering a folder puts the cursor on its first row.
    EXPECT_EQ(CurrentPhoneName(*form), "..");
    form->Phone().List()->setCurrentItem(form->Phone().List()->FindItem("My Sounds"), 0,
                                         QItemSelectionModel::NoUpdate);
    QTest::keyClick(form->Phone().List(), Qt::Key_Return);
    Settle();
    ASSERT_EQ(S(form->Phone().PathLine()->text()), "E700:\\Sounds\\My Sounds");
    QTest::keyClick(form->Phone().List(), Qt::Key_Insert);  // ".." is passed over
    QTest::keyClick(form->Phone().List(), Qt::Key_Insert);  // tune.MMF marked
    ASSERT_EQ(CurrentPhoneName(*form), "tune.imy");

    // F4 lists the folder again and leaves cursor and marks where they were.
    PressF4InPhonePane();
    EXPECT_EQ(form->Phone().List()->Names(), (QStringList{"..", "tune.MMF", "tune.imy"}));
    EXPECT_EQ(CurrentPhoneName(*form), "tune.imy");
    EXPECT_EQ(form->Phone().List()->SelectedNames(), std::vector<std::string>{"tune.MMF"});

    // Backspace goes up onto the folder just left, up to the root and no further.
    QTest::keyClick(form->Phone().List(), Qt::Key_Backspace);
    Settle();
    EXPECT_EQ(S(form->Phone().PathLine()->text()), "E700:\\Sounds");
    EXPECT_EQ(CurrentPhoneName(*form), "My Sounds");
    EXPECT_TRUE(form->Phone().List()->selectedItems().isEmpty());
    // Enter on ".." does the same.
    form->Phone().List()->setCurrentItem(form->Phone().List()->FindItem(".."), 0,
                                         QItemSelectionModel::NoUpdate);
    QTest::keyClick(form->Phone().List(), Qt::Key_Return);
    Settle();
    EXPECT_EQ(S(form->Phone().PathLine()->text()), "E700:");
    EXPECT_EQ(CurrentPhoneName(*form), "Sounds");
    QTest::keyClick(form->Phone().List(), Qt::Key_Backspace);
    Settle();
    EXPECT_EQ(S(form->Phone().PathLine()->text()), "E700:");
    EXPECT_TRUE(prompts.shown.empty());
}

TEST_F(PhoneWindowFixture, ConnectBringsBackAPhoneThatWasStoppedAndStartedAgain) {
    StartPhone();
    PutDemoFiles();
    StorePort();
    Boot();
    EXPECT_FALSE(form->Phone().NoPhoneShown());

    // The phone falls silent; the user cancels the settings dialog: no phone, and the pane
    // says so.
    phone->FallSilentAfter(0);
    dialogAnswers = {false};
    PressF4InPhonePane();
    ASSERT_FALSE(form->PhoneReady());
    EXPECT_TRUE(form->Phone().NoPhoneShown());
    // It answers again: "Подключить" reconnects with the stored settings, no dialog.
    phone->ClearFaults();
    const size_t dialogs = receivedAtDialog.size();
    prompts.shown.clear();
    form->MenuAction("Connect1")->trigger();
    Settle();
    EXPECT_TRUE(form->PhoneReady());
    EXPECT_EQ(receivedAtDialog.size(), dialogs);
    EXPECT_TRUE(prompts.shown.empty());
    EXPECT_FALSE(form->Phone().NoPhoneShown());
    EXPECT_TRUE(form->Phone().List()->Names().contains("Sounds"));

    // Stopped, and started again on another line: the stored port no longer reaches it,
    // so the settings dialog comes, and its Start connects.
    phone->FallSilentAfter(0);
    dialogAnswers = {false};
    PressF4InPhonePane();
    ASSERT_FALSE(form->PhoneReady());
    std::unique_ptr<PhoneEmulator> old = std::move(phone);
    StartPhone();
    ASSERT_NE(phone->SlavePath(), old->SlavePath());
    old->Stop();
    PutDemoFiles();
    dialogAnswers = {true};
    form->MenuAction("Connect1")->trigger();
    Settle();
    EXPECT_TRUE(form->PhoneReady());
    EXPECT_TRUE(dialogAnswers.empty());
    EXPECT_TRUE(form->Phone().List()->Names().contains("Sounds"));
    EXPECT_TRUE(form->isEnabled());
}

}  // namespace

namespace {

// "Отключить" closes the port and empties the pane; the next connection goes back to the
// folder that was shown, and closing keeps it for the next run.
TEST_F(PhoneWindowFixture, DisconnectAndTheNextConnectionReturnToTheLastFolder) {
    StartPhone();
    PutDemoFiles();
    StorePort();
    Boot();
    DoubleClick("Sounds");
    DoubleClick("My Sounds");
    ASSERT_EQ(S(form->Phone().PathLine()->text()), "E700:\\Sounds\\My Sounds");

    QAction* disconnect = form->MenuAction("Disconnect1");
    ASSERT_NE(disconnect, nullptr);
    disconnect->trigger();
    Settle();
    EXPECT_FALSE(form->PhoneReady());
    EXPECT_FALSE(link->Port.Connected());
    EXPECT_TRUE(form->Phone().NoPhoneShown());
    EXPECT_TRUE(form->ModelLine()->text().isEmpty());
    EXPECT_FALSE(disconnect->isEnabled());
    EXPECT_FALSE(session->KeepAliveArmed());

    form->MenuAction("Connect1")->trigger();
    Settle();
    ASSERT_TRUE(form->PhoneReady());
    EXPECT_EQ(S(form->Phone().PathLine()->text()), "E700:\\Sounds\\My Sounds");
    EXPECT_TRUE(prompts.shown.empty());

    form->close();
    ASSERT_TRUE(WaitUntil([&] { return form->SessionClosed(); }));
    QSettings file(configDir.filePath("Q7K3FileManager.conf"), QSettings::IniFormat);
    EXPECT_EQ(file.value("LastPhoneFolder").toString(), "Sounds\\My Sounds");
}

// A folder kept by an earlier run: shown after the scan when the phone has it, else the root.
TEST_F(PhoneWindowFixture, TheStoredPhoneFolderIsShownWhenThePhoneHasIt) {
    const struct {
        const char* stored;
        const char* shown;
    } rows[] = {{"Sounds\\My Sounds", "E700:\\Sounds\\My Sounds"}, {"Sounds\\Gone", "E700:"}};
    for (const auto& row : rows) {
        StartPhone();
        PutDemoFiles();
        store->WriteString("LastPhoneFolder", row.stored);
        StorePort();
        Boot();
        EXPECT_EQ(S(form->Phone().PathLine()->text()), row.shown) << row.stored;
        Close();
    }
}

}  // namespace
