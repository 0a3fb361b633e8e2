// Every entry point of the window set off while the phone session is in each phase of an
// operation, against the phone emulator: nothing runs inside anything else (the phone never
// sees a command in the middle of another's answer), no box comes that nobody caused, the
// operation under way ends as it would have, and the window is usable afterwards. Then the
// faults that came of the window waiting for the phone, each by name.

#include <gtest/gtest.h>

#include <QDir>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <functional>
#include <string>
#include <vector>

#include "emulator/PhoneEmulator.h"
#include "localpane/LocalDirView.h"
#include "session/PhoneSession.h"
#include "preview/widgets/PreviewWindow.h"
#include "base/Messages.h"
#include "window/BackupCommands.h"
#include "window/ButtonBar.h"
#include "window/MainWindow.h"
#include "window/PhoneListView.h"
#include "window/RenameDialog.h"
#include "window/ViewCommand.h"
#include "window/WindowOnPhone.h"
#include "window/WindowTestSupport.h"

using namespace q7k3;
using q7k3::emu::EmulatorConfig;
using q7k3::test::ReadLocal;
using q7k3::test::WaitUntil;
using q7k3::test::WindowOnPhone;
using q7k3::test::WriteLocal;

namespace {

const std::string kBig(12000, 'b');    // long enough to be caught in the middle of
const std::string kLocal(12000, 'l');  // what goes to the phone

struct Reentrancy : ::testing::Test, WindowOnPhone<> {
    // Anything a refused entry point must never get to: the settings dialog, the backup's
    // folder chooser.
    int dialogsAsked = 0;
    int foldersAsked = 0;

    void TearDown() override {
        if (form && form->isVisible()) ExpectIdle();
        Close();
    }

    // The phone with its files, answering each command after `latencyMs`.
    void StartSlowPhone(int latencyMs, bool echo = true) {
        EmulatorConfig config;
        config.LatencyMs = latencyMs;
        config.Echo = echo;
        StartPhone(config);
        ASSERT_TRUE(phone->PutFile("B", "big.bin", kBig));
        for (const char* name : {"one.txt", "two.txt", "three.txt"})
            ASSERT_TRUE(phone->PutFile("B", name, std::string(700, name[0])));
        ASSERT_TRUE(WriteLocal(localDir.filePath("local.bin"), kLocal));
        StoreSettings();
    }

    void ShowTheWindow() {
        ShowWindow([this] {
            ++dialogsAsked;
            return false;
        });
        form->Backups()->ChooseFolder = [this](const QString&, const QString&) {
            ++foldersAsked;
            return QString();
        };
    }

    void BootSlow(int latencyMs, bool echo = true) {
        StartSlowPhone(latencyMs, echo);
        ShowTheWindow();
        WaitForStartUp();
        ASSERT_TRUE(form->PhoneReady());
    }

    QTreeWidgetItem* PhoneItem(const char* name) {
        return form->Phone().List()->FindItem(QString::fromLatin1(name));
    }

    void OpenUser() {
        form->ActivatePhonePane();
        form->Phone().List()->setCurrentItem(PhoneItem("User"));
        form->OpenPhoneItem();
        Settle();
    }

    // The phone pane active with these files marked, the first under the cursor.
    void SelectPhone(std::initializer_list<const char*> names) {
        form->ActivatePhonePane();
        form->Phone().List()->clearSelection();
        for (const char* name : names) PhoneItem(name)->setSelected(true);
        form->Phone().List()->setCurrentItem(PhoneItem(*names.begin()), 0,
                                             QItemSelectionModel::NoUpdate);
    }

    void SelectLocal(const char* name) {
        ASSERT_TRUE(WaitUntil([&] { return form->Computer().List()->Loaded(); }));
        form->Computer().List()->clearSelection();
        ASSERT_TRUE(form->Computer().List()->SelectName(QString::fromLatin1(name), true));
        form->ActivateComputerPane();
    }

