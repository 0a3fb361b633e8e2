#include <gtest/gtest.h>
#include <QLocale>
#include "base/Messages.h"

#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QSignalSpy>
#include <QTemporaryDir>

#include "localpane/DriveComboBox.h"
#include "localpane/LocalDirView.h"
#include "window/WindowTestSupport.h"

using namespace q7k3;
using q7k3::test::WaitUntil;

namespace {

void WriteFile(const QString& path, int size) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QByteArray(size, 'x'));
}

struct LocalPaneFixture : ::testing::Test {
    QTemporaryDir dir;
    LocalDirView view;

    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        QDir d(dir.path());
        d.mkdir("zeta");
        d.mkdir("Alpha");
        WriteFile(d.filePath("b.mmf"), 3000);
        WriteFile(d.filePath("a.jpg"), 2000);
        WriteFile(d.filePath(".hidden"), 5240);
        view.resize(400, 300);
        view.show();
    }

    void Open(const QString& path) {
        view.SetPath(path);
        ASSERT_TRUE(WaitUntil([&] { return view.Loaded(); }));
    }

    QStringList Names() {
        QStringList names;
        for (const auto& item : view.Items()) names.append(item.Name);
        return names;
    }
};

TEST_F(LocalPaneFixture, ListsFoldersFirstHiddenFilesIncludedAndTotals) {
    Open(dir.path());
    EXPECT_EQ(Names(), (QStringList{"Alpha", "zeta", ".hidden", "a.jpg", "b.mmf"}));
    EXPECT_EQ(view.FileCount(), 3);
    EXPECT_EQ(view.TotalFileBytes(), 10240);
    EXPECT_EQ(view.SelectedCount(), 0);
    // The ".." entry leads up and is counted nowhere.
    EXPECT_EQ(view.model()->index(0, 0, view.rootIndex()).data().toString(), "..");

    ASSERT_TRUE(view.SelectName("b.mmf"));
    ASSERT_TRUE(view.SelectName("Alpha", true));
    EXPECT_EQ(view.SelectedCount(), 2);
    EXPECT_EQ(view.SelectedFileBytes(), 3000);
    EXPECT_EQ(view.SelectedPaths(),
              (QStringList{QDir(dir.path()).filePath("Alpha"), QDir(dir.path()).filePath("b.mmf")}));
}

// A symbolic link reads as one: the size of what it leads to, or none, and its kind.
TEST_F(LocalPaneFixture, LinksShowAsLinks) {
    QDir d(dir.path());
    ASSERT_TRUE(QFile::link(d.filePath("b.mmf"), d.filePath("tune-link.mmf")));
    ASSERT_TRUE(QFile::link(d.filePath("gone.mmf"), d.filePath("dangling.mmf")));
    Open(dir.path());
    const struct {
        const char* name;
        QString size;
        std::string type;
    } rows[] = {{"tune-link.mmf", QLocale().toString(3000), Msg(kMsgLinkType)},
                {"dangling.mmf", QString(), Msg(kMsgBrokenLinkType)}};
    for (const auto& row : rows) {
        const int count = view.model()->rowCount(view.rootIndex());
        int found = -1;
        for (int r = 0; r < count; ++r)
            if (view.model()->index(r, 0, view.rootIndex()).data().toString() == row.name)
                found = r;
        ASSERT_GE(found, 0) << row.name;
        EXPECT_EQ(view.model()->index(found, 1, view.rootIndex()).data().toString(), row.size);
        EXPECT_EQ(view.model()->index(found, 2, view.rootIndex()).data().toString().toStdString(),
                  row.type);
    }
    // Nothing counts as -1 bytes.
    EXPECT_EQ(view.TotalFileBytes(), 10240 + 3000);
}

