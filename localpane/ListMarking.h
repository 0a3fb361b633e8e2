#pragma once
// Marking in a file list apart from its cursor, as two-pane file managers do: the list's
// selection holds the marked items, its current index is the cursor. Insert marks the
// current item and moves down, Space marks it, + and - mark and unmark by a name pattern,
// * inverts the marks of the files; ".." is never marked.

#include <QItemSelectionModel>
#include <QString>

#include <functional>

class QEvent;
class QKeyEvent;
class QTreeView;

namespace q7k3 {

class ListMarking {
public:
    // What the marking needs to know of a row under the view's root.
    struct Row {
        QString Name;
        bool IsUp = false;  // the ".." entry
        bool IsFile = false;
    };
    using RowOf = std::function<Row(int row)>;
    // Asks for a pattern to mark (true) or unmark (false); an empty answer cancels.
    using AskPattern = std::function<QString(bool mark)>;

    ListMarking(QTreeView& view, RowOf rowOf);

    // Replaces the default question (a small input over the list's window).
    void SetAskPattern(AskPattern ask) { m_ask = std::move(ask); }

    // The marking keys; true when `event` was one of them and has been handled.
    bool HandleKey(QKeyEvent* event);
    // Marks or unmarks every item whose name matches one of `patterns` (";"-separated
    // wildcards, "*.*" meaning every name). Marking takes files only; unmarking takes all.
    // Returns the number of items changed.
    int MarkByPattern(const QString& patterns, bool mark);
    // Files change their mark; folders keep theirs.
    void InvertFiles();
    // Unmarks ".." should anything have marked it (Ctrl+A, a click).
    void DropUpEntry();

    // How the view's keys move the cursor: without Shift or Ctrl they leave the marks alone.
    static bool KeepsMarks(const QEvent* event);

    // The standard question: the pattern input over `parent`.
    static QString AskWithInput(QWidget* parent, bool mark);

private:
    void SetMark(int row, QItemSelectionModel::SelectionFlags how);
    int RowCount() const;

    QTreeView& m_view;
    RowOf m_rowOf;
    AskPattern m_ask;
};

}  // namespace q7k3
