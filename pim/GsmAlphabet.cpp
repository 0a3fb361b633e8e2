#include "pim/GsmAlphabet.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace q7k3::pim {
namespace {

constexpr char32_t kReplacement = 0xFFFD;
constexpr unsigned char kEsc = 0x1B;

// The default alphabet; ESC (0x1B) stands as a space, as a phone shows it alone.
constexpr std::array<char32_t, 128> kGsm = {
    U'@', 0xA3, U'$', 0xA5, 0xE8, 0xE9, 0xF9, 0xEC, 0xF2, 0xC7, U'\n', 0xD8, 0xF8, U'\r', 0xC5, 0xE5,
    0x394, U'_', 0x3A6, 0x393, 0x39B, 0x3A9, 0x3A0, 0x3A8, 0x3A3, 0x398, 0x39E, U' ', 0xC6, 0xE6, 0xDF, 0xC9,
    U' ', U'!', U'"', U'#', 0xA4, U'%', U'&', U'\'', U'(', U')', U'*', U'+', U',', U'-', U'.', U'/',
    U'0', U'1', U'2', U'3', U'4', U'5', U'6', U'7', U'8', U'9', U':', U';', U'<', U'=', U'>', U'?',
    0xA1, U'A', U'B', U'C', U'D', U'E', U'F', U'G', U'H', U'I', U'J', U'K', U'L', U'M', U'N', U'O',
    U'P', U'Q', U'R', U'S', U'T', U'U', U'V', U'W', U'X', U'Y', U'Z', 0xC4, 0xD6, 0xD1, 0xDC, 0xA7,
    0xBF, U'a', U'b', U'c', U'd', U'e', U'f', U'g', U'h', U'i', U'j', U'k', U'l', U'm', U'n', U'o',
    U'p', U'q', U'r', U's', U't', U'u', U'v', U'w', U'x', U'y', U'z', 0xE4, 0xF6, 0xF1, 0xFC, 0xE0};

struct Extension {
    unsigned char Code;
    char32_t Char;
};
constexpr std::array<Extension, 10> kExtension = {{{0x0A, U'\f'}, {0x14, U'^'}, {0x28, U'{'},
    {0x29, U'}'}, {0x2F, U'\\'}, {0x3C, U'['}, {0x3D, U'~'}, {0x3E, U']'}, {0x40, U'|'},
    {0x65, 0x20AC}}};

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

Encoded EncodeEach(std::string_view utf8, char32_t limit) {
    Encoded out;
    int bad = 0;
    for (char32_t c : DecodeUtf8(utf8, &bad)) {
        if (c == kReplacement || c > limit) {
            out.Bytes += '?';
            out.Unmappable.push_back(c);
        } else {
            out.Bytes += static_cast<char>(c);
        }
    }
    return out;
}

std::string DecodeEach(std::string_view bytes, unsigned limit) {
    std::string out;
    for (unsigned char b : bytes) AppendUtf8(out, b <= limit ? char32_t(b) : kReplacement);
    return out;
}

}  // namespace


std::vector<char32_t> DecodeUtf8(std::string_view s, int* bad) {
    std::vector<char32_t> out;
    out.reserve(s.size());
    size_t i = 0;
    auto fail = [&] {
        out.push_back(kReplacement);
        if (bad) ++*bad;
        ++i;
    };
    while (i < s.size()) {
        const unsigned char b = s[i];
        int len = b < 0x80 ? 1 : (b & 0xE0) == 0xC0 ? 2 : (b & 0xF0) == 0xE0 ? 3 : (b & 0xF8) == 0xF0 ? 4 : 0;
        if (len == 0 || i + len > s.size()) {
            fail();
            continue;
        }
        char32_t c = len == 1 ? b : len == 2 ? (b & 0x1F) : len == 3 ? (b & 0x0F) : (b & 0x07);
        bool ok = true;
        for (int k = 1; k < len; ++k) {
            const unsigned char n = s[i + k];
            if ((n & 0xC0) != 0x80) ok = false;
            c = (c << 6) | (n & 0x3F);
        }
        // Overlong forms, surrogates and values past Unicode are not characters.
        static constexpr char32_t kMin[] = {0, 0, 0x80, 0x800, 0x10000};
        if (!ok || c < kMin[len] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
            fail();
            continue;
        }
        out.push_back(c);
        i += len;
    }
    return out;
}