    bool Sent(const char* command) const {
        return phone->Received().find(command) != std::string::npos;
    }
};

// What a user, a timer or the system can set off at any moment. Keys go both to the list
// (where a disabled window swallows them) and straight to the window's dispatch (as a
// shortcut would), so that the door itself is what refuses them.
struct EntryPoint {
    const char* Name;
    std::function<void(Reentrancy&)> Fire;
};

std::vector<EntryPoint> EntryPoints() {
    std::vector<EntryPoint> all;
    for (const int key : {Qt::Key_F3, Qt::Key_F4, Qt::Key_F5, Qt::Key_F6, Qt::Key_F7, Qt::Key_F8}) {
        all.push_back({"key", [key](Reentrancy& t) {
                           QTest::keyClick(t.form->Phone().List(), static_cast<Qt::Key>(key));
                           t.form->DispatchFunctionKey(key);
                       }});
        all.push_back({"button", [key](Reentrancy& t) { t.form->Buttons().ForKey(key)->click(); }});
    }
    all.push_back({"F5 of the computer pane", [](Reentrancy& t) {
                       t.form->ActivateComputerPane();
                       t.form->DispatchFunctionKey(Qt::Key_F5);
                       t.form->ActivatePhonePane();
                   }});
    for (const char* action : {"Connect1", "Settings1", "Backup1", "Restore1", "Verify1"})
        all.push_back({action, [action](Reentrancy& t) { t.form->MenuAction(action)->trigger(); }});
    all.push_back({"menu handlers", [](Reentrancy& t) {
                       t.form->ConnectClick();
                       t.form->SettingsClick();
                       t.form->Backups()->Backup();
                       t.form->Backups()->Restore();
                       t.form->Backups()->Verify();
                   }});
    all.push_back({"context menu", [](Reentrancy& t) {
                       for (const char* name : {"big.bin", "User"}) {
                           QTreeWidgetItem* item = t.PhoneItem(name);
                           if (!item) continue;
                           QMenu* menu = t.form->Phone().ContextMenuFor(item);
                           for (QAction* a : menu->actions())
                               if (!a->isSeparator() && a->objectName() != "ViewBtn") a->trigger();
                           delete menu;
                       }
                   }});
    all.push_back({"drops", [](Reentrancy& t) {
                       t.form->FilesDroppedOnPhone({t.localDir.filePath("local.bin")});
                       t.form->PhoneItemsDropped({"one.txt"});
                   }});
    all.push_back({"folders", [](Reentrancy& t) {
                       t.form->Phone().GoUp();
                       t.form->Phone().OpenCurrent();
                       t.session->OpenFolder("User");
                       t.session->Rescan();
                   }});
    all.push_back({"keep-alive", [](Reentrancy& t) { t.session->KeepAliveTick(); }});
    all.push_back({"the computer pane", [](Reentrancy& t) { t.form->Computer().Reload(); }});
    return all;
}

// Sets off every entry point once, from a timer, as soon as `inPhase` holds: the timer runs
// wherever the window's events run, also inside a dialog the operation opened.
class PhaseFirer {
public:
    PhaseFirer(Reentrancy& t, std::function<bool()> inPhase) : m_inPhase(std::move(inPhase)) {
        QObject::connect(&m_timer, &QTimer::timeout, [this, &t] {
            if (m_fired || !m_inPhase()) return;
            m_fired = true;
            for (const EntryPoint& entry : EntryPoints()) {
                entry.Fire(t);
                // Still in the phase: nothing ended it, nothing ran inside it.
                if (!m_inPhase()) m_brokeOut.push_back(entry.Name);
            }
            if (m_after) m_after();
        });
        m_timer.start(1);
    }
    bool Fired() const { return m_fired; }
    const std::vector<std::string>& BrokeOut() const { return m_brokeOut; }
    // Runs once everything was fired (a question answered, say).
    void Then(std::function<void()> after) { m_after = std::move(after); }

private:
    std::function<bool()> m_inPhase;
    std::function<void()> m_after;
    QTimer m_timer;
    bool m_fired = false;
    std::vector<std::string> m_brokeOut;
};

struct Phase {
    const char* Name;
    int LatencyMs;
    // Sets the operation going, with the window already up (not for "connecting").
    std::function<void(Reentrancy&)> Start;
    std::function<bool(Reentrancy&)> InPhase;
    // What the operation left, once it has ended.
    std::function<void(Reentrancy&)> Check;
    // A phone that echoes ends the keep-alive's wait with its echo, at once; without, the
    // ping lasts as long as the phone takes to answer.
    bool Echo = true;
};

std::vector<Phase> Phases() {
    using S = SessionState;
    return {
        {"scanning", 10,
         [](Reentrancy& t) {
             t.form->ActivatePhonePane();
             QTest::keyClick(t.form->Phone().List(), Qt::Key_F4);
         },
         [](Reentrancy& t) { return t.session->State() == S::Running && t.Sent("AT+FSDL"); },
         [](Reentrancy& t) { EXPECT_TRUE(t.form->Phone().List()->Names().contains("User")); }},
        {"listing", 30,
         [](Reentrancy& t) {
             t.OpenUser();
             t.phone->ClearReceived();
             QTest::keyClick(t.form->Phone().List(), Qt::Key_F4);
         },
         [](Reentrancy& t) { return t.session->State() == S::Running && t.Sent("AT+FSCD"); },
         [](Reentrancy& t) { EXPECT_TRUE(t.form->Phone().List()->Names().contains("big.bin")); }},
        {"reading", 10,
         [](Reentrancy& t) {
             t.OpenUser();
             t.SelectPhone({"big.bin"});
             QTest::keyClick(t.form->Phone().List(), Qt::Key_F5);
         },
         [](Reentrancy& t) { return t.session->State() == S::Running && t.Sent("AT+FSFR"); },
         [](Reentrancy& t) { EXPECT_EQ(ReadLocal(t.localDir.filePath("big.bin")), kBig); }},
        {"writing", 10,
         [](Reentrancy& t) {
             t.OpenUser();
             t.SelectLocal("local.bin");
             QTest::keyClick(t.form->Computer().List(), Qt::Key_F5);
         },
         [](Reentrancy& t) { return t.session->State() == S::Running && t.Sent("AT+FSFW"); },
         [](Reentrancy& t) { EXPECT_EQ(t.phone->GetFile("B", "local.bin"), kLocal); }},
        {"erasing", 40,
         [](Reentrancy& t) {
             t.OpenUser();
             t.SelectPhone({"one.txt", "two.txt", "three.txt"});
             t.prompts.yesNo = {true, true};  // should the erase ask first
             QTest::keyClick(t.form->Phone().List(), Qt::Key_F8);
         },
         [](Reentrancy& t) { return t.session->State() == S::Running && t.Sent("AT+FSFE"); },
         [](Reentrancy& t) {
             EXPECT_FALSE(t.phone->GetFile("B", "one.txt"));
             EXPECT_FALSE(t.phone->GetFile("B", "three.txt"));
             t.prompts.yesNo.clear();
             t.prompts.shown.clear();  // the erase's own question
         }},
        {"pinging", 300,
         [](Reentrancy& t) {
             t.form->ActivatePhonePane();
             // A keep-alive of the session's own may be under way: once it has ended, the
             // ping starts here, and the phase lasts as long as the phone takes to answer.
             t.Settle();
             t.session->KeepAliveTick();
             EXPECT_EQ(t.session->State(), SessionState::Pinging)
                 << "ready " << t.session->PhoneReady() << ", modal "
                 << (QApplication::activeModalWidget()
                         ? QApplication::activeModalWidget()->objectName().toStdString()
                         : std::string("none"));
         },
         [](Reentrancy& t) { return t.session->State() == S::Pinging; },
         [](Reentrancy& t) { EXPECT_TRUE(t.session->KeepAliveArmed()); }, false},
    };
}

TEST_F(Reentrancy, EveryEntryPointAtEveryPhaseIsRefusedNeverNested) {
    for (const Phase& phase : Phases()) {
        SCOPED_TRACE(phase.Name);
        BootSlow(phase.LatencyMs, phase.Echo);
        ASSERT_FALSE(HasFatalFailure());
        PhaseFirer firer(*this, [&] { return phase.InPhase(*this); });
        phase.Start(*this);
        ASSERT_TRUE(WaitUntil([&] { return firer.Fired(); }, 20000));
        Settle();
        EXPECT_TRUE(firer.BrokeOut().empty()) << firer.BrokeOut().front();
        phase.Check(*this);
        EXPECT_EQ(phone->Interleaved(), 0);
        EXPECT_TRUE(prompts.shown.empty()) << prompts.shown.front().Text;
        EXPECT_EQ(dialogsAsked, 0);
        EXPECT_EQ(foldersAsked, 0);
        // Usable afterwards: the next command runs.
        ExpectIdle();
        EXPECT_TRUE(form->PhoneReady());
        form->ActivatePhonePane();
        phone->ClearReceived();
        QTest::keyClick(form->Phone().List(), Qt::Key_F4);
        Settle();
        EXPECT_TRUE(Sent("AT+FS")) << "F4 after the phase";
        EXPECT_EQ(phone->Interleaved(), 0);
        Close();
        form.reset();
        dialogsAsked = foldersAsked = 0;
        prompts.shown.clear();
    }
}

TEST_F(Reentrancy, EntryPointsWhileConnectingAreRefused) {
    StartSlowPhone(30);
    PhaseFirer firer(*this, [this] {
        return session && session->State() == SessionState::Connecting && Sent("AT+CGMM");
    });
    ShowTheWindow();
    ASSERT_TRUE(WaitUntil([&] { return firer.Fired(); }, 20000));
    WaitForStartUp();
    EXPECT_TRUE(firer.BrokeOut().empty()) << firer.BrokeOut().front();
    EXPECT_TRUE(form->PhoneReady());
    EXPECT_EQ(phone->Interleaved(), 0);
    EXPECT_EQ(dialogsAsked, 0);
    EXPECT_TRUE(prompts.shown.empty());
}

TEST_F(Reentrancy, EntryPointsWhileAQuestionIsOpenWaitForIt) {
    // The rename dialog belongs to the rename: while it is up nothing else reaches the phone,
    // not even the keep-alive.
    BootSlow(5);
    OpenUser();
    SelectPhone({"one.txt"});
    PhaseFirer firer(*this, [this] { return form->Renames()->isVisible(); });
    firer.Then([this] { form->Renames()->findChild<QPushButton*>("RenCancel")->click(); });
    phone->ClearReceived();
    QTest::keyClick(form->Phone().List(), Qt::Key_F6);
    ASSERT_TRUE(WaitUntil([&] { return firer.Fired(); }, 20000));
    Settle();
    EXPECT_TRUE(firer.BrokeOut().empty()) << firer.BrokeOut().front();
    EXPECT_EQ(phone->Received(), "");
    EXPECT_EQ(phone->Interleaved(), 0);
    EXPECT_EQ(dialogsAsked, 0);
    EXPECT_TRUE(prompts.shown.empty());
    EXPECT_TRUE(phone->GetFile("B", "one.txt"));
}

// Closing at each phase: the operation stops at its next safe point, then the port closes,
// the settings are saved and the window goes; no box after that, nothing left half done.
TEST_F(Reentrancy, CloseDuringEachPhaseWaitsForTheSafePointThenGoes) {
    for (const Phase& phase : Phases()) {
        if (std::string(phase.Name) == "pinging") continue;
        SCOPED_TRACE(phase.Name);
        BootSlow(phase.LatencyMs);
        ASSERT_FALSE(HasFatalFailure());
        bool closeAsked = false;
        PhaseFirer firer(*this, [&] {
            if (!closeAsked && phase.InPhase(*this)) {
                closeAsked = true;
                form->close();
                // The operation is still on its way: the window waits for it.
                EXPECT_TRUE(form->isVisible());
                EXPECT_EQ(session->State(), SessionState::Closing);
            }
            return closeAsked && form->isVisible();
        });
        phase.Start(*this);
        ASSERT_TRUE(WaitUntil([&] { return closeAsked && !form->isVisible(); }, 30000));
        EXPECT_FALSE(link->Port.Connected());
        EXPECT_TRUE(prompts.shown.empty() || std::string(phase.Name) == "erasing")
            << prompts.shown.front().Text;
        EXPECT_EQ(phone->Interleaved(), 0);
        EXPECT_TRUE(ReadLocal(configDir.filePath("Q7K3FileManager.conf")).find("LastPath=") !=
                    std::string::npos);
        // No file under a temporary name, and nothing half written under the user's own.
        for (const auto& file : phone->ListFiles("B"))
            EXPECT_EQ(file.Name.find("~q7k3~"), std::string::npos) << file.Name;
        if (const auto local = phone->GetFile("B", "local.bin")) EXPECT_EQ(*local, kLocal);
        EXPECT_TRUE(!QFileInfo::exists(localDir.filePath("big.bin")) ||
                    ReadLocal(localDir.filePath("big.bin")) == kBig);
        session.reset();
        form.reset();
        port.reset();
        link.reset();
        phone->Stop();
        prompts.shown.clear();
        prompts.yesNo.clear();
    }
}

// ---- the faults of the window that waited for the phone -------------------------------

TEST_F(Reentrancy, RenameDialogOpenWhenThePhoneGoesDoesNotCrash) {
    BootSlow(0);
    OpenUser();
    SelectPhone({"one.txt"});
    // The phone goes while the dialog is up; the keep-alive comes meanwhile; then OK.
    PhaseFirer firer(*this, [this] { return form->Renames()->isVisible(); });
    firer.Then([this] {
        phone->Stop();
        session->KeepAliveTick();
        form->Renames()->RenName->setText("renamed.txt");
        form->Renames()->findChild<QPushButton*>("RenOK")->click();
    });
    prompts.dialogAnswers = {false};
    QTest::keyClick(form->Phone().List(), Qt::Key_F6);
    ASSERT_TRUE(WaitUntil([&] { return firer.Fired(); }, 20000));
    Settle();
    // One report, and the window without a phone, usable.
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_FALSE(form->PhoneReady());
    EXPECT_TRUE(form->isEnabled());
}

TEST_F(Reentrancy, F5WhileThePingWaitsRunsAfterItWithoutAFalseTimeOut) {
    BootSlow(300, false);
    OpenUser();
    SelectPhone({"one.txt"});
    phone->ClearReceived();
    session->KeepAliveTick();
    ASSERT_EQ(session->State(), SessionState::Pinging);
    form->DispatchFunctionKey(Qt::Key_F5);
    Settle();
    Settle();
    EXPECT_EQ(ReadLocal(localDir.filePath("one.txt")), std::string(700, 'o'));
    EXPECT_TRUE(prompts.shown.empty()) << prompts.shown.front().Text;
    EXPECT_FALSE(Sent("ATZ\r")) << "no port cycle: " << phone->Received();
    EXPECT_EQ(phone->Interleaved(), 0);
}

TEST_F(Reentrancy, CloseWhileARenameWritesLeavesTheFileWholeUnderOneOfItsNames) {
    BootSlow(10);
    OpenUser();
    SelectPhone({"big.bin"});
    bool closeAsked = false;
    PhaseFirer firer(*this, [&] {
        if (form->Renames()->isVisible()) {
            form->Renames()->RenName->setText("moved.bin");
            form->Renames()->findChild<QPushButton*>("RenOK")->click();
        } else if (!closeAsked && Sent("AT+FSFW")) {
            // Past the erase of the old name: the file is only on the computer now.
            closeAsked = true;
            form->close();
        }
        return closeAsked;
    });
    QTest::keyClick(form->Phone().List(), Qt::Key_F6);
    ASSERT_TRUE(WaitUntil([&] { return closeAsked && !form->isVisible(); }, 30000));
    const auto moved = phone->GetFile("B", "moved.bin");
    const auto old = phone->GetFile("B", "big.bin");
    EXPECT_TRUE((moved && *moved == kBig) || (old && *old == kBig));
    for (const auto& file : phone->ListFiles("B"))
        EXPECT_EQ(file.Name.find("~q7k3~"), std::string::npos) << file.Name;
    session.reset();
    form.reset();
}

TEST_F(Reentrancy, ThePreviewAfterThePhoneIsGoneSaysSoAndNothingElse) {
    BootSlow(0);
    OpenUser();
    SelectPhone({"one.txt", "two.txt", "three.txt"});
    PreviewWindow& preview = Preview(*form);
    preview.SetTempFileName(S(QDir(localDir.path()).filePath("Q7K3FM.TMP")));
    prompts.dialogAnswers = {false};
    bool stepped = false;
    QTimer driver;
    QObject::connect(&driver, &QTimer::timeout, [&] {
        if (!preview.isVisible() || session->Busy()) return;
        if (!stepped) {
            stepped = true;
            phone->Stop();
            // Every way of stepping, and the window activated again and again.
            for (int i = 0; i < 3; ++i) {
                preview.NextBtnClick();
                preview.PrevBtnClick();
                QEvent activate(QEvent::WindowActivate);
                QApplication::sendEvent(&preview, &activate);
            }
            return;
        }
        preview.reject();
        driver.stop();
    });
    driver.start(20);
    RunViewCommand(*form);
    Settle();
    // The moves made while the first read was under way wait for it; the lost link is said
    // (every later move says it again, see the preview's own test), and nothing else is.
    size_t lost = 0;
    for (const auto& shown : prompts.shown) lost += shown.Text == Msg(kMsgLostLink);
    EXPECT_EQ(lost, prompts.shown.size());
    EXPECT_GE(lost, 1u);
}

// Last of all: the exit it asks for would end every later dialog of this process at once.
TEST_F(Reentrancy, ExitDuringThePingClosesAfterItWithThePortShut) {
    BootSlow(300, false);
    session->KeepAliveTick();
    ASSERT_EQ(session->State(), SessionState::Pinging);
    form->ExitClick();
    EXPECT_EQ(session->State(), SessionState::Closing);
    Settle();
    EXPECT_FALSE(link->Port.Connected());
    EXPECT_TRUE(prompts.shown.empty());
    EXPECT_EQ(phone->Interleaved(), 0);
}

}  // namespace
