#include "media/smaf/SmafScore.h"

#include <algorithm>
#include <map>

namespace q7k3::smaf {

const uint8_t kHandyphoneFallbackPrograms[4] = {80, 81, 38, 0};  // square, saw, bass, piano

namespace {

// Reads the sequence bytes of one track, every read bounds-checked.
struct Cursor {
    ByteView Data;
    size_t At = 0;

    bool AtEnd() const { return At >= Data.size(); }
    size_t Left() const { return Data.size() - At; }
    bool Byte(uint8_t& b) {
        if (At >= Data.size()) return false;
        b = Data[At++];
        return true;
    }
    // Handyphone lengths: one byte below 0x80, or two: ((b0 & 0x7F) + 1) * 128 + b1.
    bool HandyLength(uint32_t& v) {
        uint8_t b0 = 0, b1 = 0;
        if (!Byte(b0)) return false;
        if (b0 < 0x80) {
            v = b0;
            return true;
        }
        if (!Byte(b1)) return false;
        v = ((uint32_t{b0} & 0x7F) + 1) * 128 + b1;
        return true;
    }
    // Mobile Standard lengths: 7 bits a byte, high bit set on all but the last; at most 4.
    bool Vlq(uint32_t& v) {
        v = 0;
        for (int i = 0; i < 4; ++i) {
            uint8_t b = 0;
            if (!Byte(b)) return false;
            v = (v << 7) | (b & 0x7F);
            if (!(b & 0x80)) return true;
        }
        return false;
    }
    bool Skip(size_t n) {
        if (n > Left()) return false;
        At += n;
        return true;
    }
};

ReadResult Broken(const std::string& what) {
    return ReadResult::Fail(ReadStatus::Broken, what);
}

// The clock of one track: ticks of its duration base, kept in milliseconds.
struct TrackClock {
    uint64_t Ms = 0;
    uint64_t EndMs = 0;

