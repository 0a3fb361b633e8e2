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
// The stored size (fitted to the screen) and the stored width of the splitter's first pane.
void RestorePlace(const SettingsStore& store, QWidget& window, QSplitter& splitter);
void SavePlace(SettingsStore& store, const QWidget& window, const QSplitter& splitter);

}  // namespace q7k3
