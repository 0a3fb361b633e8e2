// Recorded exchanges with the phone, replayed against the code: every file in
// tests/data/transcripts/pass must run to its end and succeed, every file in .../fail must
// fail with the reason its header names. The phone side is the in-memory serial device on
// the virtual clock, so a file runs in milliseconds with the real step counting.
//
// The file format (the protocol trace's lines without their time of day):
//
//   # free text: what the exchange shows, where it was recorded
//   # model: SGH-E700           the model line the channel holds before the first step
//   # do: identify              steps, run in order: identify | cd ID | list ID |
//   # do: read NAME               subfolders ID | read NAME | write NAME | erase NAME |
//                                 discover | model
//   # file: hello\r\n           the local file a write sends (escaped like the lines;
//                               several "# file:" lines are joined)
//   # mode: 2                   the folder mode (2: folders addressed by path)
//   # stamp: 2024-05-06T07:08:09  its modification time (local time)
//   # expect: ok                or "LastError N" (the reason of the last step's failure),
//                               or Supported / Silent / Unsupported for identify
//   # entries: 3                after list or subfolders: how many entries were taken
//   # bytes: 1234               after read: the size of the copy
//   > AT+FSCD="0x1"\r\n         bytes from the PC, escaped: \r \n \t \\ \xNN
//   < AT+FSCD="0x1"\r\r\n       bytes from the phone, one line = one delivery
//
// Every ">" byte must be what the program sends, in order; the "<" lines are delivered
// one per poll tick once the PC has sent everything before them; at the end nothing of
// the file may be left over.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "link/Connection.h"
#include "link/MemorySerialDevice.h"
#include "link/PhoneLink.h"
#include "link/ProtocolTrace.h"
#include "phonefs/PhoneFs.h"
#include "support/ScriptedUi.h"
#include "support/TraceText.h"
#include "support/VirtualClock.h"

using namespace q7k3;
namespace fs = std::filesystem;

namespace {

struct Chunk {
    bool fromPc = false;
    std::string bytes;
    int lineNo = 0;
};

struct Transcript {
    std::string path;
    std::vector<std::string> steps;
    std::map<std::string, std::string> keys;
    std::vector<Chunk> chunks;
    std::string error;  // why the file cannot be read
};

using q7k3::test::ScriptedUi;
using test::UnescapeTrace;

std::string Escaped(std::string_view bytes) {
    std::string out;
    AppendEscaped(out, bytes);
    return out;
}

Transcript Load(const std::string& path) {
    Transcript t;
    t.path = path;
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        t.error = "cannot open";
        return t;
    }
    std::string line;
    int lineNo = 0;
    while (std::getline(in, line)) {
        ++lineNo;
        if (!line.empty() && line.back() == '\r') {
            t.error = "line " + std::to_string(lineNo) + " ends in CR (checked out with CR LF?)";
            return t;
        }
        if (line.empty()) continue;
        if (line[0] == '#') {
            const size_t colon = line.find(':');
            if (colon == std::string::npos) continue;
            std::string key = line.substr(1, colon - 1);
            key.erase(0, key.find_first_not_of(' '));
            std::string value = line.substr(colon + 1);
            value.erase(0, value.find_first_not_of(' '));
            if (key == "do") {
                t.steps.push_back(value);
            } else if (key == "file") {
                t.keys[key] += value;  // a file of several lines: one "# file:" line each
            } else if (key.find(' ') == std::string::npos) {
                t.keys[key] = value;
            }
            continue;
        }
        if (line.size() < 2 || (line[0] != '>' && line[0] != '<') || line[1] != ' ') {
            t.error = "line " + std::to_string(lineNo) + " is neither '> ', '< ' nor '#'";
            return t;
        }
        Chunk c;
        c.fromPc = line[0] == '>';
        c.lineNo = lineNo;
        if (!UnescapeTrace(std::string_view(line).substr(2), c.bytes) || c.bytes.empty()) {
            t.error = "line " + std::to_string(lineNo) + " has a bad escape or no bytes";
            return t;
        }
        t.chunks.push_back(std::move(c));
    }
    if (t.steps.empty()) t.error = "no '# do:' step";
    if (!t.keys.count("expect")) t.error = "no '# expect:' line";
    return t;
}

// The phone of a transcript: checks what the PC sends against the ">" lines and delivers
// the "<" lines in their turn.
class Replay {
public:
    explicit Replay(const Transcript& t) : m_t(t) {}