std::string GsmToUtf8(std::string_view codes) {
    std::string out;
    for (size_t i = 0; i < codes.size(); ++i) {
        unsigned char c = codes[i];
        if (c == kEsc && i + 1 < codes.size()) {
            const unsigned char next = codes[++i];
            auto ext = std::find_if(kExtension.begin(), kExtension.end(),
                                    [&](const Extension& e) { return e.Code == next; });
            if (ext != kExtension.end()) {
                AppendUtf8(out, ext->Char);
                continue;
            }
            c = next;  // no such extension: the main table's character
        }
        AppendUtf8(out, c < 0x80 ? kGsm[c] : kReplacement);
    }
    return out;
}

std::string GsmCodeOf(char32_t c) {
    if (c != U' ') {  // the space is 0x20, not the ESC that also reads as one
        for (const Extension& e : kExtension)
            if (e.Char == c) return {char(kEsc), char(e.Code)};
    }
    for (size_t i = 0; i < kGsm.size(); ++i)
        if (kGsm[i] == c && i != kEsc) return std::string(1, char(i));
    return {};
}

Encoded Utf8ToGsm(std::string_view utf8) {
    Encoded out;
    for (char32_t c : DecodeUtf8(utf8)) {
        std::string code = c == kReplacement ? std::string() : GsmCodeOf(c);
        if (code.empty()) {
            out.Bytes += '?';
            out.Unmappable.push_back(c);
        } else {
            out.Bytes += code;
        }
    }
    return out;
}

int PackedLength(int count, int fillBits) { return (fillBits + 7 * count + 7) / 8; }

std::string PackSeptets(std::string_view codes, int fillBits) {
    std::string out(PackedLength(int(codes.size()), fillBits), '\0');
    int bit = fillBits;
    for (unsigned char c : codes) {
        const unsigned v = c & 0x7F;
        out[bit / 8] = char(static_cast<unsigned char>(out[bit / 8]) | (v << (bit % 8)));
        if (bit % 8 > 1) out[bit / 8 + 1] = char(v >> (8 - bit % 8));
        bit += 7;
    }
    return out;
}

std::optional<std::string> UnpackSeptets(std::string_view octets, int count, int fillBits) {
    if (count < 0 || fillBits < 0 || fillBits > 7 || PackedLength(count, fillBits) > int(octets.size()))
        return std::nullopt;
    std::string out;
    out.reserve(count);
    int bit = fillBits;
    for (int i = 0; i < count; ++i, bit += 7) {
        unsigned v = static_cast<unsigned char>(octets[bit / 8]) >> (bit % 8);
        if (bit % 8 > 1) v |= unsigned(static_cast<unsigned char>(octets[bit / 8 + 1])) << (8 - bit % 8);
        out += char(v & 0x7F);
    }
    return out;
}

std::string Utf16BeToUtf8(std::string_view b) {
    std::string out;
    const size_t units = b.size() / 2;
    auto unit = [&](size_t k) -> char32_t {
        return (char32_t(static_cast<unsigned char>(b[2 * k])) << 8) | static_cast<unsigned char>(b[2 * k + 1]);
    };
    for (size_t k = 0; k < units; ++k) {
        char32_t c = unit(k);
        if (c >= 0xD800 && c <= 0xDBFF && k + 1 < units && unit(k + 1) >= 0xDC00 && unit(k + 1) <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (unit(k + 1) - 0xDC00);
            ++k;
        }
        AppendUtf8(out, c);  // a lone surrogate becomes U+FFFD there
    }
    if (b.size() % 2) AppendUtf8(out, kReplacement);
    return out;
}

