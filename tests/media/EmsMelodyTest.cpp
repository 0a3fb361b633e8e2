#include "media/EmsMelody.h"

#include <filesystem>
#include <sstream>

#include "media/MediaTestSupport.h"
#include "base/Messages.h"

using namespace q7k3;
using namespace q7k3::test;

namespace {

using EmsMelodyTest = ScratchDir;

const std::string kTune =
    "BEGIN:IMELODY\r\nVERSION:1.2\r\nFORMAT:CLASS1.0\r\nNAME:Test\r\nBEAT:120\r\n"
    "MELODY:c2d2e2\r\nEND:IMELODY\r\n";
const std::string kBody =
    "BEGIN:IMELODY\r\nVERSION:1.2\r\nFORMAT:CLASS1.0\r\nBEAT:120\r\nMELODY:c2d2e2\r\n"
    "END:IMELODY\r\n";

TEST_F(EmsMelodyTest, TheSixLinesFollowTheFortyByteHeader) {
    WriteAll(Path("Song.IMY"), kTune);
    ASSERT_TRUE(ConvertIMYtoEMS(Path("Song.IMY"), Path("out.mel"), 4));
    const Bytes ems = ReadAll(Path("out.mel"));
    ASSERT_EQ(ems.size(), 123u);
    EXPECT_EQ(Bytes(ems.begin(), ems.begin() + 11),
              (Bytes{0x01, 0x02, 0x00, 83, 0x01, 0x70, 0x92, 0x20, 0x00, 0x00, 4}));
    EXPECT_EQ(EmsMelodyTitle(ems), "Song");
    EXPECT_EQ(std::string(ems.begin() + 40, ems.end()), kBody);
}

TEST_F(EmsMelodyTest, LinesAreTakenInTheFixedOrderWithTheirOwnLineEnds) {
    struct Row {
        std::string source, body;
    };
    const Row rows[] = {
        // Reordered keys, and the END line without a line end.
        {"BEGIN:IMELODY\r\nBEAT:120\r\nVERSION:1.2\r\nFORMAT:CLASS1.0\r\nMELODY:c2\r\nEND:IMELODY",
         "BEGIN:IMELODY\r\nVERSION:1.2\r\nFORMAT:CLASS1.0\r\nBEAT:120\r\nMELODY:c2\r\nEND:"
         "IMELODY\r\n"},
        // Bare line feeds stay bare.
        {"BEGIN:IMELODY\nVERSION:1.2\nFORMAT:CLASS1.0\nBEAT:90\nMELODY:e4\nEND:IMELODY\n",
         "BEGIN:IMELODY\nVERSION:1.2\nFORMAT:CLASS1.0\nBEAT:90\nMELODY:e4\nEND:IMELODY\n"},
    };
    for (const Row& row : rows) {
        std::string body;
        ASSERT_TRUE(ImelodyBody(row.source, body));
        EXPECT_EQ(body, row.body);
    }
    std::string body;
    EXPECT_FALSE(
        ImelodyBody("BEGIN:IMELODY\r\nVERSION:1.2\r\nFORMAT:CLASS1.0\r\nMELODY:c2\r\n"
                    "END:IMELODY\r\n",
                    body));  // no BEAT line
    WriteAll(Path("nobeat.imy"), std::string("BEGIN:IMELODY\r\nEND:IMELODY\r\n"));
    EXPECT_EQ(ConvertIMYtoEMS(Path("nobeat.imy"), Path("o.mel"), 0).Text(),
              "Файл мелодии не опознан");
    EXPECT_FALSE(Exists(Path("o.mel")));
}

// Long lines are folded: a line break followed by blanks goes on with the line before.
TEST_F(EmsMelodyTest, FoldedLinesAreJoinedAndLongTunesRefused) {
    struct Row {
        std::string source, melodyLine;
    };
    const Row rows[] = {
        {"MELODY:c2d2\r\n e2f2\r\n g2\r\n", "MELODY:c2d2e2f2g2\r\n"},
        {"MELODY:c2\n\t\td2\n", "MELODY:c2d2\n"},
        {"MELODY:c2\r\nd2\r\n", "MELODY:c2\r\n"},  // not folded: a line of its own
    };
    for (const Row& row : rows) {
        std::string body;
        ASSERT_TRUE(ImelodyBody("BEGIN:IMELODY\r\nVERSION:1.2\r\nFORMAT:CLASS1.0\r\nBEAT:120\r\n" +
                                    row.source + "END:IMELODY\r\n",
                                body));
        EXPECT_NE(body.find(row.melodyLine), std::string::npos) << body;
    }

    // Up to 500 bytes of text fit an SMS melody.
    const std::string head =
        "BEGIN:IMELODY\r\nVERSION:1.2\r\nFORMAT:CLASS1.0\r\nBEAT:120\r\nMELODY:";
    const std::string tail = "\r\nEND:IMELODY\r\n";
    const size_t room = kMaxEmsMelodyText - head.size() - tail.size();
    WriteAll(Path("fits.imy"), head + std::string(room, 'c') + tail);
    EXPECT_TRUE(ConvertIMYtoEMS(Path("fits.imy"), Path("fits.mel"), 0));
    WriteAll(Path("long.imy"), head + std::string(room / 2, 'c') + "\r\n " +
                                   std::string(room - room / 2 + 1, 'd') + tail);
    const MediaResult r = ConvertIMYtoEMS(Path("long.imy"), Path("long.mel"), 0);
    EXPECT_EQ(r.Text(), Msg(kMsgEmsMelodyTooLong));
    EXPECT_FALSE(Exists(Path("long.mel")));
}

TEST_F(EmsMelodyTest, TitlesAreCutToTwentyEightBytes) {
    Bytes out;
    ASSERT_TRUE(EncodeEmsMelody(kTune, "Подмосковные вечера", 0, out));  // 37 bytes in UTF-8
    EXPECT_EQ(EmsMelodyTitle(out), "Подмосковные в");                    // 27 bytes
    ASSERT_TRUE(EncodeEmsMelody(kTune, std::string(40, 'a'), 0, out));
    EXPECT_EQ(EmsMelodyTitle(out), std::string(28, 'a'));
    EXPECT_EQ(out[39], 0);
}

TEST_F(EmsMelodyTest, ToTheComputerTheTitleNamesTheFileAndTheLengthIsChecked) {
    Bytes ems;
    ASSERT_TRUE(EncodeEmsMelody(kTune, "Tune", 0, ems));
    WriteAll(Path("melody00.mel"), ems);
    auto r = ConvertEMStoIMY(Path("melody00.mel"), "", Folder());
    ASSERT_TRUE(r.Ok) << r.Text();
    EXPECT_EQ(r.Output, Path("Tune.imy"));
    EXPECT_EQ(ReadText(Path("Tune.imy")), kBody);

    ASSERT_TRUE(EncodeEmsMelody(kTune, "", 0, ems));
    WriteAll(Path("melody01.mel"), ems);
    EXPECT_EQ(ConvertEMStoIMY(Path("melody01.mel"), "", Folder()).Output, Path(".imy"));

    ASSERT_TRUE(EncodeEmsMelody(kTune, "../up", 0, ems));
    WriteAll(Path("melody02.mel"), ems);
    EXPECT_EQ(ConvertEMStoIMY(Path("melody02.mel"), "", Folder()).Output, Path(".._up.imy"));

    // A header claiming 500 bytes in a 300-byte file.
    Bytes lying(300, 'x');
    lying[0] = 1, lying[1] = 2, lying[2] = 0x01, lying[3] = 0xF4;
    WriteAll(Path("lying.mel"), lying);
    r = ConvertEMStoIMY(Path("lying.mel"), Path("lying.imy"));
    EXPECT_FALSE(r.Ok);
    EXPECT_FALSE(Exists(Path("lying.imy")));
    std::string text;
    EXPECT_FALSE(DecodeEmsMelody(ByteView(ems).first(39), text));
}

TEST_F(EmsMelodyTest, RealTunesKeepTheirSixLines) {
    const std::string folder = kSharedSamples + "/imy";
    if (!std::filesystem::is_directory(folder)) GTEST_SKIP() << folder << " is absent";
    int seen = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        if (entry.path().extension() != ".imy") continue;
        SCOPED_TRACE(entry.path().string());
        ++seen;
        ASSERT_TRUE(ConvertIMYtoEMS(entry.path().string(), Path("t.mel"), 9));
        const Bytes ems = ReadAll(Path("t.mel"));
        EXPECT_EQ(EmsMelodyTitle(ems), entry.path().stem().string());
        const std::string body(ems.begin() + 40, ems.end());
        EXPECT_EQ(media::ReadBe16(ems, 2), body.size());
        EXPECT_TRUE(body.starts_with("BEGIN:IMELODY\r\nVERSION:1.2\r\nFORMAT:CLASS1.0\r\nBEAT:"));
        EXPECT_TRUE(body.ends_with("END:IMELODY\r\n"));
        EXPECT_EQ(body.find("NAME:"), std::string::npos);
        ASSERT_TRUE(ConvertEMStoIMY(Path("t.mel"), Path("back.imy")));
        EXPECT_EQ(ReadText(Path("back.imy")), body);
    }
    EXPECT_GT(seen, 5);
}

