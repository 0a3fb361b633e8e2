// The link against the phone emulator over a real pseudo-terminal, in real time: the
// identify command of the CLI, the connection's boxes in the order the user meets them,
// and recovery after a lost answer.
#include <gtest/gtest.h>

#include <memory>

#include <QCoreApplication>

#include "link/Connection.h"
#include "base/Failure.h"
#include "settings/SettingsStore.h"
#include "support/CliRun.h"
#include "support/EmulatorProcess.h"
#include "support/Reasons.h"
#include "support/ScriptedUi.h"
#include "base/Messages.h"

using namespace q7k3;
using q7k3::test::CliResult;
using q7k3::test::EmulatorProcess;
using q7k3::test::ReadAll;
using q7k3::test::RunCli;
using q7k3::test::ScriptedUi;

namespace {

// A box as the window shows it: a time-out says what to check, a silent phone names its port.
std::string Box(int message, const std::string& port = {}) {
    std::string text = Msg(message);
    if (message == kMsgTimeout) text = FailureReport(kErrTimeout, "");
    if (message == kMsgPhoneSilent) text = SilentPhoneText(port);
    return "box " + text + " / " + Msg(kMsgErrorCaption);
}

TEST(IdentifyCommand, PrintsEachSupportedModel) {
    for (const char* model : {"SGH-Q7K3", "SGH-X600", "SGH-E100", "SGH-E700", "SGH-E800"}) {
        SCOPED_TRACE(model);
        EmulatorProcess phone({"--model", model});
        ASSERT_TRUE(phone.Started()) << phone.Error();
        const CliResult r = RunCli({"--port", phone.TtyPath(), "identify"});
        EXPECT_EQ(r.code, 0) << r.err;
        EXPECT_EQ(r.out, std::string(model) + "\n");
        EXPECT_EQ(r.err, "");
    }
}

TEST(IdentifyCommand, RefusalsSilenceAndMissingPortsGiveTheCatalogueText) {
    struct Row {
        std::vector<std::string> phoneArgs;  // empty: no phone at all
        int message;
    };
    const Row rows[] = {
        {{"--model", "SGH-D500"}, kMsgModelNotSupported},
        {{"--model", "SGH-E700 "}, kMsgModelNotSupported},
        {{"--model", "ERROR"}, kMsgModelNotSupported},
        {{"--silent-after", "0"}, kMsgPhoneSilent},
        {{}, kMsgCannotOpenPort},
    };
    for (const Row& row : rows) {
        std::unique_ptr<EmulatorProcess> phone;
        std::string port = "/nonexistent/ttyUSB9";
        if (!row.phoneArgs.empty()) {
            phone = std::make_unique<EmulatorProcess>(row.phoneArgs);
            ASSERT_TRUE(phone->Started()) << phone->Error();
            port = phone->TtyPath();
        }
        SCOPED_TRACE(Msg(row.message));
        const CliResult r = RunCli({"identify", "--port", port, "--sleep", "1"});
        EXPECT_NE(r.code, 0);
        EXPECT_EQ(r.out, "");
        EXPECT_NE(r.err.find(Msg(row.message)), std::string::npos) << r.err;
    }
}

struct EmulatorConnection : ::testing::Test {
    std::unique_ptr<PhoneLink> link;
    ScriptedUi win;
    AppFlags flags;
    std::unique_ptr<PhoneSession> conn;

