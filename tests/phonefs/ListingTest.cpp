#include <gtest/gtest.h>

#include "ScriptedPhone.h"
#include "base/Failure.h"
#include "phonefs/FileListCache.h"
#include "phonefs/FolderMaps.h"
#include "support/Reasons.h"
#include "base/Messages.h"

using namespace q7k3;
using q7k3::test::FolderPhone;
using q7k3::test::Fsdl;
using q7k3::test::ScriptedPhone;

namespace {

struct ListingTest : ::testing::Test {
    ScriptedPhone p;
    FolderPhone phone{p};
    std::unique_ptr<Tree4> root = MakeRoot("E700", "A");
    Tree4* folder = AddFolder("user", root.get(), "B");
};

TEST_F(ListingTest, VirtualFolderListsEmptyWithoutTraffic) {
    Tree4* v = AddFolder("Sounds", root.get(), " ");
    AddFile(v, "stale", QDateTime::currentDateTime(), 5);
    EXPECT_TRUE(p.fs.ListFolder(v, true));
    EXPECT_TRUE(v->Files.empty());
    EXPECT_TRUE(p.port.writes.empty());
    EXPECT_FALSE(p.fs.ListFolder(nullptr, true));
}

TEST_F(ListingTest, MalformedNumbersEndTheListingAsABadAnswer) {
    for (const std::string& bad :
         std::vector<std::string>{Fsdl("x", 1, "20a4/01/01 10:00:00"), Fsdl("x", 1, "2024/01/01"),
                                  "+FSDL: \"x\",0,0,0,0,12k,\"2024/01/01 10:00:00\"",
                                  "+FSDL: \"x\",0,0,0,0,-5,\"2024/01/01 10:00:00\"",
                                  "+FSDL: \"x\",0,0,0,0,99999999999,\"2024/01/01 10:00:00\"",
                                  "+FSDL: \"x\",0,0,1", "+FSDL: \"unterminated"}) {
        phone.listings["B"] = {Fsdl("good", 1), bad, Fsdl("after", 1)};
        EXPECT_EQ(test::ReasonOf(p.fs.ListFolder(folder, true)), kErrBadAnswer) << bad;
        // What was read before stays; nothing after the bad line.
        ASSERT_EQ(folder->Files.size(), 1u) << bad;
        EXPECT_EQ(folder->Files[0].Name, "good");
    }
}

TEST_F(ListingTest, RunawayListingIsCutShort) {
    // More entries than the phone's memory could hold files.
    std::vector<std::string> lines;
    for (int i = 0; i < 5000; ++i) lines.push_back(Fsdl("f" + std::to_string(i), 1));
    phone.listings["B"] = lines;
    phone.batch = 1000;
    EXPECT_EQ(test::ReasonOf(p.fs.ListFolder(folder, true)), kErrBadAnswer);
    EXPECT_EQ(folder->Files.size(), 4096u);
}

TEST_F(ListingTest, RefusedFolderFailsAtOnceWithThePhonesCode) {
    Tree4* gone = AddFolder("gone", root.get(), "Q");
    EXPECT_EQ(test::ReasonOf(p.fs.ListFolder(gone, true)), kErrPhoneNotFound);
    EXPECT_LT(p.clock.now, 1000);  // no time-out spent
    EXPECT_EQ(p.Commands().size(), 1u);
}

TEST_F(ListingTest, RefusalWithAnUnknownCodeStillNamesAReason) {
    phone.listings["B"] = {Fsdl("a", 1)};
    ASSERT_TRUE(p.fs.ListFolder(folder, true));
    // A code the program has no text for: the failure must not read as the last success.
    p.react = [&](const std::string& sent) {
        if (sent.starts_with("AT+FSCD")) p.Answer("\r\nOK\r\n");
        if (sent.starts_with("AT+FSDL") || sent.starts_with("AT+FSFE"))
            p.Answer("\r\n+CME ERROR: 4\r\n");
    };
    const Status listed = p.fs.ListFolder(folder, true);
    EXPECT_EQ(test::ReasonOf(listed), kErrText);
    EXPECT_EQ(test::TextOf(listed), "Ошибка: +CME ERROR: 4");
    EXPECT_EQ(test::TextOf(p.fs.EraseFile("a")), "Ошибка: +CME ERROR: 4");
}

TEST_F(ListingTest, SilentPhoneTimesOut) {
    p.react = nullptr;
    EXPECT_EQ(test::ReasonOf(p.fs.ListFolder(folder, true)), kErrTimeout);
}

TEST(DiscoveryTest, PimsPathsFromTwoLevelsAndTheInfoTextIsIgnored) {
    ScriptedPhone p;
    p.flags.Mode = FolderMode::Pims;
    FolderPhone phone{p};
    phone.subfolders[" "] = {"+FSDI: \"Sounds\",0", "+FSDI: \"Pictures\",0"};
    phone.subfolders["/Sounds"] = {"+FSDI: \"Ring\",0", "+FSDI: \".\",0"};
    phone.subfolders["/Pictures"] = {};
    phone.subfolders["/Sounds/Ring"] = {"+FSDI: \"Deeper\",0"};
    (void)p.fs.BuildFolderTree(FolderMode::Pims);
    Tree4* root = p.fs.PhoneRoot();
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->Name, "E700");
    EXPECT_EQ(root->Id, " ");
    Tree4* ring = FindFolderByPath(root, "Sounds\\Ring");
    ASSERT_NE(ring, nullptr);
    EXPECT_EQ(ring->Id, "/Sounds/Ring");
    EXPECT_EQ(FindChild("Sounds", root)->Id, "/Sounds");
    EXPECT_EQ(ring->Children.size(), 1u);                       // two levels only
    EXPECT_EQ(FindChild("Sounds", root)->Children.size(), 2u);  // marker and Ring, no "."
    EXPECT_EQ(p.Commands(),
              (std::vector<std::string>{"AT+FSIF\r\n", "AT+FSDI=\" \"\r\n",
                                        "AT+FSCD=\"/Sounds\"\r\n", "AT+FSDI=\"/Sounds\"\r\n",
                                        "AT+FSCD=\"/Pictures\"\r\n", "AT+FSDI=\"/Pictures\"\r\n"}));
    // The same discovery with a different information answer builds the same tree.
    ScriptedPhone q;
    FolderPhone other{q};
    other.subfolders = phone.subfolders;
    q.flags.Mode = FolderMode::Pims;
    q.react = [&](const std::string& sent) {
        if (sent.starts_with("AT+FSIF")) {
            q.Answer("\r\n+FSIF: \"Sounds\",\"java\"\r\n+FSDI: \"Bogus\"\r\n\r\nOK\r\n");
            return;
        }
        other.React(sent);
    };
    (void)q.fs.BuildFolderTree(FolderMode::Pims);
    EXPECT_EQ(CollectFolderTable(q.fs.PhoneRoot()).size(),
              CollectFolderTable(p.fs.PhoneRoot()).size());
    EXPECT_EQ(FindChild("Bogus", q.fs.PhoneRoot()), q.fs.PhoneRoot());
}

