// The connection on the virtual clock: a scripted phone behind the in-memory device, so
// time-outs of seconds run at once with the real step counting.
#include <gtest/gtest.h>

#include "link/MemorySerialDevice.h"
#include "link/ScriptedConnection.h"
#include "support/VirtualClock.h"
#include "ui/Messages.h"

using namespace q7k3;
using q7k3::test::ScriptedWindow;
using q7k3::test::VirtualClock;

namespace {

std::string Box(int message) { return "box " + Msg(message) + " / " + Msg(kMsgErrorCaption); }

// Answers like the phone: echo of the command line, then the framed answer.
struct ScriptedPhone {
    std::string model = "SGH-E700";
    bool silent = false;
    bool silentAfterReset = false;
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
        return out + "\r\nERROR\r\n";
    }
    // Bytes the PC wrote; returns what the phone sends back.
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

struct ConnectionFixture : ::testing::Test {
    VirtualClock clock;
    MemorySerialDevice* dev = nullptr;
    std::unique_ptr<TForm10> form10;
    ScriptedPhone phone;
    ScriptedWindow win;
    AppFlags flags;
    std::unique_ptr<Connection> conn;

    void SetUp() override {
        q7k3::test::EnsureCoreApp();
        auto device = std::make_unique<MemorySerialDevice>();
        dev = device.get();
        dev->onWrite = [this](const std::string& bytes) { dev->input += phone.Feed(bytes); };
        form10 = std::make_unique<TForm10>(TCommPortDriver::CreateComm321(std::move(device)),
                                           &clock);
        form10->Comm321.SetPortName("/dev/ttyUSB0");
        form10->Comm321.SetClock([this] { return clock.now; }, [this](int ms) { clock.now += ms; });
        form10->Channel.PollStep = 1;
        clock.onTick = [this](int64_t) { form10->Comm321.PollTick(); };
        conn = std::make_unique<Connection>(*form10, flags, win, win, win);
    }
    TCommPortDriver& Comm() { return form10->Comm321; }
};

TEST_F(ConnectionFixture, DialogComesBackUntilAPortOpensThenIdentifiesAndScans) {
    win.dialogAnswers = {true, true, true};
    win.onDialog = [this](int shown) { dev->refuseOpen = shown < 2; };
    EXPECT_TRUE(conn->FormCreate());
    EXPECT_EQ(win.Only({"dialog", "box", "window", "scan", "progress"}),
              (std::vector<std::string>{"dialog", Box(kMsgCannotOpenPort), "dialog",
                                        Box(kMsgCannotOpenPort), "dialog", "window disabled",
                                        "window disabled", "scan", "progress hidden",
                                        "window enabled"}));
    EXPECT_EQ(dev->written, "ATZ\r\nAT+CGMM\r\n");
    EXPECT_EQ(form10->Channel.PhoneModel, "SGH-E700");
    EXPECT_EQ(win.longStatus, Msg(36));
    EXPECT_TRUE(Comm().Connected());
    EXPECT_TRUE(conn->KeepAliveArmed());
    EXPECT_EQ(form10->TransferBuffer.size(), 1048576u);

    // Without infrared the link stays silent between commands.
    flags.IRDAReq = false;
    conn->ArmKeepAlive();
    EXPECT_FALSE(conn->KeepAliveArmed());
}

TEST_F(ConnectionFixture, EachFailureShowsItsBoxClosesThePortAndAsksAgain) {
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
        SCOPED_TRACE(row.what);
        win.events.clear();
        phone.model = row.model;
        phone.silent = row.silent;
        phone.silentAfterReset = row.silentAfterReset;
        win.dialogAnswers = {true};
        const int64_t start = clock.now;
        EXPECT_FALSE(conn->FormCreate());
        EXPECT_GE(clock.now - start, row.atLeastMs);
        EXPECT_LT(clock.now - start, row.atLeastMs + 100);
        EXPECT_EQ(win.Only({"dialog", "box", "scan"}),
                  (std::vector<std::string>{"dialog", Box(row.message), "dialog"}));
        EXPECT_EQ(win.events.back(), "window enabled");
        EXPECT_FALSE(Comm().Connected());
        EXPECT_FALSE(conn->KeepAliveArmed());
    }
}

