#include "media/Jad.h"

#include <zip.h>

#include <filesystem>

#include "media/MediaTestSupport.h"
#include "base/Messages.h"
#include "base/TempDir.h"

using namespace q7k3;
using namespace q7k3::test;

namespace {

struct JadTest : ScratchDir {
    // A jar holding the given entries (name, content).
    std::string MakeJar(const std::string& name,
                        const std::vector<std::pair<std::string, std::string>>& entries) {
        const std::string path = Path(name);
        int err = 0;
        zip_t* z = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &err);
        EXPECT_NE(z, nullptr);
        for (const auto& [entry, content] : entries) {
            zip_source_t* s = zip_source_buffer(z, content.data(), content.size(), 0);
            zip_file_add(z, entry.c_str(), s, ZIP_FL_OVERWRITE);
        }
        EXPECT_EQ(zip_close(z), 0);
        return path;
    }
};

const std::string kTetris =
    "Manifest-Version: 1.0\r\nMIDlet-Name: Tetris\r\nMIDlet-Vendor: Someone\r\n"
    "MIDlet-Version: 1.0\r\nMIDlet-1: Tetris,/icon.png,Main";

TEST_F(JadTest, TheSixLinesInTheirOrderWithoutAFinalLineEnd) {
    std::string jad;
    ASSERT_TRUE(BuildJad(kTetris, 12345, "tetris.jar", jad));
    EXPECT_EQ(jad,
              "MIDlet-Version: 1.0\r\nMIDlet-Vendor: Q7K3FM\r\nMIDlet-Name: Tetris\r\n"
              "MIDlet-1: Tetris,/icon.png,Main\r\nMIDlet-Jar-Size: 12345\r\n"
              "MIDlet-Jar-Url: tetris.jar");
    EXPECT_FALSE(BuildJad("MIDlet-Name: T\r\nMIDlet-1: T,,M\r\n", 1, "t.jar", jad));
    EXPECT_FALSE(BuildJad("MIDlet-Version: 1\r\nMIDlet-1: T,,M\r\n", 1, "t.jar", jad));
    EXPECT_FALSE(BuildJad("MIDlet-Version: 1\r\nMIDlet-Name: T\r\n", 1, "t.jar", jad));
}

// Jar tools wrap manifest lines at 72 bytes, going on after one space; every piece
// belongs to the line, and a space that is the value's own stays.
TEST_F(JadTest, WrappedManifestLinesAreJoined) {
    const std::string wrapped =
        "Manifest-Version: 1.0\r\nMIDlet-Name: A Game With A Name Long Enough To Be Wrapp\r\n"
        " ed At Seventy-Two\r\nMIDlet-Version: 2.0\r\nMIDlet-1: A Game, /icons/a_long_ic\r\n"
        " on_name.png, com.example.games.Main\r\nMIDlet-Vendor: x\n  y\n";
    const std::string jar = MakeJar("wrapped.jar", {{"META-INF/MANIFEST.MF", wrapped}});
    ASSERT_TRUE(CreateJadFromManifest(jar, Path("wrapped.jad")));
    EXPECT_EQ(ReadText(Path("wrapped.jad")),
              "MIDlet-Version: 2.0\r\nMIDlet-Vendor: Q7K3FM\r\n"
              "MIDlet-Name: A Game With A Name Long Enough To Be Wrapped At Seventy-Two\r\n"
              "MIDlet-1: A Game, /icons/a_long_icon_name.png, com.example.games.Main\r\n"
              "MIDlet-Jar-Size: " +
                  std::to_string(std::filesystem::file_size(jar)) +
                  "\r\nMIDlet-Jar-Url: wrapped.jar");
    EXPECT_EQ(UnwrapManifest("MIDlet-Vendor: x\n  y\n"), "MIDlet-Vendor: x y\n");
}

