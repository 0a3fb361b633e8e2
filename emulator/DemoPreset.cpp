#include "emulator/DemoPreset.h"

#include <zlib.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace q7k3::emu {

namespace {

struct Rgb {
    int R, G, B;
};
using Painter = std::function<Rgb(int x, int y)>;

void Be16(std::string& s, unsigned v) {
    s += static_cast<char>((v >> 8) & 0xFF);
    s += static_cast<char>(v & 0xFF);
}
void Be32(std::string& s, uint32_t v) {
    Be16(s, v >> 16);
    Be16(s, v & 0xFFFF);
}
void Le16(std::string& s, unsigned v) {
    s += static_cast<char>(v & 0xFF);
    s += static_cast<char>((v >> 8) & 0xFF);
}
void Le32(std::string& s, uint32_t v) {
    Le16(s, v & 0xFFFF);
    Le16(s, v >> 16);
}
int Clamp(double v) {
    return static_cast<int>(std::clamp(v, 0.0, 255.0));
}

// Pictures the demo draws: a sunrise over the sea, a flower, a tiled pattern.
Rgb Sunrise(int x, int y, int w, int h) {
    const double fy = static_cast<double>(y) / h;
    const double dx = x - w * 0.5, dy = y - h * 0.55;
    if (dx * dx + dy * dy < (h * 0.18) * (h * 0.18) && fy < 0.6) return {255, 220, 60};
    if (fy < 0.6) return {Clamp(255 - fy * 120), Clamp(120 + fy * 160), Clamp(60 + fy * 250)};
    const int wave = ((x / 6) + (y / 3)) % 4 == 0 ? 30 : 0;
    return {20 + wave, Clamp(70 + fy * 40) + wave, Clamp(140 + fy * 60)};
}
Rgb Flower(int x, int y, int w, int h) {
    const double dx = x - w * 0.5, dy = y - h * 0.45;
    const double r = std::sqrt(dx * dx + dy * dy), a = std::atan2(dy, dx);
    const double petal = h * (0.22 + 0.12 * std::cos(5 * a));
    if (r < h * 0.1) return {240, 200, 40};
    if (r < petal) return {220, 60, 120};
    if (std::abs(dx) < 2 && dy > 0) return {40, 140, 50};
    return {Clamp(150 + 60.0 * y / h), 210, 150};
}
Rgb Tiles(int x, int y, int, int) {
    return ((x / 8) + (y / 8)) % 2 ? Rgb{30, 60, 160} : Rgb{240, 240, 250};
}

// Headerless 16-bit pictures: RGB565 words, little-endian, row after row.
std::string MakeAni(int w, int h, const Painter& paint) {
    std::string out;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const Rgb c = paint(x, y);
            Le16(out, ((c.R & 0xF8) << 8) | ((c.G & 0xFC) << 3) | (c.B >> 3));
        }
    return out;
}

// 24-bit Windows bitmap, bottom-up rows padded to four bytes.
std::string MakeBmp(int w, int h, const Painter& paint) {
    const int row = (w * 3 + 3) & ~3;
    std::string out = "BM";
    Le32(out, static_cast<uint32_t>(54 + row * h));
    Le32(out, 0);
    Le32(out, 54);
    Le32(out, 40);
    Le32(out, static_cast<uint32_t>(w));
    Le32(out, static_cast<uint32_t>(h));
    Le16(out, 1);
    Le16(out, 24);
    Le32(out, 0);
    Le32(out, static_cast<uint32_t>(row * h));
    Le32(out, 2835);
    Le32(out, 2835);
    Le32(out, 0);
    Le32(out, 0);
    for (int y = h - 1; y >= 0; --y) {
        for (int x = 0; x < w; ++x) {
            const Rgb c = paint(x, y);
            out += static_cast<char>(c.B);
            out += static_cast<char>(c.G);
            out += static_cast<char>(c.R);
        }
        out.append(static_cast<size_t>(row - w * 3), '\0');
    }
    return out;
}

// A baseline JPEG whose 8x8 blocks carry only their mean colour (DC terms): small, valid,
// and decodable by any JPEG reader. The painter is sampled at each block's centre.
class JpegBits {
public:
    void Put(uint32_t bits, int count) {
        for (int i = count - 1; i >= 0; --i) {
            m_acc = static_cast<uint8_t>((m_acc << 1) | ((bits >> i) & 1));
            if (++m_n == 8) Flush();
        }
    }
    std::string Finish() {
        while (m_n != 0) Put(1, 1);
        return m_out;
    }

private:
    void Flush() {
        m_out += static_cast<char>(m_acc);
        if (m_acc == 0xFF) m_out += '\0';  // byte stuffing
        m_acc = 0;
        m_n = 0;
    }
    std::string m_out;
    uint8_t m_acc = 0;
    int m_n = 0;
};

