// "Помощь" always answers: the desktop's viewer first; where it cannot show the page, the
// program's own window with the same HTML. The desktop's opener is xdg-open, faked here by
// scripts on PATH that end as the real one does.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QMenu>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>

#include "localpane/LocalDirView.h"
#include "base/widgets/HelpWindow.h"
#include "window/ComputerPane.h"
#include "window/MainWindow.h"
#include "window/PhoneListView.h"
#include "window/PhonePane.h"
#include "window/Texts.h"
#include "window/WindowTestSupport.h"

using namespace q7k3;
using q7k3::test::ScriptedUi;
using q7k3::test::WaitUntil;

namespace {

// Sets an environment variable for the length of a test.
class EnvGuard {
public:
    EnvGuard(const char* name, const QByteArray& value)
        : m_name(name), m_had(qEnvironmentVariableIsSet(name)), m_old(qgetenv(name)) {
        qputenv(name, value);
    }
    ~EnvGuard() {
        if (m_had)
            qputenv(m_name, m_old);
        else
            qunsetenv(m_name);
    }

private:
    const char* m_name;
    bool m_had;
    QByteArray m_old;
};

void WriteScript(const QString& path, const QByteArray& body) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("#!/bin/sh\n" + body + "\n");
    file.close();
    file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

TEST(HelpWindow, ShownWhenTheDesktopCannotOpenThePageAndNotWhenItCan) {
    // The installed page where the program looks for it.
    QTemporaryDir data;
    ASSERT_TRUE(QDir(data.path()).mkpath("q7k3fm"));
    ASSERT_TRUE(QFile::copy(QStringLiteral(Q7K3_BIN_DIR "/Q7K3FM.hlp"),
                            data.filePath("q7k3fm/Q7K3FM.html")))
        << "build q7k3fm first";
    EnvGuard xdg("XDG_DATA_HOME", data.path().toLocal8Bit());

    AppFlags flags;
    ScriptedUi prompts;
    MainWindow form(flags, prompts);
    QList<QUrl> asked;
    form.OpenHelpUrl = [&](const QUrl& url, std::function<void()>) { asked << url; };
    form.MenuAction("Help2")->trigger();
    ASSERT_EQ(asked.size(), 1);
    // Handed over as an HTML page, whatever its name is beside the program.
    EXPECT_TRUE(asked[0].isLocalFile());
    EXPECT_TRUE(asked[0].path().endsWith(".html")) << S(asked[0].toString());
    EXPECT_EQ(form.HelpViewer(), nullptr);

    // The viewer fails, later, as xdg-open does.
    std::function<void()> fail;
    form.OpenHelpUrl = [&](const QUrl&, std::function<void()> failed) { fail = failed; };
    form.MenuAction("Help2")->trigger();
    ASSERT_TRUE(fail);
    fail();
    ASSERT_NE(form.HelpViewer(), nullptr);
    EXPECT_TRUE(form.HelpViewer()->isVisible());
    EXPECT_EQ(form.HelpViewer()->windowTitle(), "Помощь");
    EXPECT_TRUE(form.HelpViewer()->HelpBrowser->toPlainText().contains("F5"));
    EXPECT_TRUE(prompts.shown.empty());
    form.HelpViewer()->close();

    // No page anywhere: said in a box instead of an empty window.
    EnvGuard none("XDG_DATA_HOME", QByteArray("/nonexistent"));
    form.OpenHelpUrl = [](const QUrl&, std::function<void()> failed) { failed(); };
    form.MenuAction("Help2")->trigger();
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_TRUE(prompts.shown[0].Text.starts_with("Невозможно открыть файл "))
        << prompts.shown[0].Text;
    EXPECT_FALSE(form.HelpViewer()->isVisible());
}

TEST(HelpWindow, F1OpensTheHelpFromEitherPane) {
    AppFlags flags;
    ScriptedUi prompts;
    MainWindow form(flags, prompts);
    int asked = 0;
    form.OpenHelpUrl = [&](const QUrl&, std::function<void()>) { ++asked; };
    form.show();
    form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    EXPECT_EQ(form.MenuAction("Help2")->shortcut(), QKeySequence(Qt::Key_F1));
    QTest::keyClick(form.Computer().List(), Qt::Key_F1);
    EXPECT_EQ(asked, 1);
    QTest::keyClick(form.Phone().List(), Qt::Key_F1);
    EXPECT_EQ(asked, 2);
}

TEST(HelpWindow, TheDesktopOpenerFailsWhenXdgOpenEndsWithAnErrorOrIsMissing) {
    QTemporaryDir bin;
    const QString marker = bin.filePath("ran");
    EnvGuard path("PATH", bin.path().toLocal8Bit());
    const UrlOpener open = DesktopOpener();
    const QUrl page = QUrl::fromLocalFile(bin.filePath("page.html"));

    // No xdg-open at all.
    bool failed = false;
    open(page, [&] { failed = true; });
    EXPECT_TRUE(WaitUntil([&] { return failed; }, 2000));

    // No program for HTML: xdg-open ends with 3.
    WriteScript(bin.filePath("xdg-open"), "echo \"$1\" > '" + marker.toLocal8Bit() + "'; exit 3");
    failed = false;
    open(page, [&] { failed = true; });
    EXPECT_TRUE(WaitUntil([&] { return failed; }, 5000));
    QFile ran(marker);
    ASSERT_TRUE(ran.open(QIODevice::ReadOnly));
    EXPECT_EQ(ran.readAll().trimmed(), page.toString().toLocal8Bit());
    ran.close();

    // A viewer took it: no window of our own.
    QFile::remove(marker);
    WriteScript(bin.filePath("xdg-open"), ": > '" + marker.toLocal8Bit() + "'; exit 0");
    failed = false;
    open(page, [&] { failed = true; });
    ASSERT_TRUE(WaitUntil([&] { return QFile::exists(marker); }, 5000));
    WaitUntil([] { return false; }, 300);
    EXPECT_FALSE(failed);
}

}  // namespace
