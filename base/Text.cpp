#include "base/Text.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>

#include "base/Messages.h"

namespace q7k3 {
namespace {

// Length of the UTF-8 sequence starting at s[i]; 1 for a malformed byte.
size_t SeqLen(std::string_view s, size_t i) {
    const auto c = static_cast<unsigned char>(s[i]);
    size_t n = 1;
    if (c >= 0xF0 && c <= 0xF4) n = 4;
    else if (c >= 0xE0) n = 3;
    else if (c >= 0xC2 && c <= 0xDF) n = 2;
    if (n == 1 || i + n > s.size()) return 1;
    for (size_t k = 1; k < n; ++k) {
        if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return 1;
    }
    return n;
}

// Unicode code points of bytes 0x80..0xFF in Windows-1251 (0 = not assigned).
constexpr std::array<uint16_t, 128> kCp1251 = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, 0x20AC, 0x2030, 0x0409,
    0x2039, 0x040A, 0x040C, 0x040B, 0x040F, 0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0,      0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, 0x00A0,
    0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7, 0x0401, 0x00A9, 0x0404, 0x00AB,
    0x00AC, 0x00AD, 0x00AE, 0x0407, 0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6,
    0x00B7, 0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,
    // 0xC0..0xFF: А..я
    0x0410, 0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417, 0x0418, 0x0419, 0x041A,
    0x041B, 0x041C, 0x041D, 0x041E, 0x041F, 0x0420, 0x0421, 0x0422, 0x0423, 0x0424, 0x0425,
    0x0426, 0x0427, 0x0428, 0x0429, 0x042A, 0x042B, 0x042C, 0x042D, 0x042E, 0x042F, 0x0430,
    0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436, 0x0437, 0x0438, 0x0439, 0x043A, 0x043B,
    0x043C, 0x043D, 0x043E, 0x043F, 0x0440, 0x0441, 0x0442, 0x0443, 0x0444, 0x0445, 0x0446,
    0x0447, 0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F};


uint32_t DecodeAt(std::string_view s, size_t i, size_t n) {
    const auto b = [&](size_t k) { return static_cast<uint32_t>(static_cast<unsigned char>(s[i + k])); };
    switch (n) {
        case 2: return ((b(0) & 0x1F) << 6) | (b(1) & 0x3F);
        case 3: return ((b(0) & 0x0F) << 12) | ((b(1) & 0x3F) << 6) | (b(2) & 0x3F);
        case 4:
            return ((b(0) & 0x07) << 18) | ((b(1) & 0x3F) << 12) | ((b(2) & 0x3F) << 6) |
                   (b(3) & 0x3F);
        default: return b(0);
    }
}

}  // namespace

// A code point that is no character (a lone surrogate, past U+10FFFF) becomes U+FFFD.
void AppendUtf8(std::string& out, char32_t c) {
    if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) c = 0xFFFD;
    const auto cp = static_cast<uint32_t>(c);
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

size_t Utf8Length(std::string_view s) {
    size_t count = 0;
    for (size_t i = 0; i < s.size(); i += SeqLen(s, i)) ++count;
    return count;
}

std::string Utf8Left(std::string_view s, size_t maxChars) {
    size_t i = 0;
    for (size_t count = 0; i < s.size() && count < maxChars; ++count) i += SeqLen(s, i);
    return std::string(s.substr(0, i));
}

std::string Utf8LeftBytes(std::string_view s, size_t maxBytes) {
    size_t i = 0;
    while (i < s.size()) {
        const size_t n = SeqLen(s, i);
        if (i + n > maxBytes) break;
        i += n;
    }
    return std::string(s.substr(0, i));
}

std::string Utf8DropRight(std::string_view s, size_t n) {
    const size_t len = Utf8Length(s);
    if (n >= len) return {};
    return Utf8Left(s, len - n);
}

std::string Cp1251ToUtf8(std::string_view s) {
    std::string out;
    out.reserve(s.size() * 2);
    for (const char ch : s) {
        const auto c = static_cast<unsigned char>(ch);
        if (c < 0x80) {
            out += ch;
        } else {
            const uint16_t cp = kCp1251[c - 0x80];
            if (cp == 0) out += '?';
            else AppendUtf8(out, cp);
        }
    }
    return out;
}

std::string Utf8ToCp1251(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size();) {
        const size_t n = SeqLen(s, i);
        const auto c = static_cast<unsigned char>(s[i]);
        if (n == 1) {
            out += c < 0x80 ? static_cast<char>(c) : '?';
        } else {
            const uint32_t cp = DecodeAt(s, i, n);
            char mapped = '?';
            for (size_t k = 0; k < kCp1251.size(); ++k) {
                if (kCp1251[k] == cp) {
                    mapped = static_cast<char>(0x80 + k);
                    break;
                }
            }
            out += mapped;
        }
        i += n;
    }
    return out;
}

std::string JoinText(const std::vector<std::string>& parts, std::string_view separator) {
    std::string text;
    for (size_t i = 0; i < parts.size(); ++i) {
        if (i > 0) text += separator;
        text += parts[i];
    }
    return text;
}

std::string LowerAscii(std::string_view s) {
    std::string out(s);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return out;
}

std::string SafeFileName(std::string_view name) {
    std::string out;
    out.reserve(name.size());
    for (const char ch : name) {
        const auto c = static_cast<unsigned char>(ch);
        if (c < 0x20 || c == 0x7F || ch == '/' || ch == '\\') out += '_';
        else out += ch;
    }
    if (out.empty() || out == "." || out == "..") out = "_" + out;
    return out;
}

std::string GetValuesString(std::string_view text, std::string_view key) {
    const size_t p = text.find(key);
    if (p == std::string_view::npos) return {};
    const size_t lf = text.find('\n', p);
    if (lf == std::string_view::npos) return std::string(text.substr(p)) + "\r\n";
    return std::string(text.substr(p, lf - p + 1));
}

std::string PluralForm(int64_t n, std::string_view forms) {
    if (n < 0) n = -n;
    const int64_t last = n % 10;
    const int64_t lastTwo = n % 100;
    size_t form = 2;
    if (last == 1 && lastTwo != 11)
        form = 0;
    else if (last >= 2 && last <= 4 && (lastTwo < 12 || lastTwo > 14))
        form = 1;
    size_t start = 0;
    for (size_t i = 0; i < form; ++i) {
        const size_t bar = forms.find('|', start);
        if (bar == std::string_view::npos) break;
        start = bar + 1;
    }
    const size_t end = forms.find('|', start);
    return std::string(forms.substr(start, end == std::string_view::npos ? end : end - start));
}

std::string MinutesText(int64_t seconds) {
    const int64_t sec = seconds % 60;
    return std::to_string(seconds / 60) + (sec < 10 ? ":0" : ":") + std::to_string(sec);
}

std::string TransferLine(int64_t done, int64_t total, int64_t elapsedMs) {
    std::string line = std::to_string(done / 1024);
    if (total > 0) line += Msg(kMsgOf) + std::to_string((total + 1023) / 1024);
    line += Msg(kMsgKilobytes);
    // A rate from the first tenth of a second says little.
    if (done <= 0 || elapsedMs < 100) return line;
    const double rate = static_cast<double>(done) * 1000.0 / static_cast<double>(elapsedMs);
    char speed[32];
    std::snprintf(speed, sizeof speed, " %.1f ", rate / 1024);
    line += speed + Msg(kMsgSpeedUnit);
    if (total > done)
        line +=
            Msg(kMsgTimeLeft) + MinutesText(std::llround(static_cast<double>(total - done) / rate));
    return line;
}

}  // namespace q7k3
