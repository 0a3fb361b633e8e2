// The settings dialog on the offscreen platform: what it shows, what Start writes and
// applies, and what Cancel leaves alone.

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <cstdlib>
#include <optional>

#include "ports/widgets/PhoneSearchDialog.h"
#include "ports/widgets/PortStatesDialog.h"
#include "settings/widgets/SettingsDialog.h"
#include "settings/Fakes.h"
#include "base/Messages.h"

namespace q7k3 {
namespace {

using q7k3::test::ScriptedUi;
using test::HasLine;

std::vector<std::string> Items(const QComboBox* box) {
    std::vector<std::string> items;
    for (int i = 0; i < box->count(); ++i) items.push_back(box->itemText(i).toStdString());
    return items;
}

class SettingsFormTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (QCoreApplication::instance()) return;
        static int argc = 1;
        static char name[] = "settings_form_tests";
        static char* argv[] = {name, nullptr};
        new QApplication(argc, argv);
    }

    void SetUp() override {
        m_store = std::make_unique<SettingsStore>(Ini().toStdString());
        m_store->SetPrompts(&prompts);
        m_form.Bind(Binding());
    }

    SettingsFormBinding Binding() {
        SettingsFormBinding b;
        b.Store = m_store.get();
        b.Port = &port;
        b.PollStep = &pollStep;
        b.Flags = &flags;
        b.Boxes = &prompts;
        b.ListPorts = [this] { return scan; };
        b.EndProgram = [this] { ++ended; };
        return b;
    }

    QString Ini() const { return m_dir.path() + "/Q7K3FileManager.conf"; }
    std::string File() { return test::FileText(Ini()); }

    QComboBox* Box(const char* name) {
        auto* box = m_form.findChild<QComboBox*>(QString::fromLatin1(name));
        EXPECT_NE(box, nullptr) << name;
        return box;
    }
    QWidget* Page2() { return m_form.findChild<QWidget*>(QStringLiteral("TabSheet2")); }
    // The user's own choice, by keyboard, as a person would make it.
    void Choose(const char* name, int index) {
        QComboBox* box = Box(name);
        while (box->currentIndex() < index) QTest::keyClick(box, Qt::Key_Down);
        while (box->currentIndex() > index) QTest::keyClick(box, Qt::Key_Up);
    }
    void ClickStart() {
        QTest::mouseClick(m_form.findChild<QPushButton*>(QStringLiteral("Start")), Qt::LeftButton);
    }

    QTemporaryDir m_dir;
    std::unique_ptr<SettingsStore> m_store;
    test::FakePort port;
    int pollStep = 1;
    AppFlags flags;
    test::ScriptedUi prompts;
    PortScan scan{{"/dev/ttyUSB0", "/dev/ttyUSB1"}, 2};
    int ended = 0;
    SettingsDialog m_form;
};

TEST_F(SettingsFormTest, ShowsItsPagesLabelsAndItemsFromTheCatalogue) {
    EXPECT_EQ(m_form.windowTitle(), "Настройки");
    auto* pages = m_form.findChild<QTabWidget*>();
    ASSERT_NE(pages, nullptr);
    EXPECT_EQ(pages->tabText(0), "Соединение");
    EXPECT_EQ(pages->tabText(1), "Дополнительно");
    auto* start = m_form.findChild<QPushButton*>(QStringLiteral("Start"));
    ASSERT_NE(start, nullptr);
    EXPECT_TRUE(start->isDefault());
    EXPECT_EQ(start->text(), "Старт");

    EXPECT_EQ(Items(Box("IRDAReqBox")), (std::vector<std::string>{"ИК-ПОРТ", "Кабель"}));
    EXPECT_EQ(Items(Box("HiddenFilesBox")), (std::vector<std::string>{"Скрыть", "Показать"}));
    EXPECT_EQ(Items(Box("SleepTimeBox")),
              (std::vector<std::string>{"Быстро", "Средне", "Медленно"}));
    for (auto* box : m_form.findChildren<QComboBox*>())
        EXPECT_FALSE(box->isEditable()) << box->objectName().toStdString();
    EXPECT_EQ(m_form.findChild<QLabel*>(QStringLiteral("Label9"))->text(), "Настройки порта:");
    // The line page in words, not the keys it is stored under.
    EXPECT_EQ(m_form.findChild<QLabel*>(QStringLiteral("Label11"))->text(),
              "Аппаратное управление потоком");
    EXPECT_EQ(Items(Box("HardwareFlowBox")),
              (std::vector<std::string>{"Выключено", "только RTS", "Включено"}));
}

