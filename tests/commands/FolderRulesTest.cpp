#include "commands/FolderRules.h"

#include <gtest/gtest.h>

#include "phonefs/FolderMaps.h"
#include "base/Text.h"

using namespace q7k3;

namespace {

TEST(FolderRules, NameCutsKeepTheExtensionAndWholeCharacters) {
    struct Case {
        std::string name;
        size_t limit;
        std::string expected;
    };
    const std::string cyr = "абвгдежзийклмнопрсту";  // 20 letters, 40 bytes
    const Case cases[] = {
        {std::string(46, 'a') + ".mid", 43, std::string(39, 'a') + ".mid"},
        {std::string(36, 'b') + ".mid", 28, std::string(24, 'b') + ".mid"},
        {cyr + ".mid", 28, "абвгдежзийкл.mid"},
        {"short.mid", 43, "short.mid"},
        {std::string(43, 'c'), 43, std::string(43, 'c')},
    };
    for (const Case& c : cases) {
        const std::string cut = CutPhoneName(c.name, c.limit);
        EXPECT_EQ(cut, c.expected) << c.name;
        EXPECT_LE(cut.size(), c.limit);
    }
    EXPECT_EQ(Utf8Length(CutPhoneName(cyr + ".mid", 28)), 16u);
}

TEST(FolderRules, RoutesToTheComputerFirstMatchWinsAndAreCaseSensitive) {
    struct Case {
        FolderKind kind;
        const char* name;
        bool mel;
        FetchRoute route;
    };
    const Case cases[] = {
        {FolderKind::Animations, "picture.ani", true, FetchRoute::AniToBmp},
        {FolderKind::Animations, "picture.ANI", true, FetchRoute::Plain},
        {FolderKind::DefaultSounds, "melody01.mel", true, FetchRoute::MelToMmf},
        {FolderKind::DefaultSounds, "melody01.mel", false, FetchRoute::Plain},
        {FolderKind::DefaultSounds, "melody01.MEL", true, FetchRoute::Plain},
        {FolderKind::SmsImages, "image00.ani", true, FetchRoute::EmsToBmp},
        {FolderKind::SmsSounds, "melody00.mel", false, FetchRoute::EmsToImy},
        {FolderKind::MySounds, "tune.mel", true, FetchRoute::Plain},
        {FolderKind::Java, "game_suite.jar", true, FetchRoute::Plain},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(RouteToComputer(c.kind, c.name, c.mel), c.route) << c.name;
    }
}

TEST(FolderRules, NamesBothWays) {
    EXPECT_EQ(ComputerName("game_suite.jar"), "game.jar");
    EXPECT_EQ(ComputerName("my_suite_suite.jar"), "my_suite.jar");
    EXPECT_EQ(ComputerName("a\\b.txt"), "a_b.txt");
    EXPECT_EQ(ComputerName(".."), "_..");
    EXPECT_EQ(ComputerName("x\ny"), "x_y");

    EXPECT_EQ(JavaSuiteName("Game.jar"), "Game_suite.jar");
    EXPECT_EQ(JavaSuiteName("Game.JAD"), "Game_suite.jad");
    EXPECT_EQ(JavaSuiteName("Game_suite.jar"), "Game_suite.jar");
    EXPECT_EQ(JavaSuiteName("readme.txt"), "readme.txt");
    EXPECT_EQ(JadNameForJar("Game.jar"), "Game_suite.jad");

    EXPECT_TRUE(IsPictureName("Photo.JPG"));
    EXPECT_FALSE(IsPictureName("tune.mid"));
    EXPECT_EQ(ThumbnailName("photo0001.jpg"), "photo0001.bmp");
}

// The stem gives way to the limit, never "_suite"; a suite name takes no second suffix.
TEST(FolderRules, JavaNamesKeepTheirSuffixWithinTheLimit) {
    struct Case {
        std::string name;
        std::string suite;  // JavaSuiteName
        std::string jad;    // JadNameForJar
    };
    const std::string a40(40, 'a'), a33(33, 'a');
    const std::string zh = "жжжжжжжжжжжжжжжжжжжж";  // 20 letters, 40 bytes
    const Case cases[] = {
        {a40 + ".jar", a33 + "_suite.jar", a33 + "_suite.jad"},
        {a40 + "_suite.jar", a33 + "_suite.jar", a33 + "_suite.jad"},
        {zh + ".JAR", "жжжжжжжжжжжжжжжж_suite.jar", "жжжжжжжжжжжжжжжж_suite.jad"},
        {"game_suite.jar", "game_suite.jar", "game_suite.jad"},
        {"Game.jar", "Game_suite.jar", "Game_suite.jad"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(JavaSuiteName(c.name), c.suite) << c.name;
        EXPECT_EQ(JadNameForJar(c.name), c.jad) << c.name;
        EXPECT_LE(JavaSuiteName(c.name).size(), kMaxPhoneNameBytes);
    }
    EXPECT_EQ(JavaSuiteName(std::string(50, 'r') + ".txt"), std::string(39, 'r') + ".txt");
}

TEST(FolderRules, FoldersAreKnownByTheMapsNamesAndThumbnailsByFamily) {
    auto root = BuildFolderMap(MapKind::Normal, "E700");
    const auto kind = [&](const char* path) { return KindOf(FindFolderByPath(root.get(), path)); };
    EXPECT_EQ(kind("java"), FolderKind::Java);
    EXPECT_EQ(kind("Sounds\\Default Sounds"), FolderKind::DefaultSounds);
    EXPECT_EQ(kind("Sounds\\My Sounds"), FolderKind::MySounds);
    EXPECT_EQ(kind("Sounds\\sms"), FolderKind::SmsSounds);
    EXPECT_EQ(kind("Images\\sms"), FolderKind::SmsImages);
    EXPECT_EQ(kind("Images\\Animations"), FolderKind::Animations);
    EXPECT_EQ(kind("Images\\OnOff/Menu Images"), FolderKind::Animations);
    EXPECT_EQ(kind("User"), FolderKind::Other);
    EXPECT_EQ(RuleToPhone(FolderKind::MySounds).NameBytes, kMySoundsNameBytes);

    struct Case {
        const char* folder;
        const char* model;
        const char* id;
    };
    const Case cases[] = {
        {"Camera", "E700", "X"},     {"Camera", "X600", "W"},     {"My Album 1", "E700", "["},
        {"My Album 1", "Q7K3", "Z"}, {"My Album 2", "E800", "^"}, {"My Album 2", "E100", "]"},
        {"Sounds", "E700", ""},      {"camera", "E700", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(ThumbnailFolderId(c.folder, c.model), c.id) << c.folder;
}

}  // namespace
