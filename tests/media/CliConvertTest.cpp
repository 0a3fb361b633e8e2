// q7k3fm-cli convert, every kind on real files, and its failures worded from the catalogue.

#include <zip.h>

#include <QProcess>
#include <filesystem>
#include <set>

#include "media/EmsMelody.h"
#include "media/EmsPicture.h"
#include "media/MediaTestSupport.h"
#include "media/Picture.h"
#include "base/Messages.h"

using namespace q7k3;
using namespace q7k3::test;

namespace {

struct CliConvertTest : ScratchDir {
    int exitCode = -1;
    std::string out, err;

    bool Run(const std::vector<std::string>& args) {
        QStringList list{"convert"};
        for (const auto& a : args) list << QString::fromStdString(a);
        QProcess p;
        p.start(Q7K3_BIN_DIR "/q7k3fm-cli", list);
        if (!p.waitForFinished(30000)) return false;
        exitCode = p.exitCode();
        out = p.readAllStandardOutput().toStdString();
        err = p.readAllStandardError().toStdString();
        return exitCode == 0;
    }
};

TEST_F(CliConvertTest, EveryKindOnRealFiles) {
    const std::string mmf = kDataDir + "/dlunch_wave.mmf";
    ASSERT_TRUE(Run({"mmf2mel", mmf, Path("song.mel")})) << err;
    ASSERT_TRUE(Run({"mel2mmf", Path("song.mel"), Folder()})) << err;  // titled dlunch_wave.mmf
    EXPECT_EQ(ReadAll(Path("dlunch_wave.mmf")), ReadAll(mmf));

    Solid(40, 30, qRgb(0, 0, 0)).save(QString::fromStdString(Path("pic.bmp")));
    ASSERT_TRUE(Run({"pic2ani", Path("pic.bmp"), Path("pic.ani")})) << err;
    EXPECT_EQ(ReadAll(Path("pic.ani")).size(), 40u * 30 * 2);
    WriteAll(Path("wpaper.ani"), Bytes(126 * 2 * 10, 0xFF));
    ASSERT_TRUE(Run({"ani2bmp", Path("wpaper.ani"), Folder()})) << err;
    EXPECT_EQ(LoadPicture(Path("wpaper.bmp")).size(), QSize(126, 10));
    ASSERT_TRUE(Run({"ani2bmp", Path("wpaper.ani"), Path("narrow.bmp"), "--width", "128"})) << err;
    EXPECT_EQ(LoadPicture(Path("narrow.bmp")).size(), QSize(128, 9));
    // Named as the copy from the phone names it: the scratch file read for wpaper.ani.
    WriteAll(Path("phone.tmp"), Bytes(126 * 2 * 10, 0xFF));
    // wpaper.bmp exists from the first ani2bmp: replaced only with --force.
    EXPECT_FALSE(Run({"ani2bmp", Path("phone.tmp"), Path("wpaper.ani")}));
    EXPECT_EQ(exitCode, 6);
    ASSERT_TRUE(Run({"ani2bmp", Path("phone.tmp"), Path("wpaper.ani"), "--force"})) << err;
    EXPECT_EQ(out, Path("wpaper.bmp") + "\n");
    EXPECT_EQ(LoadPicture(Path("wpaper.bmp")).size(), QSize(126, 10));

    ASSERT_TRUE(Run({"pic2ems", Path("pic.bmp"), Path("image04.ani"), "--slot", "4"})) << err;
    EXPECT_EQ(ReadAll(Path("image04.ani"))[21], 4);
    // Named after its title, pic.bmp: the source picture itself, so --force.
    ASSERT_TRUE(Run({"ems2bmp", Path("image04.ani"), Folder(), "--force"})) << err;
    EXPECT_EQ(out, Path("pic.bmp") + "\n");  // named after the title

    WriteAll(Path("tune.imy"), std::string("BEGIN:IMELODY\r\nVERSION:1.2\r\nFORMAT:CLASS1.0\r\n"
                                           "BEAT:100\r\nMELODY:c4\r\nEND:IMELODY\r\n"));
    ASSERT_TRUE(Run({"imy2ems", Path("tune.imy"), Path("melody00.mel"), "--slot", "0"})) << err;
    std::filesystem::create_directory(Path("pc"));
    ASSERT_TRUE(Run({"ems2imy", Path("melody00.mel"), Path("pc")})) << err;
    EXPECT_EQ(ReadAll(Path("pc/tune.imy")), ReadAll(Path("tune.imy")));

    ASSERT_TRUE(Run({"jad", kDataDir + "/OpenTTY-1.2.jar", Folder()})) << err;
    EXPECT_TRUE(ReadText(Path("OpenTTY-1.2.jad")).ends_with("MIDlet-Jar-Url: OpenTTY-1.2.jar"));
}

TEST_F(CliConvertTest, FailuresPrintTheCatalogueTextAndExitNonZero) {
    WriteAll(Path("x.bmp"), std::string("text, not a picture"));
    EXPECT_FALSE(Run({"pic2ems", Path("x.bmp"), Path("o.ani")}));
    // The input is checked before the converter runs: it says what was expected.
    EXPECT_EQ(exitCode, 7);
    EXPECT_NE(err.find("ожидался картинка BMP, JPEG, GIF или PNG"), std::string::npos) << err;
    EXPECT_FALSE(Run({"jad", Path("x.bmp"), Path("o.jad")}));
    EXPECT_NE(err.find("ожидался архив JAR"), std::string::npos) << err;
    EXPECT_FALSE(Run({"mmf2mel", Path("none.mmf"), Path("o.mel")}));
    EXPECT_NE(err.find("Невозможно открыть файл"), std::string::npos) << err;
    EXPECT_EQ(exitCode, 6);
    EXPECT_FALSE(Run({"pic2ems", Path("x.bmp"), Path("o.ani"), "--slot", "300"}));
    EXPECT_EQ(exitCode, 2);
    EXPECT_FALSE(Run({"wav2mp3", Path("x.bmp"), Path("o")}));
    EXPECT_EQ(exitCode, 2);
}

// Files of a neighbouring kind are refused with a message that says what is wrong, and
// nothing is written.
TEST_F(CliConvertTest, NeighbouringKindsAreRefusedForWhatTheyLack) {
    Bytes picture;
    ASSERT_TRUE(EncodeEmsPicture({Solid(16, 16, qRgb(0, 0, 0))}, "Smile", 0, picture));
    WriteAll(Path("image00.ani"), picture);
    {
        int error = 0;
        zip_t* z = zip_open(Path("bare.jar").c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
        ASSERT_NE(z, nullptr);
        zip_file_add(z, "Main.class", zip_source_buffer(z, "x", 1, 0), 0);
        ASSERT_EQ(zip_close(z), 0);
    }
    WriteAll(Path("long.imy"),
             "BEGIN:IMELODY\r\nVERSION:1.2\r\nFORMAT:CLASS1.0\r\nBEAT:120\r\n"
             "MELODY:" +
                 std::string(300, 'c') + "\r\n " + std::string(300, 'd') + "\r\nEND:IMELODY\r\n");
    struct Row {
        std::vector<std::string> args;
        std::string said;
    };
    const Row rows[] = {
        {{"ems2imy", Path("image00.ani"), Path("o.imy")}, Msg(kMsgCliKindEmsMelody)},
        {{"jad", Path("bare.jar"), Path("o.jad")}, Msg(kMsgJarNoManifest)},
        {{"imy2ems", Path("long.imy"), Path("o.mel")}, Msg(kMsgEmsMelodyTooLong)},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.args[0]);
        EXPECT_FALSE(Run(row.args));
        EXPECT_EQ(exitCode, 7);
        EXPECT_NE(err.find(row.said), std::string::npos) << err;
        EXPECT_FALSE(Exists(row.args[2]));
    }
}

// An output is never written through a symbolic link in its place, dangling or not, and
// one that replaces a file leaves nothing of the program's beside it.
TEST_F(CliConvertTest, AnOutputIsNeverWrittenThroughALink) {
    const std::string mmf = kDataDir + "/dlunch_midi.mmf";
    WriteAll(Path("victim.txt"), std::string("precious"));
    namespace fs = std::filesystem;
    for (const char* kind : {"mmf2mel", "mmf2wav"}) {
        const std::string ext = std::string(kind) == "mmf2mel" ? ".mel" : ".wav";
        struct Row {
            std::string out, pointsTo;
        };
        const Row rows[] = {{Path("link" + ext), Path("victim.txt")},
                            {Path("dangling" + ext), Path("nothing" + ext)}};
        for (const Row& row : rows) {
            SCOPED_TRACE(std::string(kind) + " " + row.out);
            fs::remove(row.out);
            fs::create_symlink(row.pointsTo, row.out);
            EXPECT_FALSE(Run({kind, mmf, row.out, "--force"}));
            EXPECT_EQ(exitCode, 6);
            EXPECT_NE(err.find(Msg(kMsgLinkRefused) + row.out), std::string::npos) << err;
            EXPECT_TRUE(fs::is_symlink(row.out));
            fs::remove(row.out);
        }
        EXPECT_EQ(ReadAll(Path("victim.txt")), Bytes({'p', 'r', 'e', 'c', 'i', 'o', 'u', 's'}));
        EXPECT_FALSE(Exists(Path("nothing" + ext)));
        // Over a file: replaced whole, and no part file is left beside it.
        WriteAll(Path("old" + ext), std::string("old"));
        ASSERT_TRUE(Run({kind, mmf, Path("old" + ext), "--force"})) << err;
        EXPECT_GT(fs::file_size(Path("old" + ext)), 100u);
    }
    std::set<std::string> names;
    for (const auto& e : fs::directory_iterator(Folder())) names.insert(e.path().filename());
    EXPECT_EQ(names, (std::set<std::string>{"old.mel", "old.wav", "victim.txt"}));
}

}  // namespace
