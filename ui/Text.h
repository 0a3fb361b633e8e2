#pragma once
// Text helpers shared by every layer. Text is UTF-8 inside the program; where behaviour
// counts characters it counts Unicode code points and never cuts inside one.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace q7k3 {

// Number of code points (a malformed byte counts as one).
size_t Utf8Length(std::string_view s);
// The first `maxChars` code points of s.
std::string Utf8Left(std::string_view s, size_t maxChars);
// At most `maxBytes` bytes of s, cut on a character boundary.
std::string Utf8LeftBytes(std::string_view s, size_t maxBytes);
// s without its last `n` code points (empty when it has fewer).
std::string Utf8DropRight(std::string_view s, size_t n);

// Windows-1251 <-> UTF-8. Characters that 1251 cannot hold become '?'.
std::string Cp1251ToUtf8(std::string_view s);
std::string Utf8ToCp1251(std::string_view s);

// The parts one after another with `separator` between them ("a, b, c").
std::string JoinText(const std::vector<std::string>& parts, std::string_view separator);

// ASCII lower case (names of extensions and phone folders are compared this way).
std::string LowerAscii(std::string_view s);

// A name from outside (a phone file name, a title stored in a file) made safe to be the
// last component of a local path: no path separators, no control characters, never
// empty, "." or "..".
std::string SafeFileName(std::string_view name);

// The line of `text` that begins at the first occurrence of `key`, up to and including
// the next line feed; CR LF is appended when the text ends without one. Empty when the
// key does not occur.
std::string GetValuesString(std::string_view text, std::string_view key);

}  // namespace q7k3