std::string MakeJpeg(int w, int h, const Painter& paint) {
    std::string out("\xFF\xD8", 2);
    out += std::string("\xFF\xE0\x00\x10JFIF\x00\x01\x01\x00\x00\x01\x00\x01\x00\x00", 18);
    out += std::string("\xFF\xDB\x00\x43\x00", 5) + std::string(64, '\x01');
    out += std::string("\xFF\xC0\x00\x11\x08", 5);
    Be16(out, static_cast<unsigned>(h));
    Be16(out, static_cast<unsigned>(w));
    out += std::string("\x03\x01\x11\x00\x02\x11\x00\x03\x11\x00", 10);
    // DC table: categories 0..11, each a 4-bit code equal to the category.
    out += std::string("\xFF\xC4\x00\x1F\x00", 5);
    std::string counts(16, '\0');
    counts[3] = 12;
    out += counts;
    for (char s = 0; s < 12; ++s) out += s;
    // AC table: only the end-of-block symbol, code "0".
    out += std::string("\xFF\xC4\x00\x14\x10", 5);
    counts.assign(16, '\0');
    counts[0] = 1;
    out += counts;
    out += '\0';
    out += std::string("\xFF\xDA\x00\x0C\x03\x01\x00\x02\x00\x03\x00\x00\x3F\x00", 14);

    JpegBits bits;
    int prev[3] = {0, 0, 0};
    for (int by = 0; by < (h + 7) / 8; ++by)
        for (int bx = 0; bx < (w + 7) / 8; ++bx) {
            const Rgb c = paint(std::min(w - 1, bx * 8 + 4), std::min(h - 1, by * 8 + 4));
            const double yuv[3] = {
                0.299 * c.R + 0.587 * c.G + 0.114 * c.B,
                128 - 0.168736 * c.R - 0.331264 * c.G + 0.5 * c.B,
                128 + 0.5 * c.R - 0.418688 * c.G - 0.081312 * c.B,
            };
            for (int k = 0; k < 3; ++k) {
                const int dc = static_cast<int>(std::lround(8 * (yuv[k] - 128)));
                const int diff = dc - prev[k];
                prev[k] = dc;
                int cat = 0;
                for (int m = diff < 0 ? -diff : diff; m != 0; m >>= 1) ++cat;
                bits.Put(static_cast<uint32_t>(cat), 4);
                if (cat > 0)
                    bits.Put(static_cast<uint32_t>(diff >= 0 ? diff : diff + (1 << cat) - 1), cat);
                bits.Put(0, 1);  // end of block
            }
        }
    out += bits.Finish();
    out += std::string("\xFF\xD9", 2);
    return out;
}

// One part of a tune: a General MIDI program and its notes, each a MIDI key (0 for a
// rest) and a length in sixteenths.
struct Note {
    int Key, Sixteenths;
};
struct Part {
    int Program;
    std::vector<Note> Notes;
};

// Notes written as music: "E5:4" is the E above middle C for a quarter, "F#4:2" an eighth,
// "r:4" a quarter's rest.
std::vector<Note> Notes(std::string_view text) {
    static const int kSemitone[7] = {9, 11, 0, 2, 4, 5, 7};  // A B C D E F G
    std::vector<Note> out;
    size_t i = 0;
    while (i < text.size()) {
        if (text[i] == ' ') {
            ++i;
            continue;
        }
        int key = 0;
        if (text[i] != 'r') {
            key = kSemitone[text[i] - 'A'];
            if (text[i + 1] == '#') ++key, ++i;
            key += (text[i + 1] - '0' + 1) * 12;
            ++i;
        }
        i += 2;  // past the octave (or the r) and the colon
        int length = 0;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9')
            length = length * 10 + (text[i++] - '0');
        out.push_back({key, length});
    }
    return out;
}

// A variable-length number as the Mobile Standard sequence writes durations and gates.
void Vlq(std::string& s, uint32_t v) {
    std::string bytes(1, static_cast<char>(v & 0x7F));
    while (v >>= 7) bytes.insert(bytes.begin(), static_cast<char>(0x80 | (v & 0x7F)));
    s += bytes;
}

