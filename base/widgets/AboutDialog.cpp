#include "base/widgets/AboutDialog.h"

#include <QAction>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QVBoxLayout>

#include "base/HelpFile.h"
#include "base/Messages.h"
#include "base/TempDir.h"

namespace q7k3 {
namespace {

QString Cap(std::string_view control) {
    return QString::fromStdString(Caption("TAboutForm", control));
}

QLabel* MakeLabel(QWidget* parent, const char* name) {
    auto* label = new QLabel(Cap(name), parent);
    label->setObjectName(name);
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

    TitleLabel = MakeLabel(this, "Label1");
    QFont title = TitleLabel->font();
    title.setBold(true);
    title.setPointSize(title.pointSize() + 2);
    TitleLabel->setFont(title);
    TitleLabel->setAlignment(Qt::AlignCenter);
    AuthorLabel = MakeLabel(this, "Label2");
    GroupLabel = MakeLabel(this, "Label3");
    MailLabel = MakeLabel(this, "Label4");
    MailLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    HomePageLink = MakeLabel(this, "Label5");
    // Drawn as a link: blue, underlined, a hand over it.
    QPalette link = HomePageLink->palette();
    link.setColor(QPalette::WindowText, Qt::blue);
    HomePageLink->setPalette(link);
    QFont underlined = HomePageLink->font();
    underlined.setUnderline(true);
    HomePageLink->setFont(underlined);
    HomePageLink->setCursor(Qt::PointingHandCursor);
    HomePageLink->installEventFilter(this);
    for (QLabel* label : {AuthorLabel, GroupLabel, MailLabel, HomePageLink})
        label->setAlignment(Qt::AlignCenter);

    AboutOkBtn = new QPushButton(Cap("AboutOkBtn"), this);
    AboutOkBtn->setObjectName("AboutOkBtn");
    AboutOkBtn->setMinimumWidth(89);
    AboutOkBtn->setDefault(true);
    connect(AboutOkBtn, &QPushButton::clicked, this, &QDialog::accept);

    // The lines centred one under the other, as wide as the longest needs (never narrower
    // than the old 277 pixels), the button under them.
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(12, 12, 12, 12);
    column->addWidget(TitleLabel);
    column->addSpacing(8);
    for (QLabel* label : {AuthorLabel, GroupLabel, MailLabel}) column->addWidget(label);
    column->addSpacing(8);
    column->addWidget(HomePageLink);
    column->addSpacing(16);
    column->addWidget(AboutOkBtn, 0, Qt::AlignHCenter);
    column->setSizeConstraint(QLayout::SetFixedSize);
    TitleLabel->setMinimumWidth(253);
    column->activate();

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

void AboutDialog::HomePageLinkClick() {
    GoToHomePage->setData(HomePageUrl());
    GoToHomePage->trigger();
}

bool AboutDialog::eventFilter(QObject* watched, QEvent* event) {
    if (watched == HomePageLink && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        HomePageLinkClick();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace q7k3