    bool Advance(uint32_t ticks, uint32_t baseMs) {
        Ms += uint64_t{ticks} * baseMs;
        EndMs = std::max(EndMs, Ms);
        return Ms <= kMaxMelodyMs;
    }
    bool Until(uint64_t endMs) {
        EndMs = std::max(EndMs, endMs);
        return endMs <= kMaxMelodyMs;
    }
};

bool Emit(Melody& m, SoundEvent e) {
    if (m.Events.size() >= kMaxEvents) return false;
    m.Events.push_back(e);
    return true;
}

SoundEvent Ev(uint64_t ms, EventKind kind, int channel) {
    SoundEvent e;
    e.Ms = static_cast<uint32_t>(ms);
    e.Kind = kind;
    e.Channel = static_cast<uint8_t>(channel % kSynthChannels);
    return e;
}

SoundEvent ControlEv(uint64_t ms, int channel, int controller, int value) {
    SoundEvent e = Ev(ms, EventKind::Control, channel);
    e.Key = static_cast<uint8_t>(controller & 0x7F);
    e.Value = static_cast<uint8_t>(value & 0x7F);
    return e;
}

SoundEvent BendEv(uint64_t ms, int channel, int value14) {
    SoundEvent e = Ev(ms, EventKind::PitchBend, channel);
    e.Wide = static_cast<uint16_t>(std::clamp(value14, 0, 16383));
    return e;
}

// A note as a pair of events. A gate of zero still sounds for a moment, so that the note's
// own release never lands before its start.
bool EmitNote(Melody& m, TrackClock& clock, int channel, int key, int velocity, uint64_t gateMs) {
    SoundEvent on = Ev(clock.Ms, EventKind::NoteOn, channel);
    on.Key = static_cast<uint8_t>(std::clamp(key, 0, 127));
    on.Value = static_cast<uint8_t>(std::clamp(velocity, 0, 127));
    SoundEvent off = Ev(clock.Ms + std::max<uint64_t>(gateMs, 1), EventKind::NoteOff, channel);
    off.Key = on.Key;
    return clock.Until(clock.Ms + std::max<uint64_t>(gateMs, 1)) && Emit(m, on) && Emit(m, off);
}

// The short and long control events of the Handyphone coding (also used by audio tracks):
// after 0x00, a byte of channel (bits 7-6) and event (bits 5-0).
struct HandyControl {
    enum Kind { None, Expression, Bend, Modulation, Program, Bank, Octave, Volume, Pan };
    Kind What = None;
    int Channel = 0;
    int Value = 0;
};

bool ReadHandyControl(Cursor& c, HandyControl& out) {
    static const uint8_t expression[15] = {0,    0,    0x1F, 0x27, 0x2F, 0x37, 0x3F, 0x47,
                                           0x4F, 0x57, 0x5F, 0x67, 0x6F, 0x77, 0x7F};
    static const uint8_t modulation[14] = {0,    0x08, 0x10, 0x18, 0x20, 0x28, 0x30,
                                           0x38, 0x40, 0x48, 0x50, 0x60, 0x70, 0x7F};
    uint8_t b = 0;
    if (!c.Byte(b)) return false;
    out = HandyControl{};
    out.Channel = b >> 6;
    const int type = b & 0x3F;
    if (type >= 0x01 && type <= 0x0E) {
        out.What = HandyControl::Expression;
        out.Value = expression[type];
    } else if (type >= 0x11 && type <= 0x1E) {
        out.What = HandyControl::Bend;
        out.Value = (type - 0x10) * 8;
    } else if (type >= 0x21 && type <= 0x2E) {
        out.What = HandyControl::Modulation;
        out.Value = modulation[type - 0x21];
    } else if (type >= 0x30) {
        uint8_t v = 0;
        if (!c.Byte(v)) return false;
        out.Value = v;
        switch (type) {
            case 0x30:
                out.What = HandyControl::Program;
                break;
            case 0x31:
                out.What = HandyControl::Bank;
                break;
            case 0x32:
                out.What = HandyControl::Octave;
                break;
            case 0x33:
                out.What = HandyControl::Modulation;
                break;
            case 0x34:
                out.What = HandyControl::Bend;
                break;
            case 0x37:
                out.What = HandyControl::Volume;
                break;
            case 0x3A:
                out.What = HandyControl::Pan;
                break;
            case 0x3B:
                out.What = HandyControl::Expression;
                break;
            default:
                break;  // a control we do not play; its value byte is skipped
        }
    }
    return true;
}

// 0xFF then 0x00 (nothing) or 0xF0, a length byte and an exclusive message.
bool SkipHandyEscape(Cursor& c) {
    uint8_t b = 0;
    if (!c.Byte(b)) return false;
    if (b == 0x00) return true;
    if (b != 0xF0) return false;
    uint8_t len = 0;
    return c.Byte(len) && c.Skip(len);
}

bool HandyEnd(const Cursor& c) {
    return c.Left() >= 4 && c.Data[c.At] == 0 && c.Data[c.At + 1] == 0 && c.Data[c.At + 2] == 0 &&
           c.Data[c.At + 3] == 0;
}

ReadResult DecodeHandyphone(const ScoreTrack& t, int first, Melody& m, TrackClock& clock) {
    int octave[4] = {0, 0, 0, 0};
    for (int ch = 0; ch < 4; ++ch) {
        SoundEvent p = Ev(0, EventKind::Program, first + ch);
        p.Value = kHandyphoneFallbackPrograms[ch];
        if (!Emit(m, p)) return Broken("too many events");
    }
    Cursor c{t.Sequence};
    while (!c.AtEnd() && !HandyEnd(c)) {
        uint32_t ticks = 0;
        uint8_t b = 0;
        if (!c.HandyLength(ticks) || !c.Byte(b)) return Broken("a sequence event is cut short");
        if (!clock.Advance(ticks, t.DurationBaseMs)) return Broken("the melody is too long");
        if (b == 0xFF) {
            if (!SkipHandyEscape(c)) return Broken("a bad escape in a sequence");
        } else if (b == 0x00) {
            HandyControl hc;
            if (!ReadHandyControl(c, hc)) return Broken("a control event is cut short");
            const int ch = first + hc.Channel;
            bool ok = true;
            switch (hc.What) {
                case HandyControl::Expression:
                    ok = Emit(m, ControlEv(clock.Ms, ch, 11, hc.Value));
                    break;
                case HandyControl::Modulation:
                    ok = Emit(m, ControlEv(clock.Ms, ch, 1, hc.Value));
                    break;
                case HandyControl::Volume:
                    ok = Emit(m, ControlEv(clock.Ms, ch, 7, hc.Value));
                    break;
                case HandyControl::Pan:
                    ok = Emit(m, ControlEv(clock.Ms, ch, 10, hc.Value));
                    break;
                case HandyControl::Bend:
                    ok = Emit(m, BendEv(clock.Ms, ch, (hc.Value & 0x7F) << 7));
                    break;
                case HandyControl::Octave: {
                    const int v = hc.Value & 0x7F;
                    octave[hc.Channel] = v > 4 ? 0 : ((hc.Value & 0x80) ? -v : v);
                    break;
                }
                default:
                    break;  // voices are fixed (see kHandyphoneFallbackPrograms)
            }
            if (!ok) return Broken("too many events");
        } else {
            const int ch = b >> 6;
            const int key = ((b >> 4) & 3) * 12 + 36 + (b & 0x0F) + octave[ch] * 12;
            uint32_t gate = 0;
            if (!c.HandyLength(gate)) return Broken("a note is cut short");
            if (!EmitNote(m, clock, first + ch, key, 100, uint64_t{gate} * t.GateBaseMs))
                return Broken("the melody is too long");
        }
    }
    if (!HandyEnd(c)) m.Warnings.push_back("a sequence has no end mark");
    return {};
}

int ChannelType(const ScoreTrack& t, int ch) {
    return static_cast<size_t>(ch) < t.ChannelStatus.size() ? (t.ChannelStatus[ch] & 3) : 0;
}

// The phone's own banks, chosen by bank select MSB: melodic voices and rhythm kits.
constexpr uint8_t kMelodyBank = 124;
constexpr uint8_t kRhythmBank = 125;
// Below this key no General MIDI kit has a sound: on a rhythm channel of a track with
// stream waves, such a key is a wave's, even when that wave was left out of the file.
constexpr int kLowestDrumKey = 27;

// How a score track's notes start its stream waves, as the real ringtones do it: a note on
// a rhythm channel whose key is one less than a stored wave's number starts that wave
// (key 0 wave 1, key 3 wave 4 ...). The same channels play ordinary drum keys too. The
// note's velocity, with the channel's volume and expression, is the wave's loudness, and
// the wave sounds for its gate or its own length, whichever ends first: files whose wave
// is the whole ringtone give it a gate just as long, and echoes of one wave are cut short
// by their gates. Each wave keeps its own rate.
class StreamWaves {
public:
    static constexpr int kNone = -1;        // no wave for this key
    static constexpr int kUnplayable = -2;  // a wave in a coding we do not play

