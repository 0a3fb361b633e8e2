#include "ui/widgets/FavoritesDialog.h"

#include <QListWidget>
#include <QPushButton>

#include "ui/Messages.h"
#include "ui/widgets/InputBox.h"

namespace q7k3 {
namespace {

QString Cap(std::string_view control) {
    return QString::fromStdString(Caption("TFavoritesForm", control));
}

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
    setFixedSize(257, 241);

    FavList = new QListWidget(this);
    FavList->setObjectName("FavList");
    FavList->setGeometry(8, 8, 241, 193);
    FavList->setSelectionMode(QAbstractItemView::SingleSelection);
    FavList->setAccessibleName(windowTitle());

    DeleteFavBtn = new QPushButton(Cap("DeleteFavBtn"), this);
    DeleteFavBtn->setObjectName("DeleteFavBtn");
    DeleteFavBtn->setGeometry(8, 208, 113, 25);
    RenameFavBtn = new QPushButton(Cap("RenameFavBtn"), this);
    RenameFavBtn->setObjectName("RenameFavBtn");
    RenameFavBtn->setGeometry(136, 208, 113, 25);
    connect(DeleteFavBtn, &QPushButton::clicked, this, &FavoritesDialog::DeleteFavBtnClick);
    connect(RenameFavBtn, &QPushButton::clicked, this, &FavoritesDialog::RenameFavBtnClick);
    connect(FavList, &QListWidget::itemDoubleClicked, this, &FavoritesDialog::RenameFavBtnClick);
    FormCreate();
}

int FavoritesDialog::Setup1Click() {
    FormCreate();
    if (m_mainWindow) {
        const QRect outer = m_mainWindow->frameGeometry();
        move(outer.center() - QPoint(width() / 2, height() / 2));
    }
    return exec();
}

void FavoritesDialog::FormCreate() {
    FavList->clear();
    for (const std::string& alias : m_favs.Alias) FavList->addItem(QString::fromStdString(alias));
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
