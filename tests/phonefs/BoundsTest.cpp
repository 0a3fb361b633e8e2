// Answers that would never end, or go on past what they may hold: every one stops at its
// bound with its reason, and nothing of it reaches the local files.
#include <gtest/gtest.h>
#include <zlib.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "ScriptedPhone.h"
#include "phonefs/FolderMaps.h"
#include "support/Reasons.h"
#include "base/Messages.h"

using namespace q7k3;
using q7k3::test::FolderPhone;
using q7k3::test::ScriptedPhone;

namespace {

uLong Crc(const std::string& s) {
    return crc32(crc32(0L, Z_NULL, 0), reinterpret_cast<const Bytef*>(s.data()),
                 static_cast<uInt>(s.size()));
}

std::string Block(int n, const std::string& data) {
    return "\r\n+FSFR: " + std::to_string(n) + "," + std::to_string(data.size()) + "," + data +
           "#OK#\r\n";
}

struct BoundsTest : ::testing::Test {
    QTemporaryDir dir;
    ScriptedPhone p;
    std::unique_ptr<Tree4> root = MakeRoot("E700", "A");
    Tree4* folder = AddFolder("user", root.get(), "B");

    std::string Path(const std::string& name) { return (dir.path() + "/").toStdString() + name; }
    std::string Get(const std::string& name) {
        QFile f(QString::fromStdString(Path(name)));
        if (!f.open(QIODevice::ReadOnly)) return "<missing>";
        return f.readAll().toStdString();
    }
    void Put(const std::string& name, const std::string& data) {
        QFile f(QString::fromStdString(Path(name)));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(data.data(), static_cast<qint64>(data.size()));
    }
    QStringList Files() { return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden); }
    // The phone's next prepared answer, if one is left.
    void AnswerNext(std::vector<std::string>& queue) {
        if (queue.empty()) return;
        p.Answer(queue.front());
        queue.erase(queue.begin());
    }
};

TEST_F(BoundsTest, AnEndlessReadStopsPastTheListedSizeAndLeavesTheTargetAlone) {
    Put("keep", "old contents");
    int blocks = 0;
    // Every prompt brings another full block, for ever.
    p.react = [&](const std::string& sent) {
        if (sent.starts_with("AT+FSFR") || sent == "##>\r\n")
            p.Answer(Block(++blocks, std::string(512, 'x')));
    };
    EXPECT_EQ(test::ReasonOf(p.fs.ReadPhoneFile(Path("keep"), "x", QDateTime(), 1000)),
              kErrBadAnswer);
    // 1000 bytes listed: the fourth block passes it by more than a block.
    EXPECT_EQ(blocks, 4);
    EXPECT_EQ(Get("keep"), "old contents");
    EXPECT_EQ(Files(), QStringList{"keep"});  // no temporary copy left behind
}

TEST_F(BoundsTest, ChecksumFailureIsRetriedOnceAndABadPhoneStillFails) {
    const std::string data = std::string(700, 'a') + "tail";
    int requests = 0;
    int badReads = 1;  // how many reads come with a spoiled byte
    std::vector<std::string> queue;
    p.react = [&](const std::string& sent) {
        if (sent.starts_with("AT+FSFR")) {
            std::string got = data;
            if (requests++ < badReads) got[100] ^= 0x20;  // the line spoiled a byte
            queue = {Block(1, got.substr(0, 512)), Block(2, got.substr(512)),
                     "\r\n+FSFR: 0,2," + std::to_string(Crc(data)) + "#OK#\r\n", "\r\nOK\r\n"};
        }
        AnswerNext(queue);
    };
    ASSERT_EQ(test::ReasonOf(p.fs.ReadPhoneFile(Path("f"), "x", QDateTime(), 704)), 0);
    EXPECT_EQ(requests, 2);
    EXPECT_EQ(Get("f"), data);

    // A phone that always sends bad data: one retry, then the checksum error.
    requests = 0;
    badReads = 1000;
    EXPECT_EQ(test::ReasonOf(p.fs.ReadPhoneFile(Path("g"), "x", QDateTime(), 704)), kErrChecksum);
    EXPECT_EQ(requests, 2);
    EXPECT_EQ(Get("g"), "<missing>");
}