TEST_F(SettingsFormTest, FillsFromTheLiveStateAndPreselectsTheCurrentPort) {
    port.Name = "/dev/ttyS7";  // not among the ports found
    ASSERT_TRUE(m_form.FormCreate(scan));
    EXPECT_EQ(Items(Box("SelCom")), scan.Ports);
    EXPECT_EQ(Box("SelCom")->currentIndex(), 0);
    // The stored port whose device is away (the link was lost) stays chosen, and Start keeps
    // it stored.
    m_store->WriteString("ComPort", "/dev/ttyS7");
    ASSERT_TRUE(m_form.FormCreate(scan));
    EXPECT_EQ(Box("SelCom")->currentText(), "/dev/ttyS7");
    ClickStart();
    EXPECT_EQ(m_store->ReadString("ComPort", ""), "/dev/ttyS7");

    port.Name = "/dev/ttyUSB1";
    port.Rate = 230400;
    port.Dtr = false;
    port.Hw = 1;
    port.Sw = 1;
    port.LineStatus = true;
    port.Manual = false;
    flags.Mode = FolderMode::Pims;
    flags.MelConvertion = false;
    flags.IRDAReq = false;
    m_store->WriteInt("SleepTime", 2);
    m_store->WriteInt("HiddenFiles", 1);
    ASSERT_TRUE(m_form.FormCreate(scan));
    EXPECT_EQ(Box("SelCom")->currentText(), "/dev/ttyUSB1");
    EXPECT_EQ(Box("SelSpeed")->currentIndex(), 2);
    EXPECT_EQ(Box("EnableDTROnOpenBox")->currentIndex(), 0);
    EXPECT_EQ(Box("HardwareFlowBox")->currentIndex(), 1);
    EXPECT_EQ(Box("SoftwareFlowBox")->currentIndex(), 1);
    EXPECT_EQ(Box("CheckLineStatusBox")->currentIndex(), 1);
    EXPECT_EQ(Box("PortSettingsBox")->currentIndex(), 0);
    EXPECT_EQ(Box("Mode")->currentIndex(), 2);
    EXPECT_EQ(Box("MelConvertionBox")->currentIndex(), 0);
    EXPECT_EQ(Box("IRDAReqBox")->currentIndex(), 1);
    EXPECT_EQ(Box("SleepTimeBox")->currentIndex(), 2);
    EXPECT_EQ(Box("HiddenFilesBox")->currentIndex(), 1);

    // A rate or stored delay the dialog does not offer leaves that choice as it was.
    port.Rate = 9600;
    m_store->WriteInt("SleepTime", 5);
    ASSERT_TRUE(m_form.FormCreate(scan));
    EXPECT_EQ(Box("SelSpeed")->currentIndex(), 2);
    EXPECT_EQ(Box("SleepTimeBox")->currentIndex(), 2);
    EXPECT_TRUE(prompts.shown.empty());
}

TEST_F(SettingsFormTest, WithoutAnySerialDeviceTheProgramEnds) {
    scan = {};
    std::optional<bool> answer;
    m_form.Open([&](bool start) { answer = start; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return answer.has_value(); }));
    EXPECT_FALSE(*answer);
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].Text, "Ни одного ком порта не найдено");
    EXPECT_EQ(prompts.shown[0].Caption, "Ошибка");
    EXPECT_EQ(prompts.shown[0].Icon, BoxIcon::Error);
    EXPECT_EQ(ended, 1);
    EXPECT_FALSE(m_form.isVisible());
}

