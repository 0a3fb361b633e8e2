// scan, ls, get, put, rm, rename: the phone's folders and files from the command line.
// Folders are written as the phone pane's path line shows them ("E700:\Sounds\My Sounds";
// the "E700:" is optional) or with slashes ("Sounds/My Sounds"), in the tree of the chosen
// mode. Names match without regard to case when only one fits. A folder whose own name
// holds a slash ("OnOff/Menu Images") is matched whole before its slash is taken for a
// separator. get and put apply the folder rules the window's copy applies (--raw moves the
// bytes unchanged).
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <functional>
#include <optional>
#include <set>

#include "app/cli/Cli.h"
#include "app/cli/CliLink.h"
#include "app/cli/CliSession.h"
#include "app/cli/Options.h"
#include "app/cli/Terminal.h"
#include "commands/CommandSupport.h"
#include "commands/CopyToComputer.h"
#include "commands/CopyToPhone.h"
#include "commands/DeleteFiles.h"
#include "commands/FolderRules.h"
#include "commands/RenameFile.h"
#include "link/Connection.h"
#include "settings/SettingsStore.h"
#include "phonefs/PhoneFs.h"
#include "base/LocalProblem.h"
#include "base/Messages.h"
#include "base/TempDir.h"
#include "base/Text.h"

