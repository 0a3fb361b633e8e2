#include "window/ButtonBar.h"

#include <QEvent>
#include <QFrame>
#include <QPushButton>

#include "window/PaneLook.h"
#include "window/Texts.h"

namespace q7k3 {

ButtonBar::ButtonBar(QFrame* panel) : QObject(panel), m_panel(panel) {
    struct ButtonDef {
        QPushButton** button;
        const char* name;
    };
    const ButtonDef defs[] = {
        {&ViewBtn, "ViewBtn"}, {&RefreshBtn, "RfreshBtn"},          {&CopyBtn, "CopyBtn"},
        {&Rename, "Rename"},   {&CompileJavaBtn, "CompileJavaBtn"}, {&DeleteBtn, "Delete1"}};
    for (const ButtonDef& def : defs) {
        auto* button = new QPushButton(Cap(kMainForm, def.name), panel);
        button->setObjectName(def.name);
        button->setFocusPolicy(Qt::NoFocus);
        *def.button = button;
    }
    CompileJavaBtn->setToolTip(Cap(kMainForm, "CompileJavaBtn.hint"));
    CompileJavaBtn->setStatusTip(Cap(kMainForm, "CompileJavaBtn.hint"));
    panel->installEventFilter(this);
    Layout();
}

void ButtonBar::Layout() {
    const int w = m_panel->width() / 6;
    const int h = m_panel->height();
    QPushButton* buttons[] = {ViewBtn, RefreshBtn, CopyBtn, Rename, CompileJavaBtn, DeleteBtn};
    for (int i = 0; i < 6; ++i) buttons[i]->setGeometry(i * w, 0, w, h);
}

bool ButtonBar::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Resize && watched == m_panel) Layout();
    return QObject::eventFilter(watched, event);
}

QPushButton* ButtonBar::ForKey(int key) const {
    switch (key) {
        case Qt::Key_F3:
            return ViewBtn;
        case Qt::Key_F4:
            return RefreshBtn;
        case Qt::Key_F5:
            return CopyBtn;
        case Qt::Key_F6:
            return Rename;
        case Qt::Key_F7:
            return CompileJavaBtn;
        case Qt::Key_F8:
            return DeleteBtn;
        default:
            return nullptr;
    }
}

}  // namespace q7k3
