#include "media/Jad.h"

#include <sys/stat.h>
#include <zip.h>

#include <cerrno>
#include <cstdio>

#include "base/Messages.h"
#include "base/TempDir.h"
#include "base/Text.h"

namespace q7k3 {
namespace {

constexpr int kMsgJadFailed = 18;

// The manifest entry: META-INF/MANIFEST.MF, else the first entry of that name in any folder.
zip_int64_t FindManifest(zip_t* zip) {
    const zip_int64_t count = zip_get_num_entries(zip, 0);
    zip_int64_t found = -1;
    for (zip_int64_t i = 0; i < count; ++i) {
        const char* name = zip_get_name(zip, static_cast<zip_uint64_t>(i), 0);
        if (!name) continue;
        const std::string_view n(name);
        if (n == "META-INF/MANIFEST.MF") return i;
        if (found < 0 && media::FileNamePart(n) == "MANIFEST.MF") found = i;
    }
    return found;
}

// Reads the manifest entry, at most 1 MiB: an entry that inflates further is refused
// whatever its header claims.
bool ReadManifestEntry(zip_t* zip, std::string& text) {
    text.clear();
    const zip_int64_t index = FindManifest(zip);
    if (index < 0) return false;
    zip_file_t* file = zip_fopen_index(zip, static_cast<zip_uint64_t>(index), 0);
    if (!file) return false;
    std::string buf(kWorkBufferSize + 1, '\0');
    size_t got = 0;
    bool ok = true;
    while (got < buf.size()) {
        const zip_int64_t n = zip_fread(file, buf.data() + got, buf.size() - got);
        if (n < 0) ok = false;
        if (n <= 0) break;
        got += static_cast<size_t>(n);
    }
    // Closing reports a CRC mismatch of a damaged entry.
    if (zip_fclose(file) != 0) ok = false;
    if (!ok || got > kWorkBufferSize) return false;
    buf.resize(got);
    text = std::move(buf);
    return true;
}

}  // namespace

std::string UnwrapManifest(std::string_view manifest) {
    std::string out;
    out.reserve(manifest.size());
    for (size_t i = 0; i < manifest.size();) {
        size_t end = i;
        if (manifest[end] == '\r') ++end;
        if (end < manifest.size() && manifest[end] == '\n') ++end;
        if (end > i && end < manifest.size() && manifest[end] == ' ') {
            i = end + 1;  // a continuation: the break and its one space go
            continue;
        }
        if (end == i) end = i + 1;
        out.append(manifest.substr(i, end - i));
        i = end;
    }
    return out;
}

bool BuildJad(std::string_view wrapped, uint64_t jarSize, const std::string& jarName,
              std::string& jad) {
    jad.clear();
    const std::string manifest = UnwrapManifest(wrapped);
    const std::string version = GetValuesString(manifest, "MIDlet-Version:");
    const std::string name = GetValuesString(manifest, "MIDlet-Name:");
    const std::string midlet = GetValuesString(manifest, "MIDlet-1:");
    if (version.empty() || name.empty() || midlet.empty()) return false;
    jad = version + "MIDlet-Vendor: Q7K3FM\r\n" + name + midlet +
          "MIDlet-Jar-Size: " + std::to_string(jarSize) + "\r\n" + "MIDlet-Jar-Url: " + jarName;
    return true;
}

namespace {

// Runs `use` on the zip archive held in memory; false when it does not open as one.
template <typename Use>
bool WithZip(ByteView jar, Use use) {
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* src = zip_source_buffer_create(jar.data(), jar.size(), 0, &error);
    zip_t* zip = src ? zip_open_from_source(src, ZIP_RDONLY, &error) : nullptr;
    if (!zip && src) zip_source_free(src);
    zip_error_fini(&error);
    if (!zip) return false;
    const bool ok = use(zip);
    zip_discard(zip);
    return ok;
}

}  // namespace

bool ManifestFromJar(ByteView jar, std::string& manifest) {
    manifest.clear();
    return WithZip(jar, [&](zip_t* zip) { return ReadManifestEntry(zip, manifest); });
}

bool JarLacksManifest(ByteView jar) {
    return WithZip(jar, [](zip_t* zip) { return FindManifest(zip) < 0; });
}

MediaResult CreateJadFromManifest(const std::string& jarPath, const std::string& target) {
    struct stat st {};
    if (::stat(jarPath.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return MediaResult::Failure(kMsgCannotOpenFile, jarPath);
    const std::string& dir = PrivateTempDir();
    if (dir.empty()) return MediaResult::Failure(kMsgJadFailed);
    // A manifest left by an earlier archive must not stand in for this one's.
    const std::string manifestPath = dir + "/MANIFEST.MF";
    if (std::remove(manifestPath.c_str()) != 0 && errno != ENOENT)
        return MediaResult::Failure(kMsgJadFailed);

    int error = 0;
    zip_t* zip = zip_open(jarPath.c_str(), ZIP_RDONLY, &error);
    if (!zip) return MediaResult::Failure(kMsgJadFailed);
    std::string manifest;
    const bool hasEntry = FindManifest(zip) >= 0;
    const bool found = hasEntry && ReadManifestEntry(zip, manifest);
    zip_discard(zip);
    if (!hasEntry) return MediaResult::Failure(kMsgJarNoManifest);
    if (!found || !media::WriteFileBytes(manifestPath, manifest))
        return MediaResult::Failure(kMsgJadFailed);

    Bytes text;
    if (!media::ReadFileBounded(manifestPath, kWorkBufferSize, text))
        return MediaResult::Failure(kMsgJadFailed);
    std::string jad;
    if (!BuildJad(std::string_view(reinterpret_cast<const char*>(text.data()), text.size()),
                  static_cast<uint64_t>(st.st_size), media::FileNamePart(jarPath), jad))
        return MediaResult::Failure(kMsgJadFailed);
    return media::WriteFileBytes(target, jad);
}

}  // namespace q7k3
