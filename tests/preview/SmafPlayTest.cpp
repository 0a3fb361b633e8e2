// Rendering real melodies, the player engine with its sound captured, and the command
// line's mmf2wav and mel2wav.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <cmath>

#include <filesystem>
#include <fstream>

#include "media/MediaTestSupport.h"
#include "media/Melody.h"
#include "preview/SmafBuild.h"
#include "preview/SmafEngine.h"
#include "media/smaf/SmafScore.h"
#include "media/smaf/SmafWav.h"
#include "base/Messages.h"

using namespace q7k3;
using namespace q7k3::smaf;
using namespace q7k3::test;

namespace {

const std::string kMidiSample = kDataDir + "/dlunch_midi.mmf";
const std::string kWaveSample = kDataDir + "/dlunch_wave.mmf";

#define REQUIRE_SOUNDFONT()                                                       \
    do {                                                                          \
        if (FindSoundFont().empty()) GTEST_SKIP() << "no General MIDI soundfont"; \
    } while (0)

double Rms(const std::vector<int16_t>& pcm) {
    double sum = 0;
    for (int16_t s : pcm) sum += double(s) * s;
    return pcm.empty() ? 0 : std::sqrt(sum / pcm.size());
}

uint32_t LengthMs(const std::vector<int16_t>& stereo) {
    return static_cast<uint32_t>(stereo.size() / 2 * 1000 / kRenderRate);
}

struct RenderTest : ::testing::Test {
    std::unique_ptr<SynthHost> host;
    void SetUp() override {
        REQUIRE_SOUNDFONT();
        std::string error;
        host = SynthHost::Create(FindSoundFont(), error);
        ASSERT_TRUE(host) << error;
    }
    std::vector<int16_t> Render(const std::string& path, Melody& m) {
        EXPECT_TRUE(ReadMelody(ReadAll(path), m));
        return RenderAll(*host, m);
    }
};

// The sound lasts from the start to the end of the last note, plus at most the release.
TEST_F(RenderTest, RealSamplesLastUntilTheirLastNoteAndAreHeard) {
    for (const std::string& path : {kMidiSample, kWaveSample}) {
        Melody m;
        const std::vector<int16_t> pcm = Render(path, m);
        const uint32_t ms = LengthMs(pcm);
        EXPECT_GE(ms + 1, m.EndMs) << path;  // whole milliseconds of whole frames
        EXPECT_LE(ms, m.EndMs + kMaxReleaseMs + 20) << path;
        EXPECT_GT(Rms(pcm), 300.0) << path;
    }
}

// The audio-only sample is its wave, resampled: loud where the wave is loud.
TEST_F(RenderTest, WaveIsMixedAtItsPlace) {
    Melody m;
    const std::vector<int16_t> pcm = Render(kWaveSample, m);
    ASSERT_EQ(m.Waves.size(), 1u);
    const std::vector<int16_t>& wave = m.Waves[0].Samples;
    // Compare the loudness of the middle second with the wave's own.
    const size_t from = 8 * kRenderRate / 1000;  // the wave starts at 8 ms
    std::vector<int16_t> mid(pcm.begin() + (from + kRenderRate) * 2,
                             pcm.begin() + (from + 2 * kRenderRate) * 2);
    std::vector<int16_t> own(wave.begin() + 8000, wave.begin() + 16000);
    EXPECT_NEAR(Rms(mid), Rms(own), Rms(own) * 0.1);
}

TEST_F(RenderTest, SilenceBeforeTheFirstNoteIsKept) {
    // A melody whose only note starts after one second.
    Melody m;
    SoundEvent on;
    on.Ms = 1000;
    on.Kind = EventKind::NoteOn;
    on.Key = 60;
    on.Value = 100;
    SoundEvent off = on;
    off.Ms = 1500;
    off.Kind = EventKind::NoteOff;
    m.Events = {on, off};
    m.EndMs = 1500;
    const std::vector<int16_t> pcm = RenderAll(*host, m);
    const std::vector<int16_t> before(pcm.begin(), pcm.begin() + kRenderRate * 2 * 9 / 10);
    EXPECT_EQ(Rms(before), 0.0);
    EXPECT_GT(Rms(std::vector<int16_t>(pcm.begin() + kRenderRate * 2, pcm.end())), 100.0);
}

// Ringtones switch channels to mono mode (controller 126); given to the synthesizer it
// would silence the other channels of the group. The phones play on.
TEST_F(RenderTest, MonoModeLeavesTheChannelsPlaying) {
    const Bytes seq = Cat({
        Vlq(0),
        {0xC1, 0x00},
        Vlq(0),
        {0x91, 60, 100},
        Vlq(10),
        Vlq(50),
        {0xB0, 126, 1},  // mono mode on channel 0 at 200 ms
        Vlq(0),
        {0x91, 64, 100},
        Vlq(50),  // a note of a second after it, on 1
        Vlq(250),
        {0xFF, 0x2F, 0x00},
    });
    Melody m;
    ASSERT_TRUE(ReadMelody(
        SmafFileOf({ScoreTrackChunk(kMobilePlain, 0x02, 0x11, Bytes(16, 0), {Chunk("Mtsq", seq)})}),
        m));
    const std::vector<int16_t> pcm = RenderAll(*host, m);
    ASSERT_GT(pcm.size(), size_t(kRenderRate) * 2);
    const auto from = pcm.begin() + kRenderRate * 2 * 4 / 10;
    EXPECT_GT(Rms(std::vector<int16_t>(from, from + kRenderRate * 2 / 2)), 100.0);
}

// A moment that starts one wave 2000 times sounds (and costs) as 40 of them: the level
// is that of the wave voices kept, not of all that were started.
TEST_F(RenderTest, WaveVoicesAreCapped) {
    Melody m;
    WaveSound wave;
    wave.Rate = 8000;
    wave.Channels = 1;
    wave.Samples.assign(16000, 1000);
    m.Waves = {wave};
    SoundEvent start;
    start.Kind = EventKind::WaveOn;
    start.Value = 1;  // of 127: 2000 at once would be loud, 40 are not
    start.Key = 64;
    start.Length = 2000;
    m.Events.assign(2000, start);
    m.EndMs = 2000;
    const std::vector<int16_t> pcm = RenderAll(*host, m);
    ASSERT_GT(pcm.size(), size_t(kRenderRate) * 2);
    const double one = 1000.0 / 127 * 0.99;  // the level of one voice at the centre
    EXPECT_NEAR(pcm[kRenderRate * 2], one * kMaxWaveVoices, one * 2);
}

// ---- the engine ----

struct EngineTest : ::testing::Test {
    static void SetUpTestSuite() {
        static int argc = 1;
        static char name[] = "preview_tests";
        static char* argv[] = {name, nullptr};
        if (!QCoreApplication::instance()) new QCoreApplication(argc, argv);
    }
    std::vector<std::shared_ptr<CaptureLog>> logs;

