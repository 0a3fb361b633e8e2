// The phone session on the virtual clock: a scripted phone behind the in-memory device, so
// time-outs of seconds run at once with the real step counting. What the person at the
// screen sees comes from the one set of scripted fakes.
#include <gtest/gtest.h>

#include "ports/PortDiagnostics.h"

#include <QCoreApplication>

#include "link/Connection.h"
#include "link/MemorySerialDevice.h"
#include "phonefs/FileListCache.h"
#include "session/PhoneSession.h"
#include "support/Reasons.h"
#include "support/ScriptedUi.h"
#include "support/VirtualClock.h"
#include "base/Messages.h"

using namespace q7k3;
using q7k3::test::ScriptedUi;
using q7k3::test::VirtualClock;
using q7k3::test::DialogLoopNow;
using q7k3::test::RescanNow;
using q7k3::test::RunNow;
using q7k3::test::StartNow;

namespace {

// A box as the window shows it: a time-out says what to check, a silent phone names its port.
std::string Box(int message) {
    std::string text = Msg(message);
    if (message == kMsgTimeout) text = FailureReport(kErrTimeout, "");
    if (message == kMsgPhoneSilent) text = SilentPhoneText("/dev/ttyUSB0");
    return "box " + text + " / " + Msg(kMsgErrorCaption);
}

// Answers like the phone: echo of the command line, then the framed answer. Every folder
// holds one file unless the phone is empty.
struct ScriptedPhone {
    std::string model = "SGH-E700";
    bool silent = false;
    bool silentAfterReset = false;
    bool empty = false;
    int commands = 0;
    std::string line;

    std::string Answer(const std::string& command) {
        ++commands;
        if (silent || (silentAfterReset && command != "ATZ")) return {};
        std::string out = command + "\r";
        if (command == "ATZ") return out + "\r\nOK\r\n";
        if (command == "AT+CGMM") {
            if (model == "ERROR") return out + "\r\nERROR\r\n";
            return out + "\r\n" + model + "\r\n\r\nOK\r\n";
        }
        if (command.empty()) return "\r\nOK\r\n";  // the keep-alive's lone CR
        if (command.rfind("AT+FSCD=", 0) == 0) return out + "\r\nOK\r\n";
        if (command.rfind("AT+FSDL=", 0) == 0) {
            if (empty) return out + "\r\nOK\r\n";
            return out + "\r\n+FSDL: \"a.txt\",0,0,0,0,10,\"2005/06/07 08:09:10\"\r\n\r\nOK\r\n";
        }
        return out + "\r\nERROR\r\n";
    }
    std::string Feed(const std::string& bytes) {
        std::string reply;
        for (char c : bytes) {
            if (c == '\n') continue;
            if (c == '\r') {
                reply += Answer(line);
                line.clear();
            } else {
                line += c;
            }
        }
        return reply;
    }
};

struct SessionFixture : ::testing::Test {
    VirtualClock clock;
    MemorySerialDevice* dev = nullptr;
    std::unique_ptr<PhoneLink> link;
    ScriptedPhone phone;
    ScriptedUi ui;
    AppFlags flags;
    std::unique_ptr<PhoneSession> session;