    StreamWaves(const ScoreTrack& t, Melody& m) : m_track(t), m_melody(m) {}
    bool Any() const { return !m_track.Waves.empty(); }

    // The index in Melody::Waves of the wave a key starts, decoded on first use.
    int ForKey(int key) {
        const int number = key + 1;
        if (auto it = m_index.find(number); it != m_index.end()) return it->second;
        int index = kNone;
        for (const StoredWave& w : m_track.Waves) {
            if (w.Number != number) continue;
            if (!w.Adpcm || w.Rate == 0) {
                index = kUnplayable;
                m_melody.UnplayedWaves = true;
                m_melody.Warnings.push_back("a stream wave in a coding we do not play");
                break;
            }
            WaveSound sound;
            sound.Samples = DecodeSmafAdpcm(w.Data, w.Stereo);
            sound.Rate = w.Rate;
            sound.Channels = w.Stereo ? 2 : 1;
            m_melody.Waves.push_back(std::move(sound));
            index = static_cast<int>(m_melody.Waves.size() - 1);
            break;
        }
        return m_index[number] = index;
    }

private:
    const ScoreTrack& m_track;
    Melody& m_melody;
    std::map<int, int> m_index;  // wave number -> index or kNone / kUnplayable
};

// The end of an event that could not be read whole or would make the melody too long.
ReadResult Checked(bool ok) {
    return ok ? ReadResult{} : Broken("an event is cut short or the melody is too long");
}

// A mobile score track's sequence as it plays: the sixteen channels' state, and the events
// each kind of status byte makes.
class MobileScore {
public:
    MobileScore(const ScoreTrack& t, int first, Melody& m, TrackClock& clock)
        : m_t(t), m_first(first), m_m(m), m_clock(clock), m_waves(t, m) {
        std::fill(std::begin(m_velocity), std::end(m_velocity), uint8_t{64});
        std::fill(std::begin(m_volume), std::end(m_volume), uint8_t{100});
        std::fill(std::begin(m_expression), std::end(m_expression), uint8_t{127});
        std::fill(std::begin(m_pan), std::end(m_pan), uint8_t{64});
    }

