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
#include "ui/Messages.h"
#include "ui/OutputFile.h"
#include "ui/Text.h"

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

bool Backup::Run() {
    AppFlags& flags = m_fs.Flags();
    ProgressView& progress = m_fs.Progress();
    AtChannel& ch = m_fs.Channel();
    m_end = CommandEnd::Failed;
    m_fetched = m_kept = m_missed = 0;
    m_bytes = 0;
    m_unreadable.clear();
    m_pending.clear();
    Tree4* root = m_fs.PhoneRoot();
    if (!root) {
        commands::FailText(ch, Msg(kMsgNoPhoneFolder) + m_fs.ModelCodeText() + ":");
        return false;
    }
    if (!QDir().mkpath(QString::fromStdString(m_dir))) {
        commands::FailFolder(ch, m_dir);
        return false;
    }
    std::string bad;
    if (!m_manifest.Load(m_dir, bad)) {
        commands::FailLocalData(ch, Msg(kMsgBadManifest) + bad);
        return false;
    }
    progress.SetCaption(Msg(kMsgBackupCaption));
    // A backup killed before left its unfinished copies: they go now.
    for (const std::string& part : LeftoverParts(m_dir)) QFile::remove(QString::fromStdString(part));

    // What the scan left unlisted is listed now.
    const std::vector<Tree4*> folders = RealFolders(root);
    for (Tree4* folder : folders) {
        if (folder->Listed) continue;
        if (flags.AbortRequested) {
            m_end = CommandEnd::Aborted;
            return true;
        }
        progress.SetLongStatus(Msg(kMsgListingFolder) + PhonePathText(folder));
        if (!m_fs.ListFolder(folder, flags.HiddenFiles)) return false;
        folder->Listed = true;
    }

    // The local names in use, per local folder and in any case: the copies of the
    // manifest, then the folders' own subfolders.
    std::map<std::string, std::set<QString>> used;
    const auto split = [](const std::string& rel) {
        const size_t slash = rel.rfind('/');
        return std::make_pair(slash == std::string::npos ? std::string() : rel.substr(0, slash),
                              slash == std::string::npos ? rel : rel.substr(slash + 1));
    };
    const auto take = [&](const std::string& rel) {
        const auto [dir, name] = split(rel);
        used[dir].insert(QString::fromStdString(name).toCaseFolded());
    };
    // A fresh name in `dir` for `safe`: "name", "name~2.ext", ...
    const auto fresh = [&](const std::string& dir, const std::string& safe) {
        std::set<QString>& names = used[dir];
        std::string name = safe;
        const size_t dot = safe.rfind('.');
        const std::string stem = dot == std::string::npos || dot == 0 ? safe : safe.substr(0, dot);
        const std::string ext = stem.size() == safe.size() ? std::string() : safe.substr(dot);
        for (int n = 2; names.count(QString::fromStdString(name).toCaseFolded()); ++n)
            name = stem + "~" + std::to_string(n) + ext;
        names.insert(QString::fromStdString(name).toCaseFolded());
        return dir.empty() ? name : dir + "/" + name;
    };
    for (const BackupRecord& r : m_manifest.Records) take(r.LocalName);
    std::map<const Tree4*, std::string> folderDirs;
    // Parents come after their children in the scan's order: the path decides.
    for (Tree4* folder : folders) {
        std::vector<const Tree4*> chain;
        for (const Tree4* p = folder; p; p = p->Parent) chain.insert(chain.begin(), p);
        std::string dir;
        for (const Tree4* p : chain) {
            auto known = folderDirs.find(p);
            if (known == folderDirs.end()) {
                const std::string rel = fresh(dir, SafeLocalName(p->Name));
                known = folderDirs.emplace(p, rel).first;
            }
            dir = known->second;
        }
    }

    // The plan: every file whose copy is missing or out of date.
    struct Item {
        Tree4* folder;
        FileEntry entry;
        size_t record;
    };
    std::vector<Item> plan;
    int64_t total = 0;
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
                added.LocalName = fresh(folderDirs[folder], SafeLocalName(entry.Name));
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
            total += entry.Size;
        }
    }
    // A file seen for the first time has no copy yet: it stays out of the manifest until
    // it has one (a size of -1 marks it).
    const auto settled = [&] {
        BackupManifest out;
        out.PimLines = m_manifest.PimLines;
        for (const BackupRecord& r : m_manifest.Records) {
            if (r.Size >= 0) out.Records.push_back(r);
        }
        return out;
    };

    const int count = static_cast<int>(plan.size());
    progress.SetMax(2, count);
    progress.SetPosition(2, 0);
    progress.SetLongStatus(Msg(kMsgCopyingFirst) + std::to_string(count));
    commands::ByteMeter meter;
    meter.Start(total);
    QElapsedTimer sinceSave;
    sinceSave.start();
    const Tree4* current = nullptr;
    const auto save = [&] {
        const BackupManifest out = settled();
        if (out.Save(m_dir)) return true;
        const std::string manifest = Join(m_dir, BackupManifest::kFileName);
        if (QFileInfo(QString::fromStdString(manifest)).isSymLink())
            commands::FailLink(ch, manifest);
        else
            commands::FailLocal(ch, manifest);
        return false;
    };
    for (const Item& item : plan) {
        if (flags.AbortRequested) {
            m_end = CommandEnd::Aborted;
            break;
        }
        BackupRecord& r = m_manifest.Records[item.record];
        if (item.folder != current) {
            if (!m_fs.ChangeFolder(item.folder->Id)) {
                save();
                return false;
            }
            current = item.folder;
        }
        const std::string path = Join(m_dir, r.LocalName);
        // Nothing is written through a link planted in the folder (a subfolder, a copy).
        if (const std::string escape = commands::EscapeOnTheWay(m_dir, r.LocalName);
            !escape.empty()) {
            save();
            commands::FailLink(ch, escape);
            return false;
        }
        const QString parent = QFileInfo(QString::fromStdString(path)).path();
        if (!QDir().mkpath(parent)) {
            save();
            commands::FailFolder(ch, parent.toStdString());
            return false;
        }
        SetBlocks(progress, item.entry.Size);
        progress.SetQuickStatus(Msg(kMsgCopyingFile) + item.entry.Name);
        progress.SetLongStatus(meter.Line(progress));
        // The copy takes its place only when complete: a failed read keeps the old one,
        // which the manifest still describes.
        if (!m_fs.ReadPhoneFile(path, item.entry.Name, item.entry.Date, item.entry.Size)) {
            // A file erased since the listing costs only itself, as does one whose name
            // the phone cannot be asked for.
            if (ch.LastError == kErrPhoneNotFound || ch.LastError == kErrBadName) {
                // The listing cuts a name at 64 characters, and the phone then finds no file
                // of the cut name: that file is still there, only out of reach.
                if (ch.LastError == kErrBadName || Utf8Length(item.entry.Name) >= kFileNameChars) {
                    m_unreadable.push_back(PhonePathText(item.folder) + "\\" + item.entry.Name);
                } else {
                    r.OnPhone = false;
                    ++m_missed;
                }
                progress.Step(2);
                continue;
            }
            // "Прервать" ends the read under way; the manifest keeps what came before. A
            // manifest that cannot be written is the failure reported, else the read's.
            const Failure failure = ch.LastFailure();
            if (failure.Reason == kErrAborted) m_end = CommandEnd::Aborted;
            if (!save()) return false;
            ch.Fail(failure);
            return false;
        }
        uint32_t crc = 0;
        if (!LocalFileCrc(path, crc)) {
            save();
            commands::FailLocal(ch, path, false);
            return false;
        }
        r.Size = item.entry.Size;
        r.Date = item.entry.Date;
        r.Crc = crc;
        ++m_fetched;
        m_bytes += item.entry.Size;
        meter.Add(item.entry.Size);
        if (sinceSave.elapsed() >= kManifestEveryMs) {
            if (!save()) return false;
            sinceSave.restart();
        }
    }
    m_manifest = settled();
    if (!save()) return false;
    if (m_end != CommandEnd::Aborted) m_end = CommandEnd::Finished;
    progress.SetLongStatus(Msg(kMsgBackupSummary) + std::to_string(m_fetched) + ", " +
                           KbText(m_bytes) + Msg(kMsgKilobytes));
    ch.LastError = 0;
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