TEST_F(BoundsTest, DataHoldingTheBlockEndReadsRightWhereverThePieceEnds) {
    // The data holds "#OK#\r\n" itself; the line delivers the block in two pieces, the
    // first ending at every offset in turn, among them right after the data's own one.
    const std::string data = "head#OK#\r\nmiddle#OK#\r\n#OK#\r\nend";
    const std::string block = Block(1, data);
    const std::string closing = "\r\n+FSFR: 0,1," + std::to_string(Crc(data)) + "#OK#\r\n";
    for (size_t split = 1; split < block.size(); ++split) {
        SCOPED_TRACE(split);
        std::vector<std::string> queue;
        p.react = [&](const std::string& sent) {
            if (sent.starts_with("AT+FSFR")) {
                p.Answer(block.substr(0, split));
                p.Answer(block.substr(split));
                queue = {closing, "\r\nOK\r\n"};
                return;
            }
            if (sent == "##>\r\n" && !queue.empty()) {
                p.Answer(queue.front());
                queue.erase(queue.begin());
            }
        };
        p.port.writes.clear();
        ASSERT_EQ(test::ReasonOf(p.fs.ReadPhoneFile(Path("f"), "x", QDateTime(), 31)), 0);
        EXPECT_EQ(Get("f"), data);
        EXPECT_EQ(p.Count("##>\r\n"), 2);  // one prompt for the block, one for the closing
    }
}

TEST_F(BoundsTest, AStrayLineInTheSameDeliveryAsABlocksEndIsNotTakenForData) {
    // A "RING" right behind each block's end, before the prompt for the next: the blocks
    // end where their lengths say, and the stray lines are skipped like any other.
    const std::string data = std::string(512, 'r') + "#OK#\r\n" + std::string(100, 's');
    const std::string closing = "\r\n+FSFR: 0,2," + std::to_string(Crc(data)) + "#OK#\r\n";
    std::vector<std::string> queue;
    p.react = [&](const std::string& sent) {
        if (sent.starts_with("AT+FSFR"))
            queue = {Block(1, data.substr(0, 512)) + "\r\nRING\r\n",
                     Block(2, data.substr(512)) + "\r\nRING\r\n\r\nRING\r\n", closing,
                     "\r\nOK\r\n"};
        AnswerNext(queue);
    };
    ASSERT_EQ(test::ReasonOf(p.fs.ReadPhoneFile(Path("f"), "x", QDateTime(),
                                                static_cast<int64_t>(data.size()))),
              0);
    EXPECT_EQ(Get("f"), data);
}

TEST_F(BoundsTest, APromptStormOnAWriteFailsButOneExtraPromptIsTheWayOfThePhone) {
    Put("f", std::string(1000, 'd'));
    for (const int extra : {1, 2, 50}) {
        SCOPED_TRACE(extra);
        ScriptedPhone q;
        int blocks = 0;
        // Two blocks, then `extra` prompts past the last one, then OK.
        q.react = [&](const std::string& sent) {
            if (sent.starts_with("AT+FSFW")) {
                q.Answer("\r\n##>\r\n");
            } else if (sent.size() == 512 || sent.size() == 488) {
                if (++blocks < 2) {
                    q.Answer("\r\n##>\r\n");
                    return;
                }
                for (int i = 0; i < extra; ++i) q.Answer("\r\n##>\r\n");
                q.Answer("\r\nOK\r\n");
            }
        };
        EXPECT_EQ(test::ReasonOf(q.fs.WritePhoneFile(Path("f"), "f", folder)),
                  extra == 1 ? 0 : kErrBadAnswer);
        EXPECT_EQ(blocks, 2);
    }
}

TEST(DiscoveryBoundTest, FanOutStopsAtTheFolderLimitAndSaysSo) {
    ScriptedPhone p;
    p.flags.Mode = FolderMode::Pims;
    FolderPhone phone{p};
    phone.batch = 500;
    // 100 folders of 100 folders each: more than the limit in all.
    for (int i = 0; i < 100; ++i) {
        const std::string name = "d" + std::to_string(i);
        phone.subfolders[" "].push_back("+FSDI: \"" + name + "\",0");
        auto& children = phone.subfolders["/" + name];
        for (int j = 0; j < 100; ++j) children.push_back("+FSDI: \"s" + std::to_string(j) + "\",0");
    }
    (void)p.fs.BuildFolderTree(FolderMode::Pims);
    ASSERT_NE(p.fs.PhoneRoot(), nullptr);
    // The limit's worth of the phone's folders (besides the program's own markers).
    size_t kept = 0;
    for (const Tree4* node : CollectFolderTable(p.fs.PhoneRoot())) kept += !node->IsVirtual();
    EXPECT_EQ(kept, PhoneFs::kMaxFolders);
    ASSERT_EQ(p.ui.shown.size(), 1u);
    EXPECT_EQ(p.ui.shown[0].Text, Msg(kMsgTooManyFolders));
    // Discovery stopped listing once the limit was reached.
    int listings = 0;
    for (const auto& c : p.Commands()) listings += c.starts_with("AT+FSDI");
    EXPECT_LE(listings, 1 + 41);
}

}  // namespace
