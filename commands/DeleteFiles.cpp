#include "commands/DeleteFiles.h"

#include <QFile>
#include <QFileInfo>

#include "commands/FolderRules.h"
#include "base/Messages.h"
#include "base/Text.h"

namespace q7k3 {

DeleteFiles::DeleteFiles(PhoneFs& fs, Tree4* folder) : m_fs(fs), m_folder(folder) {}

Status DeleteFiles::Run(const std::vector<std::string>& selection) {
    AppFlags& flags = m_fs.Flags();
    ProgressView& progress = m_fs.Progress();
    m_end = CommandEnd::Finished;
    m_taken = 0;
    m_erased.clear();
    const int count = static_cast<int>(selection.size());
    progress.SetLongStatus(Msg(kMsgDeletingFirst) + std::to_string(count));
    progress.SetMax(1, count);
    progress.SetMax(2, count);
    progress.SetPosition(1, 0);
    progress.SetPosition(2, 0);
    if (!m_folder || m_folder->IsVirtual() || m_folder->Files.empty()) return {};
    if (Status changed = m_fs.ChangeFolder(m_folder->Id); !changed) {
        m_end = CommandEnd::Failed;
        return changed;
    }
    // In the normal mode the phone keeps a thumbnail of every photo of its album folders;
    // a phone addressed by paths (PIMS) keeps none that this program knows of.
    const std::string thumbFolder = flags.Mode != FolderMode::Normal
                                        ? std::string()
                                        : ThumbnailFolderId(m_folder->Name, m_fs.ModelCodeText());
    std::vector<std::string> thumbnails;
    for (const std::string& item : selection) {
        if (flags.AbortRequested) {
            m_end = CommandEnd::Aborted;
            break;
        }
        ++m_taken;
        if (!HasFile(m_folder, item)) continue;  // a folder
        progress.SetQuickStatus(Msg(kMsgDeleting) + item);
        progress.SetLongStatus(Msg(kMsgDeletingFile) + std::to_string(progress.Position(2) + 1) +
                               Msg(kMsgOf) + std::to_string(count));
        if (Status erased = m_fs.EraseFile(item); !erased) {
            m_end = CommandEnd::Failed;
            return erased;
        }
        RemoveFile(m_folder, item);
        m_erased.push_back(item);
        if (!thumbFolder.empty()) thumbnails.push_back(ThumbnailName(item));
    }
    EraseThumbnails(thumbnails);
    return {};
}

void DeleteFiles::EraseThumbnails(const std::vector<std::string>& thumbnails) {
    if (thumbnails.empty()) return;
    const std::string id = ThumbnailFolderId(m_folder->Name, m_fs.ModelCodeText());
    ProgressView& progress = m_fs.Progress();
    // The results are not used: a missing thumbnail is no reason to stop.
    // Only once the thumbnail folder has really become current: a refused change would
    // leave the photo folder current, and its own files of the same names would go.
    if (m_fs.ChangeFolder(id)) {
        progress.SetPosition(1, 0);
        progress.SetLongStatus(Msg(kMsgDeletingThumbs));
        for (const std::string& name : thumbnails) {
            (void)m_fs.EraseFile(name);
            progress.Step(2);
        }
    }
}

bool AskPhoneDelete(Prompts& prompts, const Tree4* folder,
                    const std::vector<std::string>& selection) {
    std::vector<std::string> files;
    for (const std::string& name : selection)
        if (HasFile(folder, name)) files.push_back(name);
    if (files.empty()) return true;
    const std::string question = files.size() == 1
                                     ? Msg(kMsgDeletePhoneQuestion) + Msg(kMsgQuoteOpen) +
                                           files.front() + Msg(kMsgQuoteCloseQuestion)
                                     : MsgN(kMsgDeletePhoneCount,
                                            static_cast<int64_t>(files.size()));
    return prompts.AskYesNoDefaultNo(question, Msg(kMsgDeleteCaption));
}

bool DeleteLocalFiles::Run(const std::vector<std::string>& paths) {
    m_failed.clear();
    // Folders are left alone, so the question counts the files only: one by its name,
    // several by their count ("3 файла"). No is the default, as on the phone side:
    // nothing comes back from a deletion.
    std::vector<std::string> files;
    for (const std::string& path : paths)
        if (!QFileInfo(QString::fromStdString(path)).isDir()) files.push_back(path);
    if (files.empty()) return true;
    const std::string question =
        files.size() == 1
            ? Msg(kMsgDeleteQuestion) + Msg(kMsgQuoteOpen) +
                  QFileInfo(QString::fromStdString(files.front())).fileName().toStdString() +
                  Msg(kMsgQuoteCloseQuestion)
            : Msg(kMsgDeleteQuestion) + MsgN(kMsgFilePlural, static_cast<int64_t>(files.size())) +
                  Msg(kMsgQuestionMark);
    if (!m_prompts.AskYesNoDefaultNoWithIcon(question, Msg(kMsgDeleteCaption),
                                             BoxIcon::Information))
        return false;
    for (const std::string& path : paths) {
        const QFileInfo info(QString::fromStdString(path));
        // Folders and the parent entry are left alone; a dangling link is a file too.
        if (info.isDir() || (!info.exists() && !info.isSymLink())) continue;
        if (!QFile::remove(info.filePath())) m_failed.push_back(path);
    }
    for (const std::string& path : m_failed) {
        m_prompts.MessageBox(Msg(kMsgCannotDelete) + path, Msg(kMsgErrorCaption), BoxIcon::Error);
    }
    return true;
}

}  // namespace q7k3
