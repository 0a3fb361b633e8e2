#pragma once
// What every converter returns, and the bounded file access they share. Converters never
// throw: a failure is a false result carrying the catalogue message that describes it.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/Failure.h"

namespace q7k3 {

using Bytes = std::vector<uint8_t>;
using ByteView = std::span<const uint8_t>;

// The converters' working buffer: 1 MiB, as the phone's transfer buffer.
constexpr size_t kWorkBufferSize = 1048576;
// MEL to MMF and ANI to BMP read their source into a smaller buffer of their own.
constexpr size_t kMelodyAniBufferSize = 650000;

struct MediaResult {
    bool Ok = false;
    int Message = -1;     // catalogue message of the failure (base/Messages.h), -1 for none
    std::string Subject;  // the file the message speaks of, joined by Text()
    std::string Output;   // on success: the path that was written

    explicit operator bool() const { return Ok; }
    // The failure worded from the catalogue: "Невозможно открыть файл <subject>",
    // "Файл <subject> слишком большой", or the bare message.
    std::string Text() const;

    static MediaResult Success(std::string output);
    static MediaResult Failure(int message, std::string subject = {});
};

namespace media {

// Reads a whole file of at most `limit` bytes. A file that cannot be read fails with
// message 1, a longer one with messages 9/10 ("too large") without being read further.
MediaResult ReadFileBounded(const std::string& path, size_t limit, Bytes& out);
// Creates or replaces `path` with `data`, whole or not at all (an OutputFile): message 1
// with the reason when it cannot be written, kMsgLinkRefused for a link at `path`.
MediaResult WriteFileBytes(const std::string& path, ByteView data);
MediaResult WriteFileBytes(const std::string& path, std::string_view data);

// An OutputFile's failure as a converter's: message 1 with "path: reason", or the link.
MediaResult OutputFailure(const std::string& path, const Failure& failure);

// Everything after the last '/', or the whole path.
std::string FileNamePart(std::string_view path);
// Everything up to and including the last '/', or empty.
std::string FolderPart(std::string_view path);
// folder + '/' + name, without doubling a separator the folder already ends with.
std::string JoinPath(std::string_view folder, std::string_view name);
// `path` with the last three characters of its file name replaced by `ext3`
// (melody01.mel -> melody01.mmf). The result always stays in the same folder.
std::string ReplaceLastThree(std::string_view path, std::string_view ext3);
bool IsDirectory(const std::string& path);

inline uint16_t ReadBe16(ByteView d, size_t at) {
    return static_cast<uint16_t>((d[at] << 8) | d[at + 1]);
}
inline void WriteBe16(Bytes& d, size_t at, uint32_t v) {
    d[at] = static_cast<uint8_t>((v >> 8) & 0xFF);
    d[at + 1] = static_cast<uint8_t>(v & 0xFF);
}
// The bytes of a stored title in order, every 0x00 and 0xFF skipped.
std::string StoredTitle(ByteView d, size_t from, size_t to);

}  // namespace media
}  // namespace q7k3
