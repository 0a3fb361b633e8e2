#pragma once
// The view command (F3, the "F3 Просмотр" button, a double click on a picture or melody in
// the phone pane): the selected files of the active pane go to the preview window, which
// shows pictures and plays melodies. The selection is consumed: the items are deselected.

#include <string>
#include <vector>

namespace q7k3 {

class MainWindow;
class PreviewWindow;

// The selected files of the active pane, deselecting every selected item: full paths of
// the computer pane's files that exist, or the phone pane's names that are files of the
// current phone folder (nothing, and nothing deselected, while no phone tree exists).
std::vector<std::string> TakeViewSelection(MainWindow& window);

// The preview window of the main window, made on first use.
PreviewWindow& Preview(MainWindow& window);

// The whole command: the selection taken and, when it holds a file, the preview shown
// modally on it.
void RunViewCommand(MainWindow& window);

}  // namespace q7k3