TEST_F(ConnectionFixture, FailedScanLeavesNoLinkAndBringsTheDialogBack) {
    win.onScan = [] { return false; };
    ASSERT_TRUE(Comm().Connect());
    EXPECT_FALSE(conn->IdentifyPhone());
    EXPECT_EQ(win.Only({"dialog", "box", "scan", "progress", "tree"}),
              (std::vector<std::string>{"scan", "progress hidden", "tree dropped", "dialog"}));
    EXPECT_FALSE(Comm().Connected());
    EXPECT_FALSE(conn->KeepAliveArmed());
}

TEST(SessionGuardText, EveryReasonHasItsText) {
    EXPECT_EQ(SessionGuardText(1, ""), "Время ожидания истекло");
    EXPECT_EQ(SessionGuardText(2, ""), "Невозможно открыть файл ");
    EXPECT_EQ(SessionGuardText(3, ""), "Ошибка контрольной суммы");
    EXPECT_EQ(SessionGuardText(4, ""), "Ни одного JAR файла не найдено");
    EXPECT_EQ(SessionGuardText(5, "своё"), "своё");
    EXPECT_EQ(SessionGuardText(6, ""), Msg(kMsgBadAnswer));
    EXPECT_EQ(SessionGuardText(11, ""), "Файл не найден");
    EXPECT_EQ(SessionGuardText(105, ""), "Ошибка контрольной суммы");
    EXPECT_EQ(SessionGuardText(2000, ""), "Файл не найден");
    EXPECT_EQ(SessionGuardText(2007, ""), "Память заполнена");
    EXPECT_EQ(SessionGuardText(0, "x"), "0");
    EXPECT_EQ(SessionGuardText(-3, ""), "-3");
    EXPECT_EQ(ModelCode("SGH-E700"), "E700");
}

TEST_F(ConnectionFixture, TimeOutCyclesThePortResetsAndRereadsTheSubfolder) {
    win.dialogAnswers = {true};
    ASSERT_TRUE(conn->FormCreate());
    for (const bool atRoot : {false, true}) {
        SCOPED_TRACE(atRoot ? "at the root" : "in a subfolder");
        win.events.clear();
        dev->written.clear();
        win.atRoot = atRoot;
        const int opens = dev->opens;
        const int64_t start = clock.now;
        form10->Channel.LastError = kErrTimeout;
        conn->SessionGuard();
        EXPECT_EQ(dev->opens, opens + 1);
        EXPECT_GE(clock.now - start, Connection::kRecoveryPauseMs);
        EXPECT_EQ(dev->written, "ATZ\r\n");
        std::vector<std::string> expected = {Box(kMsgTimeout), "progress hidden"};
        if (!atRoot) expected.push_back("rescan");
        expected.push_back("window enabled");
        EXPECT_EQ(win.events, expected);
        EXPECT_TRUE(Comm().Connected());
    }

    // Another reason: its box, no port cycle; LastError 0 shows as the number.
    win.events.clear();
    dev->written.clear();
    form10->Channel.LastError = 0;
    conn->SessionGuard();
    EXPECT_EQ(win.events.front(), "box 0 / Ошибка");
    EXPECT_EQ(dev->written, "");
}

TEST_F(ConnectionFixture, KeepAlivePingsOnlyWhileThePhoneIsReady) {
    ASSERT_TRUE(Comm().Connect());
    win.phoneReady = false;
    conn->IRDATimerTimer();
    EXPECT_EQ(dev->written, "");
    EXPECT_TRUE(conn->KeepAliveArmed());

    win.phoneReady = true;
    conn->IRDATimerTimer();
    EXPECT_EQ(dev->written, "\r");
    EXPECT_TRUE(conn->KeepAliveArmed());
    EXPECT_TRUE(win.events.empty());

    flags.IRDAReq = false;
    conn->IRDATimerTimer();
    EXPECT_FALSE(conn->KeepAliveArmed());

    // A phone that stopped answering: reported and recovered like any lost link; the
    // timer stays stopped.
    flags.IRDAReq = true;
    dev->written.clear();
    phone.silent = true;
    conn->IRDATimerTimer();
    EXPECT_EQ(dev->written.substr(0, 1), "\r");
    EXPECT_EQ(win.Only({"box"}).front(), Box(kMsgTimeout));
    EXPECT_FALSE(conn->KeepAliveArmed());
}

}  // namespace
