#include <gtest/gtest.h>

#include <atomic>
#include <optional>

#include "support/Reasons.h"
#include "support/VirtualClock.h"

using namespace q7k3;
using q7k3::test::RecordingPort;
using q7k3::test::VirtualClock;

namespace {

struct ChannelFixture : ::testing::Test {
    VirtualClock clock;
    RecordingPort port;
    AtChannel ch{port, clock};

    void Arrive(const std::string& bytes) { ch.ReceiveData(bytes.data(), bytes.size()); }
};

TEST_F(ChannelFixture, TakeLineSplitsEchoModelBlankAndOk) {
    Arrive("AT+CGMM\r\r\nSGH-E700\r\n\r\nOK\r\n");
    EXPECT_EQ(ch.TakeLine(), "AT+CGMM\r\r\n");
    EXPECT_EQ(ch.TakeLine(), "SGH-E700\r\n");
    EXPECT_EQ(ch.TakeLine(), "\r\n");
    EXPECT_EQ(ch.TakeLine(), "OK\r\n");
    EXPECT_EQ(ch.TakeLine(), "");
    EXPECT_TRUE(ch.ReceiveBuffer.empty());
}

TEST_F(ChannelFixture, PartialLineWaitsForItsLineFeedAndNulBytesStay) {
    Arrive("OK\r");
    EXPECT_EQ(ch.TakeLine(), "");
    EXPECT_EQ(ch.ReceiveBuffer, "OK\r");
    Arrive("\n");
    EXPECT_EQ(ch.TakeLine(), "OK\r\n");

    Arrive(std::string("a\0b\r\n", 5));
    EXPECT_EQ(ch.TakeLine(), std::string("a\0b\r\n", 5));
}

TEST_F(ChannelFixture, ResendingRepeatsAtQuartersAndGivesUpAfterTheLastStep) {
    ch.PollStep = 1;
    std::vector<int> sentAt;
    port.onSend = [&](const std::string&) { sentAt.push_back(clock.steps); };
    EXPECT_EQ(test::ReasonOf(ch.WaitResponseResending("AT\r\n", 5000)), kErrTimeout);
    EXPECT_EQ(sentAt, (std::vector<int>{1250, 2500, 3750, 5000}));
    EXPECT_EQ(clock.steps, 5001);
}

TEST_F(ChannelFixture, DataInTheStepThatExceedsTheLimitStillTimesOut) {
    ch.PollStep = 1;
    clock.onTick = [&](int64_t) {
        if (clock.steps == 2501) Arrive("late\r\n");
    };
    EXPECT_FALSE(ch.WaitResponse(2500));
    clock.steps = 0;
    clock.onTick = [&](int64_t) {
        if (clock.steps == 2500) Arrive("in time\r\n");
    };
    EXPECT_TRUE(ch.WaitResponse(2500));
}

TEST_F(ChannelFixture, CmeErrorCodesAreDecimalNumbersAndGarbageCodesFailSafely) {
    const std::pair<const char*, std::optional<long>> rows[] = {
        {"+CME ERROR: 2007\r\n", 2007},
        {"+CME ERROR: 3\r\n", 3},
        {"+CME ERROR: x1\r\n", std::nullopt},
        {"+CME ERROR: 99999999999999999999\r\n", std::nullopt},
        {"+CME ERROR: \r\n", std::nullopt},
    };
    for (const auto& [line, code] : rows) EXPECT_EQ(AtChannel::DecodeCmeError(line), code) << line;
}

TEST_F(ChannelFixture, PingNeedsNewDataNotWhatWasAlreadyBuffered) {
    ch.PollStep = 10;
    Arrive("OK\r\n");  // left over from an earlier command
    EXPECT_EQ(test::ReasonOf(ch.PingPhone()), kErrTimeout);
    EXPECT_EQ(port.All(), "\r");

    port.onSend = [&](const std::string&) { clock.onTick = [&](int64_t) { Arrive("\r\n"); }; };
    EXPECT_TRUE(ch.PingPhone());
}

TEST_F(ChannelFixture, CommandPatternSkipsEchoAndLeftoversUntilOk) {
    Arrive("stale\r\n");
    port.onSend = [&](const std::string& s) {
        if (s == "AT+FSCD=\"B\"\r\n") {
            clock.onTick = [&](int64_t) {
                Arrive("AT+FSCD=\"B\"\r\r\n");
                clock.onTick = [&](int64_t) { Arrive("\r\nOK\r\n"); };
            };
        }
    };
    CommandSpec spec;
    spec.text = "AT+FSCD=\"B\"\r\n";
    EXPECT_TRUE(ch.RunCommand(spec));
    EXPECT_TRUE(ch.ReceiveBuffer.empty());
    EXPECT_EQ(port.writes.size(), 1u);
}

TEST_F(ChannelFixture, CommandPatternFailsOnCmeErrorAndOnSilence) {
    port.onSend = [&](const std::string&) {
        clock.onTick = [&](int64_t) { Arrive("\r\n+CME ERROR: 2000\r\n"); };
    };
    CommandSpec spec;
    spec.text = "AT+FSFE=-1,\"x\"\r\n";
    EXPECT_EQ(test::ReasonOf(ch.RunCommand(spec)), 2000);

    port.onSend = nullptr;
    clock.onTick = nullptr;
    clock.steps = 0;
    EXPECT_EQ(test::ReasonOf(ch.RunCommand(spec)), kErrTimeout);
    EXPECT_EQ(clock.steps, 5001);
    EXPECT_EQ(port.writes.size(), 2u + 4u);  // the first try's one, then 1 + 4 re-sends
}

TEST_F(ChannelFixture, EachRefusalIsTheCommandsOwnNeverAnEarlierOnes) {
    // A handler's reason is the command's; the next command that refuses without a reason
    // of its own says the phone would not, not what the first one said.
    port.onSend = [&](const std::string&) {
        clock.onTick = [&](int64_t) { Arrive("\r\nNO\r\n"); };
    };
    CommandSpec spec;
    spec.text = "AT+FSFE=-1,\"x\"\r\n";
    spec.onLine = [&](const std::string& line) {
        return line == "NO\r\n" ? ch.Refuse({kErrText, "said"}) : LineAction::Skip;
    };
    const Status first = ch.RunCommand(spec);
    EXPECT_EQ(test::TextOf(first), "said");
    spec.onLine = [](const std::string& line) {
        return line == "NO\r\n" ? LineAction::Failure : LineAction::Skip;
    };
    EXPECT_EQ(test::ReasonOf(ch.RunCommand(spec)), kErrRefused);
}

TEST_F(ChannelFixture, EndlessGarbageIsBoundedAndEndsTheWait) {
    ch.PollStep = 1;
    const std::string chunk(64 * 1024, 'x');
    clock.onTick = [&](int64_t) { Arrive(chunk); };
    CommandSpec spec;
    spec.text = "AT+FSDL=\"B\"\r\n";
    // A phone that floods is told apart from a silent one, and stopped long before the
    // receive limit.
    EXPECT_EQ(test::ReasonOf(ch.RunCommand(spec)), kErrGarbled);
    EXPECT_LE(ch.ReceiveBuffer.size(), AtChannel::kReceiveLimit);
    EXPECT_LE(ch.ExchangeBytes(),
              spec.answerBytes * AtChannel::kFloodFactor + AtChannel::kFloodSlack + chunk.size());
}

// A phone that sends one byte every 500 ms for ever: every byte restarts the per-step wait,
// only the exchange's own bound ends it.
struct TrickleFixture : ChannelFixture {
    int64_t nextByte = 0;
    std::string trickle = "RING\r\n";
    size_t at = 0;
    void StartTrickle() {
        nextByte = 0;
        at = 0;
        clock.onTick = [this](int64_t now) {
            if (now < nextByte) return;
            nextByte = now + 500;
            Arrive(std::string(1, trickle[at++ % trickle.size()]));
        };
    }
};

TEST_F(TrickleFixture, EveryCommandEndsAtItsBoundWithAReasonOfItsOwn) {
    for (const uint32_t rate : {9600u, 115200u}) {
        SCOPED_TRACE(rate);
        port.rate = rate;
        for (const bool batched : {false, true}) {
            ch.PollStep = 10;
            clock.now = 0;
            StartTrickle();
            CommandSpec spec;
            spec.text = batched ? "AT+FSDL=\"B\"\r\n" : "ATZ\r\n";
            spec.batched = batched;
            spec.firstTimeoutMs = 2000;
            spec.answerBytes = batched ? 4096 * 160 : 512;
            spec.roundTrips = batched ? 410 : 0;
            EXPECT_EQ(test::ReasonOf(ch.RunCommand(spec)), kErrUnfinished);
            // No later than its base and the line time of what came, and never past the
            // bound of the largest answer.
            const int64_t base = spec.firstTimeoutMs + spec.nextTimeoutMs + AtChannel::kRoundTripMs;
            EXPECT_GE(clock.now, base);
            EXPECT_LE(clock.now, base + 1000);
            EXPECT_LE(clock.now, ch.AnswerBudgetMs(spec) + AtChannel::kRoundTripMs + ch.PollStep);
            // The channel is usable again: the next command runs normally.
            clock.onTick = nullptr;
            port.onSend = [&](const std::string&) {
                clock.onTick = [&](int64_t) {
                    Arrive("OK\r\n");
                    clock.onTick = nullptr;
                };
            };
            CommandSpec next;
            next.text = "AT\r\n";
            EXPECT_TRUE(ch.RunCommand(next));
            port.onSend = nullptr;
        }
    }
}

TEST_F(TrickleFixture, AbortEndsAStalledExchangeWithinASecond) {
    std::atomic<bool> abort{false};
    std::atomic<bool> stop{false};
    const FlagSignal stopSignal(stop);
    ch.AbortFlag = &abort;
    ch.Stop = &stopSignal;
    for (const bool byStop : {false, true}) {
        SCOPED_TRACE(byStop);
        clock.now = 0;
        StartTrickle();
        auto trickleTick = clock.onTick;
        clock.onTick = [&](int64_t now) {
            trickleTick(now);
            if (now != 3000) return;
            if (byStop)
                stop = true;
            else
                abort = true;
        };
        CommandSpec spec;
        spec.text = "AT+FSFR=-1,\"x\"\r\n";
        spec.nextTimeoutMs = 10000;
        spec.answerBytes = 1 << 20;
        spec.roundTrips = 2000;
        EXPECT_EQ(test::ReasonOf(ch.RunCommand(spec)), kErrAborted);
        EXPECT_GE(clock.now, 4000);
        EXPECT_LE(clock.now, 4000 + ch.PollStep);
        abort = false;
        stop = false;
    }
}

TEST_F(ChannelFixture, AbortLetsAnExchangeThatMakesProgressGoOnToItsEnd) {
    // Batches every 400 ms for 5 s: each is progress, so the abort raised at 1 s does not
    // cut the listing; the command stops between folders instead.
    std::atomic<bool> abort{false};
    ch.AbortFlag = &abort;
    ch.PollStep = 10;
    int batches = 0;
    clock.onTick = [&](int64_t now) {
        if (now == 1000) abort = true;
        if (now % 400 != 0) return;
        Arrive(++batches < 13 ? "+FSDL: \"a\",0,0,0,0,1,\"\"\r\n#OK#\r\n" : "OK\r\n");
    };
    CommandSpec spec;
    spec.text = "AT+FSDL=\"B\"\r\n";
    spec.batched = true;
    spec.answerBytes = 4096 * 160;
    spec.roundTrips = 410;
    EXPECT_EQ(test::ReasonOf(ch.RunCommand(spec)), 0);
    EXPECT_GE(clock.now, 5200);
}

}  // namespace
