#include <gtest/gtest.h>
#include <zlib.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "ScriptedPhone.h"
#include "phonefs/FolderMaps.h"
#include "support/Reasons.h"
#include "base/Messages.h"

using namespace q7k3;
using q7k3::test::ScriptedPhone;

namespace {

std::string Bytes(size_t n, unsigned seed = 1) {
    std::string s(n, '\0');
    for (size_t i = 0; i < n; ++i) s[i] = static_cast<char>((i * 7 + seed * 13) & 0xFF);
    return s;
}

uLong Crc(const std::string& s) {
    return crc32(crc32(0L, Z_NULL, 0), reinterpret_cast<const Bytef*>(s.data()),
                 static_cast<uInt>(s.size()));
}

struct TransferTest : ::testing::Test {
    QTemporaryDir dir;
    ScriptedPhone p;
    std::unique_ptr<Tree4> root = MakeRoot("E700", "A");
    Tree4* folder = AddFolder("user", root.get(), "B");

    std::string Path(const std::string& name) { return (dir.path() + "/").toStdString() + name; }
    void Put(const std::string& name, const std::string& data, const QDateTime& stamp) {
        QFile f(QString::fromStdString(Path(name)));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(data.data(), static_cast<qint64>(data.size()));
        f.flush();
        f.setFileTime(stamp, QFileDevice::FileModificationTime);
    }
    std::string Get(const std::string& name) {
        QFile f(QString::fromStdString(Path(name)));
        if (!f.open(QIODevice::ReadOnly)) return "<missing>";
        return f.readAll().toStdString();
    }
    std::string received;
    int readRequests = 0;
    // A phone that sends `blocks` as read data blocks, then the closing line.
    void ServeRead(std::vector<std::string> blocks, const std::string& closing) {
        auto queue = std::make_shared<std::vector<std::string>>();
        for (size_t i = 0; i < blocks.size(); ++i) {
            queue->push_back("\r\n+FSFR: " + std::to_string(i + 1) + "," +
                             std::to_string(blocks[i].size()) + "," + blocks[i] + "#OK#\r\n");
        }
        if (!closing.empty()) queue->push_back(closing);
        queue->push_back("\r\nOK\r\n");
        // Every read request gets the whole answer again: a retry sees the same phone.
        const auto whole = std::make_shared<std::vector<std::string>>(*queue);
        p.react = [this, queue, whole](const std::string& sent) {
            if (sent.starts_with("AT+FSFR")) {
                *queue = *whole;
                ++readRequests;
            }
            if (queue->empty()) return;
            if (!sent.starts_with("AT+FSFR") && sent != "##>\r\n") return;
            std::string next = queue->front();
            queue->erase(queue->begin());
            // Deliver in small pieces so that blocks straddle poll ticks.
            for (size_t i = 0; i < next.size(); i += 97) p.Answer(next.substr(i, 97));
        };
    }
};

TEST_F(TransferTest, ReadReassemblesBlocksHoldingLineEndsAndNulBytes) {
    const std::string a = std::string("line one\r\nline two\r\n\0\0", 22) + Bytes(300);
    const std::string b = "\r\n#OK# in the middle\r\n" + Bytes(650, 3);  // longer than 600
    const std::string whole = a + b;
    ServeRead({a, b}, "\r\n+FSFR: 0,2," + std::to_string(Crc(whole)) + "\r\n");
    const QDateTime date(QDate(2023, 12, 31), QTime(23, 59, 0));
    ASSERT_EQ(test::ReasonOf(p.fs.ReadPhoneFile(Path("got"), "x.bin", date)), 0);
    EXPECT_EQ(Get("got"), whole);
    EXPECT_EQ(QFileInfo(QString::fromStdString(Path("got"))).lastModified(), date);
    EXPECT_EQ(p.port.writes[0], "AT+FSFR=-1,\"x.bin\"\r\n");
    // One prompt per block and one for the closing line, even without its "#OK#".
    EXPECT_EQ(p.Count("##>\r\n"), 3);
    EXPECT_EQ(p.progress.steps[0], 2);
    EXPECT_EQ(p.progress.steps[1], 1);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"got"});
}

