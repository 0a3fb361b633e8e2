#include "ui/widgets/AboutDialog.h"

#include <QAction>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>

#include "ui/HelpFile.h"
#include "ui/Messages.h"
#include "ui/TempDir.h"

namespace q7k3 {
namespace {

QString Cap(std::string_view control) {
    return QString::fromStdString(Caption("TAboutForm", control));
}

QLabel* MakeLabel(QWidget* parent, const char* name, const QRect& where) {
    auto* label = new QLabel(Cap(name), parent);
    label->setObjectName(name);
    label->setGeometry(where);
    return label;
}

}  // namespace

QUrl HomePageUrl() {
    const QString address = QString::fromStdString(Caption("TForm11", "HomePage"));
    const QUrl url(address);
    if (url.scheme() == QLatin1String("http") || url.scheme() == QLatin1String("https")) return url;
    // The help page in the program's language, wherever the build or the installation put it.
    const QString page = address == QLatin1String("Q7K3FM.hlp")
                             ? FindHelpFile()
                             : QDir(QCoreApplication::applicationDirPath()).filePath(address);
    if (QFileInfo(page).suffix().compare(QLatin1String("html"), Qt::CaseInsensitive) != 0) {
        const QString dir = QString::fromStdString(PrivateTempDir());
        if (QFileInfo::exists(page) && !dir.isEmpty()) {
            const QString copy = QDir(dir).filePath(QFileInfo(page).completeBaseName() + ".html");
            QFile::remove(copy);
            if (QFile::copy(page, copy)) return QUrl::fromLocalFile(copy);
        }
    }
    // A missing page is the browser's to report.
    return QUrl::fromLocalFile(page);
}

AboutDialog::AboutDialog(QWidget* mainWindow)
    : QDialog(mainWindow, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                              Qt::WindowCloseButtonHint),
      OpenUrl([](const QUrl& url) { return QDesktopServices::openUrl(url); }),
      m_mainWindow(mainWindow) {
    setObjectName("TAboutForm");
    setWindowTitle(Cap(""));
    setModal(true);
    setFixedSize(277, 211);

    Label1 = MakeLabel(this, "Label1", QRect(8, 12, 261, 24));
    QFont title = Label1->font();
    title.setBold(true);
    title.setPointSize(title.pointSize() + 2);
    Label1->setFont(title);
    Label1->setAlignment(Qt::AlignCenter);
    Label2 = MakeLabel(this, "Label2", QRect(8, 48, 261, 20));
    Label3 = MakeLabel(this, "Label3", QRect(8, 72, 261, 20));
    Label4 = MakeLabel(this, "Label4", QRect(8, 96, 261, 20));
    Label4->setTextInteractionFlags(Qt::TextSelectableByMouse);
    Label5 = MakeLabel(this, "Label5", QRect(8, 128, 261, 20));
    // Drawn as a link: blue, underlined, a hand over it.
    QPalette link = Label5->palette();
    link.setColor(QPalette::WindowText, Qt::blue);
    Label5->setPalette(link);
    QFont underlined = Label5->font();
    underlined.setUnderline(true);
    Label5->setFont(underlined);
    Label5->setCursor(Qt::PointingHandCursor);
    Label5->installEventFilter(this);
    for (QLabel* label : {Label2, Label3, Label4, Label5}) label->setAlignment(Qt::AlignCenter);

    AboutOkBtn = new QPushButton(Cap("AboutOkBtn"), this);
    AboutOkBtn->setObjectName("AboutOkBtn");
    AboutOkBtn->setGeometry(94, 172, 89, 25);
    AboutOkBtn->setDefault(true);
    connect(AboutOkBtn, &QPushButton::clicked, this, &QDialog::accept);

    GoToHomePage = new QAction(this);
    GoToHomePage->setObjectName("GoToHomePage");
    connect(GoToHomePage, &QAction::triggered, this, [this] {
        if (OpenUrl) OpenUrl(GoToHomePage->data().toUrl());
    });
}

int AboutDialog::ShowModal() {
    if (m_mainWindow) {
        const QRect outer = m_mainWindow->frameGeometry();
        move(outer.center() - QPoint(width() / 2, height() / 2));
    }
    return exec();
}

void AboutDialog::Label5Click() {
    GoToHomePage->setData(HomePageUrl());
    GoToHomePage->trigger();
}

bool AboutDialog::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Label5 && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        Label5Click();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace q7k3
