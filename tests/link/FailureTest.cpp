// One reason type, one text for each reason, and the phone's refusals decoded by the
// channel's standard line handling that every command falls through to.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <cerrno>
#include <filesystem>
#include <fstream>

#include "link/Connection.h"
#include "base/Failure.h"
#include "ports/PortDiagnostics.h"
#include "support/VirtualClock.h"
#include "base/Messages.h"

using namespace q7k3;
using q7k3::test::RecordingPort;
using q7k3::test::VirtualClock;

namespace {

TEST(FailureText, EveryReasonHasATextOfItsOwn) {
    for (const FailReason reason : kAllFailReasons) {
        SCOPED_TRACE(static_cast<int>(reason));
        const std::string text = FailureText(reason, "своё");
        EXPECT_FALSE(text.empty());
        EXPECT_NE(text, std::to_string(static_cast<int>(reason)));
    }
    EXPECT_EQ(FailureText(1, ""), "Время ожидания истекло");
    EXPECT_EQ(FailureText(2, ""), "Невозможно открыть файл ");
    EXPECT_EQ(FailureText(3, ""), "Ошибка контрольной суммы");
    EXPECT_EQ(FailureText(4, ""), "Ни одного JAR файла не найдено");
    EXPECT_EQ(FailureText(5, "своё"), "своё");
    EXPECT_EQ(FailureText(6, ""), Msg(kMsgBadAnswer));
    EXPECT_EQ(FailureText(11, ""), "Файл не найден");
    EXPECT_EQ(FailureText(105, ""), "Ошибка контрольной суммы");
    EXPECT_EQ(FailureText(2000, ""), "Файл не найден");
    EXPECT_EQ(FailureText(2007, ""), "Память заполнена");
    // Anything else is shown as its number, as the user has always seen it.
    EXPECT_EQ(FailureText(0, "x"), "0");
    EXPECT_EQ(FailureText(-3, ""), "-3");
}

TEST(FailureText, EveryCodeThePhoneNamesIsAReasonWithItsText) {
    for (const long code : {11L, 105L, 2000L, 2007L}) {
        EXPECT_TRUE(IsKnownCmeCode(code));
        EXPECT_NE(FailureText(static_cast<int>(code), ""), std::to_string(code));
    }
    EXPECT_FALSE(IsKnownCmeCode(4));
}

struct StandardHandling : ::testing::Test {
    VirtualClock clock;
    RecordingPort port;
    AtChannel ch{port, clock};
    std::string answer;

    void SetUp() override {
        port.onSend = [this](const std::string&) { ch.ReceiveData(answer.data(), answer.size()); };
    }
    // A command with a handler of its own that leaves every other line to the channel.
    Status Run() {
        CommandSpec spec;
        spec.text = "AT+FSFE=-1,\"x\"\r\n";
        spec.onLine = [](const std::string&) { return LineAction::Standard; };
        return ch.RunCommand(spec);
    }
};

TEST_F(StandardHandling, RefusalsFailWithTheirReason) {
    struct Row {
        const char* answer;
        int reason;
        const char* text;
    };
    const Row rows[] = {
        {"\r\nOK\r\n", 0, nullptr},
        {"\r\n+CME ERROR: 2007\r\n", kErrPhoneMemoryFull, "Память заполнена"},
        {"\r\n+CME ERROR: 2000\r\n", kErrPhoneNotFound, "Файл не найден"},
        {"\r\n+CME ERROR: 4\r\n", kErrText, "Ошибка: +CME ERROR: 4"},
        {"\r\n+CME ERROR: x\r\n", kErrBadAnswer, nullptr},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.answer);
        answer = row.answer;
        const Status done = Run();
        EXPECT_EQ(done.has_value(), row.reason == 0);
        if (done) continue;
        EXPECT_EQ(done.error().Reason, row.reason);
        if (row.text) EXPECT_EQ(FailureText(done.error().Reason, done.error().Text), row.text);
    }
}

TEST(HonestReasons, FloodAndStallAreToldApartFromSilenceAndRecoveredLikeIt) {
    EXPECT_EQ(PhoneCheckMessage(PhoneCheck::Silent, kErrTimeout), kMsgPhoneSilent);
    EXPECT_EQ(PhoneCheckMessage(PhoneCheck::Silent, kErrGarbled), kMsgPhoneGarbled);
    EXPECT_EQ(PhoneCheckMessage(PhoneCheck::Silent, kErrUnfinished), kMsgPhoneUnfinished);
    EXPECT_EQ(PhoneCheckMessage(PhoneCheck::Unsupported, kErrGarbled), kMsgModelNotSupported);
    for (const int reason : {kErrTimeout, kErrUnfinished, kErrGarbled, kErrAborted})
        EXPECT_TRUE(NeedsLinkRecovery(reason)) << reason;
    for (const int reason : {kErrBadAnswer, kErrBadName, kErrChecksum, kErrPhoneNotFound})
        EXPECT_FALSE(NeedsLinkRecovery(reason)) << reason;
    EXPECT_EQ(FailureText(kErrBadName, "a\"b"), "Недопустимое имя файла a\"b");
}

// A device node, a fake /proc with the program that holds it, and an open that fails as
// the test says.
struct PortFailure : ::testing::Test {
    QTemporaryDir dir;
    std::string device;
    PortDiagnosticSources sources;
    int openError = 0;

    void SetUp() override {
        const std::filesystem::path root = dir.path().toStdString();
        device = (root / "ttyUSB0").string();
        std::ofstream(device) << "";
        std::filesystem::create_directories(root / "proc/4242/fd");
        std::ofstream(root / "proc/4242/comm") << "minicom\n";
        std::filesystem::create_symlink(device, root / "proc/4242/fd/3");
        sources.ProcDir = (root / "proc").string();
        sources.TryOpen = [this](const std::string&) { return openError; };
    }
};

TEST_F(PortFailure, SaysWhetherThePortIsMissingBusyOrNotPermitted) {
    const std::string head = Msg(kMsgCannotOpenPort) + "\r\n";
    EXPECT_EQ(PortOpenFailureText(device + "-gone", sources),
              head + device + "-gone " + Msg(kMsgPortMissing));
    openError = EBUSY;
    const std::string busy = PortOpenFailureText(device, sources);
    EXPECT_EQ(busy.rfind(head, 0), 0u) << busy;
    EXPECT_NE(busy.find(Msg(kMsgPortHeldBy) + "minicom, PID 4242"), std::string::npos) << busy;
    openError = EACCES;
    const std::string denied = PortOpenFailureText(device, sources);
    EXPECT_NE(denied.find(Msg(kMsgPortNoPermission)), std::string::npos) << denied;
    // Open again by now: nothing more to say than that it did not open.
    openError = 0;
    EXPECT_EQ(PortOpenFailureText(device, sources), Msg(kMsgCannotOpenPort));
}

}  // namespace

namespace {

Expected<int> Half(int n) {
    if (n % 2) return Fail(kErrText, "odd");
    return n / 2;
}

TEST(ExpectedResult, CarriesTheValueOrTheFailure) {
    const auto half = Half(8);
    ASSERT_TRUE(half);
    EXPECT_EQ(*half, 4);
    const auto odd = Half(7);
    ASSERT_FALSE(odd);
    EXPECT_EQ(odd.error(), (Failure{kErrText, "odd"}));
    EXPECT_EQ(odd.value_or(-1), -1);
    const Status done;
    EXPECT_TRUE(done);
    const Status failed = Fail(kErrTimeout);
    EXPECT_EQ(failed.error().Reason, kErrTimeout);
}

}  // namespace
