#include "window/ViewCommand.h"

#include <QDir>
#include <QFileInfo>
#include <QItemSelectionModel>

#include "localpane/LocalDirView.h"
#include "phonefs/PhoneSession.h"
#include "phonefs/Tree.h"
#include "preview/widgets/TPlayForm.h"
#include "window/PhoneListView.h"
#include "window/TForm1.h"

namespace q7k3 {

std::vector<std::string> TakeViewSelection(TForm1& form) {
    std::vector<std::string> files;
    if (form.ComputerPaneActive()) {
        // The marked items, or the one under the cursor; folders are deselected like
        // files but not viewed.
        for (const QString& path : form.Source->TargetPaths())
            if (QFileInfo(path).isFile()) files.push_back(path.toStdString());
        if (QItemSelectionModel* selection = form.Source->selectionModel())
            selection->clearSelection();
        return files;
    }
    if (!form.PhoneReady()) return files;
    const Tree4* folder = form.Core().Session->CurrentFolder();
    for (const std::string& name : form.ListPhone->TargetNames())
        if (HasFile(folder, name)) files.push_back(name);
    form.ListPhone->clearSelection();
    return files;
}

TPlayForm& PlayForm(TForm1& form) {
    auto* play = form.findChild<TPlayForm*>(QString(), Qt::FindDirectChildrenOnly);
    if (!play) play = new TPlayForm(&form);
    PhoneSession* session = form.Core().Session;
    play->Attach(session, session ? &session->Ui() : nullptr);
    return *play;
}

void RunViewCommand(TForm1& form) {
    const bool computerPane = form.ComputerPaneActive();
    const std::vector<std::string> files = TakeViewSelection(form);
    if (files.empty()) return;
    PlayForm(form).ShowFiles(files, computerPane);
}

// The main window's F3 button and key.
void TForm1::ViewBtnClick() { RunViewCommand(*this); }

}  // namespace q7k3
