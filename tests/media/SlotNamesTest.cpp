#include "media/SlotNames.h"

#include <gtest/gtest.h>

using namespace q7k3;

namespace {

std::vector<std::string> Melodies(int from, int to) {
    std::vector<std::string> names;
    for (int n = from; n <= to; ++n)
        names.push_back((n < 10 ? "melody0" : "melody") + std::to_string(n) + ".mel");
    return names;
}

TEST(SlotNamesTest, TheFirstFreeSlotIsTakenInOrder) {
    auto s = SmsImagesNamesCheck(std::vector<std::string>{});
    EXPECT_EQ(s.Name, "image00.ani");
    EXPECT_EQ(s.Slot, 0);
    std::vector<std::string> names{"image00.ani", "image01.ani", "image03.ani", "readme.txt"};
    s = SmsImagesNamesCheck(names);
    EXPECT_EQ(s.Name, "image02.ani");
    EXPECT_EQ(s.Slot, 2);
    names.push_back(s.Name);
    EXPECT_EQ(SmsImagesNamesCheck(names).Name, "image04.ani");
    // The phone's names are compared exactly.
    EXPECT_EQ(SmsImagesNamesCheck({"Image00.ani"}).Name, "image00.ani");
    EXPECT_EQ(SmsMelodyNamesCheck(Melodies(0, 3)).Name, "melody04.mel");
    EXPECT_EQ(SmsMelodyNamesCheck(Melodies(1, 9)).Name, "melody00.mel");
}

TEST(SlotNamesTest, DefaultMelodiesRunFromOneToSixteen) {
    EXPECT_EQ(DefaultMelodyNamesCheck(std::vector<std::string>{}).Name, "melody01.mel");
    const auto s = DefaultMelodyNamesCheck(Melodies(1, 9));
    EXPECT_EQ(s.Name, "melody10.mel");
    EXPECT_EQ(s.Slot, 10);
    EXPECT_EQ(DefaultMelodyNamesCheck(Melodies(1, 15)).Name, "melody16.mel");
}

TEST(SlotNamesTest, FullFoldersGiveNoName) {
    EXPECT_FALSE(DefaultMelodyNamesCheck(Melodies(1, 16)));  // melody00.mel does not count
    EXPECT_FALSE(SmsMelodyNamesCheck(Melodies(0, 9)));
    std::vector<std::string> images;
    for (int n = 0; n < 10; ++n) images.push_back("image0" + std::to_string(n) + ".ani");
    const auto s = SmsImagesNamesCheck(images);
    EXPECT_TRUE(s.Name.empty());
    EXPECT_EQ(s.Slot, -1);
    // The predicate form sees the same names.
    EXPECT_EQ(SmsImagesNamesCheck([](const std::string& n) { return n != "image07.ani"; }).Slot, 7);
}

}  // namespace
