#include "media/smaf/SmafRender.h"

#include <fluidsynth.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>

namespace q7k3::smaf {
namespace {

constexpr size_t kBlockFrames = 512;
// The synthesizer's own block, in frames (FluidSynth renders 64 at a time).
constexpr size_t kSynthBlock = 64;
// Events told the synthesizer before it renders: well within what its queue holds (a note
// takes a few entries, 8192 in all with 128 voices) and within the voices it can end in
// one block (as many as it has), and more than a real melody starts at one moment but
// for rare chords on every channel, which the next block, 1.5 ms on, completes.
constexpr size_t kEventsPerBlock = 32;
// A block this quiet after the melody's end counts as the end of its release.
constexpr float kSilence = 1.0f / 8192;

uint64_t FrameOf(uint64_t ms) {
    return ms * kRenderRate / 1000;
}

bool IsFile(const std::string& path) {
    std::error_code ec;
    return !path.empty() && std::filesystem::is_regular_file(path, ec);
}

void QuietLog(int, const char*, void*) {}

}  // namespace

std::string FindSoundFont(const std::string& preferred) {
    // A soundfont named outright is that file or none.
    if (!preferred.empty()) return IsFile(preferred) ? preferred : std::string();
    // The larger General MIDI sets first; default-GM.sf2 is the system's chosen one.
    static const char* const candidates[] = {
        "/usr/share/sounds/sf2/FluidR3_GM.sf2", "/usr/share/soundfonts/FluidR3_GM.sf2",
        "/usr/share/sounds/sf2/default-GM.sf2", "/usr/share/soundfonts/default.sf2",
        "/usr/share/sounds/sf2/TimGM6mb.sf2",   "/usr/share/sounds/sf3/default-GM.sf3",
    };
    for (const char* c : candidates)
        if (IsFile(c)) return c;
    return {};
}

std::unique_ptr<SynthHost> SynthHost::Create(const std::string& soundFont, std::string& error) {
    if (!IsFile(soundFont)) {
        error = "no soundfont";
        return nullptr;
    }
    // FluidSynth reports missing presets and the like on standard error; a melody that
    // asks for a program the soundfont lacks simply gets its fallback.
    fluid_set_log_function(FLUID_WARN, QuietLog, nullptr);
    fluid_set_log_function(FLUID_INFO, QuietLog, nullptr);
    fluid_set_log_function(FLUID_DBG, QuietLog, nullptr);

    std::unique_ptr<SynthHost> host(new SynthHost);
    host->m_settings = new_fluid_settings();
    if (!host->m_settings) {
        error = "cannot make synthesizer settings";
        return nullptr;
    }
    fluid_settings_setnum(host->m_settings, "synth.sample-rate", kRenderRate);
    fluid_settings_setint(host->m_settings, "synth.midi-channels", kSynthChannels);
    fluid_settings_setint(host->m_settings, "synth.audio-channels", 1);
    fluid_settings_setint(host->m_settings, "synth.reverb.active", 0);
    fluid_settings_setint(host->m_settings, "synth.chorus.active", 0);
    // The phones sound at most 40 notes at once (their wave voices included); 64 voices
    // keep those and the release tails the soundfont adds, and a crowded song (a voice per
    // layer of every note still fading) no longer costs the renderer half its speed.
    fluid_settings_setint(host->m_settings, "synth.polyphony", 64);
    fluid_settings_setnum(host->m_settings, "synth.gain", 0.5);
    // One thread renders; the synthesizer's own locking would only cost time.
    fluid_settings_setint(host->m_settings, "synth.threadsafe-api", 0);
    host->m_synth = new_fluid_synth(host->m_settings);
    if (!host->m_synth) {
        error = "cannot make a synthesizer";
        return nullptr;
    }
    if (fluid_synth_sfload(host->m_synth, soundFont.c_str(), 1) == FLUID_FAILED) {
        error = "cannot load the soundfont " + soundFont;
        return nullptr;
    }
    return host;
}

void SynthHost::Render(float* left, float* right, size_t frames) {
    if (frames == 0) return;
    fluid_synth_write_float(m_synth, static_cast<int>(frames), left, 0, 1, right, 0, 1);
    m_rendered += frames;
}

SynthHost::~SynthHost() {
    if (m_synth) delete_fluid_synth(m_synth);
    if (m_settings) delete_fluid_settings(m_settings);
}

MelodyRenderer::MelodyRenderer(SynthHost& host, Melody melody)
    : m_host(host), m_melody(std::move(melody)), m_left(kBlockFrames), m_right(kBlockFrames) {
    fluid_synth_t* s = m_host.Synth();
    fluid_synth_system_reset(s);
    // The synthesizer renders in blocks of its own and hands out what is left of its last
    // one first, and the voices of the previous melody end only as it renders its next:
    // both would start this melody with the end of the last. What is left of the block is
    // taken, and whole blocks rendered until no voice sounds, so that every melody starts
    // on a block of its own and sounds the same whatever was played before it.
    float drain[kSynthBlock];
    m_host.Render(drain, drain, (kSynthBlock - m_host.Rendered() % kSynthBlock) % kSynthBlock);
    int blocks = 0;
    do {
        m_host.Render(drain, drain, kSynthBlock);
    } while (fluid_synth_get_active_voice_count(s) > 0 && ++blocks < 1000);
    for (int ch = 0; ch < kSynthChannels; ++ch) {
        const bool drum = m_melody.Drum[static_cast<size_t>(ch)];
        fluid_synth_set_channel_type(s, ch, drum ? CHANNEL_TYPE_DRUM : CHANNEL_TYPE_MELODIC);
        fluid_synth_bank_select(s, ch, drum ? 128 : 0);
        fluid_synth_program_change(s, ch, 0);
    }
    m_endFrame = FrameOf(m_melody.EndMs);
}

MelodyRenderer::~MelodyRenderer() {
    // Notes told since the last block are started first, so that silencing every voice
    // never ends more in one block than the synthesizer keeps count of.
    float flush[kSynthBlock];
    m_host.Render(flush, flush, kSynthBlock);
    fluid_synth_all_sounds_off(m_host.Synth(), -1);
}

void MelodyRenderer::Dispatch(const SoundEvent& e) {
    fluid_synth_t* s = m_host.Synth();
    switch (e.Kind) {
        case EventKind::NoteOn:
            fluid_synth_noteon(s, e.Channel, e.Key, e.Value);
            break;
        case EventKind::NoteOff:
            fluid_synth_noteoff(s, e.Channel, e.Key);
            break;
        case EventKind::Program:
            fluid_synth_bank_select(s, e.Channel, e.Wide);
            fluid_synth_program_change(s, e.Channel, e.Value);
            break;
        case EventKind::Control:
            fluid_synth_cc(s, e.Channel, e.Key, e.Value);
            break;
        case EventKind::PitchBend:
            fluid_synth_pitch_bend(s, e.Channel, e.Wide);
            break;
        case EventKind::WaveOn: {
            if (e.Wide >= m_melody.Waves.size()) break;
            const WaveSound& w = m_melody.Waves[e.Wide];
            if (w.Frames() == 0 || w.Rate == 0) break;
            WaveVoice v;
            v.Wave = e.Wide;
            v.Step = static_cast<double>(w.Rate) / kRenderRate;
            v.EndFrame = m_frame + FrameOf(e.Length);
            // Loudness as a fraction of full scale, and a balance that keeps the centre
            // at full loudness on both sides.
            const float gain = static_cast<float>(e.Value) / 127.0f / 32768.0f;
            const float pan = static_cast<float>(std::min<uint8_t>(e.Key, 127)) / 127.0f;
            v.Left = gain * std::min(1.0f, 2.0f * (1.0f - pan));
            v.Right = gain * std::min(1.0f, 2.0f * pan);
            if (m_waves.size() >= kMaxWaveVoices) m_waves.erase(m_waves.begin());
            m_waves.push_back(v);
            break;
        }
    }
}

// Adds the playing waves to a block, resampled to the output rate by linear
// interpolation; a wave ends at its length or at the end of its samples.
void MelodyRenderer::MixWaves(float* l, float* r, size_t n) {
    for (auto it = m_waves.begin(); it != m_waves.end();) {
        const WaveSound& wave = m_melody.Waves[it->Wave];
        const std::vector<int16_t>& s = wave.Samples;
        const size_t frames = wave.Frames();
        const bool stereo = wave.Channels == 2;
        size_t i = 0;
        for (; i < n; ++i) {
            const size_t p = static_cast<size_t>(it->Pos);
            if (m_frame + i >= it->EndFrame || p >= frames) break;
            const float frac = static_cast<float>(it->Pos - static_cast<double>(p));
            const bool last = p + 1 >= frames;
            if (stereo) {
                const float a = s[2 * p], b = last ? 0.0f : s[2 * p + 2];
                const float c = s[2 * p + 1], d = last ? 0.0f : s[2 * p + 3];
                l[i] += (a + (b - a) * frac) * it->Left;
                r[i] += (c + (d - c) * frac) * it->Right;
            } else {
                const float a = s[p], b = last ? 0.0f : s[p + 1];
                const float v = a + (b - a) * frac;
                l[i] += v * it->Left;
                r[i] += v * it->Right;
            }
            it->Pos += it->Step;
        }
        it = i < n ? m_waves.erase(it) : it + 1;
    }
}

bool MelodyRenderer::Silent() const {
    return m_waves.empty() && fluid_synth_get_active_voice_count(m_host.Synth()) == 0;
}

size_t MelodyRenderer::Read(int16_t* out, size_t frames) {
    const std::vector<SoundEvent>& events = m_melody.Events;
    size_t done = 0;
    while (done < frames && !m_finished) {
        // The synthesizer queues what it is told until it renders its next block and drops
        // what does not fit, which can leave voices sounding for ever: a moment of
        // thousands of notes is told a part at a time, a block apart.
        size_t told = 0;
        while (m_next < events.size() && FrameOf(events[m_next].Ms) <= m_frame &&
               told < kEventsPerBlock) {
            if (Cancelled()) break;
            Dispatch(events[m_next++]);
            ++told;
        }
        const bool crowded = told == kEventsPerBlock && m_next < events.size() &&
                             FrameOf(events[m_next].Ms) <= m_frame;
        if (Cancelled()) {
            m_finished = true;
            return 0;
        }
        const bool pastEnd = m_next == events.size() && m_frame >= m_endFrame;
        if (pastEnd && (Silent() || m_frame >= m_endFrame + FrameOf(kMaxReleaseMs))) {
            m_finished = true;
            break;
        }
        size_t n = std::min(frames - done, kBlockFrames);
        if (crowded)
            n = std::min<size_t>(n, kSynthBlock - m_host.Rendered() % kSynthBlock);
        else if (m_next < events.size())
            n = static_cast<size_t>(std::min<uint64_t>(n, FrameOf(events[m_next].Ms) - m_frame));
        else if (m_frame < m_endFrame)
            n = static_cast<size_t>(std::min<uint64_t>(n, m_endFrame - m_frame));

        float* l = m_left.data();
        float* r = m_right.data();
        m_host.Render(l, r, n);

        MixWaves(l, r, n);

        float peak = 0;
        int16_t* o = out + done * 2;
        for (size_t i = 0; i < n; ++i) {
            peak = std::max({peak, std::fabs(l[i]), std::fabs(r[i])});
            o[2 * i] = static_cast<int16_t>(std::lrint(std::clamp(l[i], -1.0f, 1.0f) * 32767.0f));
            o[2 * i + 1] =
                static_cast<int16_t>(std::lrint(std::clamp(r[i], -1.0f, 1.0f) * 32767.0f));
        }
        done += n;
        m_frame += n;
        // Voices still releasing but no longer heard end the melody too.
        if (pastEnd && m_waves.empty() && peak < kSilence) m_finished = true;
    }
    return done;
}

std::vector<int16_t> RenderAll(SynthHost& host, Melody melody) {
    MelodyRenderer renderer(host, std::move(melody));
    std::vector<int16_t> pcm;
    std::vector<int16_t> block(4096 * 2);
    for (;;) {
        const size_t n = renderer.Read(block.data(), 4096);
        if (n == 0) break;
        pcm.insert(pcm.end(), block.begin(), block.begin() + static_cast<long>(n * 2));
    }
    return pcm;
}

Bytes WavHeader(uint32_t dataBytes, int rate) {
    Bytes w;
    w.reserve(44);
    auto text = [&](const char* s) { w.insert(w.end(), s, s + 4); };
    auto le = [&](uint32_t v, int bytes) {
        for (int i = 0; i < bytes; ++i) w.push_back(static_cast<uint8_t>(v >> (8 * i)));
    };
    text("RIFF");
    le(36 + dataBytes, 4);
    text("WAVE");
    text("fmt ");
    le(16, 4);
    le(1, 2);  // PCM
    le(2, 2);  // stereo
    le(static_cast<uint32_t>(rate), 4);
    le(static_cast<uint32_t>(rate) * 4, 4);
    le(4, 2);
    le(16, 2);
    text("data");
    le(dataBytes, 4);
    return w;
}

Bytes WavFile(const std::vector<int16_t>& stereo, int rate) {
    Bytes w = WavHeader(static_cast<uint32_t>(stereo.size() * 2), rate);
    w.reserve(w.size() + stereo.size() * 2);
    for (const int16_t s : stereo) {
        w.push_back(static_cast<uint8_t>(s & 0xFF));
        w.push_back(static_cast<uint8_t>((static_cast<uint16_t>(s) >> 8) & 0xFF));
    }
    return w;
}

}  // namespace q7k3::smaf
