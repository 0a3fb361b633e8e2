#include "window/ViewCommand.h"

#include <QDir>
#include <QFileInfo>
#include <QItemSelectionModel>

#include "localpane/LocalDirView.h"
#include "session/PhoneSession.h"
#include "phonefs/Tree.h"
#include "preview/widgets/PreviewWindow.h"
#include "window/MainWindow.h"
#include "window/PhoneListView.h"

namespace q7k3 {

std::vector<std::string> TakeViewSelection(MainWindow& window) {
    std::vector<std::string> files;
    if (window.ComputerPaneActive()) {
        // The marked items, or the one under the cursor; folders are deselected like
        // files but not viewed.
        for (const QString& path : window.Computer().List()->TargetPaths())
            if (QFileInfo(path).isFile()) files.push_back(path.toStdString());
        if (QItemSelectionModel* selection = window.Computer().List()->selectionModel())
            selection->clearSelection();
        return files;
    }
    if (!window.PhoneReady()) return files;
    const Tree4* folder = window.Core().Session->CurrentFolder();
    for (const std::string& name : window.Phone().List()->TargetNames())
        if (HasFile(folder, name)) files.push_back(name);
    window.Phone().List()->clearSelection();
    return files;
}

PreviewWindow& Preview(MainWindow& window) {
    auto* play = window.findChild<PreviewWindow*>(QString(), Qt::FindDirectChildrenOnly);
    if (!play) play = new PreviewWindow(&window);
    PhoneSession* session = window.Core().Session;
    play->Attach(session, session ? &session->Ui() : nullptr);
    return *play;
}

void RunViewCommand(MainWindow& window) {
    const bool computerPane = window.ComputerPaneActive();
    const std::vector<std::string> files = TakeViewSelection(window);
    if (files.empty()) return;
    Preview(window).ShowFiles(files, computerPane);
}

// The main window's F3 button and key.
void MainWindow::ViewClick() {
    RunViewCommand(*this);
}

}  // namespace q7k3
