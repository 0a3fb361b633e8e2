#include "window/QtPrompts.h"

#include <QCoreApplication>
#include <QMessageBox>

#include "base/Language.h"

namespace q7k3 {

QString QtPrompts::DisplayText(const std::string& text) {
    QString s = QString::fromStdString(text);
    s.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    return s;
}

namespace {

QMessageBox::Icon QtIcon(BoxIcon icon) {
    switch (icon) {
        case BoxIcon::Error:
            return QMessageBox::Critical;
        case BoxIcon::Warning:
            return QMessageBox::Warning;
        case BoxIcon::Information:
            return QMessageBox::Information;
        case BoxIcon::Question:
            return QMessageBox::Question;
        case BoxIcon::None:
            return QMessageBox::NoIcon;
    }
    return QMessageBox::Critical;
}

}  // namespace

void QtPrompts::MessageBox(const std::string& text, const std::string& caption, BoxIcon icon) {
    QMessageBox box(QtIcon(icon), QString::fromStdString(caption), DisplayText(text),
                    QMessageBox::Ok, m_parent.data());
    box.setObjectName("MessageBox");
    box.exec();
}

bool QtPrompts::AskYesNo(const std::string& text, const std::string& caption) {
    return AskYesNoWithIcon(text, caption, BoxIcon::Question);
}

bool QtPrompts::AskYesNoWithIcon(const std::string& text, const std::string& caption,
                                 BoxIcon icon) {
    QMessageBox box(QtIcon(icon), QString::fromStdString(caption), DisplayText(text),
                    QMessageBox::Yes | QMessageBox::No, m_parent.data());
    box.setObjectName("QuestionBox");
    box.setDefaultButton(QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes;
}

bool QtPrompts::AskYesNoDefaultNo(const std::string& text, const std::string& caption) {
    return AskYesNoDefaultNoWithIcon(text, caption, BoxIcon::Question);
}

bool QtPrompts::AskYesNoDefaultNoWithIcon(const std::string& text, const std::string& caption,
                                          BoxIcon icon) {
    QMessageBox box(QtIcon(icon), QString::fromStdString(caption), DisplayText(text),
                    QMessageBox::Yes | QMessageBox::No, m_parent.data());
    box.setObjectName("QuestionBox");
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

bool InstallRussianTranslation() {
    return UseLanguage(Language::Russian).Qt;
}

}  // namespace q7k3
