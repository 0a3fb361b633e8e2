// The SMAF reader and the score decoding: real files, files built here, and broken ones.

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <algorithm>
#include <cstdlib>
#include <random>

#include "media/MediaTestSupport.h"
#include "preview/SmafBuild.h"
#include "media/smaf/SmafScore.h"

using namespace q7k3;
using namespace q7k3::smaf;
using namespace q7k3::test;

namespace {

const std::string kMidiSample = kDataDir + "/dlunch_midi.mmf";
const std::string kWaveSample = kDataDir + "/dlunch_wave.mmf";

const Bytes kMobileStatus(16, 0x00);

// One Mobile Standard sequence, used plain and compressed.
Bytes MobileSequence() {
    return Cat({
        Vlq(0),  {0xC0, 0x00},  // program 0 on channel 0
        Vlq(0),  {0x90, 60, 100},
        Vlq(10),  // note with velocity
        Vlq(10), {0x80, 62},
        Vlq(5),  // note with the channel's last velocity
        Vlq(5),  {0x81, 64},
        Vlq(5),  // channel 1 has none yet: 64
        Vlq(0),  {0x99, 36, 127},
        Vlq(3),                       // the rhythm channel
        Vlq(20), {0xB0, 7, 100},      // volume
        Vlq(0),  {0xE0, 0x00, 0x40},  // pitch bend, centre
        Vlq(0),  {0xF0},
        Vlq(3),  {0x43, 0x79, 0xF7},  // exclusive, skipped
        Vlq(0),  {0xFF, 0x00},        // nothing
        Vlq(7),  {0xFF, 0x2F, 0x00},  // end of sequence
    });
}

Bytes MobileFile(uint8_t format, const Bytes& sequence) {
    return SmafFileOf(
        {ScoreTrackChunk(format, 0x02, 0x11, kMobileStatus, {Chunk("Mtsq", sequence)})});
}

Melody MustRead(const Bytes& file) {
    Melody m;
    const ReadResult r = ReadMelody(file, m);
    EXPECT_TRUE(r) << r.Detail;
    return m;
}

std::vector<SoundEvent> Only(const Melody& m, EventKind kind) {
    std::vector<SoundEvent> out;
    for (const SoundEvent& e : m.Events)
        if (e.Kind == kind) out.push_back(e);
    return out;
}

TEST(SmafReader, ReadsTheRealSamples) {
    SmafImage midi;
    ASSERT_TRUE(ReadSmaf(ReadAll(kMidiSample), midi));
    EXPECT_FALSE(midi.CrcMismatch);
    ASSERT_EQ(midi.Scores.size(), 1u);
    EXPECT_EQ(midi.Scores[0].FormatType, kMobilePlain);
    EXPECT_EQ(midi.Scores[0].DurationBaseMs, 4u);
    EXPECT_EQ(midi.Scores[0].ChannelStatus.size(), 16u);
    Melody m;
    ASSERT_TRUE(BuildMelody(midi, m));
    EXPECT_GT(Only(m, EventKind::NoteOn).size(), 100u);
    EXPECT_EQ(Only(m, EventKind::NoteOn).size(), Only(m, EventKind::NoteOff).size());
    EXPECT_TRUE(std::is_sorted(m.Events.begin(), m.Events.end(),
                               [](auto& a, auto& b) { return a.Ms < b.Ms; }));
    EXPECT_TRUE(m.Drum[9]);
    EXPECT_GT(m.EndMs, 5000u);

    SmafImage wave;
    ASSERT_TRUE(ReadSmaf(ReadAll(kWaveSample), wave));
    EXPECT_FALSE(wave.CrcMismatch);
    ASSERT_EQ(wave.Audio.size(), 1u);
    EXPECT_EQ(wave.Audio[0].Rate, 8000u);
    EXPECT_EQ(wave.Audio[0].Coding, 1);
    ASSERT_EQ(wave.Audio[0].Waves.size(), 1u);
    ASSERT_TRUE(BuildMelody(wave, m));
    ASSERT_EQ(m.Waves.size(), 1u);
    const auto waves = Only(m, EventKind::WaveOn);
    ASSERT_EQ(waves.size(), 1u);
    // Durations here are in the two-byte Handyphone coding: the wave's gate (801 ticks of
    // 4 ms) is the length of the wave itself, and the sequence ends 4 ms after it.
    EXPECT_EQ(waves[0].Ms, 8u);
    EXPECT_EQ(waves[0].Length, 801u * 4);
    EXPECT_EQ(m.EndMs, 3216u);
}

// FFmpeg decodes audio-only SMAF files with the same SMAF ADPCM; our decoder must give
// the very same samples. ffmpeg runs at test time (the setup script installs it).
TEST(SmafReader, AdpcmIsBitExactWithFfmpeg) {
    if (std::system("command -v ffmpeg >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "ffmpeg is not installed";
    QTemporaryDir dir;
    const std::string raw = dir.path().toStdString() + "/wave.raw";
    const std::string cmd =
        "ffmpeg -v error -i '" + kWaveSample + "' -f s16le -acodec pcm_s16le '" + raw + "'";
    ASSERT_EQ(std::system(cmd.c_str()), 0);
    const Bytes reference = ReadAll(raw);

    SmafImage image;
    ASSERT_TRUE(ReadSmaf(ReadAll(kWaveSample), image));
    const std::vector<int16_t> ours = DecodeSmafAdpcm(image.Audio[0].Waves[0].Data);
    ASSERT_EQ(ours.size() * 2, reference.size());
    size_t differing = 0;
    for (size_t i = 0; i < ours.size(); ++i) {
        const auto ref = static_cast<int16_t>(reference[2 * i] | (reference[2 * i + 1] << 8));
        if (ref != ours[i]) ++differing;
    }
    EXPECT_EQ(differing, 0u);
}

TEST(SmafReader, MobileStandardEventsAndTimebases) {
    const Melody m = MustRead(MobileFile(kMobilePlain, MobileSequence()));
    const auto on = Only(m, EventKind::NoteOn);
    const auto off = Only(m, EventKind::NoteOff);
    ASSERT_EQ(on.size(), 4u);
    ASSERT_EQ(off.size(), 4u);
    // Durations in 4 ms, gates in 20 ms.
    EXPECT_EQ(on[0].Ms, 0u);
    EXPECT_EQ(on[0].Key, 60);
    EXPECT_EQ(on[0].Value, 100);
    EXPECT_EQ(on[1].Ms, 40u);
    EXPECT_EQ(on[1].Value, 100);  // 0x8n takes the channel's last velocity
    EXPECT_EQ(on[2].Ms, 60u);
    EXPECT_EQ(on[2].Channel, 1);
    EXPECT_EQ(on[2].Value, 64);  // ... 64 before any
    EXPECT_EQ(on[3].Channel, 9);
    EXPECT_TRUE(m.Drum[9]);
    EXPECT_FALSE(m.Drum[0]);
    std::vector<uint32_t> offTimes;
    for (const auto& e : off) offTimes.push_back(e.Ms);
    EXPECT_EQ(offTimes, (std::vector<uint32_t>{120, 140, 160, 200}));
    const auto cc = Only(m, EventKind::Control);
    ASSERT_EQ(cc.size(), 1u);
    EXPECT_EQ(cc[0].Ms, 140u);
    EXPECT_EQ(cc[0].Key, 7);
    EXPECT_EQ(Only(m, EventKind::PitchBend).at(0).Wide, 8192);
    EXPECT_EQ(m.EndMs, 200u);  // the last note outlasts the end mark at 168 ms
    EXPECT_TRUE(m.Warnings.empty());
}

TEST(SmafReader, CompressedTrackDecodesToThePlainEvents) {
    const Bytes plain = MobileSequence();
    const Melody a = MustRead(MobileFile(kMobilePlain, plain));
    const Melody b = MustRead(MobileFile(kMobileCompressed, HuffmanEncode(plain)));
    EXPECT_EQ(a.Events, b.Events);
    EXPECT_EQ(a.EndMs, b.EndMs);

    // A sequence of one repeated byte is a tree of one leaf and no code bits.
    Bytes out;
    ASSERT_TRUE(HuffmanDecode(HuffmanEncode(Bytes(5, 0xAB)), out));
    EXPECT_EQ(out, Bytes(5, 0xAB));

    // Codes that stop before the decoded size is reached are a damaged file.
    Bytes cut = HuffmanEncode(plain);
    cut.resize(cut.size() - 3);
    Melody m;
    EXPECT_EQ(ReadMelody(MobileFile(kMobileCompressed, cut), m).Status, ReadStatus::Broken);
    // So is a decoded size beyond any melody.
    Bytes huge = HuffmanEncode(plain);
    huge[0] = 0x7F;
    EXPECT_EQ(ReadMelody(MobileFile(kMobileCompressed, huge), m).Status, ReadStatus::Broken);
}

TEST(SmafReader, HandyphoneNotesControlsAndFallbackVoices) {
    const Bytes seq = {
        0x00, 0x00, 0x32, 0x01,                    // channel 0 one octave up
        0x00, 0x1C, 0x05,                          // ch 0, octave 1, note 12, gate 5
        0x81, 0x10, 0x61, 0x0A,                    // after 272 ticks: ch 1, octave 2, note 1
        0x00, 0x00, 0x47,                          // ch 1 short expression 7
        0x00, 0xFF, 0xF0, 0x03, 0x43, 0x01, 0xF7,  // exclusive, skipped
        0x00, 0xFF, 0x00,                          // nothing
        0x00, 0x00, 0x00, 0x00,                    // end of sequence
    };
    const Melody m = MustRead(SmafFileOf(
        {ScoreTrackChunk(kHandyphone, 0x11, 0x11, {0x00, 0x00}, {Chunk("Mtsq", seq)}, 0)}));
    const auto on = Only(m, EventKind::NoteOn);
    ASSERT_EQ(on.size(), 2u);
    EXPECT_EQ(on[0].Key, 72);  // (1 + 3) * 12 + 12, one octave up
    EXPECT_EQ(on[0].Ms, 0u);
    EXPECT_EQ(on[1].Key, 61);
    EXPECT_EQ(on[1].Channel, 1);
    EXPECT_EQ(on[1].Ms, 272u * 20);
    EXPECT_EQ(Only(m, EventKind::NoteOff).at(0).Ms, 100u);
    const auto cc = Only(m, EventKind::Control);
    ASSERT_EQ(cc.size(), 1u);
    EXPECT_EQ(cc[0].Key, 11);
    EXPECT_EQ(cc[0].Value, 0x47);
    const auto programs = Only(m, EventKind::Program);
    ASSERT_EQ(programs.size(), 4u);
    for (int ch = 0; ch < 4; ++ch) EXPECT_EQ(programs[ch].Value, kHandyphoneFallbackPrograms[ch]);
    EXPECT_EQ(m.EndMs, 272u * 20 + 200);
}

// Stream waves start as the real ringtones start them: a note on a rhythm channel (the
// phone's rhythm bank 125, or channel 9) whose key is the wave's number less one. Such
// notes are never instruments; other keys on those channels are drums, and the same key
// on a melodic channel is a note.
TEST(SmafReader, StreamWavesStartFromKeysOnRhythmChannels) {
    const Bytes mono = Cat({{0x20, 0x1F, 0x40}, Bytes(100, 0x77)});    // 8000 Hz, 200 frames
    const Bytes stereo = Cat({{0xA0, 0x1F, 0x40}, Bytes(100, 0x70)});  // 100 frames
    const Bytes pcm = Cat({{0x00, 0x1F, 0x40}, Bytes(100, 0x00)});     // a coding not played
    const Bytes seq = Cat({
        Vlq(0),  {0xB3, 0, 125},     Vlq(0),  {0xC3, 0},        // channel 3: rhythm bank
        Vlq(0),  {0xB3, 7, 127},     Vlq(0),  {0xB3, 10, 127},  // full volume, panned right
        Vlq(0),  {0x93, 0, 127},     Vlq(10),                   // wave 1 for 10 ms
        Vlq(0),  {0x93, 35, 90},     Vlq(5),                    // a drum
        Vlq(0),  {0x99, 1, 127},     Vlq(0),  // channel 9: wave 2, gate 0 = the whole wave
        Vlq(0),  {0x93, 3, 100},     Vlq(5),  // wave 4 was left out: silent
        Vlq(0),  {0x93, 2, 100},     Vlq(5),  // wave 3 is PCM: silent, and said
        Vlq(0),  {0xB4, 0, 124},     Vlq(0),  {0x94, 0, 100},  Vlq(5),  // melodic channel: a note
        Vlq(50), {0xFF, 0x2F, 0x00},
    });
    const Melody m = MustRead(SmafFileOf({ScoreTrackChunk(
        kMobilePlain, 0x00, 0x00, kMobileStatus,
        {Chunk("Mtsq", seq), Chunk("Mtsp", Cat({Chunk("Mwa", mono, 1), Chunk("Mwa", stereo, 2),
                                                Chunk("Mwa", pcm, 3)}))})}));
    const auto waves = Only(m, EventKind::WaveOn);
    ASSERT_EQ(waves.size(), 2u);
    ASSERT_EQ(m.Waves.size(), 2u);
    EXPECT_EQ(waves[0].Channel, 3);
    EXPECT_EQ(waves[0].Length, 10u);  // the gate, shorter than the wave's 25 ms
    EXPECT_EQ(waves[0].Value, 127);   // velocity, volume and expression all full
    EXPECT_EQ(waves[0].Key, 127);     // the channel's pan
    EXPECT_EQ(waves[1].Length, 12u);  // 100 frames at 8000 Hz, whole
    EXPECT_EQ(waves[1].Value, 100);   // the default volume of 100
    EXPECT_EQ(m.Waves[0].Channels, 1);
    EXPECT_EQ(m.Waves[0].Samples.size(), 200u);
    EXPECT_EQ(m.Waves[1].Channels, 2);
    EXPECT_EQ(m.Waves[1].Frames(), 100u);
    EXPECT_EQ(m.Waves[1].Rate, 8000u);
    // Left and right take a nibble each: 0 (+1 step) on the left, 7 (+15 steps) on the right.
    EXPECT_GT(m.Waves[1].Samples[1], m.Waves[1].Samples[0]);

    const auto notes = Only(m, EventKind::NoteOn);
    ASSERT_EQ(notes.size(), 2u);
    EXPECT_EQ(notes[0].Key, 35);
    EXPECT_TRUE(m.Drum[3]);
    EXPECT_EQ(notes[1].Key, 0);
    EXPECT_FALSE(m.Drum[4]);
    EXPECT_TRUE(m.UnplayedWaves);
}

TEST(SmafReader, WrongCrcAndTrailingBytesOnlyWarn) {
    Bytes file = ReadAll(kMidiSample);
    file.back() ^= 0x55;
    SmafImage image;
    ASSERT_TRUE(ReadSmaf(file, image));
    EXPECT_TRUE(image.CrcMismatch);
    EXPECT_FALSE(image.Warnings.empty());

    Bytes padded = ReadAll(kMidiSample);
    padded.insert(padded.end(), {0x00, 0xFF, 0x12});
    ASSERT_TRUE(ReadSmaf(padded, image));
    EXPECT_FALSE(image.CrcMismatch);
    EXPECT_EQ(image.TrailingBytes, 3u);
}

TEST(SmafReader, TruncatedAndGarbageFilesFailCleanly) {
    const Bytes file = ReadAll(kMidiSample);
    for (size_t n = 0; n < file.size(); n += (n < 200 ? 1 : 97)) {
        SmafImage image;
        const ReadResult r = ReadSmaf(ByteView(file).first(n), image);
        EXPECT_EQ(r.Status, n < 8 ? ReadStatus::NotSmaf : ReadStatus::Broken) << n;
    }
    // A consistent MMMD size around a chunk that claims more than is there.
    Bytes cut(file.begin(), file.begin() + 200);
    const Bytes size = Be32Bytes(192);
    std::copy(size.begin(), size.end(), cut.begin() + 4);
    SmafImage image;
    EXPECT_EQ(ReadSmaf(cut, image).Status, ReadStatus::Broken);

    std::mt19937 rng(7);
    for (int i = 0; i < 200; ++i) {
        Bytes junk(rng() % 600);
        for (auto& b : junk) b = static_cast<uint8_t>(rng());
        Melody m;
        EXPECT_EQ(ReadMelody(junk, m).Status, ReadStatus::NotSmaf);
        junk.insert(junk.begin(), {'M', 'M', 'M', 'D'});
        EXPECT_FALSE(ReadMelody(junk, m));
    }

    // A sequence byte where an event should start, and a note cut short.
    Melody m;
    EXPECT_EQ(ReadMelody(MobileFile(kMobilePlain, Cat({Vlq(0), {0x3C}})), m).Status,
              ReadStatus::Broken);
    EXPECT_EQ(ReadMelody(MobileFile(kMobilePlain, Cat({Vlq(0), {0x90, 60}})), m).Status,
              ReadStatus::Broken);
    // Durations that add up past half an hour.
    Bytes longSeq;
    for (int i = 0; i < 200; ++i) longSeq = Cat({longSeq, Vlq(0x0FFFFFFF), {0xFF, 0x00}});
    EXPECT_EQ(ReadMelody(MobileFile(kMobilePlain, longSeq), m).Status, ReadStatus::Broken);
}

TEST(SmafReader, FormatsWeDoNotPlayAreRefused) {
    SmafImage image;
    const Bytes later = SmafFileOf(
        {ScoreTrackChunk(3, 0x02, 0x02, kMobileStatus, {Chunk("Mtsq", {0xFF, 0x2F, 0x00})})});
    EXPECT_EQ(ReadSmaf(later, image).Status, ReadStatus::Unsupported);
    // Voices only, nothing to play: a voice library.
    const Bytes voices = SmafFileOf({ScoreTrackChunk(
        kMobilePlain, 0x02, 0x02, kMobileStatus, {Chunk("Mtsu", {0xF0, 0x03, 0x43, 0x79, 0xF7})})});
    EXPECT_EQ(ReadSmaf(voices, image).Status, ReadStatus::Unsupported);
    // An unknown timebase code is a damaged track.
    const Bytes badBase =
        SmafFileOf({ScoreTrackChunk(kMobilePlain, 0x07, 0x02, kMobileStatus, {Chunk("Mtsq", {})})});
    EXPECT_EQ(ReadSmaf(badBase, image).Status, ReadStatus::Broken);
}

TEST(SmafReader, CrcOfKnownText) {
    // CRC-16 with polynomial 0x1021, initial 0xFFFF, inverted: "123456789" gives 0xD64E.
    const std::string text = "123456789";
    EXPECT_EQ(Crc16(ByteView(reinterpret_cast<const uint8_t*>(text.data()), text.size())), 0xD64E);
}

}  // namespace
