#include "base/widgets/FavoritesDialog.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QVBoxLayout>
#include <algorithm>

#include "base/Messages.h"
#include "base/widgets/InputBox.h"

namespace q7k3 {
namespace {

QString Cap(std::string_view control) {
    return QString::fromStdString(Caption("TFavoritesForm", control));
}

constexpr int kPathRole = Qt::UserRole + 1;

// Each row: the display name, and under it the path in the muted colour.
class FavouriteRow final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        const QSize one = QStyledItemDelegate::sizeHint(option, index);
        return {one.width(), one.height() + option.fontMetrics.height()};
    }

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QStyleOptionViewItem top = option;
        initStyleOption(&top, index);
        const int line = option.fontMetrics.height();
        // The selection and the name in the upper line, as a plain row draws them.
        const QString name = top.text;
        top.text.clear();
        QApplication::style()->drawControl(QStyle::CE_ItemViewItem, &top, painter, top.widget);
        const bool selected = option.state & QStyle::State_Selected;
        const QRect text = option.rect.adjusted(4, 1, -4, -1);
        painter->save();
        painter->setPen(
            option.palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
        painter->drawText(text.adjusted(0, 0, 0, -line), Qt::AlignLeft | Qt::AlignVCenter,
                          option.fontMetrics.elidedText(name, Qt::ElideRight, text.width()));
        painter->setPen(
            option.palette.color(selected ? QPalette::HighlightedText : QPalette::PlaceholderText));
        const QString path = index.data(kPathRole).toString();
        painter->drawText(text.adjusted(0, line, 0, 0), Qt::AlignLeft | Qt::AlignVCenter,
                          option.fontMetrics.elidedText(path, Qt::ElideMiddle, text.width()));
        painter->restore();
    }
};

}  // namespace

FavoritesDialog::FavoritesDialog(Favourites& favs, InputBox& input, QWidget* mainWindow)
    : QDialog(mainWindow, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                              Qt::WindowCloseButtonHint),
      m_favs(favs),
      m_input(input),
      m_mainWindow(mainWindow) {
    setObjectName("TFavoritesForm");
    setWindowTitle(Cap(""));
    setModal(true);

    FavList = new QListWidget(this);
    FavList->setObjectName("FavList");
    FavList->setSelectionMode(QAbstractItemView::SingleSelection);
    FavList->setAccessibleName(windowTitle());
    FavList->setItemDelegate(new FavouriteRow(FavList));

    DeleteFavBtn = new QPushButton(Cap("DeleteFavBtn"), this);
    DeleteFavBtn->setObjectName("DeleteFavBtn");
    RenameFavBtn = new QPushButton(Cap("RenameFavBtn"), this);
    RenameFavBtn->setObjectName("RenameFavBtn");
    CloseFavBtn = new QPushButton(QString::fromStdString(Msg(kMsgCloseButton)), this);
    CloseFavBtn->setObjectName("CloseFavBtn");
    // The list over three buttons of one width, each as wide as the widest text needs.
    auto* buttons = new QHBoxLayout;
    int widest = 97;
    for (QPushButton* b : {DeleteFavBtn, RenameFavBtn, CloseFavBtn})
        widest = std::max(widest, b->sizeHint().width());
    for (QPushButton* b : {DeleteFavBtn, RenameFavBtn, CloseFavBtn}) {
        b->setMinimumWidth(widest);
        buttons->addWidget(b);
    }
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(8, 8, 8, 8);
    column->addWidget(FavList, 1);
    column->addLayout(buttons);
    FavList->setMinimumSize(344, 193);
    connect(DeleteFavBtn, &QPushButton::clicked, this, &FavoritesDialog::DeleteFavBtnClick);
    connect(RenameFavBtn, &QPushButton::clicked, this, &FavoritesDialog::RenameFavBtnClick);
    connect(CloseFavBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(FavList, &QListWidget::itemDoubleClicked, this, &FavoritesDialog::RenameFavBtnClick);
    FormCreate();
}

int FavoritesDialog::EditFavourites() {
    FormCreate();
    if (m_mainWindow) {
        const QRect outer = m_mainWindow->frameGeometry();
        move(outer.center() - QPoint(width() / 2, height() / 2));
    }
    return exec();
}

void FavoritesDialog::FormCreate() {
    FavList->clear();
    for (size_t i = 0; i < m_favs.Alias.size(); ++i) {
        auto* item = new QListWidgetItem(QString::fromStdString(m_favs.Alias[i]), FavList);
        const QString path =
            i < m_favs.Path.size() ? QString::fromStdString(m_favs.Path[i]) : QString();
        item->setData(kPathRole, path);
        item->setToolTip(path);
    }
}

int FavoritesDialog::SelectedRow() const {
    const QList<QListWidgetItem*> selected = FavList->selectedItems();
    if (selected.isEmpty()) return -1;
    const int row = FavList->row(selected.front());
    return row < static_cast<int>(m_favs.Alias.size()) ? row : -1;
}

void FavoritesDialog::DeleteFavBtnClick() {
    const int row = SelectedRow();
    if (row < 0) return;
    const auto i = static_cast<size_t>(row);
    m_favs.Alias.erase(m_favs.Alias.begin() + row);
    if (i < m_favs.Path.size()) m_favs.Path.erase(m_favs.Path.begin() + row);
    FormCreate();
}

void FavoritesDialog::RenameFavBtnClick() {
    const int row = SelectedRow();
    if (row < 0) return;
    const auto i = static_cast<size_t>(row);
    const auto name = m_input.Ask(QString::fromStdString(Msg(kMsgRenameCaption)),
                                  QString::fromStdString(m_favs.Alias[i]));
    if (!name || name->isEmpty()) return;
    m_favs.Alias[i] = name->toStdString();
    FormCreate();
    FavList->setCurrentRow(row);
}

}  // namespace q7k3