// A phone that answers every folder of the PRO E map with one file in "a" and none elsewhere.
struct ScanTest : ::testing::Test {
    ScriptedPhone p;
    FolderPhone phone{p};
    void SetUp() override {
        p.flags.Mode = FolderMode::Pro;
        auto map = BuildFolderMap(MapKind::Pro, "E700");
        for (Tree4* n : CollectFolderTable(map.get())) {
            if (!n->IsVirtual()) phone.listings[n->Id];
        }
        phone.listings["a"] = {Fsdl("game.jar", 20000)};
    }
};

TEST_F(ScanTest, AbortStopsBeforeTheNextFolderAndWarns) {
    int listings = 0;
    auto inner = p.react;
    p.react = [&](const std::string& sent) {
        if (sent.starts_with("AT+FSDL") && ++listings == 3) p.flags.AbortRequested = true;
        inner(sent);
    };
    Tree4* root = p.fs.ScanPhone(FolderMode::Pro, false).value_or(nullptr);
    ASSERT_NE(root, nullptr);  // the scan result is still the tree
    EXPECT_EQ(listings, 3);
    ASSERT_EQ(p.prompts.shown.size(), 1u);
    EXPECT_EQ(p.prompts.shown[0].Text, Msg(78));
    EXPECT_EQ(p.prompts.shown[0].Caption, "Внимание");
    EXPECT_EQ(p.prompts.shown[0].Icon, BoxIcon::Information);
    EXPECT_FALSE(root->Listed);
}

TEST_F(ScanTest, FailingListingEndsWithTheTimeoutBoxAndNoTree) {
    bool dropped = false;
    p.fs.onTreeDropped = [&] { dropped = true; };
    auto inner = p.react;
    p.react = [&](const std::string& sent) {
        if (sent == "AT+FSDL=\"L\"\r\n") return;  // mms falls silent
        inner(sent);
    };
    EXPECT_EQ(p.fs.ScanPhone(FolderMode::Pro, false).value_or(nullptr), nullptr);
    EXPECT_EQ(p.fs.PhoneRoot(), nullptr);
    EXPECT_TRUE(dropped);
    ASSERT_EQ(p.prompts.shown.size(), 1u);
    EXPECT_EQ(p.prompts.shown[0].Text, FailureReport(kErrTimeout, ""));
    EXPECT_EQ(p.prompts.shown[0].Caption, "Ошибка");
    EXPECT_EQ(p.prompts.shown[0].Icon, BoxIcon::Error);
}

