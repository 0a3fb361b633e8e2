#pragma once
// The about window, "О программе": the program's name and version, the author, the group
// and contact lines, and a link to the program's home page.
//
// The main window makes it once and shows it with ShowModal() from the Help menu's
// "О программе" item.

#include <QDialog>
#include <QUrl>
#include <functional>

class QAction;
class QLabel;
class QPushButton;

namespace q7k3 {

// The home page the link opens. The catalogue holds its address: a web address, or the
// name of a page installed beside the program (its help page, until the program has a
// site of its own). An installed page is opened through a copy named ".html" in the
// private temporary directory, since desktops choose a viewer by the name's extension.
QUrl HomePageUrl();

class AboutDialog : public QDialog {
    Q_OBJECT
public:
    explicit AboutDialog(QWidget* mainWindow = nullptr);

    // Centres the window on the main window and shows it modally.
    int ShowModal();
    // The link: sets the home page's address on GoToHomePage and runs it.
    void HomePageLinkClick();

    // How an address reaches the desktop's web browser (tests record it instead).
    std::function<bool(const QUrl&)> OpenUrl;

    QLabel* TitleLabel;
    QLabel* AuthorLabel;
    QLabel* GroupLabel;
    QLabel* MailLabel;
    QLabel* HomePageLink;
    QPushButton* AboutOkBtn;
    QAction* GoToHomePage;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* m_mainWindow;
};

}  // namespace q7k3
