#include "window/RenameDialog.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

#include <QLineEdit>
#include <QPushButton>

#include "window/DialogParts.h"
#include "window/Texts.h"

namespace q7k3 {

RenameDialog::RenameDialog(QWidget* mainWindow)
    : QDialog(mainWindow, kDialogFlags), m_mainWindow(mainWindow) {
    setObjectName("TRenameForm");
    setWindowTitle(Cap("TRenameForm", ""));
    setModal(true);

    RenName = new QLineEdit(this);
    RenName->setObjectName("RenName");
    RenName->setAccessibleName(windowTitle());
    // Room for a phone name of 43 bytes and more.
    RenName->setMinimumWidth(
        RenName->fontMetrics().horizontalAdvance(QString(30, QLatin1Char('m'))));
    RenOK = ResultButton(this, "RenOK", Cap("TRenameForm", "RenOK"), kOk);
    RenOK->setDefault(true);
    RenCancel = ResultButton(this, "RenCancel", Cap("TRenameForm", "RenCancel"), kCancel);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(RenOK);
    buttons->addStretch(1);
    buttons->addWidget(RenCancel);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(8, 12, 8, 8);
    column->addWidget(RenName);
    column->addLayout(buttons);
    column->setSizeConstraint(QLayout::SetFixedSize);
    column->activate();
}

int RenameDialog::Ask(const QString& name, bool nameOnly) {
    RenName->setText(name);
    // "melody01.mel": the name up to the last dot; a leading dot is no extension's.
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (nameOnly && dot > 0)
        RenName->setSelection(0, static_cast<int>(dot));
    else
        RenName->selectAll();
    RenName->setFocus();
    CentreOn(this, m_mainWindow);
    return exec();
}

QString RenameDialog::NameText() const {
    return RenName->text();
}

std::optional<std::string> RenameDialog::AskNewName(const std::string& currentName) {
    if (Ask(QString::fromStdString(currentName), true) != kOk) return std::nullopt;
    return NameText().toStdString();
}

}  // namespace q7k3
