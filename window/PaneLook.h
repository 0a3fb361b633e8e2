#pragma once
// Small pieces both panes of the main window are built from: named frames and labels, the
// bold path line and its two colours (active, inactive), and the selection line's wording.

#include <QFrame>
#include <QLabel>
#include <QString>

namespace q7k3 {

// The window's captions are looked up under this form name.
inline constexpr const char* kMainForm = "TForm1";

QFrame* NamedPanel(const char* name, QWidget* parent);
QLabel* NamedLabel(const char* name, const QString& text, QWidget* parent);
// The path line above a list: bold, fixed pitch, filled with the pane's colour.
QLabel* PathLine(const char* name, const QString& text, QWidget* parent);
// The active pane's path line in the highlight colour, the other one greyed.
void PaintPathLine(QLabel& label, bool active);
// "<kb> Кб из <kb> Кб, файлов: <n> из <n>".
QString SelectionLine(qint64 selectedBytes, qint64 totalBytes, qint64 selected, qint64 total);

}  // namespace q7k3
