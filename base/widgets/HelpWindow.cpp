#include "base/widgets/HelpWindow.h"

#include <QDesktopServices>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTextBrowser>
#include <QTimer>
#include <QVBoxLayout>

#include "base/Messages.h"

namespace q7k3 {

UrlOpener DesktopOpener() {
    return [](const QUrl& url, std::function<void()> failed) {
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
        // Qt hands the page to xdg-open and forgets it: a desktop without a viewer for
        // HTML would show nothing at all. The exit code says whether a viewer took it.
        const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
        if (opener.isEmpty()) {
            QTimer::singleShot(0, [failed] { failed(); });
            return;
        }
        // No parent: a viewer that xdg-open runs in the foreground outlives the program
        // rather than being killed with it.
        auto* process = new QProcess();
        process->setStandardOutputFile(QProcess::nullDevice());
        process->setStandardErrorFile(QProcess::nullDevice());
        QObject::connect(process, &QProcess::finished, process,
                         [process, failed](int code, QProcess::ExitStatus status) {
                             if (status != QProcess::NormalExit || code != 0) failed();
                             process->deleteLater();
                         });
        QObject::connect(process, &QProcess::errorOccurred, process,
                         [process, failed](QProcess::ProcessError error) {
                             if (error != QProcess::FailedToStart) return;
                             failed();
                             process->deleteLater();
                         });
        process->start(opener, {url.toString()});
#else
        if (!QDesktopServices::openUrl(url)) QTimer::singleShot(0, [failed] { failed(); });
#endif
    };
}

HelpWindow::HelpWindow(QWidget* parent) : QDialog(parent) {
    setObjectName("HelpWindow");
    setWindowTitle(QString::fromStdString(Caption("TForm1", "Help2")));
    setModal(false);
    resize(640, 520);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    HelpBrowser = new QTextBrowser(this);
    HelpBrowser->setObjectName("HelpBrowser");
    // Pages on the web go to the desktop's browser; the help's own links stay here.
    HelpBrowser->setOpenExternalLinks(true);
    layout->addWidget(HelpBrowser);
}

bool HelpWindow::Load(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return false;
    // The page keeps its traditional name, so its type is not told by the extension.
    HelpBrowser->setSearchPaths({QFileInfo(path).absolutePath()});
    HelpBrowser->document()->setBaseUrl(QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()));
    HelpBrowser->setHtml(QString::fromUtf8(file.readAll()));
    return true;
}

}  // namespace q7k3