    ReadResult Decode() {
        if (ReadResult r = SetUpRhythmChannels(); !r) return r;
        Cursor c{m_t.Sequence};
        bool ended = false;
        while (!c.AtEnd() && !ended) {
            uint32_t ticks = 0;
            uint8_t status = 0;
            if (!c.Vlq(ticks) || !c.Byte(status)) return Broken("a sequence event is cut short");
            if (!m_clock.Advance(ticks, m_t.DurationBaseMs))
                return Broken("the melody is too long");
            if (ReadResult r = Event(c, status, ended); !r) return r;
        }
        if (!ended) m_m.Warnings.push_back("a sequence has no end mark");
        return {};
    }

private:
    ReadResult SetUpRhythmChannels() {
        for (int ch = 0; ch < 16; ++ch) {
            // Channel 9 of a group is the rhythm channel, as the status may also say; the
            // rhythm bank makes any channel one (below).
            m_drum[ch] = ch == 9 || ChannelType(m_t, ch) == 3;
            if (m_drum[ch]) {
                m_m.Drum[static_cast<size_t>((m_first + ch) % kSynthChannels)] = true;
                SoundEvent p = Ev(0, EventKind::Program, m_first + ch);
                p.Wide = 128;
                if (!Emit(m_m, p)) return Broken("too many events");
            }
        }
        return {};
    }

    ReadResult Event(Cursor& c, uint8_t status, bool& ended) {
        const int ch = status & 0x0F;
        const int sc = m_first + ch;
        switch (status >> 4) {
            case 0x8:
            case 0x9:
                return Note(c, status);
            case 0xA:
                return Checked(c.Skip(2));  // key pressure: not played
            case 0xB:
                return ControlChange(c, ch);
            case 0xC:
                return ProgramChange(c, ch);
            case 0xD:
                return Checked(c.Skip(1));  // channel pressure: not played
            case 0xE: {
                uint8_t lsb = 0, msb = 0;
                if (!c.Byte(lsb) || !c.Byte(msb)) return Broken("a pitch bend is cut short");
                return Checked(
                    Emit(m_m, BendEv(m_clock.Ms, sc, ((msb & 0x7F) << 7) | (lsb & 0x7F))));
            }
            case 0xF:
                return System(c, status, ended);
            default:
                return Broken("a data byte where an event should start");
        }
    }

    ReadResult Note(Cursor& c, uint8_t status) {
        const int ch = status & 0x0F;
        const int sc = m_first + ch;
        uint8_t key = 0;
        uint32_t gate = 0;
        if (!c.Byte(key)) return Broken("a note is cut short");
        if (status >> 4 == 0x9 && !c.Byte(m_velocity[ch])) return Broken("a note is cut short");
        if (!c.Vlq(gate)) return Broken("a note is cut short");
        const uint64_t gateMs = uint64_t{gate} * m_t.GateBaseMs;
        key = static_cast<uint8_t>(key & 0x7F);
        if (m_drum[ch] && m_waves.Any()) {
            const int wave = m_waves.ForKey(key);
            if (wave >= 0) {
                const WaveSound& w = m_m.Waves[static_cast<size_t>(wave)];
                const uint64_t waveMs = uint64_t{w.Frames()} * 1000 / w.Rate;
                // A gate of zero lets the wave play out.
                const uint64_t ms = gate == 0 ? waveMs : std::min(gateMs, waveMs);
                SoundEvent e = Ev(m_clock.Ms, EventKind::WaveOn, sc);
                e.Wide = static_cast<uint16_t>(wave);
                e.Value = static_cast<uint8_t>((m_velocity[ch] & 0x7F) * m_volume[ch] *
                                               m_expression[ch] / (127 * 127));
                e.Key = m_pan[ch];
                e.Length = static_cast<uint32_t>(std::min<uint64_t>(ms, kMaxMelodyMs));
                return Checked(m_clock.Until(m_clock.Ms + ms) && Emit(m_m, e));
            }
            // The note of a wave we cannot sound is no instrument either.
            if (wave == StreamWaves::kUnplayable || key < kLowestDrumKey) return {};
        }
        if (!m_sounded[ch]) {
            // A channel is set up as a rhythm or melody channel as its first note finds it.
            m_sounded[ch] = true;
            m_m.Drum[static_cast<size_t>(sc % kSynthChannels)] = m_drum[ch];
        }
        return Checked(EmitNote(m_m, m_clock, sc, key, m_velocity[ch] & 0x7F, gateMs));
    }

