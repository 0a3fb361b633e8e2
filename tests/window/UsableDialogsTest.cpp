// The real dialogs after a failed start and while the window is busy: the settings, the
// file-exists and the rename dialogs are children of the main window, and must stay
// usable whatever state an operation left behind. The test presses their own buttons.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "emulator/PhoneEmulator.h"
#include "link/Connection.h"
#include "link/PhoneLink.h"
#include "settings/SettingsStore.h"
#include "settings/widgets/SettingsDialog.h"
#include "session/PhoneSession.h"
#include "base/Messages.h"
#include "base/Text.h"
#include "window/ConflictDialog.h"
#include "window/MainWindow.h"
#include "window/ProgressDialog.h"
#include "window/RenameDialog.h"
#include "window/Texts.h"
#include "window/WindowTestSupport.h"

using namespace q7k3;
using q7k3::emu::EmulatorConfig;
using q7k3::test::ModalDriver;
using q7k3::test::ScriptedUi;
using q7k3::test::WaitUntil;

namespace {

// Presses the named button of the modal dialog, once it is usable.
struct Press {
    std::string dialog;  // the object name of the dialog that came
    bool usable = false;
    ModalDriver::Act Act(const char* button, std::function<void(QWidget*)> before = nullptr) {
        return [this, button, before](QWidget* modal) {
            dialog = modal->objectName().toStdString();
            auto* b = modal->findChild<QPushButton*>(QString::fromLatin1(button));
            usable = modal->isEnabled() && b && b->isEnabled() && b->isVisible();
            if (before) before(modal);
            if (b) QTest::mouseClick(b, Qt::LeftButton);
        };
    }
};

// Runs `act` once `dialog` is on the screen (its exec() has begun).
void WhenShown(QDialog* dialog, const ModalDriver::Act& act) {
    auto* timer = new QTimer(dialog);
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, dialog, [dialog, timer, act] {
        if (!dialog->isVisible()) return;
        timer->stop();
        timer->deleteLater();
        act(dialog);
    });
    timer->start();
}

struct UsableDialogs : ::testing::Test {
    QTemporaryDir configDir;
    std::unique_ptr<PhoneEmulator> phone;
    std::unique_ptr<SettingsStore> store;
    AppFlags flags;
    ScriptedUi prompts;
    std::unique_ptr<MainWindow> form;
    std::unique_ptr<PhoneLink> link;
    std::unique_ptr<DriverSettings<SerialPort>> port;
    std::unique_ptr<PhoneSession> session;
    std::unique_ptr<SettingsDialog> settings;

    void TearDown() override {
        if (form) form->CloseQuery();
        settings.reset();
        session.reset();
        form.reset();
        port.reset();
        link.reset();
        if (phone) phone->Stop();
    }

    // Builds the program as its entry does, with the real settings dialog.
    void Build(EmulatorConfig config) {
        ASSERT_TRUE(configDir.isValid());
        phone = std::make_unique<PhoneEmulator>(config);
        ASSERT_TRUE(phone->Start()) << phone->Error();
        store = std::make_unique<SettingsStore>(S(configDir.filePath("Q7K3FileManager.conf")));
        store->WriteString("ComPort", phone->SlavePath());
        ASSERT_TRUE(store->Flush());
        form = std::make_unique<MainWindow>(flags, prompts);
        link = std::make_unique<PhoneLink>();
        port = std::make_unique<DriverSettings<SerialPort>>(link->Port);
        session =
            std::make_unique<PhoneSession>(*link, flags, prompts, *form->Progress(), *form, *form);
        settings = std::make_unique<SettingsDialog>(form.get());
        const std::string path = phone->SlavePath();
        settings->Bind({store.get(), port.get(), &link->Channel.PollStep, &flags, &prompts,
                        [path] {
                            return PortScan{{path}, 1};
                        },
                        [] {}});
        form->AttachCore({link.get(), session.get(), store.get(), port.get(),
                          [this](ConnectionAnswer answered) { settings->Open(answered); }});
    }
};

