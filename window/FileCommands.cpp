#include "window/FileCommands.h"

#include <QFileInfo>
#include <QLabel>
#include <QTreeWidgetItem>
#include <algorithm>
#include <memory>

#include "commands/CopyToComputer.h"
#include "commands/CopyToPhone.h"
#include "commands/DeleteFiles.h"
#include "commands/RenameFile.h"
#include "localpane/LocalDirView.h"
#include "commands/SuiteRegistry.h"
#include "phonefs/Tree.h"
#include "window/ConflictDialog.h"
#include "window/MainWindow.h"
#include "window/PhoneListView.h"
#include "window/ProgressDialog.h"
#include "window/RenameDialog.h"
#include "window/Texts.h"

namespace q7k3 {

Outcome OutcomeOf(const Status& done, CommandEnd end) {
    if (!done) return Outcome::Failed(done.error());
    return end == CommandEnd::Finished ? Outcome::Done : Outcome::Stopped;
}

PhoneSession* FileCommands::Session() const {
    // The door: nothing is asked of the phone while something runs or without a phone.
    if (!m_window.Admitted()) return nullptr;
    PhoneSession* session = m_window.Core().Session;
    return session->CurrentFolder() ? session : nullptr;
}

std::vector<std::string> FileCommands::SelectedPhoneNames() const {
    // The marked items, or the one under the cursor when nothing is marked.
    return m_window.Phone().List()->TargetNames();
}

std::vector<std::string> FileCommands::SelectedLocalPaths() const {
    std::vector<std::string> paths;
    for (const QString& path : m_window.Computer().List()->TargetPaths())
        paths.push_back(S(path));
    return paths;
}

void FileCommands::ReloadComputerPane() {
    m_window.Computer().Reload();
    m_window.Computer().UpdateStatus();
}

void FileCommands::Copy() {
    if (m_window.ComputerPaneActive())
        CopyToPhone();
    else
        CopyToComputer();
}

void FileCommands::CopyToComputer() {
    if (!Session()) return;
    FetchToComputer(SelectedPhoneNames());
}

void FileCommands::CopyDraggedItems(const std::vector<std::string>& names) {
    // The drag selected what it carries; the list order decides the order of the copy.
    if (names.empty() || !Session()) return;
    std::vector<std::string> ordered;
    for (const std::string& name : SelectedPhoneNames())
        if (std::find(names.begin(), names.end(), name) != names.end()) ordered.push_back(name);
    FetchToComputer(ordered.empty() ? names : ordered);
}

namespace {

// A line for each file the copy gave a numbered name because an earlier file of the same
// copy had taken the name the folder rules gave it ("Ring.mmf" from two melodies of that
// title); a name the user chose in the conflict question is not among them.
std::string NumberedNames(const q7k3::CopyToComputer& copy) {
    std::string text;
    std::vector<std::string> written;
    for (size_t i = 0; i < copy.Written().size() && i < copy.Origins().size(); ++i) {
        const std::string name = QFileInfo(Q(copy.Written()[i])).fileName().toStdString();
        const q7k3::CopyToComputer::Origin& origin = copy.Origins()[i];
        if (name != origin.RuleName &&
            std::find(written.begin(), written.end(), origin.RuleName) != written.end()) {
            text += (text.empty() ? "" : "\r\n") + origin.PhoneName + Msg(kMsgSavedAs) + name +
                    Msg(kMsgNameOf) + origin.RuleName + Msg(kMsgNameTakenByThisCommand);
        }
        written.push_back(name);
    }
    return text;
}

}  // namespace

void FileCommands::FetchToComputer(const std::vector<std::string>& names) {
    PhoneSession* session = Session();
    if (!session || names.empty()) return;
    auto taken = std::make_shared<size_t>(0);
    auto numbered = std::make_shared<std::string>();
    // Room for the bytes and the time left beside the file count, until the copy has ended.
    auto wide = std::make_shared<ProgressDialog::WideScope>(*m_window.Progress());
    BusyView view;
    view.LongStatus = Msg(kMsgCopyingFirst) + std::to_string(names.size());
    view.FilesMax = static_cast<int>(names.size());
    session->Run(
        view,
        [place = PlaceOf(session->CurrentFolder()), dir = S(m_window.Computer().List()->Path()),
         names, taken, numbered, session](PhoneFs& fs) {
            Tree4* folder = commands::FolderAt(fs, place);
            if (!folder) return Outcome::Stopped;
            // A local file of the same name is replaced only when the conflict dialog says so.
            q7k3::CopyToComputer copy(fs, folder, dir, &session->Conflicts());
            Status done = copy.Run(names);
            *taken = copy.Taken();
            *numbered = NumberedNames(copy);
            return OutcomeOf(done, copy.End());
        },
        [this, names, taken, wide, numbered](Outcome) mutable {
            wide.reset();
            // The items taken are no longer selected; after an abort the rest stay selected.
            m_window.Phone().Deselect(names, *taken);
            ReloadComputerPane();
            // Two phone files of one local name are both kept; the user hears which one
            // took another name.
            if (!numbered->empty())
                m_prompts.MessageBox(*numbered, Msg(kMsgAttentionCaption), BoxIcon::Information);
        });
}

void FileCommands::CopyToPhone() {
    if (!Session()) return;
    const std::vector<std::string> paths = SelectedLocalPaths();
    if (paths.empty()) return;
    // Only what was copied loses its mark: after a stop or a failure the files not yet
    // sent stay marked, so that nothing the user chose is forgotten and nothing goes twice.
    SendToPhone(paths, [this](const std::vector<std::string>& dealtWith) {
        QStringList copied;
        for (const std::string& path : dealtWith) copied.append(Q(path));
        m_window.Computer().List()->Unmark(copied);
        m_window.Computer().UpdateStatus();
    });
}

void FileCommands::CopyDroppedFiles(const QStringList& paths) {
    // Nothing at all happens before the phone has been read.
    if (paths.isEmpty() || !Session()) return;
    std::vector<std::string> list;
    for (const QString& path : paths) list.push_back(S(path));
    SendToPhone(list, {});
}

void FileCommands::SendToPhone(const std::vector<std::string>& paths,
                               std::function<void(const std::vector<std::string>&)> then) {
    PhoneSession* session = Session();
    if (!session) return;
    BusyView view;
    view.LongStatus = Msg(kMsgCopyingFirst) + std::to_string(paths.size());
    view.FilesMax = static_cast<int>(paths.size());
    // Room for the bytes and the time left beside the file count, until the copy has ended.
    auto wide = std::make_shared<ProgressDialog::WideScope>(*m_window.Progress());
    auto dealtWith = std::make_shared<std::vector<std::string>>();
    session->Run(
        view,
        [session, place = PlaceOf(session->CurrentFolder()), paths, dealtWith](PhoneFs& fs) {
            Tree4* folder = commands::FolderAt(fs, place);
            if (!folder) return Outcome::Stopped;
            q7k3::CopyToPhone copy(fs, folder, session->Conflicts());
            copy.SummarizeLeftOut(paths.size() > 1);
            Status done = copy.Run(paths);
            *dealtWith = copy.DealtWith();
            return OutcomeOf(done, copy.End());
        },
        [this, then = std::move(then), wide, dealtWith](Outcome) mutable {
            wide.reset();
            // The folder with what arrived, and the free space that is left.
            m_window.ShowCurrentFolder();
            if (then) then(*dealtWith);
        });
}

void FileCommands::Rename() {
    if (m_window.ComputerPaneActive()) return;
    PhoneSession* session = Session();
    if (!session) return;
    // The item under the cursor, marked or not.
    const QTreeWidgetItem* focused = m_window.Phone().List()->currentItem();
    if (!focused || PhoneListView::RawName(focused) == "..") return;
    // The question is the operation's own: nothing else reaches the phone while it is open.
    BusyView view;
    view.ShowProgress = false;
    session->Run(
        view,
        [session, place = PlaceOf(session->CurrentFolder()),
         name = PhoneListView::RawName(focused)](PhoneFs& fs) {
            Tree4* folder = commands::FolderAt(fs, place);
            if (!folder) return Outcome::Stopped;
            RenameFile rename(fs, folder, session->Renames(), session->Conflicts());
            if (!rename.Ask(name)) return Outcome::Stopped;
            ProgressView& progress = fs.Progress();
            for (const int bar : {1, 2}) {
                progress.SetMax(bar, 0);
                progress.SetPosition(bar, 0);
            }
            progress.Show();
            const Status done = rename.Rename();
            return OutcomeOf(done, rename.End());
        },
        [this](Outcome) { m_window.ShowCurrentFolder(); });
}

void FileCommands::Delete() {
    if (m_window.ComputerPaneActive()) {
        // The computer's files need no phone: one question, then the files go.
        const std::vector<std::string> paths = SelectedLocalPaths();
        if (DeleteLocalFiles(m_prompts).Run(paths)) {
            // Folders are left alone, and lose their mark with the files, so that the
            // next command is not given them by mistake.
            QStringList folders;
            for (const std::string& path : paths)
                if (QFileInfo(Q(path)).isDir()) folders.append(Q(path));
            m_window.Computer().List()->Unmark(folders);
        }
        ReloadComputerPane();
        return;
    }
    PhoneSession* session = Session();
    if (!session) return;
    const std::vector<std::string> names = SelectedPhoneNames();
    if (names.empty()) return;
    // What is erased on the phone cannot be brought back: one question first, No by default.
    if (!AskPhoneDelete(m_prompts, session->CurrentFolder(), names)) return;
    // The answer took a while: the phone may have gone meanwhile.
    if (!(session = Session())) return;
    BusyView view;
    view.LongStatus = Msg(kMsgDeletingFirst) + std::to_string(names.size());
    view.FilesMax = static_cast<int>(names.size());
    session->Run(
        view,
        [place = PlaceOf(session->CurrentFolder()), names](PhoneFs& fs) {
            Tree4* folder = commands::FolderAt(fs, place);
            if (!folder) return Outcome::Stopped;
            DeleteFiles erase(fs, folder);
            Status done = erase.Run(names);
            return OutcomeOf(done, erase.End());
        },
        [this, names](Outcome) {
            m_window.ShowCurrentFolder();
            // A folder among the marked items is left alone, and loses its mark.
            m_window.Phone().DeselectFolders();
        });
}

void FileCommands::CompileJava() {
    PhoneSession* session = Session();
    if (!session || !CompileJavaApplies(session->Fs())) return;
    BusyView view;
    view.QuickStatus = Msg(kMsgCompiling);
    view.LongStatus = Msg(kMsgCompiling);
    view.BlocksMax = 5;
    view.FilesMax = 6;
    session->Run(
        view,
        [](PhoneFs& fs) {
            Status rebuilt = RebuildJavaRegistry(fs);
            if (rebuilt) return Outcome::Done;
            // A line that died past the erase: the old registry is kept on the computer as
            // well, so that the next connection writes it back even after this window was
            // killed meanwhile.
            commands::KeepErasedRegistry(fs);
            return OutcomeOf(rebuilt);
        },
        [this, session](Outcome outcome) {
            // The rebuild has read the java folder again; show it when it is the one in view.
            const Tree4* folder = session->CurrentFolder();
            if (outcome == Outcome::Done && folder && folder->Name == "java")
                m_window.ShowCurrentFolder();
        });
}

}  // namespace q7k3