    ReadResult ControlChange(Cursor& c, int ch) {
        uint8_t cc = 0, value = 0;
        if (!c.Byte(cc) || !c.Byte(value)) return Broken("a control change is cut short");
        if (cc == 0) {
            m_bankMsb[ch] = value;
            if (value == kRhythmBank) m_drum[ch] = true;
            if (value == kMelodyBank) m_drum[ch] = false;
        } else if (cc == 126 || cc == 127) {
            // Mono and poly mode: the synthesizer would end the channel's notes and keep it
            // silent; the phones play on, so the switch is left out.
        } else if (cc != 32) {
            if (cc == 7) m_volume[ch] = value & 0x7F;
            if (cc == 10) m_pan[ch] = value & 0x7F;
            if (cc == 11) m_expression[ch] = value & 0x7F;
            return Checked(Emit(m_m, ControlEv(m_clock.Ms, m_first + ch, cc, value)));
        }
        return {};
    }

    ReadResult ProgramChange(Cursor& c, int ch) {
        uint8_t program = 0;
        if (!c.Byte(program)) return Broken("a program change is cut short");
        SoundEvent p = Ev(m_clock.Ms, EventKind::Program, m_first + ch);
        // The phone's own voices (banks 124 and 125) have no General MIDI counterpart; the
        // program number is the closest thing to one, and its rhythm kits are played with
        // the standard kit.
        if (m_drum[ch]) {
            p.Wide = 128;
            p.Value = m_bankMsb[ch] == 0 ? program & 0x7F : 0;
        } else {
            p.Value = program & 0x7F;
        }
        return Checked(Emit(m_m, p));
    }

    ReadResult System(Cursor& c, uint8_t status, bool& ended) {
        if (status == 0xF0) {
            uint32_t len = 0;
            if (!c.Vlq(len) || !c.Skip(len)) return Broken("an exclusive message is cut short");
        } else if (status == 0xFF) {
            uint8_t kind = 0;
            if (!c.Byte(kind)) return Broken("a meta event is cut short");
            if (kind == 0x2F) {
                uint8_t zero = 0;
                c.Byte(zero);
                ended = true;
            } else if (kind != 0x00) {
                return Broken("an unknown meta event");
            }
        } else {
            return Broken("an unknown system event");
        }
        return {};
    }