    void SetUp() override {
        static int argc = 1;
        static char name[] = "phonefs_tests";
        static char* argv[] = {name, nullptr};
        if (!QCoreApplication::instance()) new QCoreApplication(argc, argv);
        auto device = std::make_unique<MemorySerialDevice>();
        dev = device.get();
        dev->onWrite = [this](const std::string& bytes) { dev->input += phone.Feed(bytes); };
        link = std::make_unique<PhoneLink>(SerialPort::CreatePhonePort(std::move(device)), &clock);
        link->Port.SetPortName("/dev/ttyUSB0");
        link->Port.SetClock([this] { return clock.now; }, [this](int ms) { clock.now += ms; });
        link->Channel.PollStep = 1;
        clock.onTick = [this](int64_t) { link->Port.PollTick(); };
        session = std::make_unique<PhoneSession>(*link, flags, ui, ui, ui, ui,
                                                 PhoneSession::Threading::Inline);
    }
    void TearDown() override {
        // Whatever happened, the window is usable again and no dialog came while busy.
        EXPECT_FALSE(ui.busy);
        for (const auto& e : ui.events) EXPECT_NE(e, "dialog (window busy)");
    }
    SerialPort& Comm() { return link->Port; }
    // Connects and scans; the current folder then is a real subfolder when `sub`.
    void Connect(bool sub) {
        ui.dialogAnswers = {true};
        ASSERT_TRUE(DialogLoopNow(*session));
        if (sub) {
            ASSERT_TRUE(session->OpenFolder("User"));
            ASSERT_FALSE(session->CurrentFolder()->IsVirtual());
        }
        ui.events.clear();
        dev->written.clear();
    }
};

TEST_F(SessionFixture, DialogComesBackUntilAPortOpensThenIdentifiesAndScans) {
    ui.dialogAnswers = {true, true, true};
    ui.onDialog = [this](int shown) { dev->refuseOpen = shown < 2; };
    EXPECT_TRUE(DialogLoopNow(*session));
    // The box says why the port did not open (here: there is no such device).
    const std::string refused =
        "box " + PortOpenFailureText(link->Port.PortName()) + " / " + Msg(kMsgErrorCaption);
    EXPECT_EQ(refused.rfind("box " + Msg(kMsgCannotOpenPort), 0), 0u);
    EXPECT_EQ(
        ui.Only({"dialog", "box", "busy", "idle"}),
        (std::vector<std::string>{"dialog", "busy", refused, "idle", "dialog", "busy", refused,
                                  "idle", "dialog", "busy", "idle"}));
    EXPECT_EQ(dev->written.substr(0, 23), "ATZ\r\nAT+CGMM\r\nAT+CGMM\r\n");
    EXPECT_EQ(ui.model, "SGH-E700");
    EXPECT_EQ(ui.longStatus, Msg(kMsgInitializing));
    EXPECT_TRUE(Comm().Connected());
    EXPECT_TRUE(session->PhoneReady());
    EXPECT_EQ(session->CurrentFolder(), session->Root());
    EXPECT_TRUE(session->KeepAliveArmed());
    EXPECT_FALSE(ScratchFileName().empty());
}

TEST_F(SessionFixture, EachFailedStartShowsItsBoxThenAUsableDialog) {
    struct Row {
        const char* what;
        std::string model;
        bool silent;
        bool silentAfterReset;
        int message;
        int64_t atLeastMs;  // how long the phone is given
    };
    const Row rows[] = {
        {"silent phone", "SGH-E700", true, false, kMsgPhoneSilent, 2000},
        {"model query unanswered", "SGH-E700", false, true, kMsgPhoneSilent, 7500},
        {"query refused", "ERROR", false, false, kMsgModelNotSupported, 0},
        {"trailing blank", "SGH-E700 ", false, false, kMsgModelNotSupported, 0},
        {"other model", "SGH-D500", false, false, kMsgModelNotSupported, 0},
    };
    for (const Row& row : rows) {
        for (const bool stored : {false, true}) {
            SCOPED_TRACE(std::string(row.what) + (stored ? ", stored port" : ", first run"));
            ui.events.clear();
            phone.model = row.model;
            phone.silent = row.silent;
            phone.silentAfterReset = row.silentAfterReset;
            ui.dialogAnswers = stored ? std::deque<bool>{false} : std::deque<bool>{true, false};
            const int64_t start = clock.now;
            EXPECT_FALSE(StartNow(*session, stored));
            EXPECT_GE(clock.now - start, row.atLeastMs);
            EXPECT_LT(clock.now - start, row.atLeastMs + 100);
            std::vector<std::string> seen = {Box(row.message), "dialog"};
            if (!stored) seen.insert(seen.begin(), "dialog");
            EXPECT_EQ(ui.Only({"dialog", "box"}), seen);
            EXPECT_FALSE(ui.busy);
            EXPECT_FALSE(Comm().Connected());
            EXPECT_FALSE(session->KeepAliveArmed());
        }
    }
}

TEST_F(SessionFixture, AnEmptyPhoneAsksAndNoBringsTheDialogBackWithoutATree) {
    phone.empty = true;
    ui.dialogAnswers = {true, false};
    ui.yesNo = {false};
    EXPECT_FALSE(DialogLoopNow(*session));
    EXPECT_EQ(
        ui.Only({"dialog", "ask", "box"}),
        (std::vector<std::string>{
            "dialog", "ask " + Msg(kMsgNotPatched) + " / " + Msg(kMsgAttentionCaption), "dialog"}));
    EXPECT_FALSE(session->PhoneReady());
    EXPECT_FALSE(Comm().Connected());
}

TEST_F(SessionFixture, RunBracketsEveryWayOutAndReportsAFailureOnce) {
    Connect(true);
    // Stopped by the user: no report, everything restored.
    BusyView view;
    view.QuickStatus = "q";
    EXPECT_EQ(RunNow(*session, view, [](PhoneFs&) { return Outcome::Stopped; }), Outcome::Stopped);
    EXPECT_EQ(ui.events,
              (std::vector<std::string>{"busy", "progress shown", "progress hidden", "idle"}));
    EXPECT_TRUE(session->KeepAliveArmed());

    // A refusal: its box once, after the progress dialog has gone, the folder read again,
    // no port cycle.
    ui.events.clear();
    const int opens = dev->opens;
    EXPECT_EQ(RunNow(*session, {},
                     [](PhoneFs&) {
                         return Outcome::Failed({kErrPhoneMemoryFull, {}});
                     }),
              Outcome::Failed({}));
    EXPECT_EQ(ui.Only({"box", "progress hidden"}),
              (std::vector<std::string>{"progress hidden", Box(kMsgMemoryFull), "progress hidden"}));
    EXPECT_EQ(dev->opens, opens);
    EXPECT_NE(dev->written.find("AT+FSDL="), std::string::npos);
    EXPECT_EQ(ui.events.back(), "idle");

    // Never nested: an operation that asks for another is refused, and only its own
    // failure is reported.
    ui.events.clear();
    BusyView quiet;
    quiet.ShowProgress = false;
    bool innerRan = false;
    session->Run(quiet, [&](PhoneFs&) {
        EXPECT_FALSE(RunNow(*session, {}, [&](PhoneFs&) {
                         innerRan = true;
                         return Outcome::Failed({kErrTimeout, {}});
                     }).has_value());
        return Outcome::Failed({kErrChecksum, {}});
    });
    EXPECT_FALSE(innerRan);
    EXPECT_EQ(ui.Only({"box"}), (std::vector<std::string>{Box(kMsgChecksum)}));
}

TEST_F(SessionFixture, TimeOutCyclesThePortResetsAndRereadsTheSubfolderOnly) {
    for (const bool sub : {true, false}) {
        SCOPED_TRACE(sub ? "in a subfolder" : "at the root");
        Connect(sub);
        const int opens = dev->opens;
        const int64_t start = clock.now;
        session->SessionGuard({kErrTimeout, {}});
        EXPECT_EQ(dev->opens, opens + 1);
        EXPECT_GE(clock.now - start, PhoneSession::kRecoveryPauseMs);
        EXPECT_EQ(dev->written.substr(0, 5), "ATZ\r\n");
        EXPECT_EQ(dev->written.find("AT+FSDL=") != std::string::npos, sub);
        EXPECT_EQ(ui.Only({"box"}), (std::vector<std::string>{Box(kMsgTimeout)}));
        EXPECT_TRUE(Comm().Connected());
        EXPECT_TRUE(session->PhoneReady());
    }
    // Another reason: its box, no port cycle; a reason of 0 shows as the number.
    ui.events.clear();
    dev->written.clear();
    session->SessionGuard({0, {}});
    EXPECT_EQ(ui.Only({"box"}).front(), "box 0 / Ошибка");
    EXPECT_EQ(dev->written, "");
}

TEST_F(SessionFixture, AListingThatNeverEndsIsCutAtItsBoundAndTheLinkRecovered) {
    Connect(true);
    const int opens = dev->opens;
    // On the listing the phone starts sending a byte every 500 ms, for ever; a reset
    // brings it back to its senses, and the folder is read again.
    bool trickling = false, trickled = false;
    int64_t next = 0;
    dev->onWrite = [&](const std::string& bytes) {
        if (bytes.starts_with("AT+FSDL") && !trickled) {
            trickling = trickled = true;
            return;
        }
        if (bytes.starts_with("ATZ")) trickling = false;
        dev->input += phone.Feed(bytes);
    };
    clock.onTick = [&](int64_t now) {
        if (trickling && now >= next) {
            dev->input += "R";
            next = now + 500;
        }
        Comm().PollTick();
    };
    const int64_t start = clock.now;
    EXPECT_EQ(RescanNow(*session), Outcome::Failed({}));
    // The listing's own bound ended it, not the phone: well before a minute.
    EXPECT_LT(clock.now - start, 60000);
    EXPECT_EQ(ui.Only({"box"}), (std::vector<std::string>{Box(kMsgPhoneUnfinished)}));
    EXPECT_EQ(dev->opens, opens + 1);
    EXPECT_TRUE(session->PhoneReady());
    EXPECT_EQ(session->CurrentFolder()->Files.size(), 1u);
    EXPECT_FALSE(ui.busy);
}

TEST_F(SessionFixture, APhoneThatStaysSilentEndsInAUsableDialogWithoutATree) {
    Connect(true);
    phone.silent = true;
    ui.dialogAnswers = {false};
    session->SessionGuard({kErrTimeout, {}});
    EXPECT_EQ(ui.Only({"box", "dialog", "tree"}),
              (std::vector<std::string>{Box(kMsgTimeout), "tree changed", "dialog"}));
    EXPECT_FALSE(session->PhoneReady());
    EXPECT_EQ(session->CurrentFolder(), nullptr);
    EXPECT_FALSE(Comm().Connected());
}

TEST_F(SessionFixture, OpeningAnUnlistedFolderSaysSoInTheStatusBar) {
    Connect(false);
    Tree4* user = FindChild("User", session->Root());
    ASSERT_NE(user, session->Root());
    user->Listed = false;
    FreeFiles(user);
    EXPECT_TRUE(session->OpenFolder("User"));
    EXPECT_EQ(ui.status0, "Обновление текущей папки");
    EXPECT_TRUE(user->Listed);
    EXPECT_FALSE(user->Files.empty());
    // Shown at once as far as it is known, and again once it was read.
    EXPECT_EQ(ui.Only({"folder", "busy", "idle"}),
              (std::vector<std::string>{"folder changed", "busy", "folder changed", "idle"}));
    EXPECT_TRUE(session->OpenFolder(".."));
    EXPECT_EQ(session->CurrentFolder(), session->Root());
    EXPECT_FALSE(session->OpenFolder(".."));
}

TEST_F(SessionFixture, KeepAlivePingsOnlyWhileThePhoneIsReady) {
    ASSERT_TRUE(Comm().Connect());
    session->KeepAliveTick();
    EXPECT_EQ(dev->written, "");
    EXPECT_TRUE(session->KeepAliveArmed());

    Connect(false);
    session->KeepAliveTick();
    EXPECT_EQ(dev->written, "\r");
    EXPECT_TRUE(session->KeepAliveArmed());
    EXPECT_TRUE(ui.Only({"box"}).empty());

    flags.IRDAReq = false;
    session->KeepAliveTick();
    EXPECT_FALSE(session->KeepAliveArmed());

    // A phone that stopped answering: reported and recovered like any lost link.
    flags.IRDAReq = true;
    dev->written.clear();
    phone.silent = true;
    ui.dialogAnswers = {false};
    session->KeepAliveTick();
    EXPECT_EQ(dev->written.substr(0, 1), "\r");
    EXPECT_EQ(ui.Only({"box"}).front(), Box(kMsgTimeout));
    EXPECT_FALSE(session->KeepAliveArmed());
}

}  // namespace

