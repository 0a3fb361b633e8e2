// The window as an owner who reads no Russian meets it: run by ctest under LANG=en_US.UTF-8
// with nothing pinning the language, the test environment loads the language as the program
// does, and the window, its dialogs and Qt's own buttons speak English. (The fit test walks
// every window of the program in English for a Cyrillic letter left.)

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QTreeWidget>

#include "commands/DeleteFiles.h"
#include "base/Language.h"
#include "base/Messages.h"
#include "window/ConflictDialog.h"
#include "window/MainWindow.h"
#include "window/QtPrompts.h"
#include "window/Texts.h"
#include "window/WindowOnPhone.h"
#include "window/WindowTestSupport.h"

using namespace q7k3;
using q7k3::test::ModalDriver;
using q7k3::test::ScriptedUi;

namespace {

TEST(EnglishWindow, TheLocaleMakesTheWindowEnglish) {
    ASSERT_EQ(CurrentLanguage(), Language::English) << "run with LANG=en_US.UTF-8";
    AppFlags flags;
    ScriptedUi prompts;
    MainWindow form(flags, prompts);
    EXPECT_EQ(form.findChild<QAbstractButton*>("CopyBtn")->text(), "F5 Copy");
    EXPECT_EQ(form.Conflicts()->FexOverwriteAllBtn->text(), "Overwrite all");
}

// The sizes of the two files count in English.
TEST(EnglishWindow, TheConflictDialogCountsBytesInEnglish) {
    AppFlags flags;
    ScriptedUi prompts;
    MainWindow form(flags, prompts);
    ConflictDialog& dialog = *form.Conflicts();
    QString existing, incoming;
    ModalDriver driver([&](QWidget*) {
        existing = dialog.ExistingFacts->text();
        incoming = dialog.IncomingFacts->text();
        dialog.reject();
    });
    dialog.AskConflictAbout("a.mmf", "a.mmf", ConflictFacts{{12345, -1}, {1, -1}, true});
    EXPECT_EQ(S(existing), "Existing file: 12,345 bytes");
    EXPECT_EQ(S(incoming), "New file: 1 byte");
}

// Every text the window shows once a phone is read: the status lines, the columns, the
// menus. The phone's own names are Latin in this phone.
struct EnglishOnPhone : ::testing::Test, q7k3::test::WindowOnPhone<> {
    void TearDown() override { Close(); }
};

TEST_F(EnglishOnPhone, TheWindowOnAPhoneSpeaksEnglish) {
    emu::EmulatorConfig config;
    config.Content = emu::Preset::Demo;
    Boot(config);
    const QString free = form->Phone().FreeLine()->text();
    EXPECT_TRUE(free.startsWith("Free ")) << S(free);
    static const QRegularExpression cyrillic(QStringLiteral("[\\x{0400}-\\x{04FF}]"));
    QStringList texts;
    for (const QLabel* l : form->findChildren<QLabel*>()) texts << l->text();
    for (const QAbstractButton* b : form->findChildren<QAbstractButton*>()) texts << b->text();
    for (const QAction* a : form->findChildren<QAction*>()) texts << a->text() << a->toolTip();
    for (const QTreeWidget* t : form->findChildren<QTreeWidget*>())
        for (int c = 0; c < t->columnCount(); ++c) {
            texts << t->headerItem()->text(c);
            for (int i = 0; i < t->topLevelItemCount(); ++i) texts << t->topLevelItem(i)->text(c);
        }
    for (const QString& text : texts) EXPECT_FALSE(text.contains(cyrillic)) << S(text);
    EXPECT_TRUE(prompts.shown.empty());
}

// The questions the program asks through message boxes carry Qt's English buttons.
TEST(EnglishWindow, TheDeleteQuestionAsksInEnglish) {
    QtPrompts prompts;
    QString text, yes, no;
    ModalDriver driver([&](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        ASSERT_NE(box, nullptr);
        text = box->windowTitle() + ": " + box->text();
        yes = box->button(QMessageBox::Yes)->text().remove('&');
        no = box->button(QMessageBox::No)->text().remove('&');
        box->button(QMessageBox::No)->click();
    });
    EXPECT_FALSE(DeleteLocalFiles(prompts).Run({"/nonexistent/a.txt"}));
    EXPECT_EQ(S(text), "Delete: Do you really want to delete “a.txt”?");
    EXPECT_EQ(yes, "Yes");
    EXPECT_EQ(no, "No");
}

}  // namespace
