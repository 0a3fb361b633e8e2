#pragma once
// The tracks of a SMAF file turned into one list of events timed in milliseconds, ready
// for a General MIDI synthesizer, plus the waves they start.
//
// Channels: score track k (in file order) owns synthesizer channels 16k .. 16k+15 (a
// Handyphone track uses the first four of them), modulo kSynthChannels.

#include <cstdint>
#include <string>
#include <vector>

#include "media/smaf/SmafFile.h"

namespace q7k3::smaf {

constexpr int kSynthChannels = 64;
// The longest melody we play; anything longer is taken for a damaged file.
constexpr uint32_t kMaxMelodyMs = 30u * 60u * 1000u;
constexpr size_t kMaxEvents = 1u << 20;

enum class EventKind : uint8_t {
    NoteOff,    // Channel, Key
    Program,    // Channel, Value = program, Wide = bank (128 = drum kits)
    Control,    // Channel, Key = controller, Value
    PitchBend,  // Channel, Wide = 0 .. 16383, centre 8192
    NoteOn,     // Channel, Key, Value = velocity
    WaveOn,     // Wide = index into Melody::Waves, Value = gain 0..127, Key = pan 0..127
                // (64 the centre), Length = ms to play at most
};

struct SoundEvent {
    uint32_t Ms = 0;
    EventKind Kind = EventKind::NoteOn;
    uint8_t Channel = 0;
    uint8_t Key = 0;
    uint8_t Value = 0;
    uint16_t Wide = 0;
    uint32_t Length = 0;
    bool operator==(const SoundEvent&) const = default;
};

// A decoded wave: 16-bit samples at `Rate`, left and right interleaved when stereo.
struct WaveSound {
    std::vector<int16_t> Samples;
    uint32_t Rate = 8000;
    uint8_t Channels = 1;
    size_t Frames() const { return Channels == 2 ? Samples.size() / 2 : Samples.size(); }
};

struct Melody {
    std::vector<SoundEvent> Events;  // sorted by time; at equal times in EventKind order
    std::vector<WaveSound> Waves;
    std::vector<bool> Drum = std::vector<bool>(kSynthChannels, false);  // rhythm channels
    uint32_t EndMs = 0;  // the end of the last note, wave or sequence
    std::vector<std::string> Warnings;
    // A wave the score starts is stored in a coding we do not play: it stays silent, and
    // whoever renders the melody should say so.
    bool UnplayedWaves = false;
};

// Events of one score track's sequence (already decompressed) on channels from `firstChannel`,
// appended to `melody`. Broken sequences fail with a reason.
ReadResult DecodeScoreTrack(const ScoreTrack& track, int firstChannel, Melody& melody);
// Events of one audio track; its waves are decoded and appended to melody.Waves.
ReadResult DecodeAudioTrack(const AudioTrack& track, Melody& melody);
// The whole file: every track, sorted into one list.
ReadResult BuildMelody(const SmafImage& image, Melody& melody);
// Reads and builds in one step.
ReadResult ReadMelody(ByteView file, Melody& melody);

// The General MIDI programs given to the four Handyphone channels: their voices are FM
// patches of the phone's own, which no General MIDI set has.
extern const uint8_t kHandyphoneFallbackPrograms[4];

// SMAF ADPCM (4 bits a sample, low nibble first), as the phones store their waves. A stereo
// wave keeps left in the low nibble and right in the high one of every byte; its samples
// come out interleaved.
std::vector<int16_t> DecodeSmafAdpcm(ByteView data, bool stereo = false);

}  // namespace q7k3::smaf
