#include "localpane/ListMarking.h"

#include <QInputDialog>
#include <QKeyEvent>
#include <QPainter>
#include <QRegularExpression>
#include <QStyledItemDelegate>
#include <QTreeView>

#include "base/Messages.h"

namespace q7k3 {
namespace {

// Marked rows and the cursor drawn apart, as two-pane managers draw them: a marked row's
// text in bold red on the list's own background, the cursor as the highlight bar (in the
// list that has the focus), a marked row under the cursor in yellow on the bar.
class MarkedRowDelegate final : public QStyledItemDelegate {
public:
    explicit MarkedRowDelegate(QTreeView* view) : QStyledItemDelegate(view), m_view(view) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QStyleOptionViewItem look = option;
        const bool marked = option.state & QStyle::State_Selected;
        const QModelIndex current = m_view->currentIndex();
        const bool cursor = m_view->hasFocus() && current.isValid() &&
                            current.row() == index.row() && current.parent() == index.parent();
        look.state &= ~QStyle::State_Selected;
        look.state &= ~QStyle::State_HasFocus;
        if (marked) {
            look.font.setBold(true);
            look.palette.setColor(QPalette::Text, QColor(192, 0, 0));
            look.palette.setColor(QPalette::HighlightedText, QColor(255, 255, 0));
        }
        if (cursor) look.state |= QStyle::State_Selected;
        QStyledItemDelegate::paint(painter, look, index);
    }

private:
    QTreeView* m_view;
};

}  // namespace

ListMarking::ListMarking(QTreeView& view, RowOf rowOf)
    : m_view(view), m_rowOf(std::move(rowOf)) {
    m_ask = [this](bool mark) { return AskWithInput(m_view.window(), mark); };
    m_view.setItemDelegate(new MarkedRowDelegate(&m_view));
    // The cursor is a whole row: moving it repaints the rows it leaves and enters.
    m_view.setAllColumnsShowFocus(true);
}

int ListMarking::RowCount() const {
    return m_view.model() ? m_view.model()->rowCount(m_view.rootIndex()) : 0;
}

void ListMarking::SetMark(int row, QItemSelectionModel::SelectionFlags how) {
    const QModelIndex index = m_view.model()->index(row, 0, m_view.rootIndex());
    m_view.selectionModel()->select(index, how | QItemSelectionModel::Rows);
}

bool ListMarking::HandleKey(QKeyEvent* event) {
    const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
    if (mods != Qt::NoModifier || !m_view.model() || !m_view.selectionModel()) return false;
    const QModelIndex current = m_view.currentIndex();
    switch (event->key()) {
        case Qt::Key_Insert:
        case Qt::Key_Space: {
            if (current.isValid() && !m_rowOf(current.row()).IsUp)
                SetMark(current.row(), QItemSelectionModel::Toggle);
            if (event->key() == Qt::Key_Insert && current.isValid() &&
                current.row() + 1 < RowCount()) {
                const QModelIndex next = current.sibling(current.row() + 1, 0);
                m_view.selectionModel()->setCurrentIndex(next, QItemSelectionModel::NoUpdate);
                m_view.scrollTo(next);
            }
            return true;
        }
        case Qt::Key_Plus:
        case Qt::Key_Minus: {
            const bool mark = event->key() == Qt::Key_Plus;
            const QString patterns = m_ask ? m_ask(mark) : QString();
            if (!patterns.trimmed().isEmpty()) MarkByPattern(patterns, mark);
            return true;
        }
        case Qt::Key_Asterisk:
            InvertFiles();
            return true;
        default:
            return false;
    }
}

int ListMarking::MarkByPattern(const QString& patterns, bool mark) {
    QList<QRegularExpression> res;
    for (QString pattern : patterns.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        pattern = pattern.trimmed();
        if (pattern == QLatin1String("*.*")) pattern = QStringLiteral("*");
        if (!pattern.isEmpty())
            res.append(QRegularExpression(QRegularExpression::wildcardToRegularExpression(pattern),
                                          QRegularExpression::CaseInsensitiveOption));
    }
    int changed = 0;
    QItemSelectionModel* selection = m_view.selectionModel();
    for (int row = 0; row < RowCount(); ++row) {
        const Row info = m_rowOf(row);
        if (info.IsUp || (mark && !info.IsFile)) continue;
        bool matches = false;
        for (const QRegularExpression& re : res) matches = matches || re.match(info.Name).hasMatch();
        if (!matches) continue;
        const bool marked = selection->isRowSelected(row, m_view.rootIndex());
        if (marked == mark) continue;
        SetMark(row, mark ? QItemSelectionModel::Select : QItemSelectionModel::Deselect);
        ++changed;
    }
    return changed;
}

void ListMarking::InvertFiles() {
    for (int row = 0; row < RowCount(); ++row) {
        const Row info = m_rowOf(row);
        if (!info.IsUp && info.IsFile) SetMark(row, QItemSelectionModel::Toggle);
    }
}

void ListMarking::DropUpEntry() {
    QItemSelectionModel* selection = m_view.selectionModel();
    if (!selection) return;
    for (int row = 0; row < RowCount(); ++row) {
        if (!m_rowOf(row).IsUp) continue;
        if (selection->isRowSelected(row, m_view.rootIndex()))
            SetMark(row, QItemSelectionModel::Deselect);
        return;
    }
}

bool ListMarking::KeepsMarks(const QEvent* event) {
    if (!event || event->type() != QEvent::KeyPress) return false;
    const auto* key = static_cast<const QKeyEvent*>(event);
    return !(key->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier));
}

QString ListMarking::AskWithInput(QWidget* parent, bool mark) {
    QInputDialog dialog(parent);
    dialog.setObjectName(QStringLiteral("PatternInput"));
    dialog.setWindowTitle(QString::fromStdString(Msg(mark ? kMsgMarkTitle : kMsgUnmarkTitle)));
    dialog.setLabelText(QString::fromStdString(Msg(kMsgPatternLabel)));
    dialog.setTextValue(QStringLiteral("*"));
    if (dialog.exec() != QDialog::Accepted) return QString();
    return dialog.textValue();
}

}  // namespace q7k3
