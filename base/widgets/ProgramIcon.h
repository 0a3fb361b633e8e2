#pragma once
// The program's icon (the one the menu entry shows), built into the program: the window,
// its dialogs and the desktop's task list carry it wherever the program was started from.

#include <QIcon>

namespace q7k3 {

QIcon ProgramIcon();
// Makes it the icon of every window of the program that has none of its own.
void UseProgramIcon();

}  // namespace q7k3