TEST_F(SettingsFormTest, APortHeldByAnotherProgramStaysTheChoiceWhenItIsTheStoredOne) {
    test::Pty pty;
    ASSERT_TRUE(pty.Hold());
    const std::string tty = pty.Path();
    QTemporaryDir emptySys;
    PortListSources sources;
    sources.SysClassTty = emptySys.path().toStdString();
    m_store->WriteString("ComPort", tty);
    port.Name = tty;
    // The real list and probe, from the stored port; an empty sysfs keeps this machine's
    // own ports out of it.
    SettingsFormBinding b = Binding();
    b.ListPorts = [&] { return ListSerialPorts(m_store->ReadString("ComPort", ""), sources); };
    m_form.Bind(b);

    // The stored port is not among those that open, yet it stays the choice: Start keeps
    // it, and nothing is written over it.
    ASSERT_TRUE(m_form.FormCreate(b.ListPorts()));
    EXPECT_EQ(Items(Box("SelCom")), (std::vector<std::string>{tty}));
    EXPECT_TRUE(prompts.shown.empty());
    ClickStart();
    EXPECT_EQ(port.Name, tty);
    EXPECT_TRUE(HasLine(File(), "ComPort=" + tty));

    pty.Release();
    ASSERT_TRUE(m_form.FormCreate(b.ListPorts()));
    EXPECT_EQ(Items(Box("SelCom")), (std::vector<std::string>{tty}));
}

TEST_F(SettingsFormTest, StartWritesTheChosenValuesAfterAFirstRun) {
    ASSERT_EQ(setenv("XDG_CONFIG_HOME", m_dir.path().toUtf8().constData(), 1), 0);
    SettingsStore store;  // the program's own store, on the empty directory
    Favourites favs;
    std::string lastPath;
    LoadSettings(store, {&port, &pollStep, &flags, &favs, &lastPath});
    SettingsFormBinding b = Binding();
    b.Store = &store;
    m_form.Bind(b);
    ASSERT_TRUE(m_form.FormCreate(scan));
    EXPECT_EQ(Box("PortSettingsBox")->currentIndex(), 0);
    EXPECT_EQ(Box("HardwareFlowBox")->currentIndex(), 2);

    Choose("SelCom", 1);
    Choose("SelSpeed", 1);
    Choose("Mode", 2);
    Choose("IRDAReqBox", 1);
    Choose("SleepTimeBox", 2);
    Choose("HiddenFilesBox", 1);
    Choose("MelConvertionBox", 0);
    Choose("PortSettingsBox", 1);
    Choose("EnableDTROnOpenBox", 0);
    Choose("HardwareFlowBox", 0);
    Choose("SoftwareFlowBox", 1);
    Choose("CheckLineStatusBox", 1);
    const int pollingBefore = port.Polling;
    ClickStart();

    const std::string text = File();
    for (const char* line :
         {"ComPort=/dev/ttyUSB1", "BaudRate=128000", "MODE=2", "IRDAReq=0", "SleepTime=2",
          "EnableDTROnOpen=0", "HardwareFlow=0", "SoftwareFlow=1", "CheckLineStatus=1",
          "HiddenFiles=1", "MelConvertion=0", "PortSettings=1"})
        EXPECT_TRUE(HasLine(text, line)) << line << " in\n" << text;
    EXPECT_EQ(port.Name, "/dev/ttyUSB1");
    EXPECT_EQ(port.Rate, 128000);
    EXPECT_TRUE(port.Manual);
    EXPECT_FALSE(port.Dtr);
    EXPECT_EQ(port.Hw, 0);
    EXPECT_EQ(port.Sw, 1);
    EXPECT_TRUE(port.LineStatus);
    EXPECT_FALSE(flags.IRDAReq);
    EXPECT_TRUE(flags.HiddenFiles);
    EXPECT_FALSE(flags.MelConvertion);
    EXPECT_EQ(flags.Mode, FolderMode::Pims);
    EXPECT_FALSE(flags.CompileJavaEnabled);
    // "Медленно" at Start: a 50 ms wait step; the polling period keeps its loaded value.
    EXPECT_EQ(pollStep, 50);
    EXPECT_EQ(port.Polling, pollingBefore);
    unsetenv("XDG_CONFIG_HOME");

    // Loaded at the next start, the same choice gives the table's pair instead.
    LoadSettings(SettingsStore(Ini().toStdString()), {&port, &pollStep, &flags, &favs, &lastPath});
    EXPECT_EQ(port.Polling, 50);
    EXPECT_EQ(pollStep, 10);

    // "Средне" at Start: a 1 ms step, and the polling period still untouched.
    ASSERT_TRUE(m_form.FormCreate(scan));
    Choose("SleepTimeBox", 1);
    Choose("Mode", 1);
    ClickStart();
    EXPECT_EQ(pollStep, 1);
    EXPECT_EQ(port.Polling, 50);
    EXPECT_EQ(flags.Mode, FolderMode::Pro);
    EXPECT_TRUE(flags.CompileJavaEnabled);
}

