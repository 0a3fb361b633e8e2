#pragma once
// The character sets a phone speaks through AT+CSCS and inside its short messages: the GSM
// 7-bit default alphabet with its extension table, UCS-2 (as hex on the command line, as
// big-endian bytes in a message), ISO 8859-1 and IRA. Everything here is UTF-8 on our side.
// A character a set cannot carry is reported, never dropped silently.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/Text.h"

namespace q7k3::pim {

// What encoding a UTF-8 text into a narrower set gave: the bytes, with '?' standing for
// each character the set has no code for, and those characters in the order met.
struct Encoded {
    std::string Bytes;
    std::vector<char32_t> Unmappable;
    bool Whole() const { return Unmappable.empty(); }
};

// --- GSM 7-bit default alphabet, unpacked: one code (0x00-0x7F) per byte, an extension
// character as ESC (0x1B) and its code, as the phone gives them under AT+CSCS="GSM".

// The codes as UTF-8. An ESC before a code the extension table lacks reads as that code
// of the main table, a lone ESC at the end as a space; a byte above 0x7F as U+FFFD.
std::string GsmToUtf8(std::string_view codes);
// UTF-8 as codes; an extension character takes two. Invalid UTF-8 counts as unmappable.
Encoded Utf8ToGsm(std::string_view utf8);
// The GSM code(s) of one character: one or two (ESC first) codes, or empty for none.
std::string GsmCodeOf(char32_t c);

// --- Septet packing, as the user data of a message carries 7-bit codes: `fillBits` zero
// bits first (after a user data header), then each code's seven bits, lowest first.
std::string PackSeptets(std::string_view codes, int fillBits = 0);
// `count` septets after `fillBits` fill bits; nothing when `octets` is too short for them.
std::optional<std::string> UnpackSeptets(std::string_view octets, int count, int fillBits = 0);
// Octets that `count` septets take after `fillBits` fill bits.
int PackedLength(int count, int fillBits = 0);

// --- UCS-2 / UTF-16 (big-endian). Characters outside the basic plane travel as surrogate
// pairs; a lone surrogate or invalid UTF-8 becomes U+FFFD.
std::string Utf16BeToUtf8(std::string_view bytes);  // an odd last byte is U+FFFD
std::string Utf8ToUtf16Be(std::string_view utf8);
// The hex form of AT+CSCS="UCS2" ("0414043E043C"); nothing for an odd length or a non-hex digit.
std::optional<std::string> Ucs2HexToUtf8(std::string_view hex);
std::string Utf8ToUcs2Hex(std::string_view utf8);

// --- ISO 8859-1 and IRA (ITU T.50, ASCII's twin: 0x00-0x7F).
std::string Latin1ToUtf8(std::string_view bytes);
Encoded Utf8ToLatin1(std::string_view utf8);
std::string IraToUtf8(std::string_view bytes);  // a byte above 0x7F is U+FFFD
Encoded Utf8ToIra(std::string_view utf8);

// --- The sets of AT+CSCS by their names.
enum class Charset { Gsm, Ucs2, Latin1, Ira, Utf8 };
// "GSM", "UCS2", "8859-1", "IRA", "UTF-8" (any case, quotes allowed); nothing for another.
std::optional<Charset> CharsetFromName(std::string_view name);
const char* CharsetName(Charset set);
// A text the phone sent in `set` as UTF-8 (nothing: UCS2 hex that is not hex).
std::optional<std::string> DecodeCharset(Charset set, std::string_view text);
// UTF-8 as the phone takes it in `set` (UCS2 as hex).
Encoded EncodeCharset(Charset set, std::string_view utf8);

// --- Helpers the codecs share.
std::string ToHex(std::string_view bytes);                   // upper case
std::optional<std::string> FromHex(std::string_view hex);    // either case; nothing if not hex
// The code points of UTF-8 text; each invalid byte is U+FFFD with `*bad` counting it.
std::vector<char32_t> DecodeUtf8(std::string_view utf8, int* bad = nullptr);
using q7k3::AppendUtf8;

}  // namespace q7k3::pim