TEST(ScanModeTest, TheModelLineChoosesTheFamily) {
    ScriptedPhone p;
    p.ch.PhoneModel = "SGH-E800";
    (void)p.fs.BuildFolderTree(FolderMode::Pro);
    Tree4* sms = FindChild("sms", p.fs.PhoneRoot());
    EXPECT_EQ(FindChild("animations", sms)->Id, "J");
    EXPECT_EQ(FindChild("test", p.fs.PhoneRoot())->Id, "K");
    p.ch.PhoneModel = "SGH-X600";
    (void)p.fs.BuildFolderTree(FolderMode::Pro);
    EXPECT_EQ(FindChild("test", p.fs.PhoneRoot())->Id, "J");
    EXPECT_EQ(FindChild("animations", FindChild("sms", p.fs.PhoneRoot())),
              FindChild("sms", p.fs.PhoneRoot()));
    EXPECT_EQ(p.fs.PhoneRoot()->Name, "X600");
}

TEST(ScanModeTest, ADiscoveredPhoneWithManyFoldersIsWalkedWhole) {
    ScriptedPhone p;
    p.flags.Mode = FolderMode::Pims;
    FolderPhone phone{p};
    phone.batch = 25;
    // 80 top-level folders, each with its marker, and the root: 161 nodes.
    for (int i = 0; i < 80; ++i) {
        const std::string name = "F" + std::to_string(i);
        phone.subfolders[" "].push_back("+FSDI: \"" + name + "\",0");
        phone.subfolders["/" + name];
        phone.listings["/" + name] = {Fsdl(name + ".txt", 10)};
    }
    Tree4* root = p.fs.ScanPhone(FolderMode::Pims, false).value_or(nullptr);
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(p.progress.Max(1), 161);
    EXPECT_EQ(p.progress.Position(1), 161);
    EXPECT_TRUE(HasFile(FindChild("F79", root), "F79.txt"));
    for (Tree4* n : CollectFolderTable(root)) EXPECT_TRUE(n->Listed) << n->Name;
}

TEST(ScanModeTest, NormalModeListsOnlyRealFoldersAndAModeOutOfRangeBuildsNothing) {
    ScriptedPhone p;
    FolderPhone phone{p};
    for (const char* id : {"a", "B", "U", "C", "R", "H", "S", "E", "D", "G", "W", "Z", "]"}) {
        phone.listings[id];
    }
    p.flags.Mode = FolderMode::Normal;
    Tree4* root = p.fs.ScanPhone(FolderMode::Normal, false).value_or(nullptr);
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(p.progress.Max(1), 33);
    // The model, then 13 real folders; the root, the groups and the markers cost nothing.
    EXPECT_EQ(p.Commands().size(), 27u);
    EXPECT_EQ(p.fs.ScanPhone(static_cast<FolderMode>(3), false).value_or(nullptr), nullptr);
    EXPECT_EQ(p.fs.PhoneRoot(), nullptr);
}

}  // namespace

namespace {

// Answers that arrive late must not pass for the answer to the next command.
TEST(StaleAnswerTest, LeftoverOkAnswersNeitherTheModelQueryNorAFolderChange) {
    ScriptedPhone p;
    p.react = [&](const std::string& sent) {
        if (sent == "AT+CGMM\r\n") {
            p.Answer("\r\nOK\r\n");  // still on its way from the link's own query
            p.Answer("AT+CGMM\r\r\nSGH-E800\r\n");
            p.Answer("\r\nOK\r\n");
        } else if (sent.starts_with("AT+FSCD")) {
            p.Answer("\r\nOK\r\n");
        }
    };
    EXPECT_TRUE(p.fs.RereadModel());
    EXPECT_EQ(p.ch.PhoneModel, "SGH-E800");
    EXPECT_TRUE(p.pending.empty());  // the whole answer was taken

    // A keep-alive's answer still buffered: the change waits for its own "OK".
    p.ch.ReceiveBuffer = "\r\nOK\r\n";
    p.port.writes.clear();
    bool answered = false;
    p.react = [&](const std::string& sent) {
        if (sent.starts_with("AT+FSCD")) {
            answered = true;
            p.Answer("\r\n+CME ERROR: 2000\r\n");
        }
    };
    EXPECT_EQ(test::ReasonOf(p.fs.ChangeFolder("Q")), kErrPhoneNotFound);
    EXPECT_TRUE(answered);
}

}  // namespace
