#pragma once
// A melody's events rendered to 16-bit stereo sound by FluidSynth with a General MIDI
// soundfont, the decoded waves resampled and mixed in.

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "media/smaf/SmafScore.h"

typedef struct _fluid_hashtable_t fluid_settings_t;
typedef struct _fluid_synth_t fluid_synth_t;

namespace q7k3::smaf {

constexpr int kRenderRate = 44100;
// After the last event the sound may ring on while voices release; never longer than this.
constexpr uint32_t kMaxReleaseMs = 3000;
// Waves sounding at once, at most: a phone sounds at most 40 notes together, its waves
// included. A wave started beyond that takes the place of the one that sounds longest,
// so that a moment starting a wave thousands of times costs no more than 40 of them.
constexpr size_t kMaxWaveVoices = 40;

// Where rendered sound is pulled from, a block at a time.
class PcmSource {
public:
    virtual ~PcmSource() = default;
    // Fills up to `frames` stereo frames (interleaved left, right); returns how many were
    // written, 0 once the sound has ended.
    virtual size_t Read(int16_t* out, size_t frames) = 0;
    virtual int SampleRate() const = 0;
};

// The soundfont to use: `preferred` when given (empty if it is no file), else the first of
// the system's General MIDI sets, the larger ones before the small one. Empty for none.
std::string FindSoundFont(const std::string& preferred = {});

// One synthesizer with its soundfont loaded, made once (loading takes longer than a melody
// may wait) and reset for every melody.
class SynthHost {
public:
    // Null, with `error` set, when the soundfont cannot be loaded.
    static std::unique_ptr<SynthHost> Create(const std::string& soundFont, std::string& error);
    ~SynthHost();
    SynthHost(const SynthHost&) = delete;
    SynthHost& operator=(const SynthHost&) = delete;

    fluid_synth_t* Synth() const { return m_synth; }
    // Renders `frames` into the two channels; every rendering goes through here, so that
    // the frames rendered tell where the synthesizer is in its own blocks.
    void Render(float* left, float* right, size_t frames);
    uint64_t Rendered() const { return m_rendered; }

private:
    SynthHost() = default;
    fluid_settings_t* m_settings = nullptr;
    fluid_synth_t* m_synth = nullptr;
    uint64_t m_rendered = 0;
};

// Plays one melody through the host's synthesizer. Only one renderer may use a host at a time.
class MelodyRenderer : public PcmSource {
public:
    MelodyRenderer(SynthHost& host, Melody melody);
    ~MelodyRenderer() override;

    size_t Read(int16_t* out, size_t frames) override;
    int SampleRate() const override { return kRenderRate; }

    bool Finished() const { return m_finished; }
    // A flag another thread may raise to end the melody at once, even in the middle of a
    // moment that starts thousands of notes. Read answers 0 from then on.
    void SetCancel(const std::atomic<bool>* cancel) { m_cancel = cancel; }

private:
    void Dispatch(const SoundEvent& e);
    bool Silent() const;
    bool Cancelled() const { return m_cancel && m_cancel->load(std::memory_order_relaxed); }
    void MixWaves(float* l, float* r, size_t n);

    struct WaveVoice {
        size_t Wave = 0;
        double Pos = 0;   // in the wave's own frames
        double Step = 1;  // wave frames per output frame
        uint64_t EndFrame = 0;
        float Left = 1, Right = 1;  // gains, with the pan
    };

    SynthHost& m_host;
    Melody m_melody;
    size_t m_next = 0;     // next event
    uint64_t m_frame = 0;  // frames rendered so far
    uint64_t m_endFrame = 0;
    bool m_finished = false;
    std::vector<WaveVoice> m_waves;
    std::vector<float> m_left, m_right;
    const std::atomic<bool>* m_cancel = nullptr;
};

// Renders a whole melody to interleaved stereo samples at kRenderRate (for short melodies:
// a long one is better streamed, see ConvertSMAFtoWAV).
std::vector<int16_t> RenderAll(SynthHost& host, Melody melody);
// The 44-byte header of a 16-bit stereo PCM WAV file holding `dataBytes` of samples.
Bytes WavHeader(uint32_t dataBytes, int rate);
// A 16-bit PCM WAV file of interleaved stereo samples.
Bytes WavFile(const std::vector<int16_t>& stereo, int rate);

}  // namespace q7k3::smaf