TEST_F(SettingsFormTest, CancelLeavesThePortAndTheStoredSettingsAlone) {
    ASSERT_TRUE(m_form.FormCreate(scan));
    const int setsAfterFill = port.Sets;
    Choose("SelSpeed", 2);
    QTest::mouseClick(m_form.findChild<QPushButton*>(QStringLiteral("CancelSetBtn")),
                      Qt::LeftButton);
    EXPECT_EQ(port.Sets, setsAfterFill);
    EXPECT_EQ(port.Rate, 9600);
    EXPECT_EQ(m_form.result(), QDialog::Rejected);
    EXPECT_FALSE(m_store->Contains("BaudRate"));
}

TEST_F(SettingsFormTest, EnterMeansStartEvenAfterAnEarlierCancel) {
    auto* cancel = m_form.findChild<QPushButton*>(QStringLiteral("CancelSetBtn"));
    ASSERT_TRUE(m_form.FormCreate(scan));
    cancel->setFocus();
    QTest::mouseClick(cancel, Qt::LeftButton);
    ASSERT_EQ(m_form.result(), QDialog::Rejected);

    QString focused;
    std::optional<bool> answer;
    m_form.Open([&](bool start) { answer = start; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_form.isVisible(); }));
    QWidget* w = m_form.focusWidget();
    focused = w ? w->objectName() : QString();
    QTest::keyClick(w ? w : static_cast<QWidget*>(&m_form), Qt::Key_Return);
    // Never hang on a dialog that ignored the key.
    if (!QTest::qWaitFor([&] { return answer.has_value(); }, 3000)) m_form.reject();
    EXPECT_EQ(answer, std::optional<bool>(true));
    EXPECT_EQ(focused.toStdString(), "Start");
}

TEST_F(SettingsFormTest, OnlyTheUsersChoiceOfPortSettingsEnablesTheSecondPage) {
    EXPECT_TRUE(Page2()->isEnabled());  // enabled when the program starts
    port.Manual = false;
    ASSERT_TRUE(m_form.FormCreate(scan));
    EXPECT_TRUE(Page2()->isEnabled());

    Choose("PortSettingsBox", 1);
    EXPECT_TRUE(Page2()->isEnabled());
    Choose("PortSettingsBox", 0);
    EXPECT_FALSE(Page2()->isEnabled());

    port.Manual = true;
    ASSERT_TRUE(m_form.FormCreate(scan));
    EXPECT_EQ(Box("PortSettingsBox")->currentIndex(), 1);
    EXPECT_FALSE(Page2()->isEnabled());  // filling keeps the state of the last change
}