    void SetUp() override {
        REQUIRE_SOUNDFONT();
        SmafSetOutputFactory([this] {
            logs.push_back(std::make_shared<CaptureLog>());
            return MakeCaptureSoundOutput(logs.back());
        });
        ASSERT_TRUE(SmafInit(""));
    }
    void TearDown() override {
        SmafDone();
        SmafSetOutputFactory(nullptr);
    }
    // Runs the event loop until `done` or a time-out.
    static bool Wait(const std::function<bool()>& done, int ms = 20000) {
        QElapsedTimer t;
        t.start();
        while (!done() && t.elapsed() < ms) QCoreApplication::processEvents();
        return done();
    }
};

TEST_F(EngineTest, ReportsTheEndOfAMelody) {
    int stops = 0;
    ASSERT_TRUE(SmafPlay(kWaveSample, [&] { ++stops; }));
    EXPECT_TRUE(SmafPlaying());
    ASSERT_TRUE(Wait([&] { return stops > 0; }));
    EXPECT_FALSE(SmafPlaying());
    EXPECT_EQ(stops, 1);
    ASSERT_EQ(logs.size(), 1u);
    EXPECT_TRUE(logs[0]->Finished);
    // Everything rendered was handed to the output.
    Melody m;
    ASSERT_TRUE(ReadMelody(ReadAll(kWaveSample), m));
    std::string error;
    auto host = SynthHost::Create(FindSoundFont(), error);
    EXPECT_EQ(logs[0]->Pcm.size(), RenderAll(*host, m).size());
    // A second stop has nothing to stop.
    SmafStop();
    EXPECT_EQ(stops, 1);
}

TEST_F(EngineTest, PlayingAnotherStopsTheFirstAndStopThenPlayRestarts) {
    int first = 0, second = 0;
    ASSERT_TRUE(SmafPlay(kMidiSample, [&] { ++first; }));
    ASSERT_TRUE(SmafPlay(kWaveSample, [&] { ++second; }));
    EXPECT_EQ(first, 1);
    EXPECT_EQ(second, 0);
    EXPECT_TRUE(SmafPlaying());
    SmafStop();
    EXPECT_EQ(second, 1);
    EXPECT_FALSE(SmafPlaying());
    // The first melody's end, if it was already on its way, must not stop a new one.
    QCoreApplication::processEvents();
    ASSERT_TRUE(SmafPlay(kWaveSample, [&] { ++second; }));
    QCoreApplication::processEvents();
    EXPECT_TRUE(SmafPlaying());
    ASSERT_TRUE(Wait([&] { return second == 2; }));
    EXPECT_EQ(first, 1);
}

TEST_F(EngineTest, WhatIsNoMelodyDoesNotPlay) {
    QTemporaryDir dir;
    const std::string junk = dir.path().toStdString() + "/picture.mmf";
    WriteAll(junk, std::string("GIF89a not a melody"));
    int stops = 0;
    EXPECT_FALSE(SmafPlay(junk, [&] { ++stops; }));
    EXPECT_FALSE(SmafPlay(dir.path().toStdString() + "/missing.mmf", [&] { ++stops; }));
    EXPECT_FALSE(SmafPlaying());
    SmafStop();  // nothing plays: nothing happens
    EXPECT_EQ(stops, 0);
}

TEST_F(EngineTest, OnStopMayStartTheNextMelody) {
    int stops = 0;
    ASSERT_TRUE(SmafPlay(kWaveSample, [&] {
        ++stops;
        EXPECT_TRUE(SmafPlay(kWaveSample, [&] { ++stops; }));
    }));
    SmafStop();
    EXPECT_EQ(stops, 1);
    EXPECT_TRUE(SmafPlaying());
    SmafStop();
    EXPECT_EQ(stops, 2);
}

// Stopping while thousands of notes start at one moment hands the synthesizer to the next
// melody whole: it plays to its end, sounding exactly as on its own.
TEST_F(EngineTest, AfterACrowdedMelodyIsStoppedTheNextSoundsAsItself) {
    QTemporaryDir dir;
    const std::string crowd = dir.path().toStdString() + "/crowd.mmf";
    Bytes seq;
    for (int i = 0; i < 50000; ++i) {
        const Bytes note = {0x00, static_cast<uint8_t>(0x80 | (i % 16)),
                            static_cast<uint8_t>(36 + i % 60), 0x81, 0x7A};
        seq.insert(seq.end(), note.begin(), note.end());
    }
    seq.insert(seq.end(), {0x00, 0xFF, 0x2F, 0x00});
    WriteAll(crowd, SmafFileOf({ScoreTrackChunk(kMobilePlain, 0x02, 0x02, Bytes(16, 0),
                                                {Chunk("Mtsq", seq)})}));
    // Stopped before its thread starts, while it starts the notes, and once it sounds.
    for (int stopAfter : {0, 1, -1}) {
        SCOPED_TRACE(stopAfter);
        ASSERT_TRUE(SmafPlay(crowd, nullptr));
        for (int i = 0; i < stopAfter; ++i) QCoreApplication::processEvents();
        if (stopAfter < 0) ASSERT_TRUE(Wait([&] { return logs.back()->GotSound; }));
        SmafStop();
        int stops = 0;
        ASSERT_TRUE(SmafPlay(kWaveSample, [&] { ++stops; }));
        ASSERT_TRUE(Wait([&] { return stops > 0; }));
        Melody m;
        ASSERT_TRUE(ReadMelody(ReadAll(kWaveSample), m));
        std::string error;
        auto host = SynthHost::Create(FindSoundFont(), error);
        EXPECT_EQ(logs.back()->Pcm, RenderAll(*host, m));
    }
}

TEST(EngineUnavailable, WithoutASoundfontOrADeviceNothingPlays) {
    SmafSetOutputFactory(nullptr);
    EXPECT_FALSE(SmafInit("/nonexistent/none.sf2"));
    EXPECT_FALSE(SmafAvailable());
    EXPECT_FALSE(SmafPlay(kMidiSample, [] { FAIL() << "nothing played"; }));
    EXPECT_FALSE(SmafPlaying());
    EXPECT_EQ(SmafMissing(), kMsgNoSoundFont);
    if (!FindSoundFont().empty() && !DesktopSoundAvailable()) {
        // A soundfont but no sound device: unavailable all the same, and said so; melodies
        // still render to WAV files.
        EXPECT_FALSE(SmafInit(""));
        EXPECT_FALSE(SmafAvailable());
        EXPECT_EQ(SmafMissing(), kMsgNoSoundDevice);
        QTemporaryDir dir;
        EXPECT_TRUE(ConvertSMAFtoWAV(kMidiSample, dir.path().toStdString() + "/m.wav", false));
    }
    SmafDone();
}

// ---- the command line ----

struct CliWavTest : ScratchDir {
    std::string err;
    int Run(const std::vector<std::string>& args) {
        QStringList list{"convert"};
        for (const auto& a : args) list << QString::fromStdString(a);
        QProcess p;
        p.start(Q7K3_BIN_DIR "/q7k3fm-cli", list);
        if (!p.waitForFinished(60000)) return -1;
        err = p.readAllStandardError().toStdString();
        return p.exitCode();
    }
    static uint32_t WavMs(const Bytes& wav) {
        if (wav.size() < 44) return 0;
        const uint32_t data =
            wav[40] | (wav[41] << 8) | (wav[42] << 16) | (uint32_t(wav[43]) << 24);
        return static_cast<uint32_t>(uint64_t{data} / 4 * 1000 / kRenderRate);
    }
};

TEST_F(CliWavTest, RendersMmfAndMelToWav) {
    REQUIRE_SOUNDFONT();
    for (const std::string& path : {kMidiSample, kWaveSample}) {
        ASSERT_EQ(Run({"mmf2wav", path, Path("out.wav"), "--force"}), 0) << err;
        const Bytes wav = ReadAll(Path("out.wav"));
        ASSERT_GT(wav.size(), 44u);
        EXPECT_EQ(std::string(wav.begin(), wav.begin() + 4), "RIFF");
        Melody m;
        ASSERT_TRUE(ReadMelody(ReadAll(path), m));
        EXPECT_GE(WavMs(wav) + 1, m.EndMs);
        EXPECT_LE(WavMs(wav), m.EndMs + kMaxReleaseMs + 20);
    }
    // The phone's MEL: the same melody behind a 32-byte title.
    WriteAll(Path("ring.mel"), BuildMel(ReadAll(kWaveSample), "Обед"));
    ASSERT_EQ(Run({"mel2wav", Path("ring.mel"), Folder()}), 0) << err;  // named ring.wav
    EXPECT_EQ(ReadAll(Path("ring.wav")), ReadAll(Path("out.wav")));
}

TEST_F(CliWavTest, BadMelodiesFailWithTheirMessage) {
    REQUIRE_SOUNDFONT();
    WriteAll(Path("junk.mmf"), std::string("MMMD\x7F\xFF\xFF\xFF and nothing"));
    EXPECT_NE(Run({"mmf2wav", Path("junk.mmf"), Path("junk.wav")}), 0);
    EXPECT_NE(err.find(Msg(kMsgMelodyUnknown)), std::string::npos) << err;
    EXPECT_FALSE(Exists(Path("junk.wav")));
    // An MMF is not a MEL: refused as input of the wrong kind, before anything is written.
    EXPECT_EQ(Run({"mel2wav", kWaveSample, Path("x.wav")}), 7);
    EXPECT_NE(err.find(Msg(kMsgCliKindMel)), std::string::npos) << err;
    EXPECT_FALSE(Exists(Path("x.wav")));
    // A CRC that does not match is only a warning.
    Bytes bent = ReadAll(kWaveSample);
    bent.back() ^= 1;
    WriteAll(Path("bent.mmf"), bent);
    EXPECT_EQ(Run({"mmf2wav", Path("bent.mmf"), Path("bent.wav")}), 0) << err;
    EXPECT_NE(err.find(Msg(kMsgMelodyCrc)), std::string::npos) << err;
}

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define Q7K3_CHECKED_BUILD 1
#endif
#endif

// The process's peak memory in KB since the last ResetPeakMemory; 0 when unknown.
size_t PeakMemoryKb() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.starts_with("VmHWM:")) return std::stoul(line.substr(6));
    return 0;
}
bool ResetPeakMemory() {
    std::ofstream clear("/proc/self/clear_refs");
    return static_cast<bool>(clear << "5" << std::flush);
}