// The state moves only along its table; once the program closes nothing brings it back.
TEST(SessionStates, ClosingLeadsOnlyToClosedAndClosedNowhere) {
    using S = SessionState;
    const S all[] = {S::NoPhone, S::Asking,  S::Connecting, S::Idle,
                     S::Running, S::Pinging, S::Closing,    S::Closed};
    for (const S to : all) {
        EXPECT_EQ(SessionStateFollows(S::Closing, to), to == S::Closed);
        EXPECT_FALSE(SessionStateFollows(S::Closed, to));
    }
    // Nothing runs without a phone, and the port is shut only by the close's last step.
    for (const S from : {S::NoPhone, S::Asking}) EXPECT_FALSE(SessionStateFollows(from, S::Running));
    for (const S from : all)
        EXPECT_EQ(SessionStateFollows(from, S::Closed), from == S::Closing);
}

TEST_F(SessionFixture, AStopSignalWhileTheDialogIsUpKeepsTheSessionClosed) {
    Connect(false);
    ui.onDialog = [this](int) { session->Close(); };
    ui.dialogAnswers = {false};
    session->OpenSettings();
    EXPECT_EQ(session->State(), SessionState::Closed);
    EXPECT_EQ(session->Admit(false), Admission::Closing);
    EXPECT_FALSE(Comm().Connected());
    EXPECT_FALSE(session->KeepAliveArmed());
    EXPECT_FALSE(session->Rescan());
    EXPECT_TRUE(dev->written.empty());
}