TEST_F(SettingsFormTest, TheTraceSwitchIsStoredAndStaysUsableWithSystemPortSettings) {
    port.Manual = false;
    ASSERT_TRUE(m_form.FormCreate(scan));
    Choose("PortSettingsBox", 1);
    Choose("PortSettingsBox", 0);
    EXPECT_FALSE(Page2()->isEnabled());
    QComboBox* trace = Box("TraceBox");
    EXPECT_TRUE(trace->isEnabledTo(&m_form));
    EXPECT_EQ(Items(trace), (std::vector<std::string>{"Выключено", "Включено"}));
    EXPECT_EQ(m_form.findChild<QLabel*>(QStringLiteral("TraceLabel"))->text(), "Трасса обмена");
    EXPECT_EQ(trace->currentIndex(), 0);

    Choose("TraceBox", 1);
    ClickStart();
    EXPECT_TRUE(flags.Trace);
    EXPECT_TRUE(HasLine(File(), "Trace=1")) << File();

    // Shown again, the dialog reflects the switch.
    ASSERT_TRUE(m_form.FormCreate(scan));
    EXPECT_EQ(trace->currentIndex(), 1);
    Choose("TraceBox", 0);
    ClickStart();
    EXPECT_FALSE(flags.Trace);
    EXPECT_TRUE(HasLine(File(), "Trace=0"));
}

TEST_F(SettingsFormTest, TheQuestionMarkBesideThePortListSaysWhyEachPortIsMissing) {
    PortStatus open;
    open.Path = "/dev/ttyUSB0";
    open.State = PortState::Opens;
    PortStatus denied;
    denied.Path = "/dev/ttyUSB1";
    denied.State = PortState::NoPermission;
    denied.Group = "dialout";
    denied.GroupMayUse = true;
    m_form.SetPortDiagnostics([&] { return std::vector<PortStatus>{open, denied}; });
    ASSERT_TRUE(m_form.FormCreate(scan));
    auto* button = m_form.findChild<QToolButton*>(QStringLiteral("PortStatesBtn"));
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->toolTip(), "Почему нет порта?");
    QTest::mouseClick(button, Qt::LeftButton);
    auto* list = m_form.findChild<PortStatesDialog*>(QStringLiteral("PortStatesForm"));
    ASSERT_NE(list, nullptr);
    // The states are learnt off the window's thread; the list shows once they are known.
    EXPECT_TRUE(QTest::qWaitFor([&] { return list->isVisible(); }));
    EXPECT_EQ(list->windowTitle(), "Последовательные порты");
    EXPECT_EQ(list->Text().toStdString(),
              "/dev/ttyUSB0 открывается\n"
              "/dev/ttyUSB1 нет прав доступа; порт принадлежит группе dialout\n"
              "    Добавьте себя в эту группу и войдите в систему заново:\n"
              "    sudo usermod -aG dialout $USER\n");
    // Only the ports that open are offered for selection, as before.
    EXPECT_EQ(Items(Box("SelCom")), scan.Ports);
    list->close();
}

// Not a check: with Q7K3_SHOT_DIR set (under a real display) saves both pages as pictures.
TEST_F(SettingsFormTest, StartStoresTheStableNameAndTheListFollowsItToTheDevicesNewName) {
    test::Pty first, second;
    const QString byId = m_dir.path() + "/by-id";
    ASSERT_TRUE(QDir().mkpath(byId));
    const QString link = byId + "/usb-SGH_Phone-if00";
    ASSERT_TRUE(QFile::link(QString::fromStdString(first.Path()), link));
    SearchSources sources;
    sources.ByIdDir = byId.toStdString();
    m_form.SetSearchSources(sources);
    scan = {{first.Path(), second.Path()}, 2};
    port.Name = first.Path();
    ASSERT_TRUE(m_form.FormCreate(scan));
    ClickStart();
    EXPECT_EQ(port.Name, link.toStdString());
    EXPECT_TRUE(HasLine(File(), "ComPort=" + link.toStdString()));

    // Plugged in again, the phone came back under the other name.
    ASSERT_TRUE(QFile::remove(link));
    ASSERT_TRUE(QFile::link(QString::fromStdString(second.Path()), link));
    ASSERT_TRUE(m_form.FormCreate(scan));
    EXPECT_EQ(Box("SelCom")->currentText().toStdString(), second.Path());
}

