// Real ringtones whose music is stream waves, read from the shared samples (they are not
// ours to copy): their waves decode as FFmpeg decodes the same ADPCM, and they sound where
// the score starts them, at their own rate, for as long as the sequence says.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>

#include "media/MediaTestSupport.h"
#include "media/smaf/SmafRender.h"
#include "media/smaf/SmafScore.h"

using namespace q7k3;
using namespace q7k3::smaf;
using namespace q7k3::test;

namespace {

std::vector<std::string> WaveSamples() {
    std::vector<std::string> files;
    std::error_code ec;
    for (const auto& e : std::filesystem::directory_iterator(kSharedSamples + "/mmf-wave", ec))
        if (e.path().extension() == ".mmf") files.push_back(e.path().string());
    std::sort(files.begin(), files.end());
    return files;
}

#define REQUIRE_WAVE_SAMPLES()                                                           \
    do {                                                                                 \
        if (WaveSamples().empty()) GTEST_SKIP() << "the shared wave samples are absent"; \
    } while (0)

// A WAV file holding the ADPCM as it is, which FFmpeg decodes with its own decoder.
Bytes AdpcmWav(const StoredWave& w) {
    const uint16_t channels = w.Stereo ? 2 : 1;
    Bytes out;
    auto text = [&](const char* s) { out.insert(out.end(), s, s + 4); };
    auto le = [&](uint32_t v, int n) {
        for (int i = 0; i < n; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
    };
    text("RIFF");
    le(static_cast<uint32_t>(36 + w.Data.size()), 4);
    text("WAVE");
    text("fmt ");
    le(16, 4);
    le(0x0020, 2);  // Yamaha ADPCM
    le(channels, 2);
    le(w.Rate, 4);
    le(w.Rate * channels / 2, 4);
    le(channels, 2);  // a byte holds a frame
    le(4, 2);
    text("data");
    le(static_cast<uint32_t>(w.Data.size()), 4);
    out.insert(out.end(), w.Data.begin(), w.Data.end());
    return out;
}

TEST(StreamWaves, EachDecodesAsFfmpegDecodesTheSameAdpcm) {
    REQUIRE_WAVE_SAMPLES();
    if (std::system("command -v ffmpeg >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "ffmpeg is not installed";
    QTemporaryDir dir;
    const std::string in = dir.path().toStdString() + "/wave.wav";
    const std::string raw = dir.path().toStdString() + "/wave.raw";
    int stereo = 0, mono = 0;
    for (const std::string& path : WaveSamples()) {
        SmafImage image;
        ASSERT_TRUE(ReadSmaf(ReadAll(path), image)) << path;
        for (const StoredWave& w : image.Scores.at(0).Waves) {
            SCOPED_TRACE(path + " wave " + std::to_string(w.Number));
            ASSERT_TRUE(w.Adpcm);
            ++(w.Stereo ? stereo : mono);
            WriteAll(in, AdpcmWav(w));
            const std::string cmd = "ffmpeg -v error -y -i '" + in + "' -f s16le '" + raw + "'";
            ASSERT_EQ(std::system(cmd.c_str()), 0);
            const Bytes reference = ReadAll(raw);
            const std::vector<int16_t> ours = DecodeSmafAdpcm(w.Data, w.Stereo);
            ASSERT_EQ(ours.size() * 2, reference.size());
            size_t differing = 0;
            for (size_t i = 0; i < ours.size(); ++i)
                if (static_cast<int16_t>(reference[2 * i] | (reference[2 * i + 1] << 8)) != ours[i])
                    ++differing;
            EXPECT_EQ(differing, 0u);
        }
    }
    EXPECT_GT(stereo, 0);
    EXPECT_GT(mono, 0);
}

double Rms(const std::vector<int16_t>& stereo, size_t from, size_t to) {
    to = std::min(to, stereo.size() / 2);
    double sum = 0;
    for (size_t i = from; i < to; ++i) {
        const double v = (stereo[2 * i] + stereo[2 * i + 1]) / 2.0;
        sum += v * v;
    }
    return to > from ? std::sqrt(sum / double(to - from)) : 0;
}

size_t FrameOf(uint32_t ms) {
    return size_t{ms} * kRenderRate / 1000;
}

// The loudness of a wave over windows of its own time, from `fromMs` for `ms`.
std::vector<double> OwnEnvelope(const WaveSound& w, uint32_t ms, uint32_t window) {
    std::vector<double> out;
    for (uint32_t t = 0; t + window <= ms; t += window) {
        const size_t a = size_t{t} * w.Rate / 1000, b = size_t{t + window} * w.Rate / 1000;
        double sum = 0;
        for (size_t i = a; i < b && i < w.Frames(); ++i) {
            const double v = w.Channels == 2 ? (w.Samples[2 * i] + w.Samples[2 * i + 1]) / 2.0
                                             : double(w.Samples[i]);
            sum += v * v;
        }
        out.push_back(std::sqrt(sum / double(std::max<size_t>(1, b - a))));
    }
    return out;
}

double Correlation(const std::vector<double>& a, const std::vector<double>& b) {
    const size_t n = std::min(a.size(), b.size());
    double ma = 0, mb = 0;
    for (size_t i = 0; i < n; ++i) ma += a[i], mb += b[i];
    ma /= double(n), mb /= double(n);
    double ab = 0, aa = 0, bb = 0;
    for (size_t i = 0; i < n; ++i) {
        ab += (a[i] - ma) * (b[i] - mb);
        aa += (a[i] - ma) * (a[i] - ma);
        bb += (b[i] - mb) * (b[i] - mb);
    }
    return aa > 0 && bb > 0 ? ab / std::sqrt(aa * bb) : 0;
}

TEST(StreamWaves, RealRingtonesSoundTheirWavesWhereTheScoreStartsThem) {
    REQUIRE_WAVE_SAMPLES();
    if (FindSoundFont().empty()) GTEST_SKIP() << "no General MIDI soundfont";
    std::string error;
    auto host = SynthHost::Create(FindSoundFont(), error);
    ASSERT_TRUE(host) << error;
    for (const std::string& path : WaveSamples()) {
        SCOPED_TRACE(path);
        Melody m;
        ASSERT_TRUE(ReadMelody(ReadAll(path), m));
        EXPECT_FALSE(m.UnplayedWaves);
        std::vector<SoundEvent> waves;
        for (const SoundEvent& e : m.Events)
            if (e.Kind == EventKind::WaveOn) waves.push_back(e);
        ASSERT_FALSE(waves.empty());

        // The whole melody lasts as the sequence says.
        const std::vector<int16_t> all = RenderAll(*host, m);
        const uint32_t ms = static_cast<uint32_t>(all.size() / 2 * 1000 / kRenderRate);
        EXPECT_GE(ms + 1, m.EndMs);
        EXPECT_LE(ms, m.EndMs + kMaxReleaseMs + 20);

        // The waves alone: silent until the first starts, then heard for each one's length.
        Melody alone = m;
        std::erase_if(alone.Events,
                      [](const SoundEvent& e) { return e.Kind == EventKind::NoteOn; });
        // (On the same synthesizer: nothing of the melody before may be heard.)
        const std::vector<int16_t> pcm = RenderAll(*host, alone);
        size_t first = 0;
        while (first < pcm.size() / 2 && pcm[2 * first] == 0 && pcm[2 * first + 1] == 0) ++first;
        EXPECT_NEAR(double(first), double(FrameOf(waves[0].Ms)), 1.0);
        double quietest = 1e9;
        for (const SoundEvent& e : waves)
            quietest = std::min(quietest, Rms(pcm, FrameOf(e.Ms), FrameOf(e.Ms + e.Length)));
        EXPECT_GT(quietest, 100.0);

        // At its own rate: the first wave's loudness follows the wave's own, window by window,
        // until another wave joins it.
        const SoundEvent& w = waves[0];
        uint32_t span = std::min<uint32_t>(w.Length, 3000);
        for (const SoundEvent& e : waves)
            if (e.Ms > w.Ms) span = std::min(span, e.Ms - w.Ms);
        const uint32_t window = 20;
        std::vector<double> heard;
        for (uint32_t t = 0; t + window <= span; t += window)
            heard.push_back(Rms(pcm, FrameOf(w.Ms + t), FrameOf(w.Ms + t + window)));
        const std::vector<double> own = OwnEnvelope(m.Waves[w.Wide], span, window);
        ASSERT_GE(heard.size(), 4u);
        EXPECT_GT(Correlation(heard, own), 0.95) << "over " << span << " ms";
    }
}

}  // namespace
