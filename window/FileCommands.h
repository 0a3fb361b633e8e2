#pragma once
// The window's half of the file commands: F5 in both directions and the two drops, F6,
// F7 and F8. It gathers the selection of the active pane and the place of the phone folder,
// hands the command to the session's link thread through its door, and shows the panes again
// once it has ended; the commands themselves are core code.

#include <QStringList>
#include <functional>
#include <string>
#include <vector>

#include "commands/CommandSupport.h"
#include "session/PhoneSession.h"

namespace q7k3 {

class Prompts;
class MainWindow;

// How a command's end reads to the busy bracket: only a failure runs the error report.
Outcome OutcomeOf(const Status& done, CommandEnd end);

class FileCommands {
public:
    FileCommands(MainWindow& form, Prompts& prompts) : m_window(form), m_prompts(prompts) {}

    // F5: the active pane decides the direction.
    void Copy();
    // The phone pane's selection, fetched into the computer pane's folder.
    void CopyToComputer();
    // The computer pane's selection, sent into the current phone folder.
    void CopyToPhone();
    // Files another program dropped on the phone list, in drop order.
    void CopyDroppedFiles(const QStringList& paths);
    // Phone items dropped on the computer pane.
    void CopyDraggedItems(const std::vector<std::string>& names);
    // F6: the focused phone file under another name.
    void Rename();
    // F8: the selection of the active pane.
    void Delete();
    // F7: the java folder's suite registry rebuilt.
    void CompileJava();

private:
    PhoneSession* Session() const;
    // The names of the phone pane's marked items (or its current one), in list order.
    std::vector<std::string> SelectedPhoneNames() const;
    std::vector<std::string> SelectedLocalPaths() const;
    // Sends the files into the current phone folder; `then` hears the local paths the copy
    // dealt with (sent, or left out with a reason).
    void SendToPhone(const std::vector<std::string>& paths,
                     std::function<void(const std::vector<std::string>&)> then);
    void FetchToComputer(const std::vector<std::string>& names);
    // The computer pane read again with its status and drive lines.
    void ReloadComputerPane();

    MainWindow& m_window;
    Prompts& m_prompts;
};

}  // namespace q7k3
