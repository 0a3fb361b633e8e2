#pragma once
// What the file commands' dialogs share: their title bar, their result buttons and their
// place on the screen.

#include <QDialog>
#include <QString>

class QPushButton;

namespace q7k3 {

// Only the system menu (close) in the title bar.
inline constexpr Qt::WindowFlags kDialogFlags = Qt::Dialog | Qt::CustomizeWindowHint |
                                                Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                                                Qt::WindowCloseButtonHint;

// Centres a dialog on the main window before it is shown.
void CentreOn(QWidget* dialog, QWidget* mainWindow);

// A button named `name` that ends the dialog with `result`; the dialog's layout places it.
QPushButton* ResultButton(QDialog* dialog, const char* name, const QString& text, int result);

}  // namespace q7k3
