#pragma once
// Text helpers shared by every layer. Text is UTF-8 inside the program; where behaviour
// counts characters it counts Unicode code points and never cuts inside one.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace q7k3 {

// Appends the UTF-8 bytes of one code point.
void AppendUtf8(std::string& out, char32_t c);

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

// "1:05": a time in minutes and seconds.
std::string MinutesText(int64_t seconds);
// One file's transfer as the CLI's progress line and the progress dialog say it:
// "33 из 293 КБ 11.4 КБ/сек, осталось 0:23". Without a total (0) only the bytes so far;
// the rate and the time left once `elapsedMs` has run long enough to tell them.
std::string TransferLine(int64_t done, int64_t total, int64_t elapsedMs);

// The Russian plural form for `n` from "one|few|many" ("файл|файла|файлов": 1 файл,
// 3 файла, 5 файлов, 11 файлов, 21 файл). A text without '|' is taken for every n.
std::string PluralForm(int64_t n, std::string_view forms);

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
