#include "window/DialogParts.h"

#include <QPushButton>

namespace q7k3 {

void CentreOn(QWidget* dialog, QWidget* mainWindow) {
    if (!mainWindow) return;
    const QRect main = mainWindow->frameGeometry();
    dialog->move(main.center() - QPoint(dialog->width() / 2, dialog->height() / 2));
}

QPushButton* ResultButton(QDialog* dialog, const char* name, const QString& text, int result) {
    auto* button = new QPushButton(text, dialog);
    button->setObjectName(name);
    QObject::connect(button, &QPushButton::clicked, dialog,
                     [dialog, result] { dialog->done(result); });
    return button;
}

}  // namespace q7k3