std::string Utf8ToUtf16Be(std::string_view utf8) {
    std::string out;
    auto put = [&](char32_t u) {
        out += char(u >> 8);
        out += char(u & 0xFF);
    };
    for (char32_t c : DecodeUtf8(utf8)) {
        if (c >= 0x10000) {
            put(0xD800 + ((c - 0x10000) >> 10));
            put(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            put(c);
        }
    }
    return out;
}

std::string ToHex(std::string_view bytes) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(bytes.size() * 2);
    for (unsigned char b : bytes) {
        out += kDigits[b >> 4];
        out += kDigits[b & 15];
    }
    return out;
}

std::optional<std::string> FromHex(std::string_view hex) {
    if (hex.size() % 2) return std::nullopt;
    std::string out;
    out.reserve(hex.size() / 2);
    for (size_t i = 0; i < hex.size(); i += 2) {
        const int hi = HexDigit(hex[i]), lo = HexDigit(hex[i + 1]);
        if (hi < 0 || lo < 0) return std::nullopt;
        out += char(hi * 16 + lo);
    }
    return out;
}

std::optional<std::string> Ucs2HexToUtf8(std::string_view hex) {
    if (hex.size() % 4) return std::nullopt;
    auto bytes = FromHex(hex);
    if (!bytes) return std::nullopt;
    return Utf16BeToUtf8(*bytes);
}

std::string Utf8ToUcs2Hex(std::string_view utf8) { return ToHex(Utf8ToUtf16Be(utf8)); }

std::string Latin1ToUtf8(std::string_view bytes) { return DecodeEach(bytes, 0xFF); }
Encoded Utf8ToLatin1(std::string_view utf8) { return EncodeEach(utf8, 0xFF); }
std::string IraToUtf8(std::string_view bytes) { return DecodeEach(bytes, 0x7F); }
Encoded Utf8ToIra(std::string_view utf8) { return EncodeEach(utf8, 0x7F); }

std::optional<Charset> CharsetFromName(std::string_view name) {
    if (name.size() >= 2 && name.front() == '"' && name.back() == '"') name = name.substr(1, name.size() - 2);
    std::string n;
    for (char c : name) n += char(std::toupper(static_cast<unsigned char>(c)));
    if (n == "GSM") return Charset::Gsm;
    if (n == "UCS2") return Charset::Ucs2;
    if (n == "8859-1") return Charset::Latin1;
    if (n == "IRA") return Charset::Ira;
    if (n == "UTF-8" || n == "UTF8") return Charset::Utf8;
    return std::nullopt;
}

const char* CharsetName(Charset set) {
    switch (set) {
    case Charset::Gsm: return "GSM";
    case Charset::Ucs2: return "UCS2";
    case Charset::Latin1: return "8859-1";
    case Charset::Ira: return "IRA";
    case Charset::Utf8: return "UTF-8";
    }
    return "";
}

std::optional<std::string> DecodeCharset(Charset set, std::string_view text) {
    switch (set) {
    case Charset::Gsm: return GsmToUtf8(text);
    case Charset::Ucs2: return Ucs2HexToUtf8(text);
    case Charset::Latin1: return Latin1ToUtf8(text);
    case Charset::Ira: return IraToUtf8(text);
    case Charset::Utf8: {
        std::string out;
        for (char32_t c : DecodeUtf8(text)) AppendUtf8(out, c);
        return out;
    }
    }
    return std::nullopt;
}

Encoded EncodeCharset(Charset set, std::string_view utf8) {
    switch (set) {
    case Charset::Gsm: return Utf8ToGsm(utf8);
    case Charset::Ucs2: {
        Encoded out;
        for (char32_t c : DecodeUtf8(utf8))
            if (c == kReplacement) out.Unmappable.push_back(c);
        out.Bytes = Utf8ToUcs2Hex(utf8);
        return out;
    }
    case Charset::Latin1: return Utf8ToLatin1(utf8);
    case Charset::Ira: return Utf8ToIra(utf8);
    case Charset::Utf8: {
        Encoded out;
        for (char32_t c : DecodeUtf8(utf8)) {
            if (c == kReplacement) out.Unmappable.push_back(c);
            AppendUtf8(out.Bytes, c);
        }
        return out;
    }
    }
    return {};
}

}  // namespace q7k3::pim
