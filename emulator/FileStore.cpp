#include "emulator/FileStore.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <ctime>
#include <map>

namespace q7k3::emu {

namespace {

// Files larger than this are not served from a host directory (the phone holds 13 MB).
constexpr off_t kMaxHostFile = 64 * 1024 * 1024;

std::string FormatStamp(time_t t) {
    struct tm tm {};
    localtime_r(&t, &tm);
    char buf[80];
    std::snprintf(buf, sizeof buf, "%04d/%02d/%02d %02d:%02d:%02d", tm.tm_year + 1900,
                  tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec);
    return buf;
}

// "YYYY/MM/DD HH:MM:SS" (any separators) to a local time; false when it is not one.
bool ParseStamp(const std::string& s, time_t& out) {
    if (s.size() != 19) return false;
    int v[6];
    const int pos[6] = {0, 5, 8, 11, 14, 17};
    const int len[6] = {4, 2, 2, 2, 2, 2};
    for (int i = 0; i < 6; ++i) {
        v[i] = 0;
        for (int k = 0; k < len[i]; ++k) {
            const char c = s[pos[i] + k];
            if (c < '0' || c > '9') return false;
            v[i] = v[i] * 10 + (c - '0');
        }
    }
    struct tm tm {};
    tm.tm_year = v[0] - 1900;
    tm.tm_mon = v[1] - 1;
    tm.tm_mday = v[2];
    tm.tm_hour = v[3];
    tm.tm_min = v[4];
    tm.tm_sec = v[5];
    tm.tm_isdst = -1;
    out = mktime(&tm);
    return out != static_cast<time_t>(-1);
}

class MemoryStore final : public FileStore {
public:
    struct Entry {
        std::string name;
        std::string bytes;
        std::string stamp;
    };

    std::vector<StoredFile> List(const std::string& folder) const override {
        std::vector<StoredFile> out;
        auto it = m_folders.find(folder);
        if (it == m_folders.end()) return out;
        for (const Entry& e : it->second) out.push_back({e.name, e.bytes.size(), e.stamp});
        return out;
    }
    std::optional<std::string> Get(const std::string& folder,
                                   const std::string& name) const override {
        auto it = m_folders.find(folder);
        if (it == m_folders.end()) return std::nullopt;
        for (const Entry& e : it->second)
            if (e.name == name) return e.bytes;
        return std::nullopt;
    }
    bool Put(const std::string& folder, const std::string& name, const std::string& bytes,
             const std::string& stamp) override {
        auto& files = m_folders[folder];
        for (Entry& e : files) {
            if (e.name == name) {
                e.bytes = bytes;
                e.stamp = stamp;
                return true;
            }
        }
        files.push_back({name, bytes, stamp});
        return true;
    }
    bool Remove(const std::string& folder, const std::string& name) override {
        auto it = m_folders.find(folder);
        if (it == m_folders.end()) return false;
        auto& files = it->second;
        auto f = std::find_if(files.begin(), files.end(),
                              [&](const Entry& e) { return e.name == name; });
        if (f == files.end()) return false;
        files.erase(f);
        return true;
    }
    void AddFolder(const std::string& folder) override { m_folders[folder]; }

private:
    std::map<std::string, std::vector<Entry>> m_folders;
};

class DirectoryStore final : public FileStore {
public:
    explicit DirectoryStore(std::string root) : m_root(std::move(root)) {}

    std::vector<StoredFile> List(const std::string& folder) const override {
        std::vector<StoredFile> out;
        DIR* d = opendir(Dir(folder).c_str());
        if (!d) return out;
        while (dirent* de = readdir(d)) {
            const std::string name = de->d_name;
            if (!IsValidFileName(name) || name.rfind(".incoming-", 0) == 0) continue;
            struct stat st {};
            if (stat(Path(folder, name).c_str(), &st) != 0 || !S_ISREG(st.st_mode)) continue;
            out.push_back({name, static_cast<uint64_t>(st.st_size), FormatStamp(st.st_mtime)});
        }
        closedir(d);
        std::sort(out.begin(), out.end(),
                  [](const StoredFile& a, const StoredFile& b) { return a.Name < b.Name; });
        return out;
    }

    std::optional<std::string> Get(const std::string& folder,
                                   const std::string& name) const override {
        if (!IsValidFileName(name)) return std::nullopt;
        const int fd = open(Path(folder, name).c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
        if (fd < 0) return std::nullopt;
        struct stat st {};
        if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size > kMaxHostFile) {
            close(fd);
            return std::nullopt;
        }
        std::string bytes;
        char buf[65536];
        for (;;) {
            const ssize_t n = read(fd, buf, sizeof buf);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) break;
            bytes.append(buf, static_cast<size_t>(n));
            if (bytes.size() > static_cast<size_t>(kMaxHostFile)) break;
        }
        close(fd);
        return bytes;
    }

    bool Put(const std::string& folder, const std::string& name, const std::string& bytes,
             const std::string& stamp) override {
        if (!IsValidFileName(name)) return false;
        AddFolder(folder);
        // Written beside the target and renamed, so a watcher never sees half a file.
        const std::string target = Path(folder, name);
        const std::string temp = Dir(folder) + "/.incoming-" + std::to_string(getpid());
        const int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (fd < 0) return false;
        size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) break;
            done += static_cast<size_t>(n);
        }
        close(fd);
        if (done != bytes.size() || rename(temp.c_str(), target.c_str()) != 0) {
            unlink(temp.c_str());
            return false;
        }
        time_t t;
        if (ParseStamp(stamp, t)) {
            struct timeval tv[2] = {{t, 0}, {t, 0}};
            utimes(target.c_str(), tv);
        }
        return true;
    }

    bool Remove(const std::string& folder, const std::string& name) override {
        if (!IsValidFileName(name)) return false;
        return unlink(Path(folder, name).c_str()) == 0;
    }

    void AddFolder(const std::string& folder) override {
        // Creates each level of "mms/camera/image" in turn.
        std::string path = m_root;
        size_t start = 0;
        while (start < folder.size()) {
            size_t slash = folder.find('/', start);
            if (slash == std::string::npos) slash = folder.size();
            path += "/" + folder.substr(start, slash - start);
            mkdir(path.c_str(), 0755);
            start = slash + 1;
        }
    }

private:
    std::string Dir(const std::string& folder) const {
        return folder.empty() ? m_root : m_root + "/" + folder;
    }
    std::string Path(const std::string& folder, const std::string& name) const {
        return Dir(folder) + "/" + name;
    }

    std::string m_root;
};

}  // namespace

std::unique_ptr<FileStore> MakeMemoryStore() {
    return std::make_unique<MemoryStore>();
}

std::unique_ptr<FileStore> MakeDirectoryStore(const std::string& rootDir) {
    if (rootDir.empty()) return nullptr;
    mkdir(rootDir.c_str(), 0755);
    struct stat st {};
    if (stat(rootDir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return nullptr;
    return std::make_unique<DirectoryStore>(rootDir);
}

std::string NowStamp() {
    return FormatStamp(time(nullptr));
}

bool IsValidFileName(const std::string& name) {
    if (name.empty() || name.size() > 255 || name == "." || name == "..") return false;
    for (unsigned char c : name)
        if (c < 0x20 || c == '/' || c == '"' || c == 0x7F) return false;
    return true;
}

}  // namespace q7k3::emu