    void OnWrite(const std::string& bytes) {
        for (const char c : bytes) {
            if (!m_failure.empty()) return;
            if (m_next >= m_t.chunks.size()) {
                m_failure = "the program sent \"" + Escaped(bytes) + "\" after the end of the file";
                return;
            }
            const Chunk& chunk = m_t.chunks[m_next];
            if (!chunk.fromPc) {
                m_failure = "the program sent \"" + Escaped(bytes) + "\" where line " +
                            std::to_string(chunk.lineNo) + " has the phone speak";
                return;
            }
            if (chunk.bytes[m_matched] != c) {
                m_failure = "line " + std::to_string(chunk.lineNo) + ": expected \"" +
                            Escaped(chunk.bytes) + "\" from byte " + std::to_string(m_matched) +
                            ", the program sent \"" + Escaped(bytes) + "\"";
                return;
            }
            if (++m_matched == chunk.bytes.size()) {
                ++m_next;
                m_matched = 0;
            }
        }
    }
    // One poll tick: the next phone line, when it is the phone's turn.
    void OnTick(MemorySerialDevice& dev) {
        if (!m_failure.empty() || m_next >= m_t.chunks.size()) return;
        const Chunk& chunk = m_t.chunks[m_next];
        if (chunk.fromPc) return;
        dev.input += chunk.bytes;
        ++m_next;
    }
    const std::string& Failure() const { return m_failure; }
    std::string Left() const {
        if (m_next >= m_t.chunks.size()) return {};
        return "line " + std::to_string(m_t.chunks[m_next].lineNo) +
               " and what follows were not reached";
    }

private:
    const Transcript& m_t;
    size_t m_next = 0;
    size_t m_matched = 0;
    std::string m_failure;
};

std::vector<std::string> Files(const char* folder) {
    std::vector<std::string> out;
    const fs::path dir = fs::path(Q7K3_SOURCE_DIR) / "tests/data/transcripts" / folder;
    if (!fs::is_directory(dir)) return out;
    for (const auto& e : fs::directory_iterator(dir)) {
        if (e.path().extension() == ".txt") out.push_back(e.path().string());
    }
    std::sort(out.begin(), out.end());
    return out;
}

std::string TestName(const ::testing::TestParamInfo<std::string>& info) {
    std::string name = fs::path(info.param).stem().string();
    for (char& c : name) {
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
    }
    return name;
}

struct TranscriptTest : ::testing::TestWithParam<std::string> {
    test::VirtualClock clock;
    MemorySerialDevice* dev = nullptr;
    std::unique_ptr<PhoneLink> link;
    test::ScriptedUi ui;
    AppFlags flags;
    std::unique_ptr<PhoneFs> phone;
    QTemporaryDir dir;

    void Run(bool mustPass) {
        static int argc = 1;
        static char name[] = "transcript_tests";
        static char* argv[] = {name, nullptr};
        if (!QCoreApplication::instance()) new QCoreApplication(argc, argv);

        const Transcript t = Load(GetParam());
        ASSERT_TRUE(t.error.empty()) << GetParam() << ": " << t.error;
        const std::string expect = t.keys.at("expect");
        ASSERT_EQ(mustPass, expect == "ok" || expect == "Supported")
            << GetParam() << ": a file in " << (mustPass ? "pass" : "fail") << " expects "
            << expect;

        Replay replay(t);
        auto device = std::make_unique<MemorySerialDevice>();
        dev = device.get();
        dev->onWrite = [&replay](const std::string& bytes) { replay.OnWrite(bytes); };
        link = std::make_unique<PhoneLink>(SerialPort::CreatePhonePort(std::move(device)), &clock);
        link->Port.SetPortName("/dev/ttyUSB0");
        link->Port.SetClock([this] { return clock.now; }, [this](int ms) { clock.now += ms; });
        link->Channel.PollStep = 1;
        clock.onTick = [this, &replay](int64_t) {
            replay.OnTick(*dev);
            link->Port.PollTick();
        };
        ASSERT_TRUE(link->Port.Connect());
        AtChannel& ch = link->Channel;
        if (t.keys.count("model")) ch.PhoneModel = t.keys.at("model");
        if (t.keys.count("mode"))
            flags.Mode = static_cast<FolderMode>(std::stoi(t.keys.at("mode")));
        phone = std::make_unique<PhoneFs>(ch, flags, ui, ui);

        std::string result;  // "ok", "LastError N" or the identification's result
        long taken = -1;
        for (size_t i = 0; i < t.steps.size(); ++i) {
            result = Step(t, t.steps[i], taken);
            const bool last = i + 1 == t.steps.size();
            ASSERT_TRUE(last || result == "ok" || result == "Supported")
                << GetParam() << ": step \"" << t.steps[i] << "\" gave " << result;
        }
        EXPECT_EQ(result, expect) << GetParam() << ": the last step, \"" << t.steps.back() << "\"";
        EXPECT_EQ(replay.Failure(), "") << GetParam();
        EXPECT_EQ(replay.Left(), "") << GetParam();
        if (t.keys.count("entries")) {
            EXPECT_EQ(std::to_string(taken), t.keys.at("entries")) << GetParam();
        }
        if (t.keys.count("bytes")) {
            EXPECT_EQ(std::to_string(taken), t.keys.at("bytes")) << GetParam();
        }
    }