// A SMAF file: contents info, the title, one Mobile Standard score track playing the parts
// on channels 0, 1 ... at `tempo` quarter notes a minute, and the CRC-16 that closes every
// SMAF file.
std::string MakeMmf(const std::string& title, int tempo, const std::vector<Part>& parts) {
    std::string body = "CNTI";
    Be32(body, 5);
    body += std::string("\x00\x32\x01\xFC\x00", 5);
    std::string st = "ST";
    Be16(st, static_cast<unsigned>(title.size()));
    st += title;
    std::string dch = "Dch";
    dch += '\x01';  // character code of the data chunk
    Be32(dch, static_cast<uint32_t>(st.size()));
    dch += st;
    body += "OPDA";
    Be32(body, static_cast<uint32_t>(dch.size()));
    body += dch;

    // Ticks of 5 ms: a sixteenth lasts 15000 / tempo ms.
    const uint32_t sixteenth = static_cast<uint32_t>(15000 / tempo / 5);
    struct Event {
        uint32_t At;
        int Channel, Key, Gate;
    };
    std::vector<Event> events;
    for (size_t ch = 0; ch < parts.size(); ++ch) {
        uint32_t at = 0;
        for (const Note& n : parts[ch].Notes) {
            const uint32_t length = sixteenth * static_cast<uint32_t>(n.Sixteenths);
            if (n.Key > 0)
                events.push_back(
                    {at, static_cast<int>(ch), n.Key, static_cast<int>(length * 9 / 10)});
            at += length;
        }
    }
    std::stable_sort(events.begin(), events.end(),
                     [](const Event& a, const Event& b) { return a.At < b.At; });
    std::string seq;
    for (size_t ch = 0; ch < parts.size(); ++ch) {
        Vlq(seq, 0);
        seq += static_cast<char>(0xC0 | ch);  // program change
        seq += static_cast<char>(parts[ch].Program);
    }
    uint32_t now = 0;
    for (const Event& e : events) {
        Vlq(seq, e.At - now);
        now = e.At;
        seq += static_cast<char>(0x90 | e.Channel);  // note with its velocity and gate
        seq += static_cast<char>(e.Key);
        seq += static_cast<char>(e.Channel == 0 ? 100 : 80);
        Vlq(seq, static_cast<uint32_t>(e.Gate));
    }
    Vlq(seq, sixteenth * 4);  // a beat's rest to close
    seq += std::string("\xFF\x2F\x00", 3);
    std::string track("\x02\x00\x03\x03", 4);
    track += std::string(16, '\x00');
    track += "Mtsu";
    Be32(track, 0);
    track += "Mtsq";
    Be32(track, static_cast<uint32_t>(seq.size()));
    track += seq;
    body += "MTR";
    body += '\x05';
    Be32(body, static_cast<uint32_t>(track.size()));
    body += track;

    std::string file = "MMMD";
    Be32(file, static_cast<uint32_t>(body.size() + 2));
    file += body;
    unsigned crc = 0xFFFF;
    for (unsigned char b : file) {
        crc ^= static_cast<unsigned>(b) << 8;
        for (int i = 0; i < 8; ++i) crc = (crc & 0x8000) ? ((crc << 1) ^ 0x1021) : (crc << 1);
        crc &= 0xFFFF;
    }
    Be16(file, crc ^ 0xFFFF);
    return file;
}

// The demo's tunes, all of them old enough to belong to everyone.

// Grieg, "Morning Mood": the flute's opening over held chords.
std::string Morning() {
    return MakeMmf("Morning", 140,
                   {{73, Notes("G5:3 E5:3 D5:3 C5:3 D5:3 E5:3 G5:3 E5:3 D5:3 C5:3 D5:2 E5:2 "
                               "D5:2 E5:3 G5:3 E5:3 G5:3 A5:3 E5:3 A5:3 G5:3 E5:3 D5:3 C5:12")},
                    {48, Notes("C4:18 C4:18 C4:18 A3:9 C4:12")}});
}

// Beethoven, the "Ode to Joy", over a bass.
std::string Spring() {
    return MakeMmf("Spring", 132,
                   {{0, Notes("E5:4 E5:4 F5:4 G5:4 G5:4 F5:4 E5:4 D5:4 C5:4 C5:4 D5:4 E5:4 "
                              "E5:6 D5:2 D5:8")},
                    {32, Notes("C3:8 G2:8 C3:8 G2:8 C3:8 G2:8 C3:8 G2:8")}});
}

