#include "window/HelpCommand.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QUrl>

#include "base/Prompts.h"
#include "base/Messages.h"
#include "base/TempDir.h"
#include "window/Texts.h"

namespace q7k3 {

void HelpCommand::Open(const QString& help, const UrlOpener& opener) {
    QString target = help;
    // The help file is an HTML page under its traditional name; desktops choose a viewer
    // by the name's extension, so it is opened through a copy that says what it is.
    const QString dir = QString::fromStdString(PrivateTempDir());
    if (QFileInfo::exists(help) && !dir.isEmpty()) {
        const QString copy = QDir(dir).filePath(QStringLiteral("Q7K3FM.html"));
        QFile::remove(copy);
        if (QFile::copy(help, copy)) target = copy;
    }
    // A missing file is the viewer's to report; a desktop that cannot show the page at all
    // leaves it to the program's own window.
    if (!opener) {
        ShowWindow(help);
        return;
    }
    QPointer<QWidget> parent(&m_parent);
    opener(QUrl::fromLocalFile(target), [this, parent, help] {
        if (parent) ShowWindow(help);
    });
}

void HelpCommand::ShowWindow(const QString& help) {
    if (!m_window) m_window = new HelpWindow(&m_parent);
    if (!m_window->Load(help)) {
        m_prompts.MessageBox(Msg(kMsgCannotOpenFile) + S(QDir::toNativeSeparators(help)),
                             Msg(kMsgErrorCaption), BoxIcon::Error);
        return;
    }
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
}

}  // namespace q7k3
