#include "window/TFileExistForm.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "window/Texts.h"

namespace q7k3 {

void CentreOn(QWidget* dialog, QWidget* mainWindow) {
    if (!mainWindow) return;
    const QRect main = mainWindow->frameGeometry();
    dialog->move(main.center() - QPoint(dialog->width() / 2, dialog->height() / 2));
}

namespace {

QPushButton* ResultButton(QDialog* dialog, const char* name, const QString& text,
                          const QRect& place, int result) {
    auto* button = new QPushButton(text, dialog);
    button->setObjectName(name);
    button->setGeometry(place);
    QObject::connect(button, &QPushButton::clicked, dialog, [dialog, result] { dialog->done(result); });
    return button;
}

// Only the system menu (close) in the title bar.
constexpr Qt::WindowFlags kDialogFlags = Qt::Dialog | Qt::CustomizeWindowHint |
                                         Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                                         Qt::WindowCloseButtonHint;

}  // namespace

TFileExistForm::TFileExistForm(QWidget* mainWindow)
    : QDialog(mainWindow, kDialogFlags), m_mainWindow(mainWindow) {
    setObjectName("TFileExistForm");
    setWindowTitle(Cap("TFileExistForm", ""));
    setModal(true);
    setFixedSize(388, 121);

    OndNameCapt = new QLabel(Cap("TFileExistForm", "OndNameCapt"), this);
    OndNameCapt->setObjectName("OndNameCapt");
    OndNameCapt->move(8, 1);
    OldName = new QLabel(this);
    OldName->setObjectName("OldName");
    OldName->setGeometry(8, 18, 377, 17);
    NewNameCapt = new QLabel(Cap("TFileExistForm", "NewNameCapt"), this);
    NewNameCapt->setObjectName("NewNameCapt");
    NewNameCapt->move(8, 37);
    NewName = new QLineEdit(this);
    NewName->setObjectName("NewName");
    NewName->setGeometry(8, 56, 377, 24);
    NewName->setAccessibleName(NewNameCapt->text());
    NewNameCapt->setBuddy(NewName);

    FexOKBtn = ResultButton(this, "FexOKBtn", Cap("TFileExistForm", "FexOKBtn"),
                            QRect(8, 88, 81, 25), kOk);
    FexOKBtn->setDefault(true);
    FexOverwriteBtn = ResultButton(this, "FexOverwriteBtn", Cap("TFileExistForm", "FexOverwriteBtn"),
                                   QRect(96, 88, 89, 25), kOverwrite);
    FexOverwriteAllBtn =
        ResultButton(this, "FexOverwriteAllBtn", Cap("TFileExistForm", "FexOverwriteAllBtn"),
                     QRect(192, 88, 105, 25), kOverwriteAll);
    FexCancel = ResultButton(this, "FexCancel", Cap("TFileExistForm", "FexCancel"),
                             QRect(304, 88, 81, 25), kCancel);
}

int TFileExistForm::Ask(const QString& oldName, const QString& newName) {
    OldName->setText(oldName);
    NewName->setText(newName);
    NewName->selectAll();
    NewName->setFocus();
    CentreOn(this, m_mainWindow);
    return exec();
}

QString TFileExistForm::NewNameText() const { return NewName->text(); }

ConflictReply TFileExistForm::AskConflict(const std::string& oldName,
                                          const std::string& proposedName) {
    const int result = Ask(QString::fromStdString(oldName), QString::fromStdString(proposedName));
    ConflictReply reply;
    reply.NewName = NewNameText().toStdString();
    switch (result) {
        case kOk: reply.Answer = ConflictAnswer::UseNewName; break;
        case kOverwrite: reply.Answer = ConflictAnswer::Overwrite; break;
        case kOverwriteAll: reply.Answer = ConflictAnswer::OverwriteAll; break;
        default: reply.Answer = ConflictAnswer::Cancel; break;
    }
    return reply;
}

TRenameForm::TRenameForm(QWidget* mainWindow)
    : QDialog(mainWindow, kDialogFlags), m_mainWindow(mainWindow) {
    setObjectName("TRenameForm");
    setWindowTitle(Cap("TRenameForm", ""));
    setModal(true);
    setFixedSize(230, 77);

    RenName = new QLineEdit(this);
    RenName->setObjectName("RenName");
    RenName->setGeometry(8, 16, 217, 24);
    RenName->setAccessibleName(windowTitle());
    RenOK = ResultButton(this, "RenOK", Cap("TRenameForm", "RenOK"), QRect(8, 48, 89, 25), kOk);
    RenOK->setDefault(true);
    RenCancel = ResultButton(this, "RenCancel", Cap("TRenameForm", "RenCancel"),
                             QRect(128, 48, 97, 25), kCancel);
}

int TRenameForm::Ask(const QString& name) {
    RenName->setText(name);
    RenName->selectAll();
    RenName->setFocus();
    CentreOn(this, m_mainWindow);
    return exec();
}

QString TRenameForm::NameText() const { return RenName->text(); }

std::optional<std::string> TRenameForm::AskNewName(const std::string& currentName) {
    if (Ask(QString::fromStdString(currentName)) != kOk) return std::nullopt;
    return NameText().toStdString();
}

}  // namespace q7k3