// The Westminster quarters, on tubular bells.
std::string Bells() {
    return MakeMmf("Bells", 120, {{14, Notes("G#4:4 F#4:4 E4:4 B3:8 r:4 E4:4 G#4:4 F#4:4 B3:12")}});
}

// A bird's call: quick high trills and answers.
std::string Birds() {
    return MakeMmf("Birds", 120,
                   {{72, Notes("G6:1 A6:1 G6:1 A6:1 G6:1 A6:1 G6:2 r:2 E6:2 D6:2 r:4 "
                               "G6:1 A6:1 B6:1 A6:1 G6:2 r:2 D6:1 E6:1 G6:4")}});
}

// A door chime: a rising chord and its echo.
std::string Chime() {
    return MakeMmf("Chime", 110, {{9, Notes("C5:2 E5:2 G5:2 C6:6 r:4 G5:2 E5:2 C5:8")}});
}

// A MEL melody: a 32-byte title padded with 0xFF, then the SMAF file.
std::string MakeMel(const std::string& title, const std::string& mmf) {
    std::string head = title.substr(0, 32);
    head.resize(32, '\xFF');
    return head + mmf;
}

// An SMS picture: a 48-byte header, then 8-row pages with one byte per column.
std::string MakeEmsPicture(int slot, const std::string& title, int w, int h, int frames,
                           const std::function<bool(int x, int y, int frame)>& ink) {
    const int w8 = (w + 7) / 8 * 8, h8 = (h + 7) / 8 * 8;
    const int total = frames > 1 ? frames * h8 : h8;
    std::string out;
    out += '\0';
    out += static_cast<char>(w <= 128 ? (128 - w) / 2 : 0);
    out += '\0';
    out += static_cast<char>(h <= 96 ? 16 + (96 - h) / 2 : 16);
    Be16(out, static_cast<unsigned>(w));
    Be16(out, static_cast<unsigned>(h));
    Be16(out, static_cast<unsigned>(w8 * total / 8));
    out += std::string("\x01\x01\x01\x45\xA1\xBC", 6);
    Be16(out, frames > 1 ? 500 : 0xFFFF);
    out += static_cast<char>(frames > 1 ? frames : 0);
    out += std::string(2, '\0');
    out += static_cast<char>(slot);
    std::string t = title.substr(0, 25);
    t.resize(26, '\0');
    out += t;
    for (int page = 0; page < total / 8; ++page)
        for (int x = 0; x < w8; ++x) {
            unsigned byte = 0;
            for (int i = 0; i < 8; ++i) {
                const int row = page * 8 + i, frame = row / h8, y = row % h8;
                if (x < w && y < h && ink(x, y, frame)) byte |= 1u << i;
            }
            out += static_cast<char>(byte);
        }
    return out;
}

// An SMS melody: a 40-byte header, then the iMelody text.
std::string MakeEmsMelody(int slot, const std::string& title, const std::string& melody) {
    const std::string text =
        "BEGIN:IMELODY\r\nVERSION:1.2\r\nFORMAT:CLASS1.0\r\nBEAT:120\r\nMELODY:" + melody +
        "\r\nEND:IMELODY\r\n";
    std::string out("\x01\x02", 2);
    Be16(out, static_cast<unsigned>(text.size()));
    out += std::string("\x01\x70\x92\x20\x00\x00", 6);
    out += static_cast<char>(slot);
    std::string t = title.substr(0, 28);
    t.resize(29, '\0');
    return out + t + text;
}