TEST_F(SettingsFormTest, APortPluggedInWhileShownJoinsTheListAndIsSearched) {
    test::Pty plugged;
    const QString dev = m_dir.path() + "/dev";
    ASSERT_TRUE(QDir().mkpath(dev));
    const WatchSources watch{dev.toStdString(), (dev + "/serial/by-id").toStdString(), 50};
    m_form.SetWatchSources(&watch);
    ASSERT_TRUE(m_form.FormCreate(scan));
    m_form.show();
    const std::string path = (dev + "/ttyUSB9").toStdString();
    scan = {{"/dev/ttyUSB0", path}, 2};
    ASSERT_TRUE(QFile::link(QString::fromStdString(plugged.Path()), QString::fromStdString(path)));
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return m_form.Search() && !m_form.Search()->Running(); }, 20000));
    EXPECT_EQ(Items(Box("SelCom")), scan.Ports);
    // Only the new port is searched; nobody answers on it.
    EXPECT_EQ(m_form.Search()->Rows(),
              QStringList{QString::fromStdString(path + " " + Msg(kMsgFoundSilent))});
    m_form.SetWatchSources(nullptr);
    m_form.hide();
}

TEST_F(SettingsFormTest, PicturesOfBothPages) {
    const char* dir = std::getenv("Q7K3_SHOT_DIR");
    if (!dir) GTEST_SKIP() << "Q7K3_SHOT_DIR not set";
    port.Name = "/dev/ttyUSB1";
    ASSERT_TRUE(m_form.FormCreate(scan));
    m_form.show();
    auto* pages = m_form.findChild<QTabWidget*>();
    for (int page = 0; page < 2; ++page) {
        pages->setCurrentIndex(page);
        QTest::qWait(200);
        const QString file = QStringLiteral("%1/settings-%2.png")
                                 .arg(QString::fromLocal8Bit(dir))
                                 .arg(page == 0 ? "connection" : "advanced");
        EXPECT_TRUE(m_form.grab().save(file));
    }
    // The list behind the "?" beside the port list, with a port in each state.
    PortStatus opens{"/dev/ttyUSB0", PortState::Opens, 0, "dialout", true, {}, "067b", "2303", ""};
    PortStatus denied{
        "/dev/ttyUSB1", PortState::NoPermission, EACCES, "dialout", true, {}, "067b", "2303", ""};
    PortStatus held{
        "/dev/ttyS4", PortState::Busy, EBUSY, "dialout", true, {{4242, "minicom"}}, "", "", ""};
    PortStatus mm{"/dev/ttyACM0",
                  PortState::ModemManager,
                  EBUSY,
                  "dialout",
                  true,
                  {{812, "ModemManager"}},
                  "1234",
                  "5678",
                  ""};
    m_form.SetPortDiagnostics([&] { return std::vector<PortStatus>{opens, denied, held, mm}; });
    pages->setCurrentIndex(0);
    m_form.PortStatesBtnClick();
    auto* list = m_form.findChild<PortStatesDialog*>(QStringLiteral("PortStatesForm"));
    ASSERT_NE(list, nullptr);
    ASSERT_TRUE(QTest::qWaitFor([&] { return list->isVisible(); }));
    list->resize(760, 260);
    QTest::qWait(200);
    EXPECT_TRUE(list->grab().save(QString::fromLocal8Bit(dir) + "/settings-port-states.png"));
    list->close();
    m_form.hide();
}

}  // namespace
}  // namespace q7k3
