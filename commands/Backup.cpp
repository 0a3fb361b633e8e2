#include "commands/Backup.h"

#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <map>
#include <set>

#include "commands/Unfinished.h"
#include "base/Messages.h"
#include "base/OutputFile.h"
#include "base/Text.h"

namespace q7k3 {
namespace {

// The manifest is rewritten at least this often while files arrive, so a backup killed
// outright loses no more than this much of its record.
constexpr qint64 kManifestEveryMs = 2000;

std::string Join(const std::string& dir, const std::string& relative) {
    return QDir(QString::fromStdString(dir))
        .filePath(QString::fromStdString(relative))
        .toStdString();
}

// The folders that can hold files, in the scan's order.
std::vector<Tree4*> RealFolders(Tree4* root) {
    std::vector<Tree4*> out;
    for (Tree4* node : CollectFolderTable(root)) {
        if (!node->IsMarker() && !node->IsVirtual()) out.push_back(node);
    }
    return out;
}

Tree4* FolderById(Tree4* root, std::string_view id) {
    for (Tree4* node : RealFolders(root)) {
        if (node->Id == id) return node;
    }
    return nullptr;
}

// The folder of a record in the current tree: by its path line, whatever the model
// prefix (a backup may go to another phone of the family), else by identifier.
Tree4* FolderOf(Tree4* root, const BackupRecord& r) {
    std::string_view path = r.FolderPath;
    const size_t colon = path.find(':');
    if (colon != std::string_view::npos && colon < path.find('\\')) path.remove_prefix(colon + 1);
    Tree4* byPath = FindFolderByPath(root, path);
    if (byPath && !byPath->IsVirtual()) return byPath;
    return FolderById(root, r.FolderId);
}

// A path line without its model prefix, folded for comparison.
QString FoldedPath(std::string_view path) {
    QString text = QString::fromUtf8(path.data(), static_cast<qsizetype>(path.size()));
    const qsizetype colon = text.indexOf(':');
    if (colon >= 0 && (text.indexOf('\\') < 0 || colon < text.indexOf('\\')))
        text = text.mid(colon + 1);
    while (text.startsWith('\\')) text.remove(0, 1);
    while (text.endsWith('\\')) text.chop(1);
    return text.toCaseFolded();
}

std::string KbText(int64_t bytes) {
    return std::to_string((bytes + 1023) / 1024);
}

// The part files killed copies left in the backup folder and the folders below it.
std::vector<std::string> LeftoverParts(const std::string& top) {
    QStringList dirs{QString::fromStdString(top)};
    for (QDirIterator it(dirs.front(), QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden,
                         QDirIterator::Subdirectories);
         it.hasNext();)
        dirs.push_back(it.next());
    std::vector<std::string> parts;
    for (const QString& dir : dirs)
        for (std::string& part : OutputFile::StaleParts(dir.toStdString()))
            parts.push_back(std::move(part));
    return parts;
}

void SetBlocks(ProgressView& progress, int64_t size) {
    progress.SetPosition(1, 0);
    progress.SetMax(1, static_cast<int>(size / 512 + (size % 512 ? 1 : 0)));
}

}  // namespace

// ---- Backup ----

Backup::Backup(PhoneFs& fs, std::string dir) : m_fs(fs), m_dir(std::move(dir)) {}

Status Backup::Run() {
    m_end = CommandEnd::Failed;
    m_fetched = m_kept = m_missed = 0;
    m_bytes = 0;
    m_unreadable.clear();
    m_pending.clear();
    if (Status begun = Begin(); !begun) return begun;
    const std::vector<Tree4*> folders = RealFolders(m_fs.PhoneRoot());
    if (Status listed = ListUnlisted(folders); !listed) return listed;
    if (m_end == CommandEnd::Aborted) return {};
    LocalNames names;
    for (const BackupRecord& r : m_manifest.Records) names.Take(r.LocalName);
    std::map<const Tree4*, std::string> folderDirs = FolderDirs(folders, names);
    const std::vector<Item> plan = Plan(folders, folderDirs, names);
    if (Status fetched = FetchAll(plan); !fetched) return fetched;
    m_manifest = Settled();
    if (Status saved = SaveManifest(); !saved) return saved;
    if (m_end != CommandEnd::Aborted) m_end = CommandEnd::Finished;
    m_fs.Progress().SetLongStatus(Msg(kMsgBackupSummary) + std::to_string(m_fetched) + ", " +
                                  KbText(m_bytes) + Msg(kMsgKilobytes));
    return {};
}

Status Backup::Begin() {
    if (!m_fs.PhoneRoot())
        return Fail(kErrText, Msg(kMsgNoPhoneFolder) + m_fs.ModelCodeText() + ":");
    if (!QDir().mkpath(QString::fromStdString(m_dir))) return Fail(commands::FolderFailure(m_dir));
    std::string bad;
    if (!m_manifest.Load(m_dir, bad)) return Fail(kErrLocalData, Msg(kMsgBadManifest) + bad);
    m_fs.Progress().SetCaption(Msg(kMsgBackupCaption));
    // A backup killed before left its unfinished copies: they go now.
    for (const std::string& part : LeftoverParts(m_dir)) QFile::remove(QString::fromStdString(part));
    return {};
}

Status Backup::ListUnlisted(const std::vector<Tree4*>& folders) {
    AppFlags& flags = m_fs.Flags();
    for (Tree4* folder : folders) {
        if (folder->Listed) continue;
        if (flags.AbortRequested) {
            m_end = CommandEnd::Aborted;
            return {};
        }
        m_fs.Progress().SetLongStatus(Msg(kMsgListingFolder) + PhonePathText(folder));
        if (Status listed = m_fs.ListFolder(folder, flags.HiddenFiles); !listed) return listed;
        folder->Listed = true;
    }
    return {};
}

void Backup::LocalNames::Take(const std::string& relative) {
    const size_t slash = relative.rfind('/');
    const std::string dir = slash == std::string::npos ? std::string() : relative.substr(0, slash);
    const std::string name = slash == std::string::npos ? relative : relative.substr(slash + 1);
    m_used[dir].insert(QString::fromStdString(name).toCaseFolded());
}

std::string Backup::LocalNames::Fresh(const std::string& dir, const std::string& safe) {
    std::set<QString>& names = m_used[dir];
    std::string name = safe;
    const size_t dot = safe.rfind('.');
    const std::string stem = dot == std::string::npos || dot == 0 ? safe : safe.substr(0, dot);
    const std::string ext = stem.size() == safe.size() ? std::string() : safe.substr(dot);
    for (int n = 2; names.count(QString::fromStdString(name).toCaseFolded()); ++n)
        name = stem + "~" + std::to_string(n) + ext;
    names.insert(QString::fromStdString(name).toCaseFolded());
    return dir.empty() ? name : dir + "/" + name;
}

std::map<const Tree4*, std::string> Backup::FolderDirs(const std::vector<Tree4*>& folders,
                                                       LocalNames& names) {
    std::map<const Tree4*, std::string> folderDirs;
    // Parents come after their children in the scan's order: the path decides.
    for (Tree4* folder : folders) {
        std::vector<const Tree4*> chain;
        for (const Tree4* p = folder; p; p = p->Parent) chain.insert(chain.begin(), p);
        std::string dir;
        for (const Tree4* p : chain) {
            auto known = folderDirs.find(p);
            if (known == folderDirs.end()) {
                const std::string rel = names.Fresh(dir, SafeLocalName(p->Name));
                known = folderDirs.emplace(p, rel).first;
            }
            dir = known->second;
        }
    }
    return folderDirs;
}

std::vector<Backup::Item> Backup::Plan(const std::vector<Tree4*>& folders,
                                       std::map<const Tree4*, std::string>& folderDirs,
                                       LocalNames& names) {
    std::vector<Item> plan;
    for (BackupRecord& r : m_manifest.Records) r.OnPhone = false;
    std::set<std::pair<std::string, std::string>> seen;
    for (Tree4* folder : folders) {
        for (const FileEntry& entry : folder->Files) {
            // Two nodes of one identifier list the same files.
            if (!seen.insert({folder->Id, entry.Name}).second) continue;
            // The temporary file of a replacement cut short holds the new data until the
            // next connection of its phone finishes it: not saved, and said so. A user's file
            // that only looks like one is saved like any other.
            if (commands::IsTemporaryPhoneName(entry.Name) &&
                commands::RecordedTemporary(m_fs.ModelCodeText(), folder->Id, entry.Name)) {
                m_pending.push_back(PhonePathText(folder) + "\\" + entry.Name);
                continue;
            }
            BackupRecord* r = m_manifest.Find(folder->Id, entry.Name);
            if (!r) {
                BackupRecord added;
                added.FolderId = folder->Id;
                added.Name = entry.Name;
                added.LocalName = names.Fresh(folderDirs[folder], SafeLocalName(entry.Name));
                m_manifest.Records.push_back(std::move(added));
                r = &m_manifest.Records.back();
                r->Size = -1;  // nothing saved yet
            }
            r->OnPhone = true;
            r->FolderPath = PhonePathText(folder);
            const QFileInfo copy(QString::fromStdString(Join(m_dir, r->LocalName)));
            if (r->Size == entry.Size && r->Date == entry.Date && copy.isFile() &&
                copy.size() == entry.Size) {
                ++m_kept;
                continue;
            }
            plan.push_back({folder, entry, static_cast<size_t>(r - m_manifest.Records.data())});
        }
    }
    return plan;
}

BackupManifest Backup::Settled() const {
    BackupManifest out;
    out.PimLines = m_manifest.PimLines;
    for (const BackupRecord& r : m_manifest.Records) {
        if (r.Size >= 0) out.Records.push_back(r);
    }
    return out;
}

Status Backup::SaveManifest() const {
    if (Settled().Save(m_dir)) return {};
    const std::string manifest = Join(m_dir, BackupManifest::kFileName);
    if (QFileInfo(QString::fromStdString(manifest)).isSymLink()) {
        return Fail(commands::LinkFailure(manifest));
    }
    return Fail(commands::LocalFailure(manifest));
}

Status Backup::SavedThen(const Failure& failure) const {
    if (Status saved = SaveManifest(); !saved) return saved;
    return Fail(failure);
}

Status Backup::FetchAll(const std::vector<Item>& plan) {
    ProgressView& progress = m_fs.Progress();
    int64_t total = 0;
    for (const Item& item : plan) total += item.entry.Size;
    const int count = static_cast<int>(plan.size());
    progress.SetMax(2, count);
    progress.SetPosition(2, 0);
    progress.SetLongStatus(Msg(kMsgCopyingFirst) + std::to_string(count));
    m_meter.Start(total);
    QElapsedTimer sinceSave;
    sinceSave.start();
    const Tree4* current = nullptr;
    for (const Item& item : plan) {
        if (m_fs.Flags().AbortRequested) {
            m_end = CommandEnd::Aborted;
            break;
        }
        if (item.folder != current) {
            Status changed = m_fs.ChangeFolder(item.folder->Id);
            if (!changed) return SavedThen(changed.error());
            current = item.folder;
        }
        const Expected<bool> copied = FetchOne(item);
        if (!copied) return Fail(copied.error());
        if (!*copied) {
            progress.Step(2);
            continue;
        }
        if (sinceSave.elapsed() >= kManifestEveryMs) {
            if (Status saved = SaveManifest(); !saved) return saved;
            sinceSave.restart();
        }
    }
    return {};
}

Expected<bool> Backup::FetchOne(const Item& item) {
    ProgressView& progress = m_fs.Progress();
    BackupRecord& r = m_manifest.Records[item.record];
    const std::string path = Join(m_dir, r.LocalName);
    // Nothing is written through a link planted in the folder (a subfolder, a copy).
    if (const std::string escape = commands::EscapeOnTheWay(m_dir, r.LocalName); !escape.empty()) {
        (void)SaveManifest();
        return Fail(commands::LinkFailure(escape));
    }
    const QString parent = QFileInfo(QString::fromStdString(path)).path();
    if (!QDir().mkpath(parent)) {
        const Failure why = commands::FolderFailure(parent.toStdString());
        (void)SaveManifest();
        return Fail(why);
    }
    SetBlocks(progress, item.entry.Size);
    progress.SetQuickStatus(Msg(kMsgCopyingFile) + item.entry.Name);
    progress.SetLongStatus(m_meter.Line(progress));
    // The copy takes its place only when complete: a failed read keeps the old one,
    // which the manifest still describes.
    if (Status read = m_fs.ReadPhoneFile(path, item.entry.Name, item.entry.Date, item.entry.Size);
        !read) {
        const int reason = read.error().Reason;
        // A file erased since the listing costs only itself, as does one whose name
        // the phone cannot be asked for.
        if (reason == kErrPhoneNotFound || reason == kErrBadName) {
            // The listing cuts a name at 64 characters, and the phone then finds no file
            // of the cut name: that file is still there, only out of reach.
            if (reason == kErrBadName || Utf8Length(item.entry.Name) >= kFileNameChars) {
                m_unreadable.push_back(PhonePathText(item.folder) + "\\" + item.entry.Name);
            } else {
                r.OnPhone = false;
                ++m_missed;
            }
            return false;
        }
        // "Прервать" ends the read under way; the manifest keeps what came before. A
        // manifest that cannot be written is the failure reported, else the read's.
        if (reason == kErrAborted) m_end = CommandEnd::Aborted;
        Status saved = SavedThen(read.error());
        return Fail(saved.error());
    }
    uint32_t crc = 0;
    if (!LocalFileCrc(path, crc)) {
        const Failure why = commands::LocalFailure(path, false);
        (void)SaveManifest();
        return Fail(why);
    }
    r.Size = item.entry.Size;
    r.Date = item.entry.Date;
    r.Crc = crc;
    ++m_fetched;
    m_bytes += item.entry.Size;
    m_meter.Add(item.entry.Size);
    return true;
}

std::string Backup::UnreadableReport() const {
    std::string text;
    if (!m_unreadable.empty()) text = Msg(kMsgNotReadableOnPhone) + JoinText(m_unreadable, ", ");
    if (!m_pending.empty())
        text += (text.empty() ? "" : ". ") + Msg(kMsgTemporaryNotSaved) + JoinText(m_pending, ", ");
    return text;
}

// ---- Restore ----

Restore::Restore(PhoneFs& fs, std::string dir, ConflictQuestion& conflict)
    : m_fs(fs), m_dir(std::move(dir)), m_conflict(conflict) {}

Status Restore::Load() {
    if (!BackupManifest::Exists(m_dir)) return Fail(kErrLocalData, Msg(kMsgNoBackup) + m_dir);
    std::string bad;
    if (!m_manifest.Load(m_dir, bad)) return Fail(kErrLocalData, Msg(kMsgBadManifest) + bad);
    return {};
}

namespace {

// The folder `path` (folded) is `folder` or lies below it. Either may be written with
// slashes ("Images/My Photos"); a folder whose own name holds one ("OnOff/Menu Images")
// still matches its path line as it is.
bool UnderFolder(const QString& path, const QString& folder) {
    const auto under = [](const QString& p, const QString& f) {
        return f.isEmpty() || p == f || p.startsWith(f + '\\');
    };
    const auto slashed = [](QString p) {
        p.replace('/', '\\');
        while (p.startsWith('\\')) p.remove(0, 1);
        while (p.endsWith('\\')) p.chop(1);
        return p;
    };
    return under(path, folder) || under(slashed(path), slashed(folder));
}

}  // namespace

std::vector<size_t> Restore::Select(std::string_view folderPath, std::string_view pattern) const {
    const QString folder = FoldedPath(folderPath);
    QRegularExpression match;
    if (!pattern.empty()) {
        match = QRegularExpression(
            QRegularExpression::wildcardToRegularExpression(
                QString::fromUtf8(pattern.data(), static_cast<qsizetype>(pattern.size())),
                QRegularExpression::UnanchoredWildcardConversion),
            QRegularExpression::CaseInsensitiveOption);
        match.setPattern("\\A(?:" + match.pattern() + ")\\z");
    }
    std::vector<size_t> out;
    for (size_t i = 0; i < m_manifest.Records.size(); ++i) {
        const BackupRecord& r = m_manifest.Records[i];
        if (!folderPath.empty()) {
            if (!UnderFolder(FoldedPath(r.FolderPath), folder)) continue;
        }
        if (!pattern.empty() && !match.match(QString::fromStdString(r.Name)).hasMatch()) continue;
        out.push_back(i);
    }
    return out;
}

std::vector<bool> Restore::MissingOnPhone() const {
    std::vector<bool> missing(m_manifest.Records.size(), false);
    Tree4* root = m_fs.PhoneRoot();
    if (!root) return missing;
    for (size_t i = 0; i < missing.size(); ++i) {
        const BackupRecord& r = m_manifest.Records[i];
        const Tree4* folder = FolderOf(root, r);
        missing[i] = folder && folder->Listed && !HasFile(folder, r.Name);
    }
    return missing;
}

void Restore::LeaveRest(const std::vector<size_t>& chosen, size_t from, const std::string& reason) {
    for (size_t k = from; k < chosen.size(); ++k) {
        m_left.push_back({chosen[k], k == from ? reason : std::string()});
    }
}

Status Restore::Run(const std::vector<size_t>& chosen) {
    ProgressView& progress = m_fs.Progress();
    m_end = CommandEnd::Finished;
    m_restored.clear();
    m_skipped.clear();
    m_left.clear();
    Tree4* root = m_fs.PhoneRoot();
    if (!root) {
        m_end = CommandEnd::Failed;
        LeaveRest(chosen, 0, {});
        return Fail(kErrText, Msg(kMsgNoPhoneFolder) + m_fs.ModelCodeText() + ":");
    }
    int64_t total = 0;
    for (const size_t i : chosen) total += m_manifest.Records.at(i).Size;
    const int count = static_cast<int>(chosen.size());
    progress.SetCaption(Msg(kMsgRestoreCaption));
    progress.SetMax(2, count);
    progress.SetPosition(2, 0);
    progress.SetLongStatus(Msg(kMsgCopyingFirst) + std::to_string(count));
    m_meter.Start(total);
    m_answers = {};
    m_listed.clear();
    m_current = nullptr;
    for (size_t k = 0; k < chosen.size(); ++k) {
        if (m_fs.Flags().AbortRequested) {
            m_end = CommandEnd::Aborted;
            LeaveRest(chosen, k, {});
            break;
        }
        const Expected<Step> step = RestoreOne(chosen, k, root);
        if (!step) return Fail(step.error());
        if (*step == Step::End) return {};
    }
    return {};
}

Expected<Restore::Step> Restore::RestoreOne(const std::vector<size_t>& chosen, size_t k,
                                            Tree4* root) {
    ProgressView& progress = m_fs.Progress();
    const BackupRecord& r = m_manifest.Records.at(chosen[k]);
    // A record left out costs only itself, with its reason.
    const auto leftOut = [&](std::string reason) {
        m_left.push_back({chosen[k], std::move(reason)});
        progress.Step(2);
        return Step::Next;
    };
    Tree4* folder = FolderOf(root, r);
    if (!folder) return leftOut(Msg(kMsgNoPhoneFolder) + r.FolderPath);
    // A manifest may name anything: what a copy to the phone refuses is refused here.
    if (std::string problem = commands::PhoneNameProblem(r.Name); !problem.empty()) {
        return leftOut(std::move(problem));
    }
    if (Status entered = EnterFolder(folder); !entered) {
        m_end = CommandEnd::Failed;
        LeaveRest(chosen, k, {});
        return Fail(entered.error());
    }
    const std::string path = Join(m_dir, r.LocalName);
    if (std::string problem = CopyProblem(r, path); !problem.empty()) {
        return leftOut(std::move(problem));
    }
    // The phone takes the copy's modification time as the file's date.
    if (QFileInfo(QString::fromStdString(path)).lastModified() != r.Date) {
        QFile f(QString::fromStdString(path));
        if (f.open(QIODevice::ReadWrite)) f.setFileTime(r.Date, QFileDevice::FileModificationTime);
    }
    return WriteBack(chosen, k, folder, path);
}

Status Restore::EnterFolder(Tree4* folder) {
    if (folder == m_current) return {};
    // A fresh listing tells which names are taken; it also makes the folder current.
    if (!m_listed.count(folder)) {
        if (Status listed = m_fs.ListFolder(folder, true); !listed) return listed;
        folder->Listed = true;
        m_listed.insert(folder);
    } else if (Status changed = m_fs.ChangeFolder(folder->Id); !changed) {
        return changed;
    }
    m_current = folder;
    return {};
}

std::string Restore::CopyProblem(const BackupRecord& r, const std::string& path) const {
    // Only a copy that is still what was saved goes back, and only from inside the
    // folder: a link planted there is not followed.
    if (const std::string escape = commands::EscapeOnTheWay(m_dir, r.LocalName); !escape.empty())
        return Msg(kMsgLinkRefused) + escape;
    uint32_t crc = 0;
    if (QFileInfo(QString::fromStdString(path)).size() != r.Size || !LocalFileCrc(path, crc) ||
        crc != r.Crc)
        return Msg(kMsgBackupDamaged) + path;
    return {};
}

Expected<Restore::Step> Restore::WriteBack(const std::vector<size_t>& chosen, size_t k,
                                           Tree4* folder, const std::string& path) {
    ProgressView& progress = m_fs.Progress();
    const BackupRecord& r = m_manifest.Records.at(chosen[k]);
    std::string name = r.Name;
    bool replace = false;
    switch (commands::ResolveConflict(m_fs, folder, m_conflict, m_answers, name, replace, path)) {
        case commands::ConflictEnd::Go:
            break;
        case commands::ConflictEnd::Skip:
            // The phone's file stays; the list says so.
            m_skipped.push_back(chosen[k]);
            progress.Step(2);
            return Step::Next;
        case commands::ConflictEnd::Cancel:
            m_end = CommandEnd::Cancelled;
            LeaveRest(chosen, k, {});
            return Step::End;
    }
    SetBlocks(progress, r.Size);
    progress.SetQuickStatus(Msg(kMsgCopyingToPhone) + name);
    progress.SetLongStatus(m_meter.Line(progress));
    if (Status written = commands::WriteToPhone(m_fs, folder, path, name, replace); !written) {
        if (written.error().Reason == kErrPhoneMemoryFull) {
            // Nothing more fits: the rest is left out, and the user is told which.
            m_end = CommandEnd::Stopped;
            LeaveRest(chosen, k, Msg(kMsgMemoryFull));
            return Fail(kErrText, Msg(kMsgRestoreMemoryFull) + std::to_string(m_restored.size()) +
                                      Msg(kMsgOf) + std::to_string(chosen.size()) + ". " +
                                      Report());
        }
        m_end = CommandEnd::Failed;
        LeaveRest(chosen, k, {});
        return Fail(written.error());
    }
    m_restored.push_back(chosen[k]);
    m_meter.Add(r.Size);
    return Step::Next;
}

std::string Restore::Report() const {
    const auto list = [&](const std::vector<size_t>& which) {
        std::string text;
        for (const size_t i : which) {
            const BackupRecord& r = m_manifest.Records.at(i);
            text += (text.empty() ? "" : ", ") + r.FolderPath + "\\" + r.Name;
        }
        return text;
    };
    std::vector<size_t> left;
    for (const Left& l : m_left) left.push_back(l.Record);
    // An empty list is not shown ("Восстановлены: ." said nothing).
    std::string text;
    if (!m_restored.empty() || (left.empty() && m_skipped.empty()))
        text = Msg(kMsgRestored) + list(m_restored);
    if (!m_skipped.empty())
        text += (text.empty() ? "" : ". ") + Msg(kMsgSkippedExisting) + list(m_skipped);
    if (!left.empty()) text += (text.empty() ? "" : ". ") + Msg(kMsgNotRestored) + list(left);
    return text;
}

// ---- Verify ----

Verify::Verify(PhoneFs& fs, std::string dir) : m_fs(fs), m_dir(std::move(dir)) {}

std::string Verify::Finding::Text() const {
    int message = kMsgChangedOnPhone;
    switch (What) {
        case Kind::MissingOnPhone:
            message = kMsgMissingOnPhone;
            break;
        case Kind::ChangedOnPhone:
            message = kMsgChangedOnPhone;
            break;
        case Kind::NotInBackup:
            message = kMsgNotInBackup;
            break;
        case Kind::CrcDiffers:
            message = kMsgCrcDiffers;
            break;
        case Kind::BackupDamaged:
            message = kMsgBackupDamaged;
            break;
        case Kind::LeftoverPart:
            return Msg(kMsgLeftoverPart) + Name;
    }
    return Msg(message) + FolderPath + "\\" + Name;
}

Status Verify::Run(bool deep) {
    AppFlags& flags = m_fs.Flags();
    ProgressView& progress = m_fs.Progress();
    m_findings.clear();
    m_checked = 0;
    m_end = CommandEnd::Failed;
    if (!BackupManifest::Exists(m_dir)) return Fail(kErrLocalData, Msg(kMsgNoBackup) + m_dir);
    BackupManifest manifest;
    std::string bad;
    if (!manifest.Load(m_dir, bad)) return Fail(kErrLocalData, Msg(kMsgBadManifest) + bad);
    Tree4* root = m_fs.PhoneRoot();
    if (!root) return Fail(kErrText, Msg(kMsgNoPhoneFolder) + m_fs.ModelCodeText() + ":");
    progress.SetCaption(Msg(kMsgVerifyCaption));
    // What a killed copy left in the folder is no part of the backup; the next backup
    // removes it.
    for (std::string& part : LeftoverParts(m_dir))
        m_findings.push_back({Kind::LeftoverPart, {}, std::move(part)});
    const std::vector<Tree4*> folders = RealFolders(root);
    progress.SetMax(2, static_cast<int>(folders.size()));
    progress.SetPosition(2, 0);
    std::set<std::pair<std::string, std::string>> seen;
    for (Tree4* folder : folders) {
        // Stopped before every folder was compared: not a match, whatever was found.
        if (flags.AbortRequested) {
            m_end = CommandEnd::Aborted;
            return {};
        }
        progress.SetLongStatus(Msg(kMsgListingFolder) + PhonePathText(folder));
        if (Status listed = m_fs.ListFolder(folder, flags.HiddenFiles); !listed) return listed;
        folder->Listed = true;
        progress.Step(2);
        for (const FileEntry& f : folder->Files) {
            if (!seen.insert({folder->Id, f.Name}).second) continue;
            if (commands::IsTemporaryPhoneName(f.Name) &&
                commands::RecordedTemporary(m_fs.ModelCodeText(), folder->Id, f.Name))
                continue;
            if (!manifest.Find(folder->Id, f.Name))
                m_findings.push_back({Kind::NotInBackup, PhonePathText(folder), f.Name});
        }
    }
    std::vector<std::pair<const BackupRecord*, Tree4*>> fetch;
    for (const BackupRecord& r : manifest.Records) {
        if (!r.OnPhone) continue;
        ++m_checked;
        Tree4* folder = FolderOf(root, r);
        const FileEntry* entry = folder ? FindFile(folder, r.Name) : nullptr;
        if (!entry) {
            m_findings.push_back({Kind::MissingOnPhone, r.FolderPath, r.Name});
        } else if (entry->Size != r.Size || entry->Date != r.Date) {
            m_findings.push_back({Kind::ChangedOnPhone, r.FolderPath, r.Name});
        } else if (deep) {
            fetch.emplace_back(&r, folder);
        }
    }
    m_end = CommandEnd::Finished;
    if (!deep) return {};
    return CompareCopies(fetch);
}

Status Verify::CompareCopies(const std::vector<std::pair<const BackupRecord*, Tree4*>>& fetch) {
    ProgressView& progress = m_fs.Progress();
    // The copies must still be what was saved, and the phone's files too.
    const std::string work = commands::FreshWorkDir("verify");
    if (work.empty()) return Fail(commands::FolderFailure(work));
    int64_t total = 0;
    for (const auto& [r, folder] : fetch) total += r->Size;
    commands::ByteMeter meter;
    meter.Start(total);
    progress.SetMax(2, static_cast<int>(fetch.size()));
    progress.SetPosition(2, 0);
    const Tree4* current = nullptr;
    const std::string scratch = Join(work, "file");
    for (const auto& [r, folder] : fetch) {
        if (m_fs.Flags().AbortRequested) {
            m_end = CommandEnd::Aborted;
            break;
        }
        uint32_t crc = 0;
        if (!LocalFileCrc(Join(m_dir, r->LocalName), crc) || crc != r->Crc)
            m_findings.push_back({Kind::BackupDamaged, r->FolderPath, r->Name});
        if (folder != current) {
            if (Status changed = m_fs.ChangeFolder(folder->Id); !changed) return changed;
            current = folder;
        }
        SetBlocks(progress, r->Size);
        progress.SetQuickStatus(Msg(kMsgCopyingFile) + r->Name);
        progress.SetLongStatus(meter.Line(progress));
        if (Status read = m_fs.ReadPhoneFile(scratch, r->Name, r->Date, r->Size); !read) {
            if (read.error().Reason == kErrAborted) m_end = CommandEnd::Aborted;
            return read;
        }
        if (!LocalFileCrc(scratch, crc) || crc != r->Crc)
            m_findings.push_back({Kind::CrcDiffers, r->FolderPath, r->Name});
        meter.Add(r->Size);
    }
    QFile::remove(QString::fromStdString(scratch));
    return {};
}

}  // namespace q7k3