namespace q7k3::cli {
namespace {

std::string Quote(const std::string& text) {
    return "«" + Printable(text) + "»";
}

bool SameName(std::string_view a, std::string_view b, bool exactCase) {
    if (exactCase) return a == b;
    return QString::fromUtf8(a.data(), static_cast<qsizetype>(a.size()))
               .compare(QString::fromUtf8(b.data(), static_cast<qsizetype>(b.size())),
                        Qt::CaseInsensitive) == 0;
}

bool IsSeparator(char c) {
    return c == '\\' || c == '/';
}

// Where a phone path can lead: a folder and what is left of the path after it.
struct PathMatch {
    Tree4* folder;
    std::string tail;
    bool exactCase;
};

void MatchPath(Tree4* node, std::string_view rest, bool exactCase, std::vector<PathMatch>& out) {
    while (!rest.empty() && IsSeparator(rest.front())) rest.remove_prefix(1);
    out.push_back({node, std::string(rest), exactCase});
    if (rest.empty()) return;
    for (const auto& child : node->Children) {
        if (child->IsMarker()) continue;
        const std::string& name = child->Name;
        if (name.empty() || rest.size() < name.size()) continue;
        if (rest.size() > name.size() && !IsSeparator(rest[name.size()])) continue;
        const std::string_view head = rest.substr(0, name.size());
        if (SameName(head, name, true))
            MatchPath(child.get(), rest.substr(name.size()), exactCase, out);
        else if (SameName(head, name, false))
            MatchPath(child.get(), rest.substr(name.size()), false, out);
    }
}

std::vector<PathMatch> MatchFromRoot(Tree4* root, std::string_view path) {
    const std::string prefix = root->Name + ":";
    if (path.size() >= prefix.size() && SameName(path.substr(0, prefix.size()), prefix, false))
        path.remove_prefix(prefix.size());
    std::vector<PathMatch> matches;
    MatchPath(root, path, true, matches);
    return matches;
}

// The best of the matches that pass `keep`: an exact one, else the only one; null and a
// message when none or several fit.
const PathMatch* Choose(const std::vector<PathMatch>& matches,
                        const std::function<bool(const PathMatch&)>& keep) {
    const PathMatch* exact = nullptr;
    const PathMatch* loose = nullptr;
    int exactCount = 0, looseCount = 0;
    size_t bestTail = std::string::npos;
    for (const PathMatch& m : matches) {
        if (!keep(m)) continue;
        // The deepest folder wins: the shortest rest.
        if (m.tail.size() < bestTail) {
            bestTail = m.tail.size();
            exact = loose = nullptr;
            exactCount = looseCount = 0;
        }
        if (m.tail.size() != bestTail) continue;
        if (m.exactCase) {
            exact = &m;
            ++exactCount;
        } else {
            loose = &m;
            ++looseCount;
        }
    }
    if (exactCount == 1) return exact;
    if (exactCount == 0 && looseCount == 1) return loose;
    return nullptr;
}

std::vector<std::string> ChildNames(const Tree4* folder) {
    std::vector<std::string> names;
    for (const auto& child : folder->Children)
        if (!child->IsMarker()) names.push_back(child->Name);
    return names;
}

// Says why a path led nowhere, with the nearest name where the path went astray.
void NoSuchFolder(const std::vector<PathMatch>& matches, const std::string& path) {
    std::string text = Msg(kMsgCliNoPhoneFolder) + Quote(path);
    const PathMatch* deepest = nullptr;
    for (const PathMatch& m : matches)
        if (!deepest || m.tail.size() < deepest->tail.size()) deepest = &m;
    if (deepest && !deepest->tail.empty()) {
        std::string word = deepest->tail;
        const size_t sep = word.find_first_of("\\/");
        if (sep != std::string::npos) word.resize(sep);
        const std::string near = Nearest(word, ChildNames(deepest->folder));
        if (!near.empty())
            text +=
                Msg(kMsgCliDidYouMean) + Quote(PhonePathText(deepest->folder) + "\\" + near) + "?";
    }
    Fail(text, kExitPhoneFailed);
}

// One command's session, with the phone paths it names.
struct Session : CliSession {
    Tree4* Root() {
        // A discovery that fails leaves what it found; the command's own step says why.
        if (!fs->PhoneRoot()) (void)fs->BuildFolderTree(mode);
        return fs->PhoneRoot();
    }
    // The folder a path names, in the tree of the mode (built without listing).
    Tree4* Folder(const std::string& path) {
        const auto matches = MatchFromRoot(Root(), path);
        const PathMatch* m = Choose(matches, [](const PathMatch& p) { return p.tail.empty(); });
        if (!m) {
            NoSuchFolder(matches, path);
            return nullptr;
        }
        return m->folder;
    }
    // FOLDER\FILE split at the deepest folder it names; false after a message.
    bool FilePath(const std::string& path, Tree4*& folder, std::string& name) {
        const auto matches = MatchFromRoot(Root(), path);
        const PathMatch* m = Choose(matches, [](const PathMatch& p) { return !p.tail.empty(); });
        if (!m || m->folder == Root()) {
            // The whole path names a folder: said as such, not as a folder missing.
            for (const PathMatch& p : matches) {
                if (p.tail.empty() && p.folder != Root()) {
                    Fail(Quote(PhonePathText(p.folder)) + Msg(kMsgCliFolderNotFile));
                    return false;
                }
            }
            std::string folderPart = path;
            const size_t sep = folderPart.find_last_of("\\/");
            folderPart.resize(sep == std::string::npos ? 0 : sep);
            NoSuchFolder(matches, folderPart.empty() ? path : folderPart);
            return false;
        }
        folder = m->folder;
        name = m->tail;
        return true;
    }
};

// The file of that name in a listed folder: the exact name, else the only one that matches
// without regard to case. Empty after a message naming the nearest file.
std::string ResolveFile(const Tree4* folder, const std::string& name) {
    if (HasFile(folder, name)) return name;
    std::vector<std::string> loose, all;
    for (const FileEntry& f : folder->Files) {
        all.push_back(f.Name);
        if (SameName(f.Name, name, false)) loose.push_back(f.Name);
    }
    if (loose.size() == 1) return loose.front();
    std::string text = Msg(kMsgFileNotFound) + ": " + Quote(PhonePathText(folder) + "\\" + name);
    if (loose.size() > 1) {
        text = Msg(kMsgCliAmbiguousName) + Quote(name);
    } else if (const std::string near = Nearest(name, all); !near.empty()) {
        text += Msg(kMsgCliDidYouMean) + Quote(near) + "?";
    }
    Fail(text, kExitPhoneFailed);
    return {};
}

bool RealFolder(const Tree4* folder) {
    if (!folder->IsVirtual()) return true;
    Fail(Msg(kMsgVirtualFolder) + Printable(PhonePathText(folder)));
    return false;
}

// ---- listings -------------------------------------------------------------------------

enum class ListFormat { Human, Porcelain, Null, Json };

ListFormat FormatOf(const ParsedArgs& a) {
    if (a.Has("--json")) return ListFormat::Json;
    if (a.Has("--null")) return ListFormat::Null;
    if (a.Has("--porcelain")) return ListFormat::Porcelain;
    return ListFormat::Human;
}

// The path of a porcelain record: "/" between folders, the model prefix left out (every
// command takes it back as it is).
std::string RecordPath(const Tree4* folder, const std::string& file = {}) {
    std::vector<const Tree4*> chain;
    for (const Tree4* f = folder; f && f->Parent; f = f->Parent) chain.push_back(f);
    std::string path;
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) path += "/" + (*it)->Name;
    if (!file.empty()) path += "/" + file;
    return path.empty() ? "/" : path;
}

std::string IsoDate(const QDateTime& date) {
    return date.isValid() ? date.toString(QStringLiteral("yyyy-MM-ddThh:mm:ss")).toStdString()
                          : "-";
}

class Listing {
public:
    explicit Listing(ListFormat format) : m_format(format) {
        if (m_format == ListFormat::Json) std::printf("[");
    }
    ~Listing() {
        if (m_format == ListFormat::Json) std::printf("%s]\n", m_count ? "\n" : "");
    }
    void Folder(const Tree4* folder) {
        if (m_format == ListFormat::Human) {
            std::printf("%s\n", Printable(PhonePathText(folder)).c_str());
            return;
        }
        Record(RecordPath(folder), "dir", "-", "-");
    }
    void Subfolder(const Tree4* child) {
        if (m_format == ListFormat::Human)
            std::printf("    %s\\\n", Printable(child->Name).c_str());
        else
            Record(RecordPath(child), "dir", "-", "-");
    }
    void File(const Tree4* folder, const FileEntry& f) {
        if (m_format == ListFormat::Human) {
            std::printf(
                "    %s\t%d\t%s\n", Printable(f.Name).c_str(), f.Size,
                f.Date.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")).toStdString().c_str());
            return;
        }
        Record(RecordPath(folder, f.Name), "file", std::to_string(f.Size), IsoDate(f.Date));
    }
    void Free(const PhoneFs& fs) {
        if (m_format == ListFormat::Human) {
            std::printf("%s\n", fs.EstimateFreeSpace().c_str());
            return;
        }
        const int64_t kilobytes = 13104 - fs.UsedKilobytes();
        Record("/", "free", std::to_string(std::max<int64_t>(0, kilobytes) * 1024), "-");
    }

private:
    // Porcelain: TYPE<tab>SIZE<tab>DATE<tab>PATH, one a line; with -0 the path is raw and
    // the record ends with a NUL byte.
    void Record(const std::string& path, const char* type, const std::string& size,
                const std::string& date) {
        if (m_format == ListFormat::Json) {
            std::printf("%s\n{\"path\":%s,\"type\":\"%s\",\"size\":%s,\"date\":%s}",
                        m_count ? "," : "", JsonString(path).c_str(), type,
                        size == "-" ? "null" : size.c_str(),
                        date == "-" ? "null" : JsonString(date).c_str());
        } else if (m_format == ListFormat::Null) {
            std::printf("%s\t%s\t%s\t", type, size.c_str(), date.c_str());
            std::fwrite(path.data(), 1, path.size(), stdout);
            std::fputc('\0', stdout);
        } else {
            std::printf("%s\t%s\t%s\t%s\n", type, size.c_str(), date.c_str(),
                        Printable(path, true).c_str());
        }
        ++m_count;
    }
    ListFormat m_format;
    int m_count = 0;
};

// The folders of the last scan, one path a line, for the shell's completion. A cache
// that cannot be written is no failure of the scan.
void RememberFolders(const Tree4* root) {
    const QString dir =
        QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) + "/q7k3fm";
    if (!QDir().mkpath(dir)) return;
    QSaveFile file(dir + "/folders");
    if (!file.open(QIODevice::WriteOnly)) return;
    std::function<void(const Tree4*)> walk = [&](const Tree4* folder) {
        for (const auto& child : folder->Children) {
            if (child->IsMarker()) continue;
            const std::string path = RecordPath(child.get()).substr(1) + "/";
            if (path.find('\n') == std::string::npos) file.write((path + "\n").c_str());
            walk(child.get());
        }
    };
    walk(root);
    file.commit();
}

int RunScan(const ParsedArgs& a) {
    Session s;
    if (const int rc = s.TakeOptions(a)) return rc;
    if (const int rc = s.Open()) return rc;
    // The model was read when the link opened: the scan does not ask again.
    const Expected<Tree4*> scanned = s.fs->ScanPhone(s.mode, s.hidden, false);
    // A failed walk has already said why.
    if (!scanned) return kExitPhoneFailed;
    Tree4* root = *scanned;
    Listing out(FormatOf(a));
    std::function<void(const Tree4*)> print = [&](const Tree4* folder) {
        out.Folder(folder);
        for (const FileEntry& f : folder->Files) out.File(folder, f);
        for (const auto& child : folder->Children) {
            if (!child->IsMarker()) print(child.get());
        }
    };
    print(root);
    out.Free(*s.fs);
    RememberFolders(root);
    return 0;
}

int RunLs(const ParsedArgs& a) {
    Session s;
    if (const int rc = s.TakeOptions(a)) return rc;
    if (const int rc = s.Open()) return rc;
    Tree4* folder = s.Folder(a.positional.empty() ? std::string() : a.positional[0]);
    if (!folder) return kExitPhoneFailed;
    if (Status done = s.fs->ListFolder(folder, s.hidden); !done) return s.PhoneError(done.error());
    Listing out(FormatOf(a));
    out.Folder(folder);
    for (const auto& child : folder->Children) {
        if (!child->IsMarker()) out.Subfolder(child.get());
    }
    for (const FileEntry& f : folder->Files) out.File(folder, f);
    return 0;
}

// ---- copies ---------------------------------------------------------------------------

// The questions of the file commands, answered from the command line: a taken name is
// replaced only with --overwrite; otherwise the command ends and says which name it was.
class CliConflict final : public ConflictQuestion {
public:
    explicit CliConflict(bool overwrite) : m_overwrite(overwrite) {}
    ConflictReply AskConflict(const std::string& oldName, const std::string& newName) override {
        if (m_overwrite) return {ConflictAnswer::Overwrite, newName};
        refused = oldName;
        return {ConflictAnswer::Cancel, newName};
    }
    std::string refused;

private:
    bool m_overwrite;
};

class CliRename final : public RenameQuestion {
public:
    explicit CliRename(std::string name) : m_name(std::move(name)) {}
    std::optional<std::string> AskNewName(const std::string&) override { return m_name; }

private:
    std::string m_name;
};

int ConflictFailure(const std::string& name) {
    return Fail(Msg(kMsgCliPhoneExists) + Printable(name));
}

// The phone files named as FOLDER\FILE, grouped by folder in the order given.
struct FolderFiles {
    Tree4* folder;
    std::vector<std::string> names;
};

bool GroupByFolder(Session& s, const std::vector<std::string>& paths,
                   std::vector<FolderFiles>& groups) {
    for (const std::string& path : paths) {
        Tree4* folder = nullptr;
        std::string name;
        if (!s.FilePath(path, folder, name)) return false;
        auto it = std::find_if(groups.begin(), groups.end(),
                               [&](const FolderFiles& g) { return g.folder == folder; });
        if (it == groups.end()) {
            groups.push_back({folder, {}});
            it = groups.end() - 1;
        }
        it->names.push_back(name);
    }
    return true;
}

// Lists the folder (which also makes it current) and resolves every name to a file of it.
// Returns 0, or the exit code after its message.
int ListAndCheck(Session& s, FolderFiles& group) {
    if (!RealFolder(group.folder)) return kExitPhoneFailed;
    if (Status done = s.fs->ListFolder(group.folder, true); !done)
        return s.PhoneError(done.error());
    for (std::string& name : group.names) {
        name = ResolveFile(group.folder, name);
        if (name.empty()) return kExitPhoneFailed;
    }
    return 0;
}

bool Exists(const std::string& path) {
    return QFileInfo::exists(QString::fromStdString(path));
}

int LocalExists(const std::string& path) {
    return Fail(Msg(kMsgCliLocalExists) + Printable(path), kExitLocalFile);
}

// A path listed by MakeStrayPath, dropped from the list when this goes.
class StrayGuard {
public:
    explicit StrayGuard(std::string path) : m_path(std::move(path)) {}
    ~StrayGuard() { DropStrayPath(m_path); }
    StrayGuard(const StrayGuard&) = delete;
    StrayGuard& operator=(const StrayGuard&) = delete;

private:
    std::string m_path;
};

// Standard input into `path`, a block at a time, each write checked; at most `limit`
// bytes. Returns 0, or the exit code after its message (nothing is left at `path`).
int SaveStandardInput(const std::string& path, int64_t limit) {
    QFile out(QString::fromStdString(path));
    const auto fail = [&](const std::string& text, int code) {
        out.close();
        out.remove();
        return Fail(text, code);
    };
    if (!out.open(QIODevice::WriteOnly)) return fail(Msg(kMsgStdinUnsaved) + path, kExitLocalFile);
    char chunk[65536];
    int64_t total = 0;
    for (;;) {
        const ssize_t n = read(STDIN_FILENO, chunk, sizeof chunk);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return fail(Msg(kMsgStdinUnsaved) + "-", kExitLocalFile);
        if (n == 0) break;
        total += n;
        // No phone folder takes more: the rest is not read at all.
        if (total > limit) {
            return fail(Msg(kMsgStdinTooLarge) + std::to_string(limit) + Msg(kMsgBytes),
                        kExitPhoneFailed);
        }
        if (out.write(chunk, n) != n) return fail(Msg(kMsgStdinUnsaved) + path, kExitLocalFile);
    }
    if (!out.flush()) return fail(Msg(kMsgStdinUnsaved) + path, kExitLocalFile);
    return 0;
}

// Copies a finished temporary file to standard output.
bool CopyToStdout(const QString& path) {
    QFile in(path);
    if (!in.open(QIODevice::ReadOnly)) return false;
    char chunk[65536];
    for (qint64 n; (n = in.read(chunk, sizeof chunk)) > 0;)
        if (std::fwrite(chunk, 1, static_cast<size_t>(n), stdout) != static_cast<size_t>(n))
            return false;
    return std::fflush(stdout) == 0;
}

// The local names one get has written, so that a second phone file given the same name
// ("Ring.mmf" from two melodies of that title) is numbered and never taken for a file that
// was there before.
class LocalNames {
public:
    explicit LocalNames(std::string dir) : m_dir(std::move(dir)) {}
    // The path for a file the folder rules call `name`: numbered when this command wrote
    // that name already (said on standard error, with where `phonePath` went).
    std::string Target(const std::string& name, const std::string& phonePath) {
        if (!m_written.count(Path(name))) return Path(name);
        const std::string chosen = commands::FreeNumberedName(name, [this](const std::string& n) {
            return m_written.count(Path(n)) > 0 || Exists(Path(n));
        });
        Fail(phonePath + Msg(kMsgSavedAs) + Printable(chosen) + Msg(kMsgNameOf) + Printable(name) +
             Msg(kMsgNameTakenByThisCommand));
        return Path(chosen);
    }
    void Wrote(const std::string& path) { m_written.insert(path); }
    bool Has(const std::string& path) const { return m_written.count(path) > 0; }
    std::string PathOf(const std::string& name) const { return Path(name); }

private:
    std::string Path(const std::string& name) const {
        return QDir(QString::fromStdString(m_dir))
            .filePath(QString::fromStdString(name))
            .toStdString();
    }
    std::string m_dir;
    std::set<std::string> m_written;
};

// With -v: the local name a phone file was saved under.
void TellSavedAs(const Tree4* folder, const std::string& name, const std::string& local) {
    if (CurrentVerbosity() != Verbosity::Verbose) return;
    Fail(Printable(PhonePathText(folder) + "\\" + name) + Msg(kMsgSavedAs) + Printable(local));
}

// One phone file to a path of the user's choosing, or to standard output: the bytes as they
// are. Returns 0, or the exit code after its message.
int GetOneFile(Session& s, const FolderFiles& group, const std::string& local, bool toStdout) {
    Tree4* folder = group.folder;
    const FileEntry* entry = FindFile(folder, group.names.front());
    s.progress.SetFile(entry->Name);
    const ReadGuard reading(PhonePathText(folder) + "\\" + entry->Name);
    if (!toStdout) {
        if (Status done = s.fs->ReadPhoneFile(local, entry->Name, entry->Date, entry->Size); !done)
            return s.PhoneError(done.error(), local);
        TellSavedAs(folder, entry->Name, local);
        return 0;
    }
    // Fetched into the private folder first, which goes with the program however it ends.
    const std::string work = commands::FreshWorkDir("stdout");
    if (work.empty()) return Fail(Msg(kMsgCliNoLocalFile) + "tmp", kExitLocalFile);
    const std::string temp = work + "/file";
    if (Status done = s.fs->ReadPhoneFile(temp, entry->Name, entry->Date, entry->Size); !done)
        return s.PhoneError(done.error(), "-");
    if (!CopyToStdout(QString::fromStdString(temp))) return Fail("-", kExitLocalFile);
    return 0;
}

// --raw into a folder: each file under its phone name made safe. Returns 0, or the exit
// code of a failure that ends the command; a file refused on the computer's side sets
// `result` and the others go on.
int GetRaw(Session& s, const FolderFiles& group, LocalNames& written, bool force, int& result) {
    Tree4* folder = group.folder;
    for (const std::string& name : group.names) {
        const FileEntry* entry = FindFile(folder, name);
        const std::string path =
            written.Target(SafeFileName(name), Printable(PhonePathText(folder) + "\\" + name));
        if (!force && Exists(path)) {
            LocalExists(path);
            result = kExitLocalFile;
            continue;
        }
        s.progress.SetFile(entry->Name);
        const ReadGuard reading(PhonePathText(folder) + "\\" + entry->Name);
        if (Status done = s.fs->ReadPhoneFile(path, entry->Name, entry->Date, entry->Size); !done)
            return s.PhoneError(done.error(), path);
        written.Wrote(path);
        TellSavedAs(folder, entry->Name, path);
    }
    return 0;
}

// The group's files whose local names are free, or all with --force. A file whose name is
// known before it is fetched (no converter names it) and is taken already is refused
// before its transfer, not after it (and `result` says so).
std::vector<std::string> NamesToFetch(Session& s, const FolderFiles& group,
                                      const LocalNames& written, bool force, int& result) {
    Tree4* folder = group.folder;
    std::vector<std::string> names;
    for (const std::string& name : group.names) {
        const FileEntry* entry = FindFile(folder, name);
        if (entry && !force &&
            RouteToComputer(KindOf(folder), name, s.link.Flags.MelConvertion) ==
                FetchRoute::Plain) {
            const std::string to = written.PathOf(ComputerName(name));
            if (!written.Has(to) && Exists(to)) {
                LocalExists(to);
                result = kExitLocalFile;
                continue;
            }
        }
        names.push_back(name);
    }
    return names;
}

// Into a folder by the folder rules, which name the local files: they are fetched into a
// private folder beside the target first, and only then moved to names not taken (or
// --force). Returns 0, or the exit code of a failure that ends the command; a file refused
// on the computer's side sets `result` and the others go on.
int GetByRules(Session& s, const FolderFiles& group, const std::string& local, LocalNames& written,
               bool force, int& result) {
    Tree4* folder = group.folder;
    // The folder is made and listed in one step: a stop signal that ends the program at
    // once takes it with it, and one during its making is only noted and heard here.
    // (The guard outlives the folder: it is known until it is gone.)
    std::optional<StrayGuard> strayStage;
    std::optional<QTemporaryDir> made;
    {
        const WriteGuard making;
        if (MakeStrayPath([&] {
                made.emplace(QDir(QString::fromStdString(local)).filePath(".q7k3fm-get-XXXXXX"));
                return made->isValid() ? made->path().toStdString() : std::string();
            }))
            strayStage.emplace(made->path().toStdString());
    }
    QTemporaryDir& stage = *made;
    if (Interrupted()) return kExitInterrupted;
    if (!stage.isValid())
        return Fail(
            Msg(kMsgCannotWriteFolder) + Printable(local) + ": " + FolderProblem(local, errno),
            kExitLocalFile);
    const std::vector<std::string> names = NamesToFetch(s, group, written, force, result);
    if (names.empty()) return 0;
    // Until the copy ends, what it fetched waits in the private folder: an interrupt saves
    // none of them.
    std::string pending;
    for (const std::string& name : names)
        pending += (pending.empty() ? PhonePathText(folder) + "\\" : ", ") + name;
    std::optional<ReadGuard> reading(std::in_place, pending);
    CopyToComputer copy(*s.fs, folder, stage.path().toStdString());
    const Status done = copy.Run(names);
    reading.reset();
    for (size_t i = 0; i < copy.Written().size(); ++i) {
        const QString from = QString::fromStdString(copy.Written()[i]);
        const CopyToComputer::Origin& origin = copy.Origins()[i];
        const QString to = QString::fromStdString(written.Target(
            origin.RuleName, Printable(PhonePathText(folder) + "\\" + origin.PhoneName)));
        if (!force && QFileInfo::exists(to)) {
            LocalExists(to.toStdString());
            result = kExitLocalFile;
            continue;
        }
        // Over the old file in one step (it stays whole until then), and never while a stop
        // signal's clean-up takes the private folder away.
        if (!RenameStrayPath(from.toStdString(), to.toStdString())) {
            Fail(Msg(kMsgCannotOpenFile) + Printable(to.toStdString()) + ": " +
                     LocalProblem(to.toStdString(), LocalAccess::Write, errno),
                 kExitLocalFile);
            result = kExitLocalFile;
            continue;
        }
        written.Wrote(to.toStdString());
        TellSavedAs(folder, origin.PhoneName, to.toStdString());
    }
    if (!done) {
        // A file that could not be written is named where it was to go, not in the private
        // folder it was fetched into.
        Failure failure = done.error();
        const std::string staged = stage.path().toStdString() + "/";
        if (failure.Text.rfind(staged, 0) == 0)
            failure.Text.replace(0, staged.size(), local.ends_with('/') ? local : local + "/");
        return s.PhoneError(failure);
    }
    if (copy.End() != CommandEnd::Finished) return kExitPhoneFailed;
    return 0;
}

int RunGet(const ParsedArgs& a) {
    Session s;
    if (const int rc = s.TakeOptions(a)) return rc;
    const bool raw = a.Has("--raw");
    const bool force = a.Has("--force");
    std::vector<std::string> paths = a.positional;
    const std::string local = paths.back();
    paths.pop_back();
    const bool toStdout = local == "-";
    const bool toFolder = !toStdout && QFileInfo(QString::fromStdString(local)).isDir();
    if (!toFolder && paths.size() > 1)
        return UsageError("get", Msg(kMsgCliNotLocalFolder) + Quote(local));
    if (!toFolder && !toStdout && !force && Exists(local)) return LocalExists(local);
    if (const int rc = s.Open()) return rc;
    std::vector<FolderFiles> groups;
    if (!GroupByFolder(s, paths, groups)) return kExitPhoneFailed;
    int result = 0;
    LocalNames written(local);
    for (FolderFiles& group : groups) {
        if (const int rc = ListAndCheck(s, group)) return rc;
        const bool plain = raw || RouteToComputer(KindOf(group.folder), group.names.front(),
                                                  s.link.Flags.MelConvertion) == FetchRoute::Plain;
        int rc = 0;
        if (!toFolder) {
            if (!plain) return UsageError("get", Msg(kMsgCliConverted));
            rc = GetOneFile(s, group, local, toStdout);
        } else if (raw) {
            rc = GetRaw(s, group, written, force, result);
        } else {
            rc = GetByRules(s, group, local, written, force, result);
        }
        if (rc != 0) return rc;
    }
    if (result) return result;
    return s.prompts.shown ? kExitPhoneFailed : 0;
}

// A phone name the paths of this program can name again: no backslash, no control byte,
// not starting with a slash.
bool Addressable(const std::string& name) {
    if (name.empty() || name.front() == '/' || name.front() == ' ') return false;
    return std::none_of(name.begin(), name.end(), [](char ch) {
        const auto c = static_cast<unsigned char>(ch);
        return c == '\\' || c < 0x20 || c == 0x7F;
    });
}

// With -v: the phone's name for a local file just written.
void TellPhoneName(const std::string& local, const Tree4* folder, const std::string& name) {
    if (CurrentVerbosity() != Verbosity::Verbose) return;
    EndProgressLine();
    std::fprintf(stderr, "q7k3fm-cli: %s%s%s\n", Printable(local).c_str(),
                 Msg(kMsgPhoneNameUsed).c_str(),
                 Printable(PhonePathText(folder) + "\\" + name).c_str());
}

int RunPut(const ParsedArgs& a) {
    Session s;
    if (const int rc = s.TakeOptions(a)) return rc;
    const bool raw = a.Has("--raw");
    const bool overwrite = a.Has("--overwrite") || a.Has("--force");
    std::vector<std::string> args = a.positional;
    const std::string folderPath = args.back();
    args.pop_back();
    // Standard input: kept in the private folder (which goes with the program however it
    // ends) under the name --name gives, streamed and bounded by what a phone takes.
    for (std::string& path : args) {
        if (path != "-") continue;
        const std::string name = a.Value("--name");
        if (name.empty()) return UsageError("put", Msg(kMsgCliOptionNeedsValue) + "--name (put -)");
        if (name.find('/') != std::string::npos || name == "." || name == "..")
            return UsageError("put", Msg(kMsgCliUnaddressableName) + Quote(name));
        const std::string dir = commands::FreshWorkDir("stdin");
        if (dir.empty()) return Fail(Msg(kMsgStdinUnsaved) + PrivateTempDir(), kExitLocalFile);
        path = dir + "/" + name;
        if (const int rc = SaveStandardInput(path, kMaxPhoneFileSize)) return rc;
    }
    for (const std::string& path : args) {
        const QFileInfo info(QString::fromStdString(path));
        if (!info.exists()) return Fail(Msg(kMsgCliNoLocalFile) + Printable(path), kExitLocalFile);
        // A folder, a pipe or a device: said as such.
        if (!info.isFile() || !info.isReadable())
            return Fail(Msg(kMsgCannotOpenFile) + Printable(path) + ": " +
                            LocalProblem(path, LocalAccess::Read),
                        kExitLocalFile);
        const std::string name = info.fileName().toStdString();
        if (!Addressable(name))
            return Fail(Msg(kMsgCliUnaddressableName) + Quote(name), kExitUsage);
    }
    if (const int rc = s.Open()) return rc;
    Tree4* folder = s.Folder(folderPath);
    if (!folder || !RealFolder(folder)) return kExitPhoneFailed;
    // The listing makes the folder current and shows which names are taken.
    if (Status done = s.fs->ListFolder(folder, true); !done) return s.PhoneError(done.error());
    WriteGuard writing;
    if (raw) {
        for (const std::string& path : args) {
            const std::string name =
                QFileInfo(QString::fromStdString(path)).fileName().toStdString();
            const bool replace = HasFile(folder, name);
            if (replace && !overwrite) return ConflictFailure(name);
            s.progress.SetFile(name);
            // A replaced file stays on the phone until the new one is there.
            if (Status done = commands::WriteToPhone(*s.fs, folder, path, name, replace); !done)
                return s.PhoneError(done.error(), path);
            TellPhoneName(path, folder, name);
            if (Interrupted()) return kExitInterrupted;
        }
        return 0;
    }
    CliConflict conflict(overwrite);
    CopyToPhone copy(*s.fs, folder, conflict);
    const Status done = copy.Run(args);
    // The folder rules may have cut the name, given a slot name or added "_suite".
    for (size_t i = 0; i < copy.Sent().size(); ++i)
        TellPhoneName(copy.Origins()[i], folder, copy.Sent()[i]);
    if (Interrupted()) return kExitInterrupted;
    if (!done) return s.PhoneError(done.error());
    if (copy.End() == CommandEnd::Cancelled) return ConflictFailure(conflict.refused);
    if (copy.End() != CommandEnd::Finished || s.prompts.shown) return kExitPhoneFailed;
    return 0;
}

int RunRm(const ParsedArgs& a) {
    Session s;
    if (const int rc = s.TakeOptions(a)) return rc;
    if (const int rc = s.Open()) return rc;
    std::vector<FolderFiles> groups;
    if (!GroupByFolder(s, a.positional, groups)) return kExitPhoneFailed;
    for (FolderFiles& group : groups) {
        if (const int rc = ListAndCheck(s, group)) return rc;
        DeleteFiles erase(*s.fs, group.folder);
        if (Status done = erase.Run(group.names); !done) return s.PhoneError(done.error());
    }
    return 0;
}

int RunRename(const ParsedArgs& a) {
    Session s;
    if (const int rc = s.TakeOptions(a)) return rc;
    const bool overwrite = a.Has("--overwrite") || a.Has("--force");
    const std::string& newName = a.positional[1];
    if (!Addressable(newName) || newName.find('/') != std::string::npos)
        return Fail(Msg(kMsgCliUnaddressableName) + Quote(newName), kExitUsage);
    if (const int rc = s.Open()) return rc;
    std::vector<FolderFiles> groups;
    if (!GroupByFolder(s, {a.positional[0]}, groups)) return kExitPhoneFailed;
    if (const int rc = ListAndCheck(s, groups.front())) return rc;
    CliRename name(newName);
    CliConflict conflict(overwrite);
    RenameFile rename(*s.fs, groups.front().folder, name, conflict);
    {
        // Between its erase and its write the file is only in the private folder: an
        // interrupt is noted and heard once the file has its name again, never at once.
        const WriteGuard writing;
        if (Status done = rename.Run(groups.front().names.front()); !done)
            return s.PhoneError(done.error());
    }
    if (Interrupted()) return kExitInterrupted;
    if (!conflict.refused.empty()) return ConflictFailure(newName);
    return rename.End() == CommandEnd::Stopped ? kExitPhoneFailed : 0;
}

// ---- the option tables ----------------------------------------------------------------

const std::vector<OptionSpec> kListOptions = TreeOptionSpecs({
    {"--porcelain", nullptr, QT_TRANSLATE_NOOP("Cli", "для программ: ВИД<tab>РАЗМЕР<tab>ДАТА<tab>ПУТЬ, запись на строку")},
    {"--null", nullptr, QT_TRANSLATE_NOOP("Cli", "как --porcelain, но путь без экранирования, запись кончается байтом NUL"),
     '0'},
    {"--json", nullptr, QT_TRANSLATE_NOOP("Cli", "массив JSON: path, type, size, date")},
});
const std::vector<OptionSpec> kGetOptions = TreeOptionSpecs({
    {"--raw", nullptr, QT_TRANSLATE_NOOP("Cli", "байты как есть, без правил папок")},
    {"--force", nullptr, QT_TRANSLATE_NOOP("Cli", "заменить существующий локальный файл")},
});
const std::vector<OptionSpec> kPutOptions = TreeOptionSpecs({
    {"--raw", nullptr, QT_TRANSLATE_NOOP("Cli", "байты как есть, без правил папок")},
    {"--overwrite", nullptr, QT_TRANSLATE_NOOP("Cli", "заменить файл с тем же именем на телефоне")},
    {"--force", nullptr, QT_TRANSLATE_NOOP("Cli", "то же, что --overwrite")},
    {"--name", QT_TRANSLATE_NOOP("Cli", "ИМЯ"), QT_TRANSLATE_NOOP("Cli", "имя файла на телефоне для - (стандартного ввода)")},
});
const std::vector<OptionSpec> kRmOptions = TreeOptionSpecs({});
const std::vector<OptionSpec> kRenameOptions = TreeOptionSpecs({
    {"--overwrite", nullptr, QT_TRANSLATE_NOOP("Cli", "заменить файл, уже носящий новое имя")},
    {"--force", nullptr, QT_TRANSLATE_NOOP("Cli", "то же, что --overwrite")},
});

// Shared by the commands that name phone paths; the help prints it after the summary.
constexpr const char* kPathHelp = QT_TRANSLATE_NOOP("Cli",
    "Пути телефона: папки через \\ или / (\"Sounds/My Sounds\", \"E700:\\User\"),\n"
    "регистр букв не важен, если подходит одно имя. Папка, в имени которой есть /\n"
    "(\"OnOff/Menu Images\"), пишется как есть: целое имя узнаётся раньше разделителя.");

const CommandSyntax kScanSpec{"scan", QT_TRANSLATE_NOOP("Cli", "scan [ПАРАМЕТРЫ]"),
    QT_TRANSLATE_NOOP("Cli",
        "Обходит все папки телефона и печатает их файлы, в конце — свободное место\n"
        "(в --porcelain/--json — запись вида free)."),
    kListOptions, 0, 0};
const CommandSyntax kLsSpec{"ls", QT_TRANSLATE_NOOP("Cli", "ls [ПАРАМЕТРЫ] [ПАПКА]"),
    QT_TRANSLATE_NOOP("Cli",
        "Печатает подпапки и файлы одной папки телефона (без ПАПКИ — корень)."),
    kListOptions, 0, 1, kPathHelp};
const CommandSyntax kGetSpec{"get",
    QT_TRANSLATE_NOOP("Cli", "get [ПАРАМЕТРЫ] ПАПКА\\ФАЙЛ... ЛОКАЛЬНЫЙ|-"),
    QT_TRANSLATE_NOOP("Cli",
        "Копирует файлы телефона на компьютер по правилам папок. ЛОКАЛЬНЫЙ — папка,\n"
        "или путь файла для одного файла, или - (стандартный вывод). Существующий\n"
        "локальный файл не заменяется без --force."),
    kGetOptions, 2, -1, kPathHelp};
const CommandSyntax kPutSpec{"put",
    QT_TRANSLATE_NOOP("Cli", "put [ПАРАМЕТРЫ] ЛОКАЛЬНЫЙ|-... ПАПКА"),
    QT_TRANSLATE_NOOP("Cli",
        "Копирует локальные файлы в папку телефона по правилам папок; - читает\n"
        "стандартный ввод (имя даёт --name). Ctrl+C во время записи доводит обмен\n"
        "до конца так, что телефон отвергает недописанный файл."),
    kPutOptions, 2, -1, kPathHelp};
const CommandSyntax kRmSpec{"rm", QT_TRANSLATE_NOOP("Cli", "rm [ПАРАМЕТРЫ] ПАПКА\\ФАЙЛ..."),
    QT_TRANSLATE_NOOP("Cli", "Удаляет файлы телефона."), kRmOptions, 1, -1, kPathHelp};
const CommandSyntax kRenameSpec{"rename",
    QT_TRANSLATE_NOOP("Cli", "rename [ПАРАМЕТРЫ] ПАПКА\\ФАЙЛ НОВОЕ_ИМЯ"),
    QT_TRANSLATE_NOOP("Cli", "Переименовывает файл телефона."), kRenameOptions, 2, 2, kPathHelp};

const CliCommand kScan{kScanSpec, Entry<kScanSpec, RunScan>};
const CliCommand kLs{kLsSpec, Entry<kLsSpec, RunLs>};
const CliCommand kGet{kGetSpec, Entry<kGetSpec, RunGet>};
const CliCommand kPut{kPutSpec, Entry<kPutSpec, RunPut>};
const CliCommand kRm{kRmSpec, Entry<kRmSpec, RunRm>};
const CliCommand kRename{kRenameSpec, Entry<kRenameSpec, RunRename>};

}  // namespace
}  // namespace q7k3::cli