bool Restore::Load() {
    AtChannel& ch = m_fs.Channel();
    if (!BackupManifest::Exists(m_dir)) {
        commands::FailLocalData(ch, Msg(kMsgNoBackup) + m_dir);
        return false;
    }
    std::string bad;
    if (!m_manifest.Load(m_dir, bad)) {
        commands::FailLocalData(ch, Msg(kMsgBadManifest) + bad);
        return false;
    }
    return true;
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

bool Restore::Run(const std::vector<size_t>& chosen) {
    AppFlags& flags = m_fs.Flags();
    ProgressView& progress = m_fs.Progress();
    AtChannel& ch = m_fs.Channel();
    m_end = CommandEnd::Finished;
    m_restored.clear();
    m_skipped.clear();
    m_left.clear();
    Tree4* root = m_fs.PhoneRoot();
    if (!root) {
        commands::FailText(ch, Msg(kMsgNoPhoneFolder) + m_fs.ModelCodeText() + ":");
        m_end = CommandEnd::Failed;
        LeaveRest(chosen, 0, {});
        return false;
    }
    int64_t total = 0;
    for (const size_t i : chosen) total += m_manifest.Records.at(i).Size;
    const int count = static_cast<int>(chosen.size());
    progress.SetCaption(Msg(kMsgRestoreCaption));
    progress.SetMax(2, count);
    progress.SetPosition(2, 0);
    progress.SetLongStatus(Msg(kMsgCopyingFirst) + std::to_string(count));
    commands::ByteMeter meter;
    meter.Start(total);
    commands::ConflictMemory answers;
    std::set<const Tree4*> listed;
    const Tree4* current = nullptr;
    for (size_t k = 0; k < chosen.size(); ++k) {
        if (flags.AbortRequested) {
            m_end = CommandEnd::Aborted;
            LeaveRest(chosen, k, {});
            break;
        }
        const BackupRecord& r = m_manifest.Records.at(chosen[k]);
        Tree4* folder = FolderOf(root, r);
        if (!folder) {
            m_left.push_back({chosen[k], Msg(kMsgNoPhoneFolder) + r.FolderPath});
            progress.Step(2);
            continue;
        }
        // A manifest may name anything: what a copy to the phone refuses is refused here.
        if (const std::string problem = commands::PhoneNameProblem(r.Name); !problem.empty()) {
            m_left.push_back({chosen[k], problem});
            progress.Step(2);
            continue;
        }
        // A fresh listing tells which names are taken; it also makes the folder current.
        if (folder != current) {
            if (!listed.count(folder)) {
                if (!m_fs.ListFolder(folder, true)) {
                    m_end = CommandEnd::Failed;
                    LeaveRest(chosen, k, {});
                    return false;
                }
                folder->Listed = true;
                listed.insert(folder);
            } else if (!m_fs.ChangeFolder(folder->Id)) {
                m_end = CommandEnd::Failed;
                LeaveRest(chosen, k, {});
                return false;
            }
            current = folder;
        }
        // Only a copy that is still what was saved goes back, and only from inside the
        // folder: a link planted there is not followed.
        const std::string path = Join(m_dir, r.LocalName);
        if (const std::string escape = commands::EscapeOnTheWay(m_dir, r.LocalName);
            !escape.empty()) {
            m_left.push_back({chosen[k], Msg(kMsgLinkRefused) + escape});
            progress.Step(2);
            continue;
        }
        uint32_t crc = 0;
        if (QFileInfo(QString::fromStdString(path)).size() != r.Size || !LocalFileCrc(path, crc) ||
            crc != r.Crc) {
            m_left.push_back({chosen[k], Msg(kMsgBackupDamaged) + path});
            progress.Step(2);
            continue;
        }
        // The phone takes the copy's modification time as the file's date.
        if (QFileInfo(QString::fromStdString(path)).lastModified() != r.Date) {
            QFile f(QString::fromStdString(path));
            if (f.open(QIODevice::ReadWrite))
                f.setFileTime(r.Date, QFileDevice::FileModificationTime);
        }
        std::string name = r.Name;
        bool replace = false;
        switch (commands::ResolveConflict(m_fs, folder, m_conflict, answers, name, replace, path)) {
            case commands::ConflictEnd::Go:
                break;
            case commands::ConflictEnd::Skip:
                // The phone's file stays; the list says so.
                m_skipped.push_back(chosen[k]);
                progress.Step(2);
                continue;
            case commands::ConflictEnd::Cancel:
                m_end = CommandEnd::Cancelled;
                LeaveRest(chosen, k, {});
                return true;
            case commands::ConflictEnd::Fail:
                m_end = CommandEnd::Failed;
                LeaveRest(chosen, k, {});
                return false;
        }
        SetBlocks(progress, r.Size);
        progress.SetQuickStatus(Msg(kMsgCopyingToPhone) + name);
        progress.SetLongStatus(meter.Line(progress));
        if (!commands::WriteToPhone(m_fs, folder, path, name, replace)) {
            if (ch.LastError == kErrPhoneMemoryFull) {
                // Nothing more fits: the rest is left out, and the user is told which.
                m_end = CommandEnd::Stopped;
                LeaveRest(chosen, k, Msg(kMsgMemoryFull));
                commands::FailText(ch, Msg(kMsgRestoreMemoryFull) +
                                           std::to_string(m_restored.size()) + Msg(kMsgOf) +
                                           std::to_string(chosen.size()) + ". " + Report());
                return false;
            }
            m_end = CommandEnd::Failed;
            LeaveRest(chosen, k, {});
            return false;
        }
        m_restored.push_back(chosen[k]);
        meter.Add(r.Size);
    }
    ch.LastError = 0;
    return true;
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

bool Verify::Run(bool deep) {
    AppFlags& flags = m_fs.Flags();
    ProgressView& progress = m_fs.Progress();
    AtChannel& ch = m_fs.Channel();
    m_findings.clear();
    m_checked = 0;
    m_end = CommandEnd::Failed;
    if (!BackupManifest::Exists(m_dir)) {
        commands::FailLocalData(ch, Msg(kMsgNoBackup) + m_dir);
        return false;
    }
    BackupManifest manifest;
    std::string bad;
    if (!manifest.Load(m_dir, bad)) {
        commands::FailLocalData(ch, Msg(kMsgBadManifest) + bad);
        return false;
    }
    Tree4* root = m_fs.PhoneRoot();
    if (!root) {
        commands::FailText(ch, Msg(kMsgNoPhoneFolder) + m_fs.ModelCodeText() + ":");
        return false;
    }
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
            return true;
        }
        progress.SetLongStatus(Msg(kMsgListingFolder) + PhonePathText(folder));
        if (!m_fs.ListFolder(folder, flags.HiddenFiles)) return false;
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
    if (!deep) {
        ch.LastError = 0;
        return true;
    }
    // Deep: the copies must still be what was saved, and the phone's files too.
    const std::string work = commands::FreshWorkDir("verify");
    if (work.empty()) {
        commands::FailFolder(ch, work);
        return false;
    }
    int64_t total = 0;
    for (const auto& [r, folder] : fetch) total += r->Size;
    commands::ByteMeter meter;
    meter.Start(total);
    progress.SetMax(2, static_cast<int>(fetch.size()));
    progress.SetPosition(2, 0);
    const Tree4* current = nullptr;
    const std::string scratch = Join(work, "file");
    for (const auto& [r, folder] : fetch) {
        if (flags.AbortRequested) {
            m_end = CommandEnd::Aborted;
            break;
        }
        uint32_t crc = 0;
        if (!LocalFileCrc(Join(m_dir, r->LocalName), crc) || crc != r->Crc)
            m_findings.push_back({Kind::BackupDamaged, r->FolderPath, r->Name});
        if (folder != current) {
            if (!m_fs.ChangeFolder(folder->Id)) return false;
            current = folder;
        }
        SetBlocks(progress, r->Size);
        progress.SetQuickStatus(Msg(kMsgCopyingFile) + r->Name);
        progress.SetLongStatus(meter.Line(progress));
        if (!m_fs.ReadPhoneFile(scratch, r->Name, r->Date, r->Size)) {
            if (ch.LastError == kErrAborted) m_end = CommandEnd::Aborted;
            return false;
        }
        if (!LocalFileCrc(scratch, crc) || crc != r->Crc)
            m_findings.push_back({Kind::CrcDiffers, r->FolderPath, r->Name});
        meter.Add(r->Size);
    }
    QFile::remove(QString::fromStdString(scratch));
    ch.LastError = 0;
    return true;
}

}  // namespace q7k3