// An uncompressed zip archive, which is all a MIDlet suite needs to be.
std::string MakeZip(const std::vector<std::pair<std::string, std::string>>& entries) {
    std::string out, central;
    for (const auto& entry : entries) {
        const std::string& name = entry.first;
        const std::string& data = entry.second;
        const uint32_t crc = static_cast<uint32_t>(
            crc32(0L, reinterpret_cast<const Bytef*>(data.data()), static_cast<uInt>(data.size())));
        const uint32_t offset = static_cast<uint32_t>(out.size());
        auto common = [&name, &data, crc](std::string& s) {
            Le16(s, 10);      // version needed
            Le16(s, 0);       // flags
            Le16(s, 0);       // stored
            Le16(s, 0x4B20);  // 09:25:00
            Le16(s, 0x3470);  // 2006-03-16
            Le32(s, crc);
            Le32(s, static_cast<uint32_t>(data.size()));
            Le32(s, static_cast<uint32_t>(data.size()));
            Le16(s, static_cast<unsigned>(name.size()));
            Le16(s, 0);
        };
        Le32(out, 0x04034B50);
        common(out);
        out += name + data;
        Le32(central, 0x02014B50);
        Le16(central, 20);
        common(central);
        Le16(central, 0);
        Le16(central, 0);
        Le16(central, 0);
        Le32(central, 0);
        Le32(central, offset);
        central += name;
    }
    const uint32_t at = static_cast<uint32_t>(out.size());
    out += central;
    Le32(out, 0x06054B50);
    Le16(out, 0);
    Le16(out, 0);
    Le16(out, static_cast<unsigned>(entries.size()));
    Le16(out, static_cast<unsigned>(entries.size()));
    Le32(out, static_cast<uint32_t>(central.size()));
    Le32(out, at);
    Le16(out, 0);
    return out;
}

std::string Amr(int frames) {
    // "no data" frames: a valid AMR file of silence
    return "#!AMR\n" + std::string(static_cast<size_t>(frames), '\x7C');
}

struct DemoFile {
    const char* path;      // folder of the fixed maps
    const char* pimsPath;  // folder of a PIMS phone
    std::string name;
    std::string bytes;
    const char* stamp;
};

