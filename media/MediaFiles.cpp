#include <sys/stat.h>

#include <algorithm>
#include <cstdio>

#include "media/MediaResult.h"
#include "base/Messages.h"
#include "base/OutputFile.h"
#include "base/Text.h"

namespace q7k3 {

std::string MediaResult::Text() const {
    if (Message < 0) return {};
    if (Message == kMsgCannotOpenFile) return Msg(kMsgCannotOpenFile) + Subject;
    if (Message == kMsgFilePrefix) return Msg(kMsgFilePrefix) + Subject + Msg(kMsgTooLarge);
    if (Message == kMsgLinkRefused) return Msg(kMsgLinkRefused) + Subject;
    return Msg(Message);
}

MediaResult MediaResult::Success(std::string output) {
    MediaResult r;
    r.Ok = true;
    r.Output = std::move(output);
    return r;
}

MediaResult MediaResult::Failure(int message, std::string subject) {
    MediaResult r;
    r.Message = message;
    r.Subject = std::move(subject);
    return r;
}

namespace media {

MediaResult ReadFileBounded(const std::string& path, size_t limit, Bytes& out) {
    out.clear();
    if (path.empty() || IsDirectory(path)) return MediaResult::Failure(kMsgCannotOpenFile, path);
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return MediaResult::Failure(kMsgCannotOpenFile, path);
    struct stat st {};
    if (::fstat(fileno(f), &st) == 0 && st.st_size > 0)
        out.reserve(std::min(static_cast<size_t>(st.st_size), limit) + 1);
    // Read at most one byte past the limit: that byte alone tells a file that is too large,
    // whatever the file system said of its size.
    uint8_t chunk[65536];
    bool tooLarge = false;
    while (!tooLarge) {
        const size_t want = std::min(sizeof chunk, limit + 1 - out.size());
        const size_t n = std::fread(chunk, 1, want, f);
        if (n == 0) break;
        out.insert(out.end(), chunk, chunk + n);
        tooLarge = out.size() > limit;
    }
    const bool failed = std::ferror(f) != 0;
    std::fclose(f);
    if (failed || tooLarge) out.clear();
    if (failed) return MediaResult::Failure(kMsgCannotOpenFile, path);
    if (tooLarge) return MediaResult::Failure(9, FileNamePart(path));
    return MediaResult::Success(path);
}

MediaResult WriteFileBytes(const std::string& path, ByteView data) {
    if (path.empty()) return MediaResult::Failure(kMsgCannotOpenFile, path);
    OutputFile out(path);
    Status written = out.Open();
    if (written) written = out.Write(data.data(), data.size());
    if (written) written = out.Commit();
    if (!written) return OutputFailure(path, written.error());
    return MediaResult::Success(path);
}

MediaResult OutputFailure(const std::string& path, const Failure& failure) {
    if (failure.Reason == kErrLocalData) return MediaResult::Failure(kMsgLinkRefused, path);
    return MediaResult::Failure(kMsgCannotOpenFile, failure.Text.empty() ? path : failure.Text);
}

MediaResult WriteFileBytes(const std::string& path, std::string_view data) {
    return WriteFileBytes(path,
                          ByteView(reinterpret_cast<const uint8_t*>(data.data()), data.size()));
}

std::string FileNamePart(std::string_view path) {
    const size_t slash = path.rfind('/');
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

std::string FolderPart(std::string_view path) {
    const size_t slash = path.rfind('/');
    return slash == std::string_view::npos ? std::string() : std::string(path.substr(0, slash + 1));
}

std::string JoinPath(std::string_view folder, std::string_view name) {
    if (folder.empty()) return std::string(name);
    std::string out(folder);
    if (out.back() != '/') out += '/';
    out += name;
    return out;
}

std::string ReplaceLastThree(std::string_view path, std::string_view ext3) {
    const std::string name = FileNamePart(path);
    return JoinPath(FolderPart(path), SafeFileName(Utf8DropRight(name, 3) + std::string(ext3)));
}

bool IsDirectory(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string StoredTitle(ByteView d, size_t from, size_t to) {
    std::string title;
    for (size_t i = from; i < to && i < d.size(); ++i) {
        if (d[i] != 0x00 && d[i] != 0xFF) title += static_cast<char>(d[i]);
    }
    return title;
}

}  // namespace media
}  // namespace q7k3
