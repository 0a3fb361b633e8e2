#include "commands/CopyToComputer.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryFile>
#include <algorithm>
#include <optional>

#include "commands/FolderRules.h"
#include "media/Ani.h"
#include "media/EmsMelody.h"
#include "media/EmsPicture.h"
#include "media/Melody.h"
#include "base/Messages.h"
#include "base/TempDir.h"
#include "base/Text.h"

namespace q7k3 {
namespace {

std::string Join(const std::string& dir, const std::string& name) {
    return QDir(QString::fromStdString(dir)).filePath(QString::fromStdString(name)).toStdString();
}

}  // namespace

CopyToComputer::CopyToComputer(PhoneFs& fs, Tree4* folder, std::string targetDir,
                               ConflictQuestion* conflict)
    : m_fs(fs), m_folder(folder), m_targetDir(std::move(targetDir)), m_conflict(conflict) {}

bool CopyToComputer::WroteName(const std::string& name) const {
    return std::find(m_written.begin(), m_written.end(), Join(m_targetDir, name)) !=
           m_written.end();
}

void CopyToComputer::Wrote(const std::string& path, const FileEntry& entry,
                           const std::string& ruleName) {
    m_written.push_back(path);
    m_origins.push_back({entry.Name, ruleName});
}

CopyToComputer::Decision CopyToComputer::FreeName(std::string& name, const FileEntry& entry) {
    const auto taken = [this](const std::string& n) {
        const QFileInfo info(QString::fromStdString(Join(m_targetDir, n)));
        return info.exists() || info.isSymLink();
    };
    // The file of that name came from another phone file of this selection: it is no
    // file to replace or to ask about.
    if (WroteName(name)) {
        name = commands::FreeNumberedName(
            name, [&](const std::string& n) { return WroteName(n) || taken(n); });
        return Decision::Go;
    }
    if (!m_conflict) return Decision::Go;
    // A typed name must stay a plain name in the target directory.
    const auto valid = [](const std::string& n) { return !n.empty() && SafeFileName(n) == n; };
    commands::ConflictSides sides;
    sides.Existing = [this](const std::string& n) {
        return commands::LocalFacts(Join(m_targetDir, n));
    };
    sides.Incoming = commands::PhoneFacts(&entry);
    sides.OneFile = m_fs.Progress().Max(2) <= 1;
    bool replace = false;
    switch (commands::AskWhileTaken(*m_conflict, m_answers, taken, valid, name, replace, sides)) {
        case commands::ConflictEnd::Go:
            return Decision::Go;
        case commands::ConflictEnd::Skip:
            return Decision::Skip;
        case commands::ConflictEnd::Cancel:
            break;
    }
    return Decision::Cancel;
}

std::optional<CopyToComputer::Next> CopyToComputer::TakeName(std::string& name,
                                                             const FileEntry& entry) {
    switch (FreeName(name, entry)) {
        case Decision::Go:
            return std::nullopt;
        case Decision::Skip:
            m_fs.Progress().Step(2);
            return Next::Go;
        case Decision::Cancel:
            return Next::Cancel;
    }
    return std::nullopt;
}

Expected<CopyToComputer::Next> CopyToComputer::FetchPlain(const FileEntry& entry) {
    const std::string ruleName = ComputerName(entry.Name);
    std::string name = ruleName;
    if (const auto end = TakeName(name, entry)) return *end;
    const std::string target = Join(m_targetDir, name);
    if (!ProbeWritable()) {
        commands::ShowError(m_fs, Msg(kMsgWriteProtected));
        return Next::Stop;
    }
    if (Status fetched = Fetch(entry, target); !fetched) return Fail(fetched.error());
    Wrote(target, entry, ruleName);
    return Next::Go;
}

Expected<CopyToComputer::Next> CopyToComputer::FetchConverted(const FileEntry& entry,
                                                              FetchRoute route) {
    // The phone's file goes to a private folder, the converter writes there, and only the
    // result's name, made safe, reaches the target directory.
    const std::string inDir = commands::FreshWorkDir("fetch-in");
    const std::string outDir = commands::FreshWorkDir("fetch-out");
    if (inDir.empty() || outDir.empty()) return Fail(commands::LocalFailure(PrivateTempDir()));
    const std::string safeName = SafeFileName(entry.Name);
    const std::string fetched = Join(inDir, safeName);
    if (Status read = Fetch(entry, fetched); !read) return Fail(read.error());
    MediaResult result;
    switch (route) {
        case FetchRoute::AniToBmp:
            result = ConvertANItoBMP(fetched, Join(outDir, safeName));
            break;
        case FetchRoute::MelToMmf:
            result = ConvertMELtoMMF(fetched, Join(outDir, safeName), false);
            break;
        case FetchRoute::EmsToBmp:
            result = ConvertEMStoBMP(fetched, {}, outDir);
            break;
        case FetchRoute::EmsToImy:
            result = ConvertEMStoIMY(fetched, {}, outDir);
            break;
        case FetchRoute::Plain:
            break;
    }
    // A file the converter cannot read costs only that file.
    if (!result) {
        commands::ShowError(m_fs, result.Text());
        return Next::Go;
    }
    std::string name =
        SafeFileName(QFileInfo(QString::fromStdString(result.Output)).fileName().toStdString());
    // A melody without a title would be only ".imy".
    if (name.rfind('.') == 0) name = safeName + name;
    const std::string ruleName = name;
    if (const auto end = TakeName(name, entry)) return *end;
    const std::string target = Join(m_targetDir, name);
    if (Status installed = commands::InstallLocalFile(result.Output, target); !installed) {
        return Fail(installed.error());
    }
    Wrote(target, entry, ruleName);
    return Next::Go;
}

Status CopyToComputer::Run(const std::vector<std::string>& selection) {
    AppFlags& flags = m_fs.Flags();
    ProgressView& progress = m_fs.Progress();
    m_end = CommandEnd::Finished;
    m_taken = 0;
    m_written.clear();
    m_origins.clear();
    m_answers = {};
    const int count = static_cast<int>(selection.size());
    progress.SetMax(2, count);
    progress.SetPosition(1, 0);
    progress.SetPosition(2, 0);
    progress.SetLongStatus(Msg(kMsgCopyingFirst) + std::to_string(count));
    // A folder that exists only in the program holds no files to fetch.
    if (!m_folder || m_folder->IsVirtual() || m_folder->Files.empty()) return {};
    if (Status changed = m_fs.ChangeFolder(m_folder->Id); !changed) {
        m_end = CommandEnd::Failed;
        return changed;
    }
    int64_t total = 0;
    for (const std::string& item : selection)
        if (const FileEntry* entry = FindFile(m_folder, item)) total += entry->Size;
    m_meter.Start(total);
    for (const std::string& item : selection) {
        if (flags.AbortRequested) {
            m_end = CommandEnd::Aborted;
            break;
        }
        progress.SetLongStatus(m_meter.Line(progress));
        progress.SetPosition(1, 0);
        ++m_taken;
        const FileEntry* found = FindFile(m_folder, item);
        if (!found) continue;  // a folder
        const FileEntry entry = *found;
        const FetchRoute route = RouteToComputer(KindOf(m_folder), entry.Name, flags.MelConvertion);
        const Expected<Next> next =
            route == FetchRoute::Plain ? FetchPlain(entry) : FetchConverted(entry, route);
        if (!next) {
            // "Прервать" during a read drops that file: it was not taken. The link still
            // needs its recovery, so the command ends as a failure that says nothing.
            const bool aborted = next.error().Reason == kErrAborted;
            if (aborted) --m_taken;
            m_end = aborted ? CommandEnd::Aborted : CommandEnd::Failed;
            return Fail(next.error());
        }
        if (*next == Next::Stop) {
            m_end = CommandEnd::Stopped;
            break;
        }
        if (*next == Next::Cancel) {
            // The file asked about was not taken: it stays selected.
            --m_taken;
            m_end = CommandEnd::Cancelled;
            break;
        }
    }
    return {};
}

Status CopyToComputer::Fetch(const FileEntry& entry, const std::string& localPath) {
    ProgressView& progress = m_fs.Progress();
    progress.SetMax(1, entry.Size / 512 + (entry.Size % 512 ? 1 : 0));
    progress.SetQuickStatus(Msg(kMsgCopyingFile) + entry.Name);
    progress.SetLongStatus(m_meter.Line(progress));
    if (Status read = m_fs.ReadPhoneFile(localPath, entry.Name, entry.Date, entry.Size); !read) {
        return read;
    }
    m_meter.Add(entry.Size);
    return {};
}

bool CopyToComputer::ProbeWritable() {
    // A fresh name of our own, made with O_EXCL: never a user's file.
    QTemporaryFile probe(
        QDir(QString::fromStdString(m_targetDir)).filePath(QStringLiteral(".q7k3fm-probe-XXXXXX")));
    return probe.open();
}

}  // namespace q7k3