    void SetUp() override {
        static int argc = 1;
        static char name[] = "link_tests";
        static char* argv[] = {name, nullptr};
        if (!QCoreApplication::instance()) new QCoreApplication(argc, argv);
        link = std::make_unique<PhoneLink>();
        link->Port.SetBaudRateValue(115200);
        link->Channel.PollStep = 1;
        conn = std::make_unique<PhoneSession>(*link, flags, win, win, win, win,
                                              PhoneSession::Threading::Inline);
    }
    // Into a real folder, so that the report reads it again.
    void IntoSubfolder() {
        ASSERT_TRUE(conn->OpenFolder("User"));
        win.events.clear();
    }
};

TEST_F(EmulatorConnection, BoxesComeInOrderUntilASupportedPhoneAnswers) {
    const std::string ini = testing::TempDir() + "/Q7K3FileManager.conf";
    {
        SettingsStore store(ini);
        store.WriteBool("MelConvertion", true);
        ASSERT_TRUE(store.Flush());
        LoadSettings(store, {nullptr, nullptr, &flags, nullptr, nullptr});
    }
    ASSERT_TRUE(flags.MelConvertion);
    // The last phone is paced at 9600 bit/s, so its "OK" trails the model line.
    const std::vector<std::vector<std::string>> phones = {
        {"--model", "SGH-D500"},
        {"--model", "SGH-E700 "},
        {"--model", "ERROR"},
        {"--silent-after", "0"},
        {"--model", "SGH-E800", "--baud", "9600"}};
    std::unique_ptr<EmulatorProcess> phone;
    std::string silentPort;
    win.dialogAnswers = {true, true, true, true, true};
    win.onDialog = [&](int shown) {
        phone.reset();
        phone = std::make_unique<EmulatorProcess>(phones.at(static_cast<size_t>(shown)));
        ASSERT_TRUE(phone->Started()) << phone->Error();
        link->Port.SetPortName(phone->TtyPath());
        if (shown == 3) silentPort = phone->TtyPath();
    };
    win.yesNo = {true};  // the last phone holds no file: go on
    EXPECT_TRUE(q7k3::test::DialogLoopNow(*conn));
    EXPECT_EQ(
        win.Only({"dialog", "box"}),
        (std::vector<std::string>{"dialog", Box(kMsgModelNotSupported), "dialog",
                                  Box(kMsgModelNotSupported), "dialog", Box(kMsgModelNotSupported),
                                  "dialog", Box(kMsgPhoneSilent, silentPort), "dialog"}));
    EXPECT_TRUE(conn->PhoneReady());
    EXPECT_EQ(link->Channel.PhoneModel, "SGH-E800");
    // Nothing of the model query is left over to pass for the next command's answer.
    CommandSpec change;
    change.text = "AT+FSCD=\"no such folder\"\r\n";
    EXPECT_EQ(test::ReasonOf(link->Channel.RunCommand(change)), kErrPhoneNotFound);
    // Off for this run; what the user chose stays stored.
    EXPECT_FALSE(flags.MelConvertion);
    SettingsStore again(ini);
    EXPECT_TRUE(again.ReadBool("MelConvertion", false));
}

// A command the phone leaves unanswered, as a window command would run it.
bool CommandTimesOut(AtChannel& ch) {
    CommandSpec spec;
    spec.text = "AT+FSCD=\"B\"\r\n";
    spec.firstTimeoutMs = 400;
    return test::ReasonOf(ch.RunCommand(spec)) == kErrTimeout;
}

TEST_F(EmulatorConnection, TimeOutCyclesThePortAndResetsThePhoneThatCameBack) {
    const std::string portLink = testing::TempDir() + "/sgh-phone";
    const std::string log = testing::TempDir() + "/phone-back.log";
    // Echo off: a silent emulator would still echo what it receives.
    auto phone = std::make_unique<EmulatorProcess>(
        std::vector<std::string>{"--silent-after", "29", "--echo", "off", "--link", portLink});
    ASSERT_TRUE(phone->Started()) << phone->Error();
    link->Port.SetPortName(portLink);
    win.dialogAnswers = {true};
    win.yesNo = {true};
    ASSERT_TRUE(q7k3::test::DialogLoopNow(*conn));
    IntoSubfolder();
    ASSERT_TRUE(CommandTimesOut(link->Channel));

    // While the box is up, the phone comes back on the same port.
    win.onBox = [&] {
        phone.reset();
        phone = std::make_unique<EmulatorProcess>(
            std::vector<std::string>{"--link", portLink, "--log", log});
    };
    win.events.clear();
    conn->SessionGuard({kErrTimeout, {}});
    ASSERT_TRUE(phone->Started()) << phone->Error();
    // The box comes once the progress dialog has gone.
    EXPECT_EQ(win.events,
              (std::vector<std::string>{"busy", "progress hidden", Box(kMsgTimeout),
                                        "progress hidden", "folder changed", "idle"}));
    EXPECT_TRUE(link->Port.Connected());
    EXPECT_EQ(q7k3::test::CountOf(ReadAll(log), "PC> ATZ"), 1u);

    // The keep-alive pings only while the phone is ready, and the phone answers it.
    win.onBox = nullptr;
    win.events.clear();
    conn->KeepAliveTick();
    EXPECT_TRUE(win.events.empty());
    EXPECT_TRUE(conn->KeepAliveArmed());
    EXPECT_EQ(q7k3::test::CountOf(ReadAll(log), "PC> \\r\n"), 1u);
}

TEST_F(EmulatorConnection, PhoneThatStaysSilentEndsInTheConnectionDialog) {
    EmulatorProcess phone({"--silent-after", "29", "--echo", "off"});
    ASSERT_TRUE(phone.Started()) << phone.Error();
    link->Port.SetPortName(phone.TtyPath());
    win.dialogAnswers = {true, false};
    win.yesNo = {true};
    ASSERT_TRUE(q7k3::test::DialogLoopNow(*conn));
    ASSERT_TRUE(CommandTimesOut(link->Channel));
    win.events.clear();
    conn->SessionGuard({kErrTimeout, {}});
    // The dialog comes once the window is usable again.
    EXPECT_EQ(win.events,
              (std::vector<std::string>{"busy", "progress hidden", Box(kMsgTimeout),
                                        "progress hidden", "tree changed", "idle", "dialog"}));
    EXPECT_FALSE(link->Port.Connected());
    EXPECT_FALSE(conn->KeepAliveArmed());
}

}  // namespace