// Real tunes whose MELODY line goes on over folded lines keep every note.
TEST_F(EmsMelodyTest, RealFoldedTunesKeepAllTheirNotes) {
    const std::string folder = kSharedSamples + "/imy";
    if (!std::filesystem::is_directory(folder)) GTEST_SKIP() << folder << " is absent";
    for (const char* name : {"mozart1", "mozart2", "queen", "strauss1", "strauss2"}) {
        SCOPED_TRACE(name);
        // The notes as the file has them: the MELODY line and the lines that start with a
        // blank after it.
        std::istringstream lines(ReadText(folder + "/" + name + ".imy"));
        std::string line, notes;
        bool inMelody = false;
        while (std::getline(lines, line)) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            if (line.starts_with("MELODY:")) {
                inMelody = true;
                notes = line.substr(7);
            } else if (inMelody && !line.empty() && line[0] == ' ') {
                notes += line.substr(line.find_first_not_of(' '));
            } else {
                inMelody = false;
            }
        }
        ASSERT_GT(notes.size(), 60u);
        ASSERT_TRUE(ConvertIMYtoEMS(folder + "/" + name + ".imy", Path("t.mel"), 0));
        std::string body;
        ASSERT_TRUE(DecodeEmsMelody(ReadAll(Path("t.mel")), body));
        EXPECT_NE(body.find("\r\nMELODY:" + notes + "\r\nEND:IMELODY\r\n"), std::string::npos)
            << body;
    }
}

}  // namespace