    const ScoreTrack& m_t;
    const int m_first;
    Melody& m_m;
    TrackClock& m_clock;
    StreamWaves m_waves;
    uint8_t m_velocity[16];
    uint8_t m_bankMsb[16] = {};
    uint8_t m_volume[16], m_expression[16], m_pan[16];
    bool m_drum[16] = {};
    bool m_sounded[16] = {};
};

ReadResult DecodeMobile(const ScoreTrack& t, int first, Melody& m, TrackClock& clock) {
    return MobileScore(t, first, m, clock).Decode();
}

}  // namespace

std::vector<int16_t> DecodeSmafAdpcm(ByteView data, bool stereo) {
    static const int kDiff[16] = {1, 3, 5, 7, 9, 11, 13, 15, -1, -3, -5, -7, -9, -11, -13, -15};
    static const int kScale[16] = {230, 230, 230, 230, 307, 409, 512, 614,
                                   230, 230, 230, 230, 307, 409, 512, 614};
    struct Channel {
        int Predictor = 0;
        int Step = 127;
    } channels[2];
    std::vector<int16_t> out;
    out.reserve(data.size() * 2);
    auto expand = [&](Channel& c, int nibble) {
        c.Predictor = std::clamp(c.Predictor + c.Step * kDiff[nibble] / 8, -32768, 32767);
        c.Step = std::clamp((c.Step * kScale[nibble]) >> 8, 127, 24576);
        out.push_back(static_cast<int16_t>(c.Predictor));
    };
    Channel& high = stereo ? channels[1] : channels[0];
    for (const uint8_t b : data) {
        expand(channels[0], b & 0x0F);
        expand(high, b >> 4);
    }
    return out;
}

ReadResult DecodeScoreTrack(const ScoreTrack& track, int firstChannel, Melody& melody) {
    if (!track.HasSequence) return {};
    TrackClock clock;
    ReadResult r = track.FormatType == kHandyphone
                       ? DecodeHandyphone(track, firstChannel, melody, clock)
                       : DecodeMobile(track, firstChannel, melody, clock);
    if (r) melody.EndMs = std::max(melody.EndMs, static_cast<uint32_t>(clock.EndMs));
    return r;
}

ReadResult DecodeAudioTrack(const AudioTrack& track, Melody& melody) {
    if (!track.HasSequence) return {};
    if (track.FormatType != 0) {
        melody.Warnings.push_back("an audio track of a format we do not play");
        return {};
    }
    int volume[4] = {100, 100, 100, 100};
    int expression[4] = {127, 127, 127, 127};
    int pan[4] = {64, 64, 64, 64};
    std::map<int, int> waveIndex;
    auto wave = [&](int number) -> int {
        if (auto it = waveIndex.find(number); it != waveIndex.end()) return it->second;
        int index = -1;
        for (const StoredWave& w : track.Waves) {
            if (w.Number != number) continue;
            if (!w.Adpcm || w.Stereo || w.Rate == 0) {
                melody.UnplayedWaves = true;
                melody.Warnings.push_back("an audio wave in a coding we do not play");
                break;
            }
            melody.Waves.push_back({DecodeSmafAdpcm(w.Data), w.Rate});
            index = static_cast<int>(melody.Waves.size() - 1);
            break;
        }
        return waveIndex[number] = index;
    };

    TrackClock clock;
    Cursor c{track.Sequence};
    while (!c.AtEnd() && !HandyEnd(c)) {
        uint32_t ticks = 0;
        uint8_t b = 0;
        if (!c.HandyLength(ticks) || !c.Byte(b)) return Broken("an audio event is cut short");
        if (!clock.Advance(ticks, track.DurationBaseMs)) return Broken("the melody is too long");
        if (b == 0xFF) {
            if (!SkipHandyEscape(c)) return Broken("a bad escape in an audio sequence");
        } else if (b == 0x00) {
            HandyControl hc;
            if (!ReadHandyControl(c, hc)) return Broken("an audio control is cut short");
            if (hc.What == HandyControl::Volume) volume[hc.Channel] = hc.Value & 0x7F;
            if (hc.What == HandyControl::Expression) expression[hc.Channel] = hc.Value & 0x7F;
            if (hc.What == HandyControl::Pan) pan[hc.Channel] = hc.Value & 0x7F;
        } else {
            uint32_t gate = 0;
            if (!c.HandyLength(gate)) return Broken("a wave event is cut short");
            const uint64_t gateMs = uint64_t{gate} * track.GateBaseMs;
            const int index = wave(b & 0x3F);
            if (index < 0) continue;
            const WaveSound& w = melody.Waves[static_cast<size_t>(index)];
            const uint64_t waveMs = uint64_t{w.Samples.size()} * 1000 / w.Rate;
            SoundEvent e = Ev(clock.Ms, EventKind::WaveOn, 0);
            e.Wide = static_cast<uint16_t>(index);
            e.Value = static_cast<uint8_t>(volume[b >> 6] * expression[b >> 6] / 127);
            e.Key = static_cast<uint8_t>(pan[b >> 6]);
            e.Length = static_cast<uint32_t>(std::min<uint64_t>(gateMs, kMaxMelodyMs));
            if (!clock.Until(clock.Ms + std::min(gateMs, waveMs)) || !Emit(melody, e))
                return Broken("the melody is too long");
        }
    }
    if (!HandyEnd(c)) melody.Warnings.push_back("an audio sequence has no end mark");
    melody.EndMs = std::max(melody.EndMs, static_cast<uint32_t>(clock.EndMs));
    return {};
}

ReadResult BuildMelody(const SmafImage& image, Melody& melody) {
    melody = Melody{};
    melody.Warnings = image.Warnings;
    int slot = 0;
    for (const ScoreTrack& t : image.Scores) {
        if (!t.HasSequence) continue;
        ReadResult r = DecodeScoreTrack(t, (slot++ * 16) % kSynthChannels, melody);
        if (!r) return r;
    }
    for (const AudioTrack& t : image.Audio) {
        ReadResult r = DecodeAudioTrack(t, melody);
        if (!r) return r;
    }
    std::stable_sort(melody.Events.begin(), melody.Events.end(),
                     [](const SoundEvent& a, const SoundEvent& b) {
                         return a.Ms != b.Ms ? a.Ms < b.Ms : a.Kind < b.Kind;
                     });
    return {};
}

ReadResult ReadMelody(ByteView file, Melody& melody) {
    SmafImage image;
    ReadResult r = ReadSmaf(file, image);
    if (!r) return r;
    return BuildMelody(image, melody);
}

}  // namespace q7k3::smaf