TEST_F(SessionFixture, AnAbortPressedAsAnOperationStartsHoldsForIt) {
    Connect(false);
    const auto listings = [this] {
        size_t n = 0;
        for (size_t at = 0; (at = dev->written.find("AT+FSDL=", at)) != std::string::npos; ++at)
            ++n;
        return n;
    };
    ASSERT_TRUE(RescanNow(*session).has_value());
    const size_t whole = listings();
    ASSERT_GT(whole, 1u);
    // The press comes once the operation is admitted, as its progress dialog shows: the scan
    // stops at its next folder, and the abort stays raised until the next operation.
    dev->written.clear();
    const auto press = [this] { flags.AbortRequested = true; };
    ui.onProgressShown = press;
    ASSERT_TRUE(RescanNow(*session).has_value());
    EXPECT_LT(listings(), whole);
    EXPECT_TRUE(flags.AbortRequested);
    ui.onProgressShown = nullptr;
    dev->written.clear();
    ASSERT_TRUE(RescanNow(*session).has_value());
    EXPECT_EQ(listings(), whole);
    // In a subfolder the progress dialog shows as the session admits the operation: a press
    // then is kept too.
    ASSERT_TRUE(session->OpenFolder("User"));
    ui.onProgressShown = press;
    ASSERT_TRUE(RescanNow(*session).has_value());
    EXPECT_TRUE(flags.AbortRequested);
}
