// The protocol trace as a person reading a bug report sees it: every byte both ways, in
// order, with its time and direction, readable as text, whole blocks recoverable, and the
// file bounded.

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "link/MemorySerialDevice.h"
#include "link/ProtocolTrace.h"
#include "support/TraceText.h"

namespace q7k3 {
namespace {

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}


// The bytes of one direction, in order, from the trace's lines.
std::string Direction(const std::vector<std::string>& lines, char direction) {
    std::string bytes;
    for (const std::string& line : lines)
        if (line.size() > 15 && line[13] == direction && line[14] == ' ')
            bytes += test::UnescapeTrace(line.substr(15));
    return bytes;
}

class ProtocolTraceTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_path = m_dir.path().toStdString() + "/trace.txt";
        m_trace.SetClock([this] { return m_now; });
    }
    std::string m_path;
    QTemporaryDir m_dir;
    ProtocolTrace m_trace;
    int64_t m_now = ((13 * 60 + 5) * 60 + 9) * 1000 + 42;  // 13:05:09.042
};

TEST(TraceEscaping, ControlBytesAreEscapedAndUtf8NamesStayReadable) {
    std::string out;
    AppendEscaped(out, "AT+FSCD=\"\xD0\x9C\xD0\xBE\xD0\xB8\"\r\n\\\t\x01\x7F\xFF");
    EXPECT_EQ(out, "AT+FSCD=\"Мои\"\\r\\n\\\\\\t\\x01\\x7f\\xff");
    // A lead byte without its continuation, or cut short at the end, is escaped too; so
    // are letters of other scripts and marks (here a right-to-left one and an Arabic
    // letter), which in a data block are chance bytes that would garble the line.
    out.clear();
    AppendEscaped(out, "\xD0" "A\xE2\x80\xAE\xDA\x90\xD0");
    EXPECT_EQ(out, "\\xd0A\\xe2\\x80\\xae\\xda\\x90\\xd0");
}

TEST_F(ProtocolTraceTest, ShowsTheExchangeInOrderWithTimeAndDirection) {
    auto memory = std::make_unique<MemorySerialDevice>();
    MemorySerialDevice& phone = *memory;
    TracingSerialDevice device(std::move(memory), m_trace);
    ASSERT_TRUE(m_trace.Start(m_path));
    ASSERT_TRUE(device.Open("/dev/ttyUSB0"));
    LineSettings line;
    line.BaudRate = 115200;
    ASSERT_TRUE(device.ApplyLineSettings(line));
    EXPECT_EQ(device.Write("AT+CGMM\r\n", 9), 9);
    phone.input = "\r\nSGH-E700\r\n\r\nOK\r\n";
    char buffer[64];
    m_now += 17;
    EXPECT_EQ(device.Read(buffer, sizeof buffer), 18);
    device.Close();
    m_trace.Stop();

    const std::vector<std::string> lines = Lines(ReadFile(m_path));
    ASSERT_GE(lines.size(), 9u);
    EXPECT_NE(lines[0].find("# q7k3fm protocol trace, started "), std::string::npos);
    EXPECT_EQ(lines[1], "13:05:09.042 # open /dev/ttyUSB0");
    EXPECT_EQ(lines[2],
              "13:05:09.042 # line 115200 8N1, RTS/CTS off, XON/XOFF off, DTR off, RTS off");
    EXPECT_EQ(lines[3], "13:05:09.042 > AT+CGMM\\r\\n");
    // The answer breaks into lines after each line feed, all with the read's own time.
    EXPECT_EQ(lines[4], "13:05:09.059 < \\r\\n");
    EXPECT_EQ(lines[5], "13:05:09.059 < SGH-E700\\r\\n");
    EXPECT_EQ(lines[6], "13:05:09.059 < \\r\\n");
    EXPECT_EQ(lines[7], "13:05:09.059 < OK\\r\\n");
    EXPECT_EQ(lines[8], "13:05:09.059 # close");
}

TEST_F(ProtocolTraceTest, BinaryBlocksAreWrittenInFullAndReadBackExactly) {
    std::string block;
    for (int i = 0; i < 512; ++i) block += static_cast<char>((i * 37 + 11) & 0xFF);
    ASSERT_TRUE(m_trace.Start(m_path));
    m_trace.Record(TraceDirection::ToPhone, block.data(), block.size());
    m_trace.Record(TraceDirection::FromPhone, "##>\r\n", 5);
    m_trace.Stop();
    const std::vector<std::string> lines = Lines(ReadFile(m_path));
    EXPECT_EQ(Direction(lines, '>'), block);
    EXPECT_EQ(Direction(lines, '<'), "##>\r\n");
    for (const std::string& line : lines) {
        EXPECT_LE(line.size(), 15u + 64 * 4) << line;  // at most 64 bytes a line
        for (char c : line) EXPECT_TRUE(c >= 0x20 && c < 0x7F) << line;  // plain text
    }
}

TEST_F(ProtocolTraceTest, RotatesSoThatTheTraceStaysBounded) {
    ASSERT_TRUE(m_trace.Start(m_path, 4096));
    const std::string chunk(500, 'A');
    for (int i = 0; i < 200; ++i) m_trace.Record(TraceDirection::FromPhone, chunk.data(), 500);
    // 100 kB went through; the newest file and one older one remain, each near the limit.
    const std::string current = ReadFile(m_path);
    const std::string older = ReadFile(m_path + ".1");
    EXPECT_LT(current.size(), 4096u + 1024);
    EXPECT_GE(older.size(), 4096u);
    EXPECT_LT(older.size(), 4096u + 1024);
    EXPECT_NE(current.find("# continued from " + m_path + ".1"), std::string::npos);
    // Still writing after the rotation.
    m_trace.Record(TraceDirection::ToPhone, "ATZ\r\n", 5);
    EXPECT_NE(ReadFile(m_path).find("> ATZ\\r\\n"), std::string::npos);
}

TEST_F(ProtocolTraceTest, WritesNothingWhileOffAndFollowsTheWindowsSwitchAtOpen) {
    auto memory = std::make_unique<MemorySerialDevice>();
    TracingSerialDevice device(std::move(memory), m_trace);
    bool on = false;
    m_trace.Follow(&on, m_path);
    ASSERT_TRUE(device.Open("/dev/ttyUSB0"));
    device.Write("ATZ\r\n", 5);
    device.Close();
    EXPECT_FALSE(m_trace.Active());
    EXPECT_EQ(ReadFile(m_path), "");

    on = true;  // the settings dialog's Start; the port opens again afterwards
    ASSERT_TRUE(device.Open("/dev/ttyUSB0"));
    device.Write("AT+CGMM\r\n", 9);
    device.Close();
    on = false;
    ASSERT_TRUE(device.Open("/dev/ttyUSB0"));
    device.Write("AT+FSDI\r\n", 9);
    const std::string text = ReadFile(m_path);
    EXPECT_EQ(text.find("ATZ"), std::string::npos);
    EXPECT_NE(text.find("> AT+CGMM\\r\\n"), std::string::npos);
    EXPECT_EQ(text.find("AT+FSDI"), std::string::npos);
    EXPECT_NE(text.find("# trace stopped"), std::string::npos);
}

TEST_F(ProtocolTraceTest, AFileThatCannotBeWrittenIsReportedAtStart) {
    std::string why;
    EXPECT_FALSE(m_trace.Start("/proc/no-such-dir/trace.txt", ProtocolTrace::kDefaultLimit, &why));
    EXPECT_FALSE(why.empty());
    EXPECT_FALSE(m_trace.Active());
}

}  // namespace
}  // namespace q7k3