TEST_F(JadTest, TheDescriptorComesFromTheJarsManifest) {
    const std::string jar = MakeJar(
        "Тетрис.jar", {{"META-INF/MANIFEST.MF", kTetris}, {"Main.class", std::string(5000, 'c')}});
    const auto r = CreateJadFromManifest(jar, Path("out.jad"));
    ASSERT_TRUE(r.Ok) << r.Text();
    const std::string jad = ReadText(Path("out.jad"));
    EXPECT_TRUE(jad.starts_with("MIDlet-Version: 1.0\r\nMIDlet-Vendor: Q7K3FM\r\n"));
    EXPECT_TRUE(
        jad.ends_with("MIDlet-Jar-Size: " + std::to_string(std::filesystem::file_size(jar)) +
                      "\r\nMIDlet-Jar-Url: Тетрис.jar"));
    EXPECT_TRUE(Exists(PrivateTempDir() + "/MANIFEST.MF"));
}

TEST_F(JadTest, AnArchiveWithoutManifestDoesNotBorrowAnEarlierOne) {
    const std::string good = MakeJar("good.jar", {{"META-INF/MANIFEST.MF", kTetris}});
    ASSERT_TRUE(CreateJadFromManifest(good, Path("good.jad")));
    const std::string bare = MakeJar("bare.jar", {{"Main.class", "x"}});
    const auto r = CreateJadFromManifest(bare, Path("bare.jad"));
    EXPECT_EQ(r.Text(), Msg(kMsgJarNoManifest));
    EXPECT_TRUE(JarLacksManifest(ReadAll(bare)));
    EXPECT_FALSE(JarLacksManifest(ReadAll(good)));
    EXPECT_FALSE(Exists(Path("bare.jad")));
    EXPECT_FALSE(Exists(PrivateTempDir() + "/MANIFEST.MF"));

    const std::string keyless =
        MakeJar("keyless.jar", {{"META-INF/MANIFEST.MF", "Manifest-Version: 1.0\r\n"}});
    EXPECT_FALSE(CreateJadFromManifest(keyless, Path("k.jad")));
    WriteAll(Path("fake.jar"), std::string("PK\x03\x04 not really"));
    EXPECT_FALSE(CreateJadFromManifest(Path("fake.jar"), Path("f.jad")));
    EXPECT_EQ(CreateJadFromManifest(Path("none.jar"), Path("n.jad")).Message, 1);
}

TEST_F(JadTest, RealMidletArchives) {
    struct Row {
        std::string jar, version, name, midlet;
    };
    std::vector<Row> rows = {{kDataDir + "/OpenTTY-1.2.jar", "MIDlet-Version: 1.2\r\n",
                              "MIDlet-Name: OpenTTY\r\n",
                              "MIDlet-1: OpenTTY,icon.png,OpenTTY\r\n"}};
    if (Exists(kSharedSamples + "/jar/miniTruco.jar"))
        rows.push_back({kSharedSamples + "/jar/miniTruco.jar", "MIDlet-Version: 3.17.00\r\n",
                        "MIDlet-Name: miniTruco\r\n",
                        "MIDlet-1: miniTruco, /minitrucoicone.png, mt.MiniTruco\r\n"});
    for (const Row& row : rows) {
        SCOPED_TRACE(row.jar);
        ASSERT_TRUE(CreateJadFromManifest(row.jar, Path("real.jad")));
        const std::string jarName = std::filesystem::path(row.jar).filename().string();
        EXPECT_EQ(ReadText(Path("real.jad")),
                  row.version + "MIDlet-Vendor: Q7K3FM\r\n" + row.name + row.midlet +
                      "MIDlet-Jar-Size: " + std::to_string(std::filesystem::file_size(row.jar)) +
                      "\r\nMIDlet-Jar-Url: " + jarName);
        std::string manifest;
        EXPECT_TRUE(ManifestFromJar(ReadAll(row.jar), manifest));
        EXPECT_NE(manifest.find(row.name), std::string::npos);
    }
    if (rows.size() == 1) GTEST_SKIP() << "shared samples absent: only the bundled jar was read";
}

}  // namespace