// Two of the longest rests a Handyphone track can write: almost half an hour of silence
// from 57 bytes. Written a block at a time, it needs no more memory than a second of sound.
TEST_F(CliWavTest, AHalfHourMelodyRendersWithinAFewMegabytes) {
    REQUIRE_SOUNDFONT();
#if defined(__SANITIZE_ADDRESS__) || defined(Q7K3_CHECKED_BUILD)
    // The address checker keeps freed blocks (up to 256 MB) before reusing them: the peak
    // grows with the number of blocks rendered and says nothing of the program's own.
    GTEST_SKIP() << "the peak memory of a checked build is the checker's";
#endif
    if (!ResetPeakMemory() || PeakMemoryKb() == 0) GTEST_SKIP() << "no peak memory to read";
    auto handyphone = [](const Bytes& seq) {
        return SmafFileOf({ScoreTrackChunk(kHandyphone, 0x13, 0x13, {0, 0}, {Chunk("Mtsq", seq)})});
    };
    // 16639 ticks of 50 ms each, twice; and a one-second note for comparison.
    WriteAll(Path("rests.mmf"),
             handyphone({0xFF, 0xFF, 0xFF, 0x00, 0xFF, 0xFF, 0xFF, 0x00, 0, 0, 0, 0}));
    WriteAll(Path("note.mmf"), handyphone({0x00, 0x24, 0x14, 0x00, 0x00, 0x00, 0x00}));

    ResetPeakMemory();
    ASSERT_TRUE(ConvertSMAFtoWAV(Path("note.mmf"), Path("note.wav"), false));
    const size_t shortPeak = PeakMemoryKb();
    ResetPeakMemory();
    ASSERT_TRUE(ConvertSMAFtoWAV(Path("rests.mmf"), Path("rests.wav"), false));
    const size_t longPeak = PeakMemoryKb();
    EXPECT_LT(longPeak, shortPeak + 8 * 1024) << shortPeak << " KB for a second";

    const auto size = std::filesystem::file_size(Path("rests.wav"));
    std::ifstream wav(Path("rests.wav"), std::ios::binary);
    uint8_t header[44];
    ASSERT_TRUE(wav.read(reinterpret_cast<char*>(header), 44));
    const uint32_t data =
        header[40] | (header[41] << 8) | (header[42] << 16) | (uint32_t(header[43]) << 24);
    EXPECT_EQ(uint64_t{data} + 44, size);
    EXPECT_EQ(data / 4, uint64_t{2} * 16639 * 50 * kRenderRate / 1000);
}

// A wave the player cannot decode is said, not passed over in silence.
TEST_F(CliWavTest, AWaveInACodingWeDoNotPlayIsSaid) {
    REQUIRE_SOUNDFONT();
    const Bytes pcm = Cat({{0x00, 0x1F, 0x40}, Bytes(100, 0x10)});  // 8-bit PCM: not played
    const Bytes seq = Cat({Vlq(0), {0x99, 0, 100}, Vlq(20), Vlq(30), {0xFF, 0x2F, 0x00}});
    WriteAll(
        Path("pcm.mmf"),
        SmafFileOf({ScoreTrackChunk(kMobilePlain, 0x00, 0x00, Bytes(16, 0),
                                    {Chunk("Mtsq", seq), Chunk("Mtsp", Chunk("Mwa", pcm, 1))})}));
    EXPECT_EQ(Run({"mmf2wav", Path("pcm.mmf"), Path("pcm.wav")}), 0) << err;
    EXPECT_NE(err.find(Msg(kMsgWaveCodingUnplayed)), std::string::npos) << err;
    EXPECT_TRUE(Exists(Path("pcm.wav")));
}

}  // namespace