TEST_F(UsableDialogs, AFailedStartLeavesTheRealSettingsDialogUsable) {
    struct Row {
        const char* what;
        std::string model;
        int silentAfter;
        int message;
    };
    const Row rows[] = {{"unsupported phone", "SGH-D500", -1, kMsgModelNotSupported},
                        {"silent phone", "SGH-E700", 0, kMsgPhoneSilent}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        TearDown();
        prompts.shown.clear();
        EmulatorConfig config;
        config.Model = row.model;
        config.Fault.SilentAfter = row.silentAfter;
        Build(config);
        Press press;
        ModalDriver driver(press.Act("CancelSetBtn"), 20000);
        form->show();
        ASSERT_TRUE(WaitUntil([&] { return driver.Acted(); }, 20000));
        ASSERT_TRUE(WaitUntil([&] { return !settings->isVisible(); }));
        EXPECT_EQ(press.dialog, "SettingsForm");
        EXPECT_TRUE(press.usable) << "the settings dialog came back greyed out";
        ASSERT_EQ(prompts.shown.size(), 1u);
        // A silent phone's box names the port it was asked on.
        EXPECT_EQ(prompts.shown[0].Text, row.message == kMsgPhoneSilent
                                             ? SilentPhoneText(link->Port.PortName())
                                             : Msg(row.message));
        EXPECT_FALSE(form->Busy());
        EXPECT_TRUE(form->centralWidget()->isEnabled());
        EXPECT_FALSE(session->PhoneReady());
    }
}

TEST_F(UsableDialogs, FileExistsAndRenameAnswerWhileTheWindowIsBusy) {
    // No phone behind it: only the window and its dialogs.
    form = std::make_unique<MainWindow>(flags, prompts);
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    // As during a copy: the window is busy while the command asks its questions.
    form->BusyChanged(true);
    EXPECT_FALSE(form->centralWidget()->isEnabled());

    struct Case {
        const char* button;
        ConflictAnswer answer;
    };
    for (const Case& c : {Case{"FexOKBtn", ConflictAnswer::UseNewName},
                          Case{"FexOverwriteBtn", ConflictAnswer::Overwrite},
                          Case{"FexOverwriteAllBtn", ConflictAnswer::OverwriteAll},
                          Case{"FexCancel", ConflictAnswer::Cancel}}) {
        SCOPED_TRACE(c.button);
        Press press;
        WhenShown(form->Conflicts(), press.Act(c.button, [](QWidget* modal) {
            auto* edit = modal->findChild<QLineEdit*>(QStringLiteral("NewName"));
            if (edit) edit->setText(QStringLiteral("tune(1).mmf"));
        }));
        ConflictQuestion& question = *form->Conflicts();
        const ConflictReply reply = question.AskConflict("tune.mmf", "tune.mmf");
        EXPECT_EQ(press.dialog, "TFileExistForm");
        EXPECT_TRUE(press.usable);
        EXPECT_EQ(reply.Answer, c.answer);
        if (c.answer == ConflictAnswer::UseNewName) EXPECT_EQ(reply.NewName, "tune(1).mmf");
    }

    RenameQuestion& rename = *form->Renames();
    Press ok;
    {
        WhenShown(form->Renames(), ok.Act("RenOK", [](QWidget* modal) {
            auto* edit = modal->findChild<QLineEdit*>(QStringLiteral("RenName"));
            if (edit) edit->setText(QStringLiteral("новое.txt"));
        }));
        EXPECT_EQ(rename.AskNewName("old.txt"), std::optional<std::string>("новое.txt"));
    }
    EXPECT_EQ(ok.dialog, "TRenameForm");
    EXPECT_TRUE(ok.usable);
    Press cancel;
    {
        WhenShown(form->Renames(), cancel.Act("RenCancel"));
        EXPECT_EQ(rename.AskNewName("old.txt"), std::nullopt);
    }
    EXPECT_TRUE(cancel.usable);
    form->BusyChanged(false);
}

}  // namespace
