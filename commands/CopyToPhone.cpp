#include "commands/CopyToPhone.h"

#include <QFile>
#include <QFileInfo>
#include <QImage>

#include "commands/FolderRules.h"
#include "media/Ani.h"
#include "media/EmsMelody.h"
#include "media/EmsPicture.h"
#include "media/Jad.h"
#include "media/Melody.h"
#include "media/Picture.h"
#include "media/SlotNames.h"
#include "base/Messages.h"
#include "base/TempDir.h"
#include "base/Text.h"

namespace q7k3 {

CopyToPhone::CopyToPhone(PhoneFs& fs, Tree4* folder, ConflictQuestion& conflict)
    : m_fs(fs), m_folder(folder), m_conflict(conflict) {}

bool CopyToPhone::HasName(const std::string& name) const {
    return HasFile(m_folder, name);
}

CopyToPhone::Next CopyToPhone::Skip(const std::string& text, BoxIcon icon) {
    ++m_skipped;
    if (text.empty()) return Next::Go;
    if (!m_summarize) {
        commands::ShowError(m_fs, text, icon);
        return Next::Go;
    }
    // The summary's line names the file when the reason does not.
    const std::string name = QFileInfo(QString::fromStdString(m_current)).fileName().toStdString();
    m_refused.push_back(text.find(name) == std::string::npos ? name + ": " + text : text);
    return Next::Go;
}

void CopyToPhone::ShowSummary() {
    if (!m_summarize || m_refused.empty()) return;
    const int refused = static_cast<int>(m_refused.size());
    std::string text = Msg(kMsgCopiedCount) + std::to_string(m_sent.size()) +
                       Msg(kMsgSkippedCount) + std::to_string(m_skipped - refused) +
                       Msg(kMsgRefusedCount) + std::to_string(refused);
    for (const std::string& line : m_refused) text += "\r\n" + line;
    m_fs.Ui().MessageBox(text, Msg(kMsgAttentionCaption), BoxIcon::Warning);
}

Status CopyToPhone::Write(const std::string& origin, const std::string& source,
                          const std::string& name, bool replace) {
    Status written = commands::WriteToPhone(m_fs, m_folder, source, name, replace);
    if (!written) return written;
    m_sent.push_back(name);
    m_origins.push_back(origin);
    m_meter.Add(QFileInfo(QString::fromStdString(source)).size());
    return {};
}

Status CopyToPhone::Run(const std::vector<std::string>& paths) {
    m_refused.clear();
    Status done = RunFiles(paths);
    ShowSummary();
    return done;
}

Status CopyToPhone::RunFiles(const std::vector<std::string>& paths) {
    AppFlags& flags = m_fs.Flags();
    ProgressView& progress = m_fs.Progress();
    m_answers = {};
    m_jadQueue.clear();
    m_sent.clear();
    m_dealtWith.clear();
    m_origins.clear();
    m_skipped = 0;
    m_end = CommandEnd::Finished;
    const int count = static_cast<int>(paths.size());
    progress.SetMax(2, count);
    progress.SetLongStatus(Msg(kMsgCopyingFirst) + std::to_string(count));
    progress.SetPosition(1, 0);
    progress.SetPosition(2, 0);
    // A folder that exists only in the program takes no files.
    if (!m_folder || m_folder->IsVirtual() || paths.empty()) return {};
    if (Status changed = m_fs.ChangeFolder(m_folder->Id); !changed) {
        m_end = CommandEnd::Failed;
        return changed;
    }
    int64_t total = 0;
    for (const std::string& path : paths) {
        const QFileInfo info(QString::fromStdString(path));
        if (info.isFile()) total += info.size();
    }
    m_meter.Start(total);
    for (const std::string& path : paths) {
        if (flags.AbortRequested) {
            m_end = CommandEnd::Aborted;
            break;
        }
        m_current = path;
        const Expected<Next> next = SendOne(path, paths);
        if (!next) {
            m_end = CommandEnd::Failed;
            return Fail(next.error());
        }
        switch (*next) {
            case Next::Go:
            case Next::Skipped:
                m_dealtWith.push_back(path);
                continue;
            case Next::Stop:
                m_end = CommandEnd::Stopped;
                return {};
            case Next::Cancel:
                m_end = CommandEnd::Cancelled;
                return {};
        }
    }
    // The descriptors come after every file, an aborted command's too.
    if (Status sent = DescriptorStep(); !sent) {
        m_end = CommandEnd::Failed;
        return sent;
    }
    m_answers = {};
    return {};
}

Status CopyToPhone::DescriptorStep() {
    ProgressView& progress = m_fs.Progress();
    const std::string scratch = TempFileName();
    for (const std::string& jar : m_jadQueue) {
        const std::string jadName =
            JadNameForJar(QFileInfo(QString::fromStdString(jar)).fileName().toStdString(),
                          RuleToPhone(KindOf(m_folder)).NameBytes);
        progress.SetQuickStatus(Msg(kMsgCopyingFile) + jadName);
        if (!CreateJadFromManifest(jar, scratch)) {
            commands::ShowError(m_fs, Msg(kMsgJadCreateFailed), BoxIcon::None);
            continue;
        }
        progress.SetLongStatus(m_meter.Line(progress));
        if (Status written = Write(jar, scratch, jadName); !written) return written;
    }
    return {};
}

std::optional<CopyToPhone::Next> CopyToPhone::CheckLocalFile(const std::string& path) {
    ProgressView& progress = m_fs.Progress();
    const QFileInfo info(QString::fromStdString(path));
    if (!info.exists() || info.isDir()) return Skip({}, BoxIcon::None);
    qint64 size = 0;
    {
        QFile in(info.filePath());
        if (!in.open(QIODevice::ReadOnly))
            return Skip(Msg(kMsgCannotOpenFile) + path, BoxIcon::Error);
        size = in.size();
    }
    if (size > kMaxPhoneFileSize) {
        return Skip(Msg(kMsgFilePrefix) + path + Msg(kMsgTooLarge), BoxIcon::Error);
    }
    // The phone would keep an empty file but never list it.
    if (size <= 0) return Skip(Msg(kMsgEmptyFileLeft) + path, BoxIcon::Information);
    progress.SetPosition(1, 0);
    progress.SetMax(1, static_cast<int>(size / 512 + 1));
    return std::nullopt;
}

CopyToPhone::Prepared CopyToPhone::PrepareJavaSuite(Outgoing& file, size_t nameBytes,
                                                    const std::vector<std::string>& selection) {
    ProgressView& progress = m_fs.Progress();
    const std::string whole = QFileInfo(QString::fromStdString(file.path)).fileName().toStdString();
    const std::string ext = LowerAscii(whole.size() >= 4 ? whole.substr(whole.size() - 4) : whole);
    file.name = JavaSuiteName(whole, nameBytes);
    if (ext != ".jar") return std::nullopt;
    // A descriptor is generated unless the phone has one or one comes along.
    const std::string jad = Utf8DropRight(file.name, 1) + "d";
    const QString beside =
        QFileInfo(QString::fromStdString(Utf8DropRight(file.path, 1) + "d")).fileName();
    bool comesAlong = false;
    for (const std::string& other : selection) {
        if (QFileInfo(QString::fromStdString(other))
                .fileName()
                .compare(beside, Qt::CaseInsensitive) == 0)
            comesAlong = true;
    }
    if (!HasName(jad) && !comesAlong) {
        m_jadQueue.push_back(file.path);
        progress.SetMax(2, progress.Max(2) + 1);
    }
    return std::nullopt;
}

CopyToPhone::Prepared CopyToPhone::PrepareDefaultMelody(Outgoing& file) {
    ProgressView& progress = m_fs.Progress();
    const HasFileFn hasFile = [this](const std::string& n) { return HasName(n); };
    const SlotName slot = DefaultMelodyNamesCheck(hasFile);
    file.name = slot.Name;
    progress.SetQuickStatus(Msg(kMsgCopyingFile) + file.name);
    if (!slot) {
        commands::ShowError(m_fs, Msg(kMsgNoDefaultMelodyRoom));
        return Next::Stop;
    }
    if (!m_fs.Flags().MelConvertion) return std::nullopt;
    switch (RecogniseMelodyFile(file.path)) {
        case MelodyKind::Mmf:
            if (!ConvertMMFtoMEL(file.path, file.scratch)) {
                return Skip(Msg(kMsgMelConvertFailed), BoxIcon::None);
            }
            // The slot name is free: no conflict to resolve.
            progress.SetLongStatus(m_meter.Line(progress));
            if (Status written = Write(file.path, file.scratch, file.name); !written) {
                return Fail(written.error());
            }
            return Next::Go;
        case MelodyKind::Mel:
            break;
        case MelodyKind::Unknown:
            return Skip(Msg(kMsgMelodyUnknown), BoxIcon::Error);
    }
    return std::nullopt;
}

CopyToPhone::Prepared CopyToPhone::PrepareAniPicture(Outgoing& file) {
    ProgressView& progress = m_fs.Progress();
    if (!IsPictureName(file.name)) return std::nullopt;
    const QImage picture = LoadPicture(file.path);
    if (picture.width() == 0) return Skip(Msg(kMsgBmpUnknown), BoxIcon::Error);
    if (picture.width() > kMaxAniSourceWidth) {
        // The phone cannot show it as an animation; it goes as it is.
        commands::ShowError(m_fs, Msg(kMsgBmpTooWide));
        return std::nullopt;
    }
    if (!ConvertBMPtoANI(picture, file.scratch)) return Fail(commands::LocalFailure(file.scratch));
    file.name = Utf8DropRight(file.name, 3) + "ani";
    progress.SetQuickStatus(Msg(kMsgCopyingFile) + file.name);
    progress.SetLongStatus(m_meter.Line(progress));
    file.source = file.scratch;
    return std::nullopt;
}

CopyToPhone::Prepared CopyToPhone::PrepareSmsPicture(Outgoing& file) {
    ProgressView& progress = m_fs.Progress();
    if (!IsPictureName(file.name)) return std::nullopt;
    const HasFileFn hasFile = [this](const std::string& n) { return HasName(n); };
    const SlotName slot = SmsImagesNamesCheck(hasFile);
    if (!slot) {
        commands::ShowError(m_fs, Msg(kMsgNoEmsPictureRoom), BoxIcon::None);
        return Next::Stop;
    }
    file.name = slot.Name;
    progress.SetQuickStatus(Msg(kMsgCopyingFile) + file.name);
    progress.SetLongStatus(m_meter.Line(progress));
    if (!ConvertBMPtoEMS(file.path, file.scratch, static_cast<uint8_t>(slot.Slot))) {
        return Skip(Msg(kMsgBmpUnknown), BoxIcon::Error);
    }
    file.source = file.scratch;
    return std::nullopt;
}

CopyToPhone::Prepared CopyToPhone::PrepareSmsMelody(Outgoing& file) {
    ProgressView& progress = m_fs.Progress();
    const HasFileFn hasFile = [this](const std::string& n) { return HasName(n); };
    const SlotName slot = SmsMelodyNamesCheck(hasFile);
    if (!slot) {
        commands::ShowError(m_fs, Msg(kMsgNoEmsMelodyRoom), BoxIcon::None);
        return Next::Stop;
    }
    file.name = slot.Name;
    progress.SetQuickStatus(Msg(kMsgCopyingFile) + file.name);
    progress.SetLongStatus(m_meter.Line(progress));
    const MediaResult r = ConvertIMYtoEMS(file.path, file.scratch, static_cast<uint8_t>(slot.Slot));
    if (!r) return Skip(r.Message >= 0 ? r.Text() : Msg(kMsgCannotOpenFile), BoxIcon::Error);
    file.source = file.scratch;
    return std::nullopt;
}

Expected<CopyToPhone::Next> CopyToPhone::SendOne(const std::string& path,
                                                 const std::vector<std::string>& selection) {
    ProgressView& progress = m_fs.Progress();
    if (const std::optional<Next> refused = CheckLocalFile(path)) return *refused;

    const PhoneFolderRule& rule = RuleToPhone(KindOf(m_folder));
    const std::string scratch = TempFileName();
    const QFileInfo info(QString::fromStdString(path));
    Outgoing file{path, scratch, CutPhoneName(info.fileName().toStdString(), kMaxPhoneNameBytes),
                  path};
    Prepared prepared;
    switch (rule.Step) {
        case PhoneStep::JavaSuite:
            prepared = PrepareJavaSuite(file, rule.NameBytes, selection);
            break;
        case PhoneStep::DefaultMelody:
            prepared = PrepareDefaultMelody(file);
            break;
        case PhoneStep::AniPicture:
            prepared = PrepareAniPicture(file);
            break;
        case PhoneStep::SmsPicture:
            prepared = PrepareSmsPicture(file);
            break;
        case PhoneStep::SmsMelody:
            prepared = PrepareSmsMelody(file);
            break;
        case PhoneStep::Plain:
            break;
    }
    if (prepared) return *prepared;
    std::string name = CutPhoneName(file.name, rule.NameBytes);
    // A local name may hold what no phone name can (a quote, a line end).
    if (!commands::ValidPhoneName(name)) return Skip(Msg(kMsgBadPhoneName) + name, BoxIcon::Error);

    bool replace = false;
    if (const Next next = ResolveConflict(name, replace, file.source); next != Next::Go) {
        if (next != Next::Skipped) return next;
        // A suite left out takes no descriptor of its own either.
        if (!m_jadQueue.empty() && m_jadQueue.back() == path) {
            m_jadQueue.pop_back();
            progress.SetMax(2, progress.Max(2) - 1);
        }
        return Next::Go;
    }
    progress.SetQuickStatus(Msg(kMsgCopyingToPhone) + name);
    progress.SetLongStatus(m_meter.Line(progress));
    if (Status written = Write(path, file.source, name, replace); !written) {
        return Fail(written.error());
    }
    return Next::Go;
}

CopyToPhone::Next CopyToPhone::ResolveConflict(std::string& name, bool& replace,
                                               const std::string& source) {
    switch (
        commands::ResolveConflict(m_fs, m_folder, m_conflict, m_answers, name, replace, source)) {
        case commands::ConflictEnd::Go:
            return Next::Go;
        case commands::ConflictEnd::Skip:
            ++m_skipped;
            m_fs.Progress().Step(2);
            return Next::Skipped;
        case commands::ConflictEnd::Cancel:
            break;
    }
    return Next::Cancel;
}

}  // namespace q7k3
