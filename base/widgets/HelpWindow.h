#pragma once
// The help page, always answered: first the desktop's own viewer; where the desktop cannot
// show it (no viewer for the page, no opener at all), a window of the program's own with a
// text browser over the same HTML.

#include <QDialog>
#include <QUrl>
#include <functional>

class QTextBrowser;

namespace q7k3 {

// Opens a page with the desktop's viewer. The viewer is a program of its own that can fail
// after it has started, so the answer may come later: `failed` runs (on this thread) when
// nothing could show the page.
using UrlOpener = std::function<void(const QUrl& url, std::function<void()> failed)>;

// The desktop's opener: on Linux xdg-open, watched for its exit code (it ends with an error
// when no program takes the page); elsewhere the platform's own call.
UrlOpener DesktopOpener();

class HelpWindow : public QDialog {
    Q_OBJECT
public:
    explicit HelpWindow(QWidget* parent = nullptr);

    // Shows the page at `path` (HTML whatever its name ends in; its links relative to its
    // folder). False when the file cannot be read.
    bool Load(const QString& path);

    QTextBrowser* HelpBrowser;
};

}  // namespace q7k3
