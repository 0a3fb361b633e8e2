#include "window/FileCommands.h"

#include <QLabel>
#include <QTreeWidgetItem>
#include <algorithm>

#include "commands/CopyToComputer.h"
#include "commands/CopyToPhone.h"
#include "commands/DeleteFiles.h"
#include "commands/RenameFile.h"
#include "localpane/LocalDirView.h"
#include "phonefs/SuiteRegistry.h"
#include "phonefs/Tree.h"
#include "window/ConflictDialog.h"
#include "window/MainWindow.h"
#include "window/PhoneListView.h"
#include "window/ProgressDialog.h"
#include "window/RenameDialog.h"
#include "window/Texts.h"

namespace q7k3 {

Outcome OutcomeOf(bool ok, CommandEnd end) {
    if (!ok) return Outcome::Failed;
    return end == CommandEnd::Finished ? Outcome::Done : Outcome::Stopped;
}

PhoneSession* FileCommands::Session() const {
    PhoneSession* session = m_window.Core().Session;
    return session && session->PhoneReady() && session->CurrentFolder() ? session : nullptr;
}

std::vector<std::string> FileCommands::SelectedPhoneNames() const {
    // The marked items, or the one under the cursor when nothing is marked.
    return m_window.Phone().List()->TargetNames();
}

std::vector<std::string> FileCommands::SelectedLocalPaths() const {
    std::vector<std::string> paths;
    for (const QString& path : m_window.Computer().List()->TargetPaths()) paths.push_back(S(path));
    return paths;
}

void FileCommands::ReloadComputerPane() {
    m_window.Computer().List()->Reload();
    m_window.Computer().StatusLine()->setText(m_window.ComputerSelectionText());
    m_window.Computer().FreeLine()->setText(m_window.DriveFreeText());
}

void FileCommands::Copy() {
    if (!Session()) return;
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
    if (!Session() || names.empty()) return;
    std::vector<std::string> ordered;
    for (const std::string& name : SelectedPhoneNames())
        if (std::find(names.begin(), names.end(), name) != names.end()) ordered.push_back(name);
    FetchToComputer(ordered.empty() ? names : ordered);
}

void FileCommands::FetchToComputer(const std::vector<std::string>& names) {
    PhoneSession* session = Session();
    if (!session || names.empty()) return;
    // A local file of the same name is replaced only when the conflict dialog says so.
    q7k3::CopyToComputer copy(session->Fs(), session->CurrentFolder(),
                              S(m_window.Computer().List()->Path()), m_window.Conflicts());
    BusyView view;
    view.LongStatus = Msg(kMsgCopyingFirst) + std::to_string(names.size());
    view.FilesMax = static_cast<int>(names.size());
    // Room for the bytes and the time left beside the file count.
    ProgressDialog::WideScope wide(*m_window.Progress());
    session->Run(view, [&](PhoneFs&) { return OutcomeOf(copy.Run(names), copy.End()); });
    // The items taken are no longer selected; after an abort the rest stay selected.
    size_t toDeselect = copy.Taken();
    {
        const QSignalBlocker block(m_window.Phone().List());
        for (int i = 0; i < m_window.Phone().List()->topLevelItemCount() && toDeselect > 0; ++i) {
            QTreeWidgetItem* item = m_window.Phone().List()->topLevelItem(i);
            if (!item->isSelected()) continue;
            if (std::find(names.begin(), names.end(), PhoneListView::RawName(item)) == names.end())
                continue;
            item->setSelected(false);
            --toDeselect;
        }
    }
    m_window.Phone().StatusLine()->setText(m_window.PhoneSelectionText());
    ReloadComputerPane();
}

void FileCommands::CopyToPhone() {
    if (!Session()) return;
    const std::vector<std::string> paths = SelectedLocalPaths();
    if (paths.empty()) return;
    // Only what was copied loses its mark: after a stop or a failure every mark stays, so
    // that nothing the user chose is forgotten.
    if (SendToPhone(paths)) {
        QStringList copied;
        for (const std::string& path : paths) copied.append(Q(path));
        m_window.Computer().List()->Unmark(copied);
    }
    m_window.Computer().StatusLine()->setText(m_window.ComputerSelectionText());
}

void FileCommands::CopyDroppedFiles(const QStringList& paths) {
    // Nothing at all happens before the phone has been read.
    if (!Session() || paths.isEmpty()) return;
    std::vector<std::string> list;
    for (const QString& path : paths) list.push_back(S(path));
    SendToPhone(list);
}

bool FileCommands::SendToPhone(const std::vector<std::string>& paths) {
    PhoneSession* session = Session();
    q7k3::CopyToPhone copy(session->Fs(), session->CurrentFolder(), *m_window.Conflicts());
    BusyView view;
    view.LongStatus = Msg(kMsgCopyingFirst) + std::to_string(paths.size());
    view.FilesMax = static_cast<int>(paths.size());
    Outcome outcome;
    {
        // Room for the bytes and the time left beside the file count.
        ProgressDialog::WideScope wide(*m_window.Progress());
        outcome =
            session->Run(view, [&](PhoneFs&) { return OutcomeOf(copy.Run(paths), copy.End()); });
    }
    // The folder with what arrived, and the free space that is left.
    m_window.ShowCurrentFolder();
    return outcome == Outcome::Done;
}

void FileCommands::Rename() {
    PhoneSession* session = Session();
    if (!session || m_window.ComputerPaneActive()) return;
    // The item under the cursor, marked or not.
    const QTreeWidgetItem* focused = m_window.Phone().List()->currentItem();
    if (!focused || PhoneListView::RawName(focused) == "..") return;
    RenameFile rename(session->Fs(), session->CurrentFolder(), *m_window.Renames(),
                      *m_window.Conflicts());
    if (!rename.Ask(PhoneListView::RawName(focused))) return;
    session->Run(BusyView{}, [&](PhoneFs&) { return OutcomeOf(rename.Rename(), rename.End()); });
    m_window.ShowCurrentFolder();
}

void FileCommands::Delete() {
    if (m_window.ComputerPaneActive()) {
        // The computer's files need no phone: one question, then the files go.
        const std::vector<std::string> paths = SelectedLocalPaths();
        DeleteLocalFiles(m_prompts).Run(paths);
        ReloadComputerPane();
        return;
    }
    PhoneSession* session = Session();
    if (!session) return;
    const std::vector<std::string> names = SelectedPhoneNames();
    if (names.empty()) return;
    // What is erased on the phone cannot be brought back: one question first, No by default.
    if (!AskPhoneDelete(m_prompts, session->CurrentFolder(), names)) return;
    DeleteFiles erase(session->Fs(), session->CurrentFolder());
    BusyView view;
    view.LongStatus = Msg(kMsgDeletingFirst) + std::to_string(names.size());
    view.FilesMax = static_cast<int>(names.size());
    session->Run(view, [&](PhoneFs&) { return OutcomeOf(erase.Run(names), erase.End()); });
    m_window.ShowCurrentFolder();
}

void FileCommands::CompileJava() {
    PhoneSession* session = Session();
    if (!session || !CompileJavaApplies(session->Fs())) return;
    BusyView view;
    view.QuickStatus = Msg(kMsgCompiling);
    view.LongStatus = Msg(kMsgCompiling);
    view.BlocksMax = 5;
    view.FilesMax = 6;
    const Outcome outcome =
        session->Run(view, [](PhoneFs& fs) { return OutcomeOf(CompileJava1Click(fs)); });
    // The rebuild has read the java folder again; show it when it is the one in view.
    const Tree4* folder = session->CurrentFolder();
    if (outcome == Outcome::Done && folder && folder->Name == "java") m_window.ShowCurrentFolder();
}

}  // namespace q7k3
