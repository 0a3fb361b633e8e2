#include "base/widgets/FavoritesMenu.h"

#include <QAction>
#include <QMenu>
#include <QPushButton>
#include <QToolButton>

#include "base/Messages.h"
#include "base/widgets/InputBox.h"

namespace q7k3 {
namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

// A display name is shown as it is: an ampersand must not turn into a shortcut mark.
QString MenuText(const std::string& alias) { return Q(alias).replace('&', QStringLiteral("&&")); }

}  // namespace

FavoritesMenu::FavoritesMenu(QMenu* menu, const Favourites& favs, QObject* parent)
    : QObject(parent), m_menu(menu), m_favs(favs) {
    QList<QAction*> actions = m_menu->actions();
    if (actions.size() < 2) {
        m_menu->clear();
        QAction* add = m_menu->addAction(Q(Caption("TForm1", "AddCurrentDir1")));
        add->setObjectName("AddCurrentDir1");
        QAction* setup = m_menu->addAction(Q(Caption("TForm1", "Setup1")));
        setup->setObjectName("Setup1");
        actions = m_menu->actions();
    }
    m_add = actions[actions.size() - 2];
    m_setup = actions[actions.size() - 1];
    connect(m_add, &QAction::triggered, this, &FavoritesMenu::addCurrentFolder);
    connect(m_setup, &QAction::triggered, this, &FavoritesMenu::configure);
    connect(m_menu, &QMenu::aboutToShow, this, &FavoritesMenu::Rebuild);
}

void FavoritesMenu::AttachTo(QAbstractButton* button) {
    if (auto* tool = qobject_cast<QToolButton*>(button)) {
        tool->setMenu(m_menu);
        tool->setPopupMode(QToolButton::InstantPopup);
    } else if (auto* push = qobject_cast<QPushButton*>(button)) {
        push->setMenu(m_menu);
    } else {
        connect(button, &QAbstractButton::clicked, m_menu,
                [this, button] { m_menu->popup(button->mapToGlobal(QPoint(0, button->height()))); });
    }
}

void FavoritesMenu::Rebuild() {
    // Everything in front of the add item is ours from the last time.
    for (QAction* action : m_menu->actions()) {
        if (action == m_add) break;
        m_menu->removeAction(action);
        action->deleteLater();
    }
    if (m_favs.Alias.empty()) return;
    for (size_t i = 0; i < m_favs.Alias.size(); ++i) {
        auto* item = new QAction(MenuText(m_favs.Alias[i]), m_menu);
        item->setObjectName(QStringLiteral("Favorite%1").arg(i));
        const int index = static_cast<int>(i);
        connect(item, &QAction::triggered, this, [this, index] { Chosen(index); });
        m_menu->insertAction(m_add, item);
    }
    QAction* separator = new QAction(m_menu);
    separator->setSeparator(true);
    m_menu->insertAction(m_add, separator);
}

void FavoritesMenu::Chosen(int index) {
    // The item says which entry it stands for. An entry that
    // has gone meanwhile selects nothing.
    if (index < 0 || static_cast<size_t>(index) >= m_favs.Path.size()) return;
    emit goToPath(Q(m_favs.Path[static_cast<size_t>(index)]));
}

bool AddFavourite(Favourites& favs, InputBox& input, const QString& currentFolder) {
    const auto name = input.Ask(Q(Msg(kMsgEnterShortName)), currentFolder);
    if (!name || name->isEmpty()) return false;
    // The two lists stay parallel whatever a damaged settings file left in them.
    favs.Path.resize(favs.Alias.size());
    favs.Alias.push_back(name->toStdString());
    favs.Path.push_back(currentFolder.toStdString());
    return true;
}

}  // namespace q7k3
