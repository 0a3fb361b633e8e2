#pragma once
// The SMAF (.mmf) container: one "MMMD" chunk holding the contents info, optional data,
// score tracks ("MTR" + number) and audio tracks ("ATR" + number), closed by a CRC-16.
// Every chunk is a 4-byte id and a 4-byte big-endian size; nothing here reads past the
// bytes it was given, whatever the sizes claim.

#include <cstdint>
#include <string>
#include <vector>

#include "media/MediaResult.h"

namespace q7k3::smaf {

enum class ReadStatus {
    Ok,
    NotSmaf,      // does not start with "MMMD"
    Broken,       // truncated or malformed
    Unsupported,  // a SMAF we do not play (a later score format, a voice library)
};

struct ReadResult {
    ReadStatus Status = ReadStatus::Ok;
    std::string Detail;  // what was wrong, for a log or a test (English, not for the user)
    explicit operator bool() const { return Status == ReadStatus::Ok; }
    static ReadResult Fail(ReadStatus status, std::string detail) {
        return {status, std::move(detail)};
    }
};

// Score track formats.
constexpr uint8_t kHandyphone = 0;        // 4 channels, short event coding
constexpr uint8_t kMobileCompressed = 1;  // 16 channels, sequence Huffman-coded
constexpr uint8_t kMobilePlain = 2;       // 16 channels

// A wave stored with a track: "Mwa" + number inside a score track's "Mtsp", or "Awa" +
// number inside an audio track.
struct StoredWave {
    uint8_t Number = 0;
    bool Stereo = false;
    uint8_t Coding = 0;  // as the track's type byte numbers it (see Adpcm)
    uint8_t Bits = 0;    // base bit code: 0 = 4 bits
    uint32_t Rate = 0;   // Hz
    // 4-bit SMAF ADPCM, the coding we play. Audio tracks number it 1 and stream waves 2;
    // the reader resolves the difference.
    bool Adpcm = false;
    Bytes Data;
};

struct ScoreTrack {
    uint8_t Number = 0;
    uint8_t FormatType = 0;
    uint8_t SequenceType = 0;
    uint32_t DurationBaseMs = 1;
    uint32_t GateBaseMs = 1;
    Bytes ChannelStatus;  // 2 bytes (Handyphone) or 16 (Mobile)
    Bytes Sequence;       // "Mtsq", already decompressed for format type 1
    bool HasSequence = false;
    std::vector<StoredWave> Waves;  // stream waves of "Mtsp"
};

struct AudioTrack {
    uint8_t Number = 0;
    uint8_t FormatType = 0;
    uint8_t SequenceType = 0;
    bool Stereo = false;
    uint8_t Coding = 0;
    uint32_t Rate = 0;
    uint8_t Bits = 0;
    uint32_t DurationBaseMs = 1;
    uint32_t GateBaseMs = 1;
    Bytes Sequence;  // "Atsq"
    bool HasSequence = false;
    std::vector<StoredWave> Waves;
};

struct SmafImage {
    uint8_t ContentClass = 0;
    uint8_t ContentType = 0;
    uint8_t CodeType = 0;
    std::vector<ScoreTrack> Scores;
    std::vector<AudioTrack> Audio;
    bool CrcMismatch = false;
    size_t TrailingBytes = 0;           // bytes after the MMMD chunk, tolerated
    std::vector<std::string> Warnings;  // English, for logs and tests
};

// The decoded size of a compressed sequence is bounded: no real melody comes near it.
constexpr size_t kMaxSequenceSize = 4u << 20;

// Reads a whole SMAF file. Fails with NotSmaf, Broken or Unsupported; a CRC that does not
// match only adds a warning (and sets CrcMismatch).
ReadResult ReadSmaf(ByteView file, SmafImage& out);

// CRC-16 as SMAF stores it: polynomial 0x1021, initial 0xFFFF, final XOR 0xFFFF.
uint16_t Crc16(ByteView data);

// Milliseconds of a timebase code (0x00 = 1 ms ... 0x13 = 50 ms); false for other codes.
bool TimebaseMs(uint8_t code, uint32_t& ms);

// A compressed sequence: 4-byte decoded size, then a Huffman tree written pre-order and the
// codes, most significant bit first. False for anything truncated or out of bounds.
bool HuffmanDecode(ByteView in, Bytes& out, size_t limit = kMaxSequenceSize);

// The sample rate of an audio track's rate code (0 = 4000 ... 4 = 44100), 0 if unknown.
uint32_t AudioRate(uint8_t code);

}  // namespace q7k3::smaf
