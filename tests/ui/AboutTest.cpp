// The about window: its texts and size, and that the link asks the desktop to open the
// home page.
#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>
#include <QTest>

#include "base/widgets/AboutDialog.h"
#include "window/WindowTestSupport.h"

using namespace q7k3;

namespace {

TEST(AboutWindow, ShowsItsTextsAndOpensTheHomePageFromTheLink) {
    QWidget mainWindow;
    AboutDialog about(&mainWindow);
    EXPECT_EQ(about.windowTitle(), "О программе");
    // As large as its lines need, never narrower than before, and not resizable.
    EXPECT_GE(about.width(), 277);
    EXPECT_EQ(about.minimumSize(), about.maximumSize());
    EXPECT_EQ(about.TitleLabel->text(), "Q7K3 File Manager v0.53+");
    EXPECT_EQ(about.AuthorLabel->text(), "Автор: Orvik Lanto");
    EXPECT_FALSE(about.GroupLabel->text().isEmpty());
    EXPECT_FALSE(about.MailLabel->text().isEmpty());
    EXPECT_EQ(about.HomePageLink->text(), "Домашняя страница Q7K3FileManager");
    EXPECT_EQ(about.HomePageLink->palette().color(QPalette::WindowText), QColor(Qt::blue));
    EXPECT_TRUE(about.AboutOkBtn->isDefault());
    EXPECT_EQ(about.AboutOkBtn->text(), "OK");

    std::vector<QUrl> asked;
    about.OpenUrl = [&](const QUrl& url) {
        asked.push_back(url);
        return true;
    };
    about.show();
    QTest::mouseClick(about.HomePageLink, Qt::LeftButton);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0], HomePageUrl());
    // Until the program has a site, its home page is the help page installed with it.
    EXPECT_TRUE(asked[0].isLocalFile());
    EXPECT_TRUE(asked[0].fileName().startsWith("Q7K3FM."));
    EXPECT_EQ(about.GoToHomePage->data().toUrl(), asked[0]);
    // Other labels are no links.
    QTest::mouseClick(about.MailLabel, Qt::LeftButton);
    EXPECT_EQ(asked.size(), 1u);

    about.hide();
    q7k3::test::ModalDriver driver([&](QWidget*) { about.AboutOkBtn->click(); });
    EXPECT_EQ(about.ShowModal(), QDialog::Accepted);
}

}  // namespace
