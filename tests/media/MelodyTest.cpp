#include "media/Melody.h"

#include "media/MediaTestSupport.h"
#include "base/Text.h"

using namespace q7k3;
using namespace q7k3::test;

namespace {

using MelodyTest = ScratchDir;

std::string TitleBlock(const std::string& bytes) {
    std::string block(32, '\xFF');
    block.replace(0, bytes.size(), bytes);
    return block;
}

// The copy to the computer names the .mmf after the melody's title, or after the phone file.
TEST_F(MelodyTest, CopyFormNamesTheMelodyFromItsTitleOrThePhoneName) {
    struct Row {
        std::string title;
        std::string expectedName;
    };
    const Row rows[] = {
        {"", "melody05.mmf"},
        {"Rain", "Rain.mmf"},
        {std::string("Ra\0in", 5), "Rain.mmf"},
        {"Rain.mmf", "Rain.mmf"},
        {"\xC4\xEE\xE6\xE4\xFC", "Дождь.mmf"},  // the title block is Windows-1251
        {"../../etc/passwd", ".._.._etc_passwd.mmf"},
        {"..", "...mmf"},
    };
    const std::string payload = "MMMD\x00\x00\x00\x10payload";
    for (const Row& row : rows) {
        SCOPED_TRACE(row.expectedName);
        WriteAll(Path("in.tmp"), TitleBlock(row.title) + payload);
        const auto r = ConvertMELtoMMF(Path("in.tmp"), Path("melody05.mel"), false);
        ASSERT_TRUE(r.Ok) << r.Text();
        EXPECT_EQ(r.Output, Path(row.expectedName));
        EXPECT_EQ(ReadText(r.Output), payload);
    }
}

TEST_F(MelodyTest, MmfToMelTitlesAfterTheFileNameAndRoundTrips) {
    const Bytes mmf = ReadAll(kDataDir + "/dlunch_midi.mmf");
    ASSERT_GT(mmf.size(), 1000u);
    const std::string longName = std::string(36, 'x') + ".mmf";  // 40 characters
    for (const std::string& name : {std::string("a.mmf"), longName}) {
        WriteAll(Path(name), mmf);
        const auto r = ConvertMMFtoMEL(Path(name), Path("out.mel"));
        ASSERT_TRUE(r.Ok) << r.Text();
        const Bytes mel = ReadAll(Path("out.mel"));
        ASSERT_EQ(mel.size(), mmf.size() + 32);
        const std::string title(mel.begin(), mel.begin() + 32);
        if (name == "a.mmf")
            EXPECT_EQ(title, TitleBlock("a.mmf"));
        else
            EXPECT_EQ(title, longName.substr(0, 32));
        EXPECT_EQ(RecogniseMelody(mel), MelodyKind::Mel);

        ASSERT_TRUE(ConvertMELtoMMF(Path("out.mel"), Path("back.mmf"), true));
        EXPECT_EQ(ReadAll(Path("back.mmf")), mmf);
    }
    // Cyrillic names travel in Windows-1251 inside the title block. "я" is 0xFF there,
    // which the phone reads as padding: the format cannot keep it.
    WriteAll(Path("Дождь.mmf"), mmf);
    ASSERT_TRUE(ConvertMMFtoMEL(Path("Дождь.mmf"), Path("out.mel")));
    EXPECT_EQ(MelTitle(ReadAll(Path("out.mel"))), "Дождь.mmf");
    WriteAll(Path("Песня.mmf"), mmf);
    ASSERT_TRUE(ConvertMMFtoMEL(Path("Песня.mmf"), Path("out.mel")));
    EXPECT_EQ(MelTitle(ReadAll(Path("out.mel"))), "Песн.mmf");
}

TEST_F(MelodyTest, RecognitionLooksForTheSmafMagicAtZeroOrAfterTheTitle) {
    WriteAll(Path("bare.mmf"), std::string("MMMD") + std::string(40, '\0'));
    WriteAll(Path("x.mel"), TitleBlock("x") + "MMMD....");
    WriteAll(Path("text.txt"), std::string(64, 'a'));
    WriteAll(Path("short"), std::string("MMM"));
    EXPECT_EQ(RecogniseMelodyFile(Path("bare.mmf")), MelodyKind::Mmf);
    EXPECT_EQ(RecogniseMelodyFile(Path("x.mel")), MelodyKind::Mel);
    EXPECT_EQ(RecogniseMelodyFile(Path("text.txt")), MelodyKind::Unknown);
    EXPECT_EQ(RecogniseMelodyFile(Path("short")), MelodyKind::Unknown);
    EXPECT_EQ(RecogniseMelodyFile(Path("missing")), MelodyKind::Unknown);
}

TEST_F(MelodyTest, ShortMissingAndOversizedSourcesAreRefused) {
    WriteAll(Path("title-only.mel"), TitleBlock("Rain"));
    auto r = ConvertMELtoMMF(Path("title-only.mel"), Path("empty.mmf"), true);
    ASSERT_TRUE(r.Ok);  // exactly 32 bytes: an empty melody
    EXPECT_TRUE(ReadAll(Path("empty.mmf")).empty());

    WriteAll(Path("short.mel"), std::string(31, 'x'));
    EXPECT_FALSE(ConvertMELtoMMF(Path("short.mel"), Path("o.mmf"), true));

    r = ConvertMELtoMMF(Path("missing.mel"), Path("o.mmf"), true);
    EXPECT_FALSE(r.Ok);
    EXPECT_EQ(r.Text(), "Невозможно открыть файл " + Path("missing.mel"));

    WriteAll(Path("big.mel"), std::string(650001, 'x'));
    r = ConvertMELtoMMF(Path("big.mel"), Path("o.mmf"), true);
    EXPECT_EQ(r.Text(), "Файл big.mel слишком большой");
    WriteAll(Path("big.mmf"), std::string(1048577, 'x'));
    EXPECT_EQ(ConvertMMFtoMEL(Path("big.mmf"), Path("o.mel")).Message, 9);
    EXPECT_FALSE(Exists(Path("o.mmf")));
    EXPECT_FALSE(Exists(Path("o.mel")));
}

}  // namespace