std::vector<DemoFile> DemoFiles() {
    const Painter sunrise128 = [](int x, int y) { return Sunrise(x, y, 128, 64); };
    const Painter wallpaper = [](int x, int y) { return Sunrise(x, y, 126, 60); };
    const Painter flower = [](int x, int y) { return Flower(x, y, 128, 48); };
    const Painter tiles = [](int x, int y) { return Tiles(x, y, 128, 32); };

    const std::string manifest =
        "Manifest-Version: 1.0\r\nMIDlet-1: Tetris, /icon.png, Tetris\r\nMIDlet-Name: Tetris\r\n"
        "MIDlet-Vendor: Demo Games\r\nMIDlet-Version: 1.0\r\n"
        "MicroEdition-Configuration: CLDC-1.0\r\nMicroEdition-Profile: MIDP-1.0\r\n";
    const std::string classFile("\xCA\xFE\xBA\xBE\x00\x00\x00\x2E", 8);
    const std::string jar =
        MakeZip({{"META-INF/MANIFEST.MF", manifest}, {"Tetris.class", classFile}});
    const std::string jad =
        "MIDlet-1: Tetris, /icon.png, Tetris\r\nMIDlet-Jar-Size: " + std::to_string(jar.size()) +
        "\r\nMIDlet-Jar-URL: Tetris_suite.jar\r\nMIDlet-Name: Tetris\r\n"
        "MIDlet-Vendor: Demo Games\r\nMIDlet-Version: 1.0\r\n";

    auto smile = [](int x, int y, int) {
        const int dx = x - 8, dy = y - 8;
        const int r2 = dx * dx + dy * dy;
        return (r2 >= 42 && r2 <= 56) || (y == 5 && (x == 5 || x == 10)) ||
               (y == 11 && x >= 5 && x <= 10);
    };
    auto heart = [](int x, int y, int frame) {
        const double s = frame == 0 ? 1.0 : 0.75;
        const double fx = (x - 8) / (7.0 * s), fy = (7 - y) / (7.0 * s);
        const double v = fx * fx + fy * fy - 1;
        return v * v * v - fx * fx * fy * fy * fy <= 0;
    };

    std::vector<DemoFile> files = {
        {"user/sounds", "Sounds/Ring", "melody01.mel", MakeMel("Morning", Morning()),
         "2006/03/15 09:30:00"},
        {"user/sounds", "Sounds/Ring", "melody02.mel", MakeMel("Spring", Spring()),
         "2006/03/15 09:31:00"},
        {"user/sounds", "Sounds/Ring", "melody03.mel", MakeMel("Bells", Bells()),
         "2006/03/15 09:32:00"},
        {"mms/mmssound", "Sounds", "Birds.mmf", Birds(), "2006/04/01 18:02:11"},
        {"mms/mmssound", "Sounds", "Chime.mmf", Chime(), "2006/04/02 08:15:40"},
        {"mms/voice", "Sounds/Voice", "Voice001.amr", Amr(100), "2006/04/03 12:00:05"},
        {"images/idle", "Pictures/Wallpapers", "sunrise.ani", MakeAni(128, 64, sunrise128),
         "2006/03/20 07:45:00"},
        {"images/idle", "Pictures/Wallpapers", "wpaper.ani", MakeAni(126, 60, wallpaper),
         "2006/03/20 07:46:00"},
        {"images", "Pictures", "poweron.ani", MakeAni(128, 32, tiles), "2006/03/20 07:50:00"},
        {"mms/mmsimage", "Pictures", "Flower.jpg",
         MakeJpeg(128, 96, [](int x, int y) { return Flower(x, y, 128, 96); }),
         "2006/05/01 14:20:00"},
        {"mms/mmsimage", "Pictures", "Tiles.bmp", MakeBmp(32, 32, tiles), "2006/05/01 14:21:00"},
        {"mms/camera/image", "Pictures/Camera", "Photo0001.jpg",
         MakeJpeg(160, 120, [](int x, int y) { return Sunrise(x, y, 160, 120); }),
         "2006/06/10 06:12:33"},
        {"mms/camera/image", "Pictures/Camera", "Photo0002.jpg",
         MakeJpeg(160, 120, [](int x, int y) { return Flower(x, y, 160, 120); }),
         "2006/06/11 17:40:02"},
        {"mms/camera/thumb", nullptr, "Photo0001.bmp",
         MakeBmp(40, 30, [](int x, int y) { return Sunrise(x, y, 40, 30); }),
         "2006/06/10 06:12:33"},
        {"mms/camera/thumb", nullptr, "Photo0002.bmp",
         MakeBmp(40, 30, [](int x, int y) { return Flower(x, y, 40, 30); }), "2006/06/11 17:40:02"},
        {"mms/camera/myalbum1/image", nullptr, "Trip01.jpg", MakeJpeg(128, 96, flower),
         "2006/07/02 11:00:00"},
        {"mms/camera/myalbum1/thumb", nullptr, "Trip01.bmp", MakeBmp(40, 30, flower),
         "2006/07/02 11:00:00"},
        {"java", "Java", "Tetris_suite.jar", jar, "2006/02/01 10:00:00"},
        {"java", "Java", "Tetris_suite.jad", jad, "2006/02/01 10:00:01"},
        {"java", "Java", "Tetris_sdata", "", "2006/02/01 10:05:00"},
        {"java", "Java", "suites.utf", std::string("\x00\x07Tetris_", 9), "2006/02/01 10:00:02"},
        {"java", "Java", "suitesName.utf", "Orvik Lanto", "2006/02/01 10:00:02"},
        {"wap/images", "Pictures/SMS", "image00.ani", MakeEmsPicture(0, "Smile", 16, 16, 1, smile),
         "2006/03/01 12:00:00"},
        {"wap/images", "Pictures/SMS", "image01.ani", MakeEmsPicture(1, "Heart", 16, 14, 2, heart),
         "2006/03/01 12:01:00"},
        {"wap/sounds", "Sounds/SMS", "melody00.mel",
         MakeEmsMelody(0, "Joy", "e2e2f2g2g2f2e2d2c2c2d2e2e2.d3d1"), "2006/03/01 12:02:00"},
        {"wap/sounds", "Sounds/SMS", "melody01.mel", MakeEmsMelody(1, "Scale", "c3d3e3f3g3a3b3"),
         "2006/03/01 12:03:00"},
    };
    return files;
}

}  // namespace

void FillDemo(FileStore& store, const FolderMap& map) {
    for (const DemoFile& f : DemoFiles()) {
        const char* path = map.Pims() ? f.pimsPath : f.path;
        if (!path || !map.ByPath(path)) continue;
        bool present = false;
        for (const StoredFile& s : store.List(path)) present = present || s.Name == f.name;
        if (!present) store.Put(path, f.name, f.bytes, f.stamp);
    }
}