    std::string Step(const Transcript& t, const std::string& step, long& taken) {
        const size_t space = step.find(' ');
        const std::string verb = step.substr(0, space);
        const std::string arg = space == std::string::npos ? "" : step.substr(space + 1);
        Status done;
        if (verb == "identify") {
            switch (IdentifyPhone(*link, flags).Check) {
                case PhoneCheck::Supported:
                    return "Supported";
                case PhoneCheck::Silent:
                    return "Silent";
                case PhoneCheck::Unsupported:
                    return "Unsupported";
            }
            return "?";
        } else if (verb == "model") {
            // A model that does not come: silence, as the phone's reason.
            if (!phone->RereadModel()) done = Fail(kErrTimeout);
        } else if (verb == "cd") {
            done = phone->ChangeFolder(arg);
        } else if (verb == "list" || verb == "subfolders") {
            auto root = MakeRoot("E700", arg);
            done = verb == "list" ? phone->ListFolder(root.get(), true)
                                  : phone->ListSubfolders(root.get());
            taken = static_cast<long>(verb == "list" ? root->Files.size() : root->Children.size());
        } else if (verb == "read") {
            const QString local = dir.filePath(QString::fromStdString(arg));
            done = phone->ReadPhoneFile(local.toStdString(), arg, QDateTime());
            taken = QFileInfo(local).exists() ? static_cast<long>(QFileInfo(local).size()) : -1;
        } else if (verb == "write") {
            std::string content;
            EXPECT_TRUE(UnescapeTrace(t.keys.count("file") ? t.keys.at("file") : "", content));
            const QString local = dir.filePath(QString::fromStdString(arg));
            QFile f(local);
            EXPECT_TRUE(f.open(QIODevice::WriteOnly));
            f.write(content.data(), static_cast<qint64>(content.size()));
            f.flush();  // the stamp must come after the last write
            if (t.keys.count("stamp")) {
                f.setFileTime(
                    QDateTime::fromString(QString::fromStdString(t.keys.at("stamp")), Qt::ISODate),
                    QFileDevice::FileModificationTime);
            }
            f.close();
            auto root = MakeRoot("E700", "0x1");
            done = phone->WritePhoneFile(local.toStdString(), arg, root.get());
        } else if (verb == "erase") {
            done = phone->EraseFile(arg);
        } else if (verb == "discover") {
            done = phone->DiscoverFolders();
        } else {
            ADD_FAILURE() << GetParam() << ": unknown step " << step;
            return "?";
        }
        return done ? "ok" : "LastError " + std::to_string(done.error().Reason);
    }
};

struct PassingTranscript : TranscriptTest {};
struct FailingTranscript : TranscriptTest {};

TEST_P(PassingTranscript, RunsToItsEndAndSucceeds) {
    Run(true);
}
TEST_P(FailingTranscript, FailsWithTheReasonItNames) {
    Run(false);
}

INSTANTIATE_TEST_SUITE_P(Recorded, PassingTranscript, ::testing::ValuesIn(Files("pass")), TestName);
INSTANTIATE_TEST_SUITE_P(Recorded, FailingTranscript, ::testing::ValuesIn(Files("fail")), TestName);

// The folders exist and hold files: an empty folder would run no test at all.
TEST(TranscriptFolders, HoldFiles) {
    EXPECT_GE(Files("pass").size(), 6u);
    EXPECT_GE(Files("fail").size(), 4u);
}

}  // namespace
