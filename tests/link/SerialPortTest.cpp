#include <gtest/gtest.h>

#include "link/MemorySerialDevice.h"
#include "link/SerialPort.h"

using namespace q7k3;

namespace {

struct DriverFixture : ::testing::Test {
    MemorySerialDevice* dev = nullptr;
    std::unique_ptr<SerialPort> comm;
    int64_t now = 0;
    // Called at every pause of a stalled write: the "wire" moves on meanwhile.
    std::function<void()> onPause;
    std::vector<std::string> batches;

    void SetUp() override {
        auto device = std::make_unique<MemorySerialDevice>();
        dev = device.get();
        comm = std::make_unique<SerialPort>(std::move(device));
        comm->SetClock([this] { return now; },
                       [this](int ms) {
                           now += ms;
                           if (onPause) onPause();
                       });
        comm->OnReceiveData = [this](SerialPort*, const void* data, uint32_t size) {
            batches.emplace_back(static_cast<const char*>(data), size);
        };
    }
};

TEST_F(DriverFixture, DefaultsAndTheSystemInstance) {
    EXPECT_EQ(comm->Port(), pnCOM2);
    EXPECT_EQ(comm->PortName(), ComPortName(2));
    EXPECT_EQ(comm->BaudRate(), br9600);
    EXPECT_EQ(comm->BaudRateValue(), 9600u);
    EXPECT_EQ(comm->DataBits(), db8BITS);
    EXPECT_EQ(comm->StopBits(), sb1BITS);
    EXPECT_EQ(comm->Parity(), ptNONE);
    EXPECT_EQ(comm->HwFlow(), hfNONERTSON);
    EXPECT_EQ(comm->SwFlow(), sfNONE);
    EXPECT_EQ(comm->InBufSize(), 2048u);
    EXPECT_EQ(comm->OutBufSize(), 2048u);
    EXPECT_EQ(comm->PacketSize(), -1);
    EXPECT_EQ(comm->PacketTimeout(), -1);
    EXPECT_EQ(comm->PacketMode(), pmDiscard);
    EXPECT_EQ(comm->PollingDelay(), 50);
    EXPECT_TRUE(comm->EnableDTROnOpen());
    EXPECT_EQ(comm->OutputTimeout(), 500);
    EXPECT_EQ(comm->InputTimeout(), 200u);
    EXPECT_FALSE(comm->CheckLineStatus());
    EXPECT_FALSE(comm->SettingsMode());
    EXPECT_FALSE(comm->Connected());
    EXPECT_EQ(comm->OutFreeSpace(), -1);
    EXPECT_EQ(comm->GetLineStatus(), 0u);
    EXPECT_EQ(comm->SendData("x", 1), 0u);
    EXPECT_FALSE(comm->ApplyCOMSettings());

    auto comm321 = SerialPort::CreatePhonePort(std::make_unique<MemorySerialDevice>());
    EXPECT_EQ(comm321->Port(), pnCustom);
    EXPECT_EQ(comm321->PortName(), ComPortName(4));
    EXPECT_EQ(comm321->BaudRate(), brCustom);
    EXPECT_EQ(comm321->BaudRateValue(), 128000u);
    EXPECT_EQ(comm321->PollingDelay(), 5);
    EXPECT_TRUE(comm321->CheckLineStatus());
    EXPECT_EQ(comm321->HwFlow(), hfNONERTSON);
}

TEST_F(DriverFixture, SettersClampAndCouple) {
    comm->SetPollingDelay(0);
    EXPECT_EQ(comm->PollingDelay(), 5);
    comm->SetPollingDelay(3);
    EXPECT_EQ(comm->PollingDelay(), 5);
    comm->SetPollingDelay(10);
    EXPECT_EQ(comm->PollingDelay(), 10);

    comm->SetInBufSize(100);
    EXPECT_EQ(comm->InBufSize(), 128u);
    comm->SetInBufSize(10000);
    EXPECT_EQ(comm->InBufSize(), 8192u);
    comm->SetOutBufSize(100);
    EXPECT_EQ(comm->OutBufSize(), 128u);
    comm->SetOutBufSize(10000);
    EXPECT_EQ(comm->OutBufSize(), 8192u);

    comm->SetPacketSize(0);
    EXPECT_EQ(comm->PacketSize(), -1);
    comm->SetPacketSize(16);
    EXPECT_EQ(comm->PacketSize(), 16);
    comm->SetPacketTimeout(-7);
    EXPECT_EQ(comm->PacketTimeout(), -1);

    comm->SetBaudRate(br115200);
    EXPECT_EQ(comm->BaudRateValue(), 115200u);
    comm->SetBaudRateValue(230400);
    EXPECT_EQ(comm->BaudRate(), brCustom);
    EXPECT_EQ(comm->BaudRateValue(), 230400u);
    comm->SetBaudRate(brCustom);
    EXPECT_EQ(comm->BaudRateValue(), 230400u);

    comm->SetPort(pnCOM3);
    EXPECT_EQ(comm->PortName(), ComPortName(3));
    comm->SetPortName("/dev/ttyUSB0");
    EXPECT_EQ(comm->Port(), pnCustom);
    comm->SetPort(pnCustom);
    EXPECT_EQ(comm->PortName(), "/dev/ttyUSB0");
}

TEST_F(DriverFixture, NameAndQueuesOnlyChangeWhileClosed) {
    comm->SetPortName("/dev/first");
    ASSERT_TRUE(comm->Connect());
    EXPECT_TRUE(comm->Connect());  // already open: nothing happens
    EXPECT_EQ(dev->opens, 1);
    comm->SetPortName("/dev/second");
    comm->SetPort(pnCOM5);
    comm->SetInBufSize(512);
    comm->SetOutBufSize(512);
    EXPECT_EQ(comm->PortName(), "/dev/first");
    EXPECT_EQ(comm->InBufSize(), 2048u);
    EXPECT_EQ(comm->OutBufSize(), 2048u);
    comm->Disconnect();
    comm->SetPortName("/dev/second");
    ASSERT_TRUE(comm->Connect());
    EXPECT_EQ(dev->openedName, "/dev/second");
}

TEST_F(DriverFixture, SystemModeUsesTheRateAloneManualModeTheProperties) {
    comm->SetBaudRateValue(128000);
    comm->SetHwFlow(hfRTSCTS);
    comm->SetSwFlow(sfXONXOFF);
    comm->SetParity(ptEVEN);
    comm->SetDataBits(db7BITS);
    ASSERT_TRUE(comm->Connect());
    ASSERT_EQ(dev->applied.size(), 1u);
    LineSettings line = dev->applied.back();
    EXPECT_EQ(line.BaudRate, 128000u);
    EXPECT_EQ(line.DataBits, 8);
    EXPECT_EQ(line.Parity, 0);
    EXPECT_EQ(line.StopBits, 0);
    EXPECT_FALSE(line.RtsCts || line.XonXoff || line.Dtr || line.Rts);
    // Connecting purges both queues and asks for the queue sizes.
    EXPECT_EQ(dev->purgesIn, 1);
    EXPECT_EQ(dev->purgesOut, 1);
    EXPECT_EQ(dev->inQueue, 2048u);

    comm->SetSettingsMode(true);
    comm->SetStopBits(sb2BITS);  // re-applies at once
    ASSERT_EQ(dev->applied.size(), 2u);
    line = dev->applied.back();
    EXPECT_TRUE(line.RtsCts);
    EXPECT_TRUE(line.XonXoff);
    EXPECT_TRUE(line.Dtr);
    EXPECT_EQ(line.DataBits, 7);
    EXPECT_EQ(line.Parity, 2);
    EXPECT_EQ(line.StopBits, 2);

    comm->SetEnableDTROnOpen(false);  // only at the next apply
    EXPECT_EQ(dev->applied.size(), 2u);
    comm->SetHwFlow(hfNONERTSON);
    line = dev->applied.back();
    EXPECT_FALSE(line.Dtr);
    EXPECT_TRUE(line.Rts);
    EXPECT_FALSE(line.RtsCts);
}

TEST_F(DriverFixture, RefusedSettingsCloseThePortAgain) {
    dev->refuseSettings = true;
    EXPECT_FALSE(comm->Connect());
    EXPECT_FALSE(comm->Connected());
    dev->refuseSettings = false;
    dev->refusePurge = true;
    EXPECT_FALSE(comm->Connect());
    EXPECT_FALSE(comm->Connected());
    dev->refusePurge = false;
    comm->SetBaudRateValue(0);  // "0,N,8,1" is no line set-up
    EXPECT_FALSE(comm->Connect());
    dev->refuseOpen = true;
    comm->SetBaudRateValue(9600);
    EXPECT_FALSE(comm->Connect());
}

TEST(ModeString, ParsesTheFourFieldsAndRejectsTheRest) {
    LineSettings s;
    ASSERT_TRUE(LineFromModeString("115200,N,8,1", s));
    EXPECT_EQ(s.BaudRate, 115200u);
    EXPECT_EQ(s.DataBits, 8);
    ASSERT_TRUE(LineFromModeString("9600,E,7,2", s));
    EXPECT_EQ(s.Parity, 2);
    EXPECT_EQ(s.StopBits, 2);
    for (const char* bad : {"", "0,N,8,1", "115200,N,8", "115200,N,8,1,x", "x,N,8,1", "9600,Q,8,1",
                            "9600,N,9,1", "9600,N,8,3", "-5,N,8,1"}) {
        EXPECT_FALSE(LineFromModeString(bad, s)) << bad;
    }
}

TEST_F(DriverFixture, SlowButMovingWriteNeverTimesOut) {
    comm->SetOutBufSize(128);
    ASSERT_TRUE(comm->Connect());
    dev->outputCapacity = 128;
    // The line drains one byte every 3 ms, slower than... nothing: only stalls count.
    onPause = [this] {
        if (now % 3 == 0) dev->Drain(1);
    };
    const std::string data(1000, 'a');
    EXPECT_EQ(comm->SendDataEx(data.data(), 1000, 5), 1000u);
    EXPECT_GT(now, 5 * 10);
    EXPECT_EQ(dev->written, data);
}

TEST_F(DriverFixture, StalledWriteGivesUpAfterTheInactivityLimit) {
    comm->SetOutBufSize(128);
    ASSERT_TRUE(comm->Connect());
    dev->outputCapacity = 128;
    const std::string data(300, 'b');
    EXPECT_EQ(comm->SendData(data.data(), 300), 128u);
    EXPECT_GT(now, 500);
    EXPECT_LE(now, 502);
    EXPECT_FALSE(comm->SendString("more"));
}

TEST_F(DriverFixture, NoModemLineStopsAtOnceWhenChecked) {
    ASSERT_TRUE(comm->Connect());
    dev->lines = 0;
    comm->SetCheckLineStatus(true);
    EXPECT_EQ(comm->SendData("ATZ\r\n", 5), 0u);
    EXPECT_EQ(now, 0);
    dev->lines = kLineRing;  // any one line will do
    EXPECT_EQ(comm->SendData("ATZ\r\n", 5), 5u);
    dev->linesReadable = false;
    EXPECT_EQ(comm->GetLineStatus(), 0u);
    EXPECT_EQ(comm->SendData("ATZ\r\n", 5), 0u);
    comm->SetCheckLineStatus(false);
    dev->lines = 0;
    EXPECT_TRUE(comm->SendString("AT\r\n"));
}

TEST_F(DriverFixture, VanishedDeviceFailsWritesWithoutWaiting) {
    ASSERT_TRUE(comm->Connect());
    dev->vanished = true;
    EXPECT_EQ(comm->SendData("AT\r\n", 4), 0u);
    EXPECT_EQ(now, 0);
    comm->PollTick();
    EXPECT_TRUE(batches.empty());
}

TEST_F(DriverFixture, TickDeliversWhatIsQueuedInScratchSizedBatches) {
    ASSERT_TRUE(comm->Connect());
    comm->PollTick();
    EXPECT_TRUE(batches.empty());
    EXPECT_EQ(dev->reads, 0);

    std::string data(5000, 'x');
    data[100] = '\0';
    dev->input = data;
    comm->PollTick();
    comm->PollTick();
    comm->PollTick();
    comm->PollTick();
    ASSERT_EQ(batches.size(), 3u);
    EXPECT_EQ(batches[0].size(), 2048u);
    EXPECT_EQ(batches[2].size(), 904u);
    EXPECT_EQ(batches[0] + batches[1] + batches[2], data);

    comm->Disconnect();
    dev->input = "late";
    comm->PollTick();
    EXPECT_EQ(batches.size(), 3u);
}

TEST_F(DriverFixture, PacketModeDeliversWholePacketsAndTimesOutTheRest) {
    std::vector<std::string> packets;
    comm->OnReceivePacket = [&](SerialPort*, const void* data, uint32_t size) {
        packets.emplace_back(static_cast<const char*>(data), size);
    };
    comm->SetPacketSize(4);
    comm->SetPacketTimeout(20);
    ASSERT_TRUE(comm->Connect());
    dev->input = "abcdefghij";
    comm->PollTick();
    EXPECT_EQ(packets, (std::vector<std::string>{"abcd", "efgh"}));
    EXPECT_TRUE(batches.empty());
    now += 10;
    comm->PollTick();  // the rest has waited 10 ms of 20
    EXPECT_EQ(packets.size(), 2u);
    now += 15;
    comm->PollTick();  // pmDiscard: dropped
    EXPECT_EQ(packets.size(), 2u);
    EXPECT_TRUE(dev->input.empty());

    comm->SetPacketMode(pmPass);
    dev->input = "xy";
    comm->PollTick();
    now += 21;
    comm->PollTick();
    ASSERT_EQ(packets.size(), 3u);
    EXPECT_EQ(packets[2], "xy");
}

}  // namespace
