#include "window/ConflictDialog.h"

#include <QDateTime>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QVBoxLayout>

#include "base/Text.h"
#include "window/PaneLook.h"
#include "window/Texts.h"

namespace q7k3 {
namespace {

// "Имеющийся файл: 12 345 байт, 10.12.2026 21:36", as far as it is known.
QString FactsLine(int label, const FileFacts& facts) {
    QStringList parts;
    if (facts.Size >= 0)
        parts << Q(MsgN(kMsgBytePlural, facts.Size));
    if (facts.ModifiedSecs >= 0)
        parts << QLocale().toString(QDateTime::fromSecsSinceEpoch(facts.ModifiedSecs),
                                    QLocale::ShortFormat);
    if (parts.isEmpty()) return {};
    return M(label) + parts.join(QStringLiteral(", "));
}

}  // namespace

ConflictDialog::ConflictDialog(QWidget* mainWindow)
    : QDialog(mainWindow, kDialogFlags), m_mainWindow(mainWindow) {
    setObjectName("TFileExistForm");
    setWindowTitle(Cap("TFileExistForm", ""));
    setModal(true);

    OldNameCaption = new QLabel(Cap("TFileExistForm", "OndNameCapt"), this);
    OldNameCaption->setObjectName("OndNameCapt");
    // A long name keeps its start and its extension; the whole name is the tool tip.
    OldName = new ElidedLabel(QString(), Qt::ElideMiddle, this);
    OldName->setObjectName("OldName");
    ExistingFacts = new QLabel(this);
    ExistingFacts->setObjectName("ExistingFacts");
    IncomingFacts = new QLabel(this);
    IncomingFacts->setObjectName("IncomingFacts");
    NewNameCapt = new QLabel(Cap("TFileExistForm", "NewNameCapt"), this);
    NewNameCapt->setObjectName("NewNameCapt");
    NewName = new QLineEdit(this);
    NewName->setObjectName("NewName");
    NewName->setAccessibleName(NewNameCapt->text());
    NewName->setMinimumWidth(360);
    NewNameCapt->setBuddy(NewName);

    FexOKBtn = ResultButton(this, "FexOKBtn", Cap("TFileExistForm", "FexOKBtn"), kOk);
    FexOKBtn->setDefault(true);
    FexOverwriteBtn =
        ResultButton(this, "FexOverwriteBtn", Cap("TFileExistForm", "FexOverwriteBtn"), kOverwrite);
    FexOverwriteAllBtn = ResultButton(this, "FexOverwriteAllBtn",
                                      Cap("TFileExistForm", "FexOverwriteAllBtn"), kOverwriteAll);
    FexCancel = ResultButton(this, "FexCancel", Cap("TFileExistForm", "FexCancel"), kCancel);
    // Skipping keeps the file that is there and goes on with the next one.
    FexSkipBtn = ResultButton(this, "FexSkipBtn", Cap("TFileExistForm", "FexSkipBtn"), kSkip);
    FexSkipAllBtn =
        ResultButton(this, "FexSkipAllBtn", Cap("TFileExistForm", "FexSkipAllBtn"), kSkipAll);

    // The buttons in two rows, the answers for this file above those for every later one:
    // OK, Перезаписать, Пропустить, Отмена / Перезаписать все, Пропустить все.
    auto* buttons = new QGridLayout;
    buttons->addWidget(FexOKBtn, 0, 0);
    buttons->addWidget(FexOverwriteBtn, 0, 1);
    buttons->addWidget(FexSkipBtn, 0, 2);
    buttons->addWidget(FexCancel, 0, 3);
    buttons->addWidget(FexOverwriteAllBtn, 1, 1);
    buttons->addWidget(FexSkipAllBtn, 1, 2);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(8, 8, 8, 8);
    column->setSpacing(4);
    column->addWidget(OldNameCaption);
    column->addWidget(OldName);
    column->addWidget(ExistingFacts);
    column->addWidget(IncomingFacts);
    column->addSpacing(4);
    column->addWidget(NewNameCapt);
    column->addWidget(NewName);
    column->addSpacing(4);
    column->addLayout(buttons);
    // As large as its texts need and no larger: the layout sets the size.
    column->setSizeConstraint(QLayout::SetFixedSize);
    column->activate();
}

int ConflictDialog::Ask(const QString& oldName, const QString& newName,
                        const ConflictFacts& facts) {
    OldName->setText(oldName);
    const QString existing = FactsLine(kMsgExistingFile, facts.Existing);
    const QString incoming = FactsLine(kMsgIncomingFile, facts.Incoming);
    ExistingFacts->setText(existing);
    ExistingFacts->setVisible(!existing.isEmpty());
    IncomingFacts->setText(incoming);
    IncomingFacts->setVisible(!incoming.isEmpty());
    // About one file, there is no later file for "… все" to answer.
    FexOverwriteAllBtn->setVisible(!facts.OneFile);
    FexSkipAllBtn->setVisible(!facts.OneFile);
    NewName->setText(newName);
    NewName->selectAll();
    NewName->setFocus();
    adjustSize();
    CentreOn(this, m_mainWindow);
    return exec();
}

QString ConflictDialog::NewNameText() const {
    return NewName->text();
}

ConflictReply ConflictDialog::AskConflict(const std::string& oldName,
                                          const std::string& proposedName) {
    return AskConflictAbout(oldName, proposedName, {});
}

ConflictReply ConflictDialog::AskConflictAbout(const std::string& oldName,
                                               const std::string& proposedName,
                                               const ConflictFacts& facts) {
    const int result =
        Ask(QString::fromStdString(oldName), QString::fromStdString(proposedName), facts);
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