TEST_F(TransferTest, ReadWithABadCrcOrACutLineLeavesTheTargetAsItWas) {
    Put("keep", "old contents", QDateTime::currentDateTime());
    const std::string data = Bytes(1200);
    ServeRead({data.substr(0, 600), data.substr(600)},
              "\r\n+FSFR: 0,2," + std::to_string(Crc(data) ^ 1) + "#OK#\r\n");
    EXPECT_EQ(test::ReasonOf(p.fs.ReadPhoneFile(Path("keep"), "x", QDateTime::currentDateTime())),
              kErrChecksum);
    EXPECT_EQ(Get("keep"), "old contents");

    // The phone falls silent in the middle of the second block.
    p.react = [&](const std::string& sent) {
        if (sent.starts_with("AT+FSFR")) p.Answer("\r\n+FSFR: 1,600," + data.substr(0, 100));
    };
    EXPECT_EQ(test::ReasonOf(p.fs.ReadPhoneFile(Path("keep"), "x", QDateTime::currentDateTime())),
              kErrTimeout);
    EXPECT_EQ(Get("keep"), "old contents");

    // A missing phone file.
    p.react = [&](const std::string& sent) {
        if (sent.starts_with("AT+FSFR")) p.Answer("\r\n+CME ERROR: 2000\r\n");
    };
    EXPECT_EQ(test::ReasonOf(p.fs.ReadPhoneFile(Path("keep"), "x", QDateTime::currentDateTime())),
              kErrPhoneNotFound);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"keep"});
    // A target that cannot be created.
    EXPECT_EQ(test::ReasonOf(p.fs.ReadPhoneFile(Path("no/such/dir/f"), "x", QDateTime())),
              kErrLocalFile);
}

TEST_F(TransferTest, NoSuccessWithoutItsProofAndNoFailureWithoutAReason) {
    // A read that ends without the phone's CRC line has not been vouched for.
    ServeRead({"abc"}, "");
    EXPECT_EQ(test::ReasonOf(p.fs.ReadPhoneFile(Path("f"), "x", QDateTime())), kErrChecksum);
    EXPECT_EQ(Get("f"), "<missing>");
    // A local file that is not there, or a name that cannot go between quotes.
    EXPECT_EQ(test::ReasonOf(p.fs.WritePhoneFile(Path("nothing"), "nothing", folder)),
              kErrLocalFile);
    Put("f", "data", QDateTime::currentDateTime());
    // The local file is fine: the report names the phone name that cannot be taken.
    const Status badName = p.fs.WritePhoneFile(Path("f"), "bad\"name", folder);
    EXPECT_EQ(test::ReasonOf(badName), kErrBadName);
    EXPECT_EQ(test::TextOf(badName), Msg(kMsgBadPhoneName) + "bad\"name");
    for (const auto& w : p.port.writes) EXPECT_FALSE(w.starts_with("AT+FSFW")) << w;
    // A name that would end the command and smuggle in a second one is never sent.
    p.port.writes.clear();
    EXPECT_EQ(test::ReasonOf(p.fs.EraseFile("a\"\r\nAT+FSFE=-1,\"b")), kErrBadName);
    EXPECT_EQ(test::ReasonOf(p.fs.ReadPhoneFile(Path("g"), "a\r\nAT", QDateTime())), kErrBadName);
    for (const auto& w : p.port.writes) EXPECT_FALSE(w.starts_with("AT+FSF")) << w;
}

TEST_F(TransferTest, SpeedCaptionFromTheSecondBlockOn) {
    // Blocks 100 ms apart on the virtual clock: 2.95e-6 / (100 ms in days) * 2 = 5.0976.
    const std::string data = Bytes(1536);
    Put("f", data, QDateTime::currentDateTime());
    p.ch.PollStep = 50;
    p.react = [&](const std::string& sent) {
        if (sent.size() == 512) received += sent;
        p.Answer("\r\n");  // one poll period later...
        p.Answer(received.size() == data.size() ? "OK\r\n" : "##>\r\n");  // ...and another
    };
    ASSERT_TRUE(p.fs.WritePhoneFile(Path("f"), "f", folder));
    EXPECT_EQ(p.progress.captions,
              (std::vector<std::string>{"Передача данных... 5.1КБ/сек",
                                        "Передача данных... 5.1КБ/сек", "Передача данных... "}));
}

}  // namespace
