#include "media/smaf/SmafFile.h"

#include <array>
#include <cstring>

namespace q7k3::smaf {
namespace {

uint32_t Be32(ByteView d, size_t at) {
    return (uint32_t{d[at]} << 24) | (uint32_t{d[at + 1]} << 16) | (uint32_t{d[at + 2]} << 8) |
           uint32_t{d[at + 3]};
}

std::string IdText(const uint8_t* id) {
    std::string s;
    for (int i = 0; i < 4; ++i) {
        const uint8_t c = id[i];
        if (c >= 0x20 && c < 0x7F) {
            s += static_cast<char>(c);
        } else {
            static const char* hex = "0123456789ABCDEF";
            s += "\\x";
            s += hex[c >> 4];
            s += hex[c & 15];
        }
    }
    return s;
}

// Walks the chunks of `body`; `visit(id, chunkBody)` returns false to stop with the result
// it left in `failure`.
template <typename Visit>
ReadResult ForEachChunk(ByteView body, const char* where, Visit visit) {
    size_t at = 0;
    while (at < body.size()) {
        if (body.size() - at < 8)
            return ReadResult::Fail(ReadStatus::Broken,
                                    std::string("a chunk header in ") + where + " is cut short");
        const uint8_t* id = body.data() + at;
        const uint32_t size = Be32(body, at + 4);
        if (size > body.size() - at - 8)
            return ReadResult::Fail(ReadStatus::Broken,
                                    "chunk " + IdText(id) + " in " + where + " runs past its end");
        ReadResult r = visit(id, body.subspan(at + 8, size));
        if (!r) return r;
        at += 8 + size_t{size};
    }
    return {};
}

bool Is(const uint8_t* id, const char* name, size_t n = 4) {
    return std::memcmp(id, name, n) == 0;
}

ReadResult ReadWave(const uint8_t* id, ByteView body, bool scoreTrack, StoredWave& w) {
    w.Number = id[3];
    if (scoreTrack) {
        // Stream wave: type byte (bit 7 stereo, bits 6-4 coding, bits 3-0 base bit), the
        // rate in Hz as a 16-bit number, the data. Real ringtones have 0x20 (mono) and 0xA0
        // (stereo): coding 2 is ADPCM here, and a stereo wave's left and right samples share
        // each byte (left in the low nibble), as a mono decoding of those files shows by
        // its offset and noise where the stereo one gives clean drums and voices.
        if (body.size() < 3)
            return ReadResult::Fail(ReadStatus::Broken,
                                    "stream wave " + IdText(id) + " is cut short");
        w.Stereo = (body[0] & 0x80) != 0;
        w.Coding = (body[0] >> 4) & 7;
        w.Bits = body[0] & 0x0F;
        w.Rate = (uint32_t{body[1]} << 8) | body[2];
        w.Adpcm = w.Coding == 2 && w.Bits == 0;
        w.Data.assign(body.begin() + 3, body.end());
    } else {
        w.Data.assign(body.begin(), body.end());
    }
    return {};
}

ReadResult ReadScoreTrack(const uint8_t* id, ByteView body, ScoreTrack& t) {
    t.Number = id[3];
    if (body.size() < 4)
        return ReadResult::Fail(ReadStatus::Broken, "score track header is cut short");
    t.FormatType = body[0];
    t.SequenceType = body[1];
    if (t.FormatType > kMobilePlain)
        return ReadResult::Fail(ReadStatus::Unsupported,
                                "score track format " + std::to_string(t.FormatType));
    if (!TimebaseMs(body[2], t.DurationBaseMs) || !TimebaseMs(body[3], t.GateBaseMs))
        return ReadResult::Fail(ReadStatus::Broken, "unknown timebase in a score track");
    const size_t statusSize = t.FormatType == kHandyphone ? 2 : 16;
    if (body.size() < 4 + statusSize)
        return ReadResult::Fail(ReadStatus::Broken, "score track channel status is cut short");
    t.ChannelStatus.assign(body.begin() + 4, body.begin() + 4 + static_cast<long>(statusSize));

    return ForEachChunk(body.subspan(4 + statusSize), "a score track",
                        [&](const uint8_t* sub, ByteView data) -> ReadResult {
                            if (Is(sub, "Mtsq")) {
                                if (t.HasSequence)
                                    return {};  // the first sequence is the one played
                                t.HasSequence = true;
                                if (t.FormatType == kMobileCompressed) {
                                    if (!HuffmanDecode(data, t.Sequence))
                                        return ReadResult::Fail(ReadStatus::Broken,
                                                                "compressed sequence is damaged");
                                } else {
                                    t.Sequence.assign(data.begin(), data.end());
                                }
                            } else if (Is(sub, "Mtsp")) {
                                return ForEachChunk(data, "stream waves",
                                                    [&](const uint8_t* w, ByteView wd) {
                                                        if (!Is(w, "Mwa", 3)) return ReadResult{};
                                                        StoredWave wave;
                                                        ReadResult r = ReadWave(w, wd, true, wave);
                                                        if (r) t.Waves.push_back(std::move(wave));
                                                        return r;
                                                    });
                            }
                            // "MspI" (seek and phrase points) and "Mtsu" (voice setup) are not
                            // needed to play.
                            return {};
                        });
}

ReadResult ReadAudioTrack(const uint8_t* id, ByteView body, AudioTrack& t) {
    t.Number = id[3];
    if (body.size() < 6)
        return ReadResult::Fail(ReadStatus::Broken, "audio track header is cut short");
    t.FormatType = body[0];
    t.SequenceType = body[1];
    t.Stereo = (body[2] & 0x80) != 0;
    t.Coding = (body[2] >> 4) & 7;
    t.Rate = AudioRate(body[2] & 0x0F);
    t.Bits = (body[3] >> 4) & 0x0F;
    if (!TimebaseMs(body[4], t.DurationBaseMs) || !TimebaseMs(body[5], t.GateBaseMs))
        return ReadResult::Fail(ReadStatus::Broken, "unknown timebase in an audio track");
    return ForEachChunk(body.subspan(6), "an audio track",
                        [&](const uint8_t* sub, ByteView data) -> ReadResult {
                            if (Is(sub, "Atsq")) {
                                if (!t.HasSequence) t.Sequence.assign(data.begin(), data.end());
                                t.HasSequence = true;
                            } else if (Is(sub, "Awa", 3)) {
                                StoredWave wave;
                                ReadWave(sub, data, false, wave);
                                wave.Stereo = t.Stereo;
                                wave.Coding = t.Coding;
                                wave.Bits = t.Bits;
                                wave.Rate = t.Rate;
                                wave.Adpcm = t.Coding == 1 && t.Bits == 0;
                                t.Waves.push_back(std::move(wave));
                            }
                            return {};
                        });
}

}  // namespace

uint16_t Crc16(ByteView data) {
    // A byte at a time from a table: the CRC of a large ringtone is read before it plays.
    static const auto table = [] {
        std::array<uint16_t, 256> t{};
        for (int n = 0; n < 256; ++n) {
            auto crc = static_cast<uint16_t>(n << 8);
            for (int i = 0; i < 8; ++i)
                crc = (crc & 0x8000) ? static_cast<uint16_t>((crc << 1) ^ 0x1021)
                                     : static_cast<uint16_t>(crc << 1);
            t[static_cast<size_t>(n)] = crc;
        }
        return t;
    }();
    uint16_t crc = 0xFFFF;
    for (const uint8_t b : data)
        crc = static_cast<uint16_t>((crc << 8) ^ table[((crc >> 8) ^ b) & 0xFF]);
    return static_cast<uint16_t>(crc ^ 0xFFFF);
}

bool TimebaseMs(uint8_t code, uint32_t& ms) {
    switch (code) {
        case 0x00:
            ms = 1;
            return true;
        case 0x01:
            ms = 2;
            return true;
        case 0x02:
            ms = 4;
            return true;
        case 0x03:
            ms = 5;
            return true;
        case 0x10:
            ms = 10;
            return true;
        case 0x11:
            ms = 20;
            return true;
        case 0x12:
            ms = 40;
            return true;
        case 0x13:
            ms = 50;
            return true;
        default:
            return false;
    }
}

uint32_t AudioRate(uint8_t code) {
    static const uint32_t rates[] = {4000, 8000, 11025, 22050, 44100};
    return code < 5 ? rates[code] : 0;
}

bool HuffmanDecode(ByteView in, Bytes& out, size_t limit) {
    out.clear();
    if (in.size() < 4) return false;
    const uint32_t size = Be32(in, 0);
    if (size > limit) return false;
    const ByteView bits = in.subspan(4);
    size_t bit = 0;
    const size_t bitCount = bits.size() * 8;
    auto next = [&](int& value) {
        if (bit >= bitCount) return false;
        value = (bits[bit >> 3] >> (7 - (bit & 7))) & 1;
        ++bit;
        return true;
    };

    // The tree, read pre-order without recursion. A byte alphabet has at most 256 leaves,
    // so at most 511 nodes; anything larger is not a tree this format writes.
    struct Node {
        int Left = -1, Right = -1;
        int Symbol = -1;
    };
    std::vector<Node> nodes;
    std::vector<int> open;  // inner nodes still waiting for a child
    int leaves = 0;
    do {
        int b = 0;
        if (!next(b)) return false;
        if (nodes.size() >= 511) return false;
        Node node;
        if (b == 0) {
            int symbol = 0;
            for (int i = 0; i < 8; ++i) {
                int v = 0;
                if (!next(v)) return false;
                symbol = (symbol << 1) | v;
            }
            node.Symbol = symbol;
            if (++leaves > 256) return false;
        }
        const int index = static_cast<int>(nodes.size());
        nodes.push_back(node);
        if (!open.empty()) {
            Node& parent = nodes[static_cast<size_t>(open.back())];
            if (parent.Left < 0) {
                parent.Left = index;
            } else {
                parent.Right = index;
                open.pop_back();
            }
        }
        if (b == 1) open.push_back(index);
    } while (!open.empty());

    out.reserve(size);
    if (nodes[0].Symbol >= 0) {
        // A tree of one leaf: every symbol is that byte, written with no bits at all.
        out.assign(size, static_cast<uint8_t>(nodes[0].Symbol));
        return true;
    }
    while (out.size() < size) {
        int n = 0;
        while (nodes[static_cast<size_t>(n)].Symbol < 0) {
            int b = 0;
            if (!next(b)) return false;
            const Node& node = nodes[static_cast<size_t>(n)];
            n = b ? node.Right : node.Left;
        }
        out.push_back(static_cast<uint8_t>(nodes[static_cast<size_t>(n)].Symbol));
    }
    return true;
}

ReadResult ReadSmaf(ByteView file, SmafImage& out) {
    out = SmafImage{};
    if (file.size() < 8 || std::memcmp(file.data(), "MMMD", 4) != 0)
        return ReadResult::Fail(ReadStatus::NotSmaf, "no MMMD chunk at the start");
    const uint32_t size = Be32(file, 4);
    if (size > file.size() - 8)
        return ReadResult::Fail(ReadStatus::Broken, "the file is shorter than its MMMD chunk");
    if (size < 2) return ReadResult::Fail(ReadStatus::Broken, "the MMMD chunk has no CRC");
    const size_t crcAt = 8 + size_t{size} - 2;
    out.TrailingBytes = file.size() - (8 + size_t{size});
    const uint16_t stored = static_cast<uint16_t>((file[crcAt] << 8) | file[crcAt + 1]);
    if (Crc16(file.subspan(0, crcAt)) != stored) {
        out.CrcMismatch = true;
        out.Warnings.push_back("the CRC does not match the contents");
    }

    bool sawContents = false;
    ReadResult r = ForEachChunk(
        file.subspan(8, crcAt - 8), "MMMD", [&](const uint8_t* id, ByteView body) -> ReadResult {
            if (Is(id, "CNTI")) {
                if (body.size() < 5)
                    return ReadResult::Fail(ReadStatus::Broken, "the contents info is cut short");
                sawContents = true;
                out.ContentClass = body[0];
                out.ContentType = body[1];
                out.CodeType = body[2];
            } else if (Is(id, "MTR", 3)) {
                ScoreTrack t;
                ReadResult tr = ReadScoreTrack(id, body, t);
                if (!tr) return tr;
                out.Scores.push_back(std::move(t));
            } else if (Is(id, "ATR", 3)) {
                AudioTrack t;
                ReadResult tr = ReadAudioTrack(id, body, t);
                if (!tr) return tr;
                out.Audio.push_back(std::move(t));
            }
            // "OPDA" (title, artist ...) and other tracks (graphics, text) are not played.
            return {};
        });
    if (!r) return r;
    if (!sawContents) out.Warnings.push_back("there is no contents info chunk");

    bool playable = false;
    for (const ScoreTrack& t : out.Scores) playable = playable || t.HasSequence;
    for (const AudioTrack& t : out.Audio) playable = playable || t.HasSequence;
    if (!playable)
        return ReadResult::Fail(ReadStatus::Unsupported,
                                "no track with a sequence to play (a voice library?)");
    return {};
}

}  // namespace q7k3::smaf
