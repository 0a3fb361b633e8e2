#pragma once
// Small pieces the main window and its panes are built from: named frames and labels, the
// bold path line and its two colours (active, inactive), the selection line's wording and
// the status bar.

#include <QFrame>
#include <QLabel>
#include <QString>
#include <QStringList>

class QHBoxLayout;
class QStatusBar;
class QVBoxLayout;

namespace q7k3 {

// The window's captions are looked up under this form name.
inline constexpr const char* kMainForm = "TForm1";

QFrame* NamedPanel(const char* name, QWidget* parent);
QLabel* NamedLabel(const char* name, const QString& text, QWidget* parent);
// A one-line label that, when its text is wider than the label, shows it shortened with
// "…" at `mode` rather than cut off (a number cut in the middle reads as another number),
// and the whole text as its tool tip. text() stays the whole text.
class ElidedLabel : public QLabel {
public:
    ElidedLabel(const QString& text, Qt::TextElideMode mode, QWidget* parent);
    QString ShownText() const;
    // Texts that begin with one of `prefixes` ("Копирование файла ") keep it whole and
    // shorten only what follows (the name).
    void KeepPrefixes(const QStringList& prefixes) { m_prefixes = prefixes; }

protected:
    void paintEvent(QPaintEvent* event) override;
    bool event(QEvent* event) override;

private:
    Qt::TextElideMode m_mode;
    QStringList m_prefixes;
};
// A named ElidedLabel that takes the width its layout gives it.
QLabel* FittedLabel(const char* name, const QString& text, QWidget* parent,
                    Qt::TextElideMode mode = Qt::ElideRight);
// The path line above a list: bold, fixed pitch, filled with the pane's colour; a long
// path keeps its start and its end.
QLabel* PathLine(const char* name, const QString& text, QWidget* parent);
// The top of a pane, in `panel`'s new column layout: the path strip (17 pixels high, holding
// the path line) and under it the status strip (24 pixels high) for the pane to fill.
struct PaneTop {
    QVBoxLayout* Column;
    QFrame* PathPanel;
    QLabel* Path;
    QFrame* StatusPanel;
    QHBoxLayout* StatusRow;
};
PaneTop BuildPaneTop(QWidget* panel, const char* pathPanel, const char* pathLine,
                     const QString& pathText, const char* statusPanel);
// The status line under a pane's list, added to `column`.
QLabel* PaneStatusLine(const char* name, const QString& text, QWidget* panel, QVBoxLayout* column);
// The active pane's path line in the highlight colour, the other one greyed.
void PaintPathLine(QLabel& label, bool active);
// "<kb> Кб из <kb> Кб, файлов: <n> из <n>".
QString SelectionLine(qint64 selectedBytes, qint64 totalBytes, qint64 selected, qint64 total);
// The window's status bar: panel 0 for hints and transient status, panel 1 (on the right)
// for the phone model.
QStatusBar* WindowStatusBar(QWidget* window, QLabel*& panel0, QLabel*& panel1);

}  // namespace q7k3
