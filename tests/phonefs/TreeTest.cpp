#include <gtest/gtest.h>

#include "ScriptedPhone.h"
#include "phonefs/FolderMaps.h"
#include "phonefs/Tree.h"
#include "base/Text.h"

using namespace q7k3;

namespace {

const QDateTime kDay(QDate(2024, 1, 2), QTime(3, 4, 5));

std::vector<std::string> Names(const std::vector<Tree4*>& nodes) {
    std::vector<std::string> out;
    for (const Tree4* n : nodes) out.push_back(n->Name);
    return out;
}

TEST(TreeTest, FoldersGetAMarkerFirstAndKeepTheFirstOfTwoNames) {
    auto root = MakeRoot("E700", " ");
    EXPECT_TRUE(root->Children.empty());  // the root has no way up
    Tree4* sounds = AddFolder("Sounds", root.get(), " ");
    Tree4* java = AddFolder("java", root.get(), "a");
    ASSERT_EQ(root->Children.size(), 2u);
    EXPECT_TRUE(sounds->FirstChild()->IsMarker());
    EXPECT_TRUE(sounds->Listed);  // virtual
    EXPECT_FALSE(java->Listed);
    EXPECT_EQ(sounds->Next(), java);
    EXPECT_EQ(java->Next(), nullptr);
    // Same name again: nothing added, the first one is returned.
    EXPECT_EQ(AddFolder("Sounds", root.get(), "Z"), sounds);
    EXPECT_EQ(sounds->Id, " ");
    // Names are cut to 24 characters, counted in characters, before they are compared.
    const std::string longName(30, 'x');
    Tree4* cut = AddFolder(longName, root.get(), "B");
    EXPECT_EQ(cut->Name, std::string(24, 'x'));
    EXPECT_EQ(AddFolder(std::string(24, 'x') + "yyy", root.get(), "C"), cut);
    EXPECT_EQ(FindChild(longName, root.get()), cut);
    const std::string cyr = "Папка_с_очень_длинным_именем";  // 28 characters, 2 bytes each
    EXPECT_EQ(Utf8Length(AddFolder(cyr, root.get(), "D")->Name), 24u);
}

TEST(TreeTest, FilesFirstEntryWinsWithin64CharactersAndRemoveTakesTheFirst) {
    auto root = MakeRoot("X600", "A");
    Tree4* f = AddFolder("user", root.get(), "B");
    const std::string base(64, 'm');
    EXPECT_TRUE(AddFile(f, base + "1.mid", kDay, 100));
    EXPECT_FALSE(AddFile(f, base + "2.mid", kDay.addDays(1), 200));
    ASSERT_EQ(f->Files.size(), 1u);
    EXPECT_EQ(f->Files[0].Name, base);
    EXPECT_EQ(f->Files[0].Size, 100);
    EXPECT_EQ(f->Files[0].Date, kDay);
    // The longer name the file was written under finds and removes the stored entry.
    EXPECT_TRUE(HasFile(f, base + "1.mid"));
    RemoveFile(f, base + "2.mid");
    EXPECT_TRUE(f->Files.empty());
    AddFile(f, base, kDay, 100);

    AddFile(f, "b.jpg", kDay, 1);
    AddFile(f, "c.jpg", kDay, 2);
    EXPECT_TRUE(HasFile(f, "b.jpg"));
    RemoveFile(f, "b.jpg");
    RemoveFile(f, "missing");
    ASSERT_EQ(f->Files.size(), 2u);
    EXPECT_EQ(f->Files[1].Name, "c.jpg");  // order kept
    FreeFiles(f);
    EXPECT_TRUE(f->Files.empty());
}

TEST(TreeTest, FindChildOfAMissingNameReturnsTheParent) {
    auto root = MakeRoot("E700", " ");
    EXPECT_EQ(FindChild("java", root.get()), root.get());  // no children at all
    Tree4* images = AddFolder("Images", root.get(), " ");
    EXPECT_EQ(FindChild("Images", root.get()), images);
    EXPECT_EQ(FindChild("images", root.get()), root.get());  // case counts
    EXPECT_EQ(FindChild("x", nullptr), nullptr);
}

TEST(TreeTest, PathLineAndItsWayBack) {
    auto root = BuildFolderMap(MapKind::Normal, "E700");
    Tree4* mySounds = FindChild("My Sounds", FindChild("Sounds", root.get()));
    EXPECT_EQ(PhonePathText(root.get()), "E700:");
    EXPECT_EQ(PhonePathText(mySounds), "E700:\\Sounds\\My Sounds");
    EXPECT_EQ(FindFolderByPath(root.get(), "E700:\\Sounds\\My Sounds"), mySounds);
    EXPECT_EQ(FindFolderByPath(root.get(), "Sounds\\My Sounds"), mySounds);
    EXPECT_EQ(FindFolderByPath(root.get(), "E700:"), root.get());
    EXPECT_EQ(FindFolderByPath(root.get(), "Sounds\\Nothing"), nullptr);
    EXPECT_EQ(FindFolderByPath(root.get(), "Sounds\\.."), nullptr);
    Tree4* onOff = FindFolderByPath(root.get(), "Images\\OnOff/Menu Images");
    ASSERT_NE(onOff, nullptr);
    EXPECT_EQ(onOff->Id, "D");
}

TEST(TreeTest, TreeHasFilesLooksBelowAndAtLaterSiblings) {
    auto root = BuildFolderMap(MapKind::Pro, "E100");
    EXPECT_FALSE(TreeHasFiles(root.get()));
    EXPECT_FALSE(TreeHasFiles(nullptr));
    Tree4* deep = FindFolderByPath(root.get(), "mms\\camera\\myalbum2\\thumb");
    AddFile(deep, "t.bmp", kDay, 5);
    EXPECT_TRUE(TreeHasFiles(root.get()));
    EXPECT_TRUE(TreeHasFiles(FindChild("java", root.get())));  // mms is a later sibling
    EXPECT_FALSE(TreeHasFiles(FindChild("test", root.get())));
}

TEST(FolderMapTest, NodeCountsAndTheWalkOrder) {
    auto normal = BuildFolderMap(MapKind::Normal, "X600");
    EXPECT_EQ(CollectFolderTable(normal.get()).size(), 33u);
    auto proE = BuildFolderMap(MapKind::Pro, "E700");
    EXPECT_EQ(CollectFolderTable(proE.get()).size(), 65u);
    auto proDefault = BuildFolderMap(MapKind::Pro, "Q7K3");
    EXPECT_EQ(CollectFolderTable(proDefault.get()).size(), 63u);

    // "First child, then next sibling, then the node": a small tree shows the order.
    auto root = MakeRoot("E700", " ");
    Tree4* a = AddFolder("a", root.get(), "1");
    AddFolder("b", root.get(), "2");
    AddFolder("a1", a, "3");
    EXPECT_EQ(Names(CollectFolderTable(root.get())),
              (std::vector<std::string>{"..", "a1", "..", "..", "b", "a", "E700"}));
}

TEST(FolderMapTest, FamiliesNumberTheirFoldersApart) {
    auto e800 = BuildFolderMap(MapKind::Pro, "E800");
    EXPECT_EQ(e800->Id, "A");
    Tree4* sms = FindChild("sms", e800.get());
    Tree4* anim = FindChild("animations", sms);
    ASSERT_NE(anim, sms);
    EXPECT_EQ(anim->Id, "J");
    EXPECT_EQ(FindChild("test", e800.get())->Id, "K");
    EXPECT_EQ(FindChild("java", e800.get())->Id, "a");
    EXPECT_EQ(FindFolderByPath(e800.get(), "mms\\updwload")->Id, "`");

    auto x600 = BuildFolderMap(MapKind::Pro, "X600");
    EXPECT_EQ(FindChild("test", x600.get())->Id, "J");
    EXPECT_EQ(FindChild("sms", x600.get())->Children.size(), 1u);  // only its marker
    EXPECT_EQ(FindFolderByPath(x600.get(), "mms\\camera\\myalbum2\\image")->Id, "\\");
    // The sibling order is the map's row order.
    std::vector<std::string> top;
    for (const auto& c : x600->Children) top.push_back(c->Name);
    EXPECT_EQ(top,
              (std::vector<std::string>{"java", "user", "images", "wap", "sms", "mms", "test"}));

    auto normalE = BuildFolderMap(MapKind::Normal, "E700");
    EXPECT_EQ(normalE->Id, " ");
    EXPECT_EQ(FindFolderByPath(normalE.get(), "Images\\My Photos\\My Album 2")->Id, "]");
    EXPECT_EQ(FindFolderByPath(normalE.get(), "Sounds\\My Sounds")->Id, "U");
    EXPECT_TRUE(FindFolderByPath(normalE.get(), "Images\\My Photos")->Listed);
}

TEST(FreeSpaceTest, SixteenKilobyteUnitsAndTheAlbumRule) {
    test::ScriptedPhone p;
    p.flags.Mode = FolderMode::Normal;
    p.fs.SetRoot(BuildFolderMap(MapKind::Normal, "E700"));
    EXPECT_EQ(p.fs.EstimateFreeSpace(), "Свободно 12864 KB из 13104 KB ");

    Tree4* user = FindChild("User", p.fs.PhoneRoot());
    AddFile(user, "one", kDay, 1);
    AddFile(user, "exact", kDay, 16384);
    AddFile(user, "over", kDay, 16385);
    AddFile(user, "empty", kDay, 0);
    EXPECT_EQ(p.fs.UsedKilobytes(), 240 + 16 + 16 + 32);
    Tree4* camera = FindFolderByPath(p.fs.PhoneRoot(), "Images\\My Photos\\Camera");
    AddFile(camera, "p.jpg", kDay, 20000);
    EXPECT_EQ(p.fs.UsedKilobytes(), 240 + 64 + 32 + 16);

    // PRO counts a camera file like any other and keeps no reserve.
    p.flags.Mode = FolderMode::Pro;
    EXPECT_EQ(p.fs.UsedKilobytes(), 16 + 16 + 32 + 32);
    EXPECT_EQ(p.fs.EstimateFreeSpace(), "Свободно 13008 KB из 13104 KB ");
}

}  // namespace
