#pragma once
// Where the main window stands: never larger than its screen nor outside it, and the size
// and the splitter as the user left them, kept with the other settings.

#include <QSize>

class QSplitter;
class QWidget;

namespace q7k3 {

class SettingsStore;

// Resizes `window` to `wanted`, as far as the screen has room (a 2x scale halves it; the
// minimum size gives way too), and centres it on the screen.
void FitToScreen(QWidget& window, QSize wanted);
// Gives `window` its stored size, fitted to the screen.
void RestoreSize(const SettingsStore& store, QWidget& window);
// The stored width of the splitter's first pane (0: none). The caller applies it once the
// window has its size: the window system may resize it later, and a resize makes the panes
// equal again.
int StoredSplitterLeft(const SettingsStore& store);
// Gives the splitter's first pane `left` pixels, when that leaves room for the second.
void SetSplitterLeft(QSplitter& splitter, int left);
void SavePlace(SettingsStore& store, const QWidget& window, const QSplitter& splitter);

}  // namespace q7k3
