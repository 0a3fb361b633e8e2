#include "window/ConflictDialog.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "window/Texts.h"

namespace q7k3 {

ConflictDialog::ConflictDialog(QWidget* mainWindow)
    : QDialog(mainWindow, kDialogFlags), m_mainWindow(mainWindow) {
    setObjectName("TFileExistForm");
    setWindowTitle(Cap("TFileExistForm", ""));
    setModal(true);
    setFixedSize(388, 153);

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
    FexOverwriteBtn =
        ResultButton(this, "FexOverwriteBtn", Cap("TFileExistForm", "FexOverwriteBtn"),
                     QRect(96, 88, 89, 25), kOverwrite);
    FexOverwriteAllBtn =
        ResultButton(this, "FexOverwriteAllBtn", Cap("TFileExistForm", "FexOverwriteAllBtn"),
                     QRect(192, 88, 105, 25), kOverwriteAll);
    FexCancel = ResultButton(this, "FexCancel", Cap("TFileExistForm", "FexCancel"),
                             QRect(304, 88, 81, 25), kCancel);
    // Skipping keeps the file that is there and goes on with the next one.
    FexSkipBtn = ResultButton(this, "FexSkipBtn", Cap("TFileExistForm", "FexSkipBtn"),
                              QRect(96, 120, 89, 25), kSkip);
    FexSkipAllBtn = ResultButton(this, "FexSkipAllBtn", Cap("TFileExistForm", "FexSkipAllBtn"),
                                 QRect(192, 120, 105, 25), kSkipAll);
}

int ConflictDialog::Ask(const QString& oldName, const QString& newName) {
    OldName->setText(oldName);
    NewName->setText(newName);
    NewName->selectAll();
    NewName->setFocus();
    CentreOn(this, m_mainWindow);
    return exec();
}

QString ConflictDialog::NewNameText() const {
    return NewName->text();
}

ConflictReply ConflictDialog::AskConflict(const std::string& oldName,
                                          const std::string& proposedName) {
    const int result = Ask(QString::fromStdString(oldName), QString::fromStdString(proposedName));
    ConflictReply reply;
    reply.NewName = NewNameText().toStdString();
    switch (result) {
        case kOk:
            reply.Answer = ConflictAnswer::UseNewName;
            break;
        case kOverwrite:
            reply.Answer = ConflictAnswer::Overwrite;
            break;
        case kOverwriteAll:
            reply.Answer = ConflictAnswer::OverwriteAll;
            break;
        case kSkip:
            reply.Answer = ConflictAnswer::Skip;
            break;
        case kSkipAll:
            reply.Answer = ConflictAnswer::SkipAll;
            break;
        default:
            reply.Answer = ConflictAnswer::Cancel;
            break;
    }
    return reply;
}

}  // namespace q7k3