void FillDemoPim(PimContent& pim) {
    struct Entry {
        int Index;
        const char* Number;
        const char* Name;
    };
    static const Entry kSim[] = {
        {1, "+79161234567", "Мама"},          {2, "+79031112233", "Папа"},
        {3, "+79265554433", "Сергей Иванов"}, {4, "112", "Экстренный"},
        {5, "+79037778899", "Ольга Петрова"}, {7, "0611", "Справка"},
        {8, "+74951234567", "Офис"},          {12, "+380441234567", "Тётя Галя Київ"},
    };
    static const Entry kPhone[] = {
        {1, "+79161234567", "Мама мобильный"},   {2, "+74957654321", "Мама домашний"},
        {3, "+79031112233", "Папа"},             {4, "+79265554433", "Сергей Иванов"},
        {5, "+79037778899", "Ольга Петрова"},    {6, "+79161112200", "Дмитрий (работа)"},
        {7, "84951112233", "Поликлиника №3"},    {8, "+79099998877", "Anna Schmidt"},
        {9, "+79850001122", "Юлия Соколова"},    {10, "+79162223344", "Ёжиков Артём"},
        {11, "+79031230000", "Такси"},           {14, "+79267770011", "Бабушка"},
        {15, "+79161239876", "Саша & Лена"},     {20, "+79035554466", "Шиномонтаж 24ч"},
        {21, "+79169990011", "Володя сосед"},
    };
    for (const Entry& e : kSim)
        pim.Sim.push_back({e.Index, e.Number, e.Number[0] == '+' ? 145 : 129, e.Name});
    for (const Entry& e : kPhone)
        pim.Phone.push_back({e.Index, e.Number, e.Number[0] == '+' ? 145 : 129, e.Name});
    // Built by hand after the standard's layout: each is the service centre's address,
    // then the TPDU; after it, the same message as text mode shows it. Slots 3-5 hold one
    // message in three parts, its first part last; slot 6 is the first of two parts whose
    // second never came.
    static const PimMessage kMessages[] = {
    {"ME", 1, 1, "07919761989901F0040B919761214365F70000605030905100212450797A5C06D53665D086F75E6F7CA00D0ABF498136BD0D6503DCBC40E4B7BB0C", "+79161234567", "06/05/03,09:15:00+12", "Price 5€ [ok] {x} ~^|\\ done", 0, "", 0},
    {"ME", 2, 0, "07919761989901F0040B919730112132F300086050408104002140041F044004380432043504420021002004120441044204400435044704300435043C0441044F0020043200200037002004430020043C043504420440043E002E", "+79031112233", "06/05/04,18:40:00+12", "Привет! Встречаемся в 7 у метро.", 0, "", 0},
    {"ME", 3, 1, "07919761989901F0440B919762554534F300006050502110002118050003420302E8E832685E1EBFDD64103C2CA7B340", "+79265554433", "06/05/05,12:01:00+12", "the second part, ", 0, "", 0},
    {"ME", 4, 1, "07919761989901F0440B919762554534F300006050502110002115050003420303C26E32888E2E83E8E8B49CEC02", "+79265554433", "06/05/05,12:01:00+12", "and the third.", 0, "", 0},
    {"ME", 5, 1, "07919761989901F0440B919762554534F3000060505021000021250500034203018220F6DB7D06CDE96F795E07A2A3CB20735A3EA783E061399D0502", "+79265554433", "06/05/05,12:00:00+12", "A long story: the first part, ", 0, "", 0},
{"ME", 6, 1, "07919761989901F0440B919730778798F90008605060805000214906080412340201041D043004470430043B043E0020043F04380441044C043C0430002C00200430002004320442043E0440043E04390020044704300441044204380020043D04350442", "+79037778899", "06/05/06,08:05:00+12", "Начало письма, а второй части нет", 0, "", 0},
    {"ME", 7, 1, "07919761989901F0040DD0C2303BEC1E970100006050700100002113C2303BEC1E9775A0980CE6AAC140D2AA10", "Balance", "06/05/07,10:00:00+12", "Balance: 120.50 RUB", 0, "", 0},
    {"ME", 8, 3, "07919761989901F011210B919761214365F70008A71004110443043404430020043200200038", "+79161234567", "", "Буду в 8", 0, "", 0},
    {"ME", 9, 2, "07919761989901F011000B919730112132F30000A70CCE371D342FBBE9A07C990E", "+79031112233", "", "Not sent yet", 0, "", 0},
    {"SR", 1, 1, "07919761989901F006210B919761214365F7605070020000216050700210002100", "+79161234567", "06/05/07,20:00:00+12", "", 33, "06/05/07,20:01:00+12", 0},
    };
    for (const PimMessage& m : kMessages) pim.Messages.push_back(m);
}

}  // namespace q7k3::emu