TEST_F(LocalPaneFixture, SettingThePathStripsTrailingSeparatorsAndSignalsTheRead) {
    QSignalSpy read(&view, &LocalDirView::DirectoryRead);
    Open(dir.path() + "///");
    EXPECT_EQ(view.Path(), QDir::cleanPath(dir.path()));
    ASSERT_TRUE(WaitUntil([&] { return read.count() >= 1; }));
    EXPECT_EQ(read.last().at(0).toString(), view.Path());
    EXPECT_EQ(LocalDirView::StripTrailingSeparators("/"), "/");
    EXPECT_EQ(LocalDirView::StripTrailingSeparators("/home/user//"), "/home/user");
}

TEST_F(LocalPaneFixture, EnterOpensAFolderAndDotDotGoesBack) {
    Open(dir.path());
    ASSERT_TRUE(view.SelectName("zeta"));
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(&view, &enter);
    ASSERT_TRUE(WaitUntil([&] { return view.Loaded(); }));
    EXPECT_EQ(view.Path(), QDir(dir.path()).filePath("zeta"));
    EXPECT_TRUE(view.Items().isEmpty());

    // The only row of an empty folder is "..".
    ASSERT_EQ(view.model()->rowCount(view.rootIndex()), 1);
    const QModelIndex up = view.model()->index(0, 0, view.rootIndex());
    view.setCurrentIndex(up);
    QApplication::sendEvent(&view, &enter);
    ASSERT_TRUE(WaitUntil([&] { return view.Loaded(); }));
    EXPECT_EQ(view.Path(), QDir::cleanPath(dir.path()));
}

TEST_F(LocalPaneFixture, ReloadSeesFilesMadeSinceTheLastRead) {
    Open(dir.path());
    WriteFile(QDir(dir.path()).filePath("new.gif"), 10);
    EXPECT_FALSE(Names().contains("new.gif"));
    view.Reload();
    ASSERT_TRUE(WaitUntil([&] { return view.Loaded(); }));
    EXPECT_TRUE(Names().contains("new.gif"));
}

TEST_F(LocalPaneFixture, AFolderThatIsGoneFallsBackToTheNearestOneThatExists) {
    Open(QDir(dir.path()).filePath("zeta"));
    ASSERT_TRUE(QDir(dir.path()).rmdir("zeta"));
    QSignalSpy read(&view, &LocalDirView::DirectoryRead);
    view.Reload();
    ASSERT_TRUE(WaitUntil([&] { return view.Loaded(); }));
    EXPECT_EQ(view.Path(), QDir::cleanPath(dir.path()));
    EXPECT_EQ(Names(), (QStringList{"Alpha", ".hidden", "a.jpg", "b.mmf"}));
    ASSERT_TRUE(WaitUntil([&] { return read.count() >= 1; }));
    EXPECT_EQ(read.last().at(0).toString(), view.Path());

    Open(QDir(dir.path()).filePath("never/made/at/all"));
    EXPECT_EQ(view.Path(), QDir::cleanPath(dir.path()));
}

TEST_F(LocalPaneFixture, AFolderThatCannotBeListedIsNotEntered) {
    const QString locked = QDir(dir.path()).filePath("zeta");
    ASSERT_TRUE(QFile::setPermissions(locked, QFileDevice::WriteOwner));
    if (QFileInfo(locked).isReadable()) {
        QFile::setPermissions(locked, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                          QFileDevice::ExeOwner);
        GTEST_SKIP() << "this user reads every folder";
    }
    Open(dir.path());
    ASSERT_TRUE(view.SelectName("zeta"));
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(&view, &enter);
    EXPECT_EQ(view.Path(), QDir::cleanPath(dir.path()));
    QFile::setPermissions(locked,
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

TEST(DriveComboBox, ListsTheRootAndSelectsTheVolumeOfAPath) {
    DriveComboBox drives;
    ASSERT_GT(drives.count(), 0);
    EXPECT_GE(drives.findData(QDir::rootPath()), 0);
    drives.SelectDriveFor(QDir::homePath());
    EXPECT_TRUE(QDir::homePath().startsWith(drives.DriveLetter()));
    EXPECT_GT(drives.TotalBytes(), 0);
    EXPECT_LE(drives.FreeBytes(), drives.TotalBytes());
}

}  // namespace
