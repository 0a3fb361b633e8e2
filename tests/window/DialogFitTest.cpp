// The program's dialogs as a newcomer meets them: every button and label shows its whole
// text (run at QT_SCALE_FACTOR 1 and 2 by two ctest entries), every window carries the
// program's icon, and the small habits: rename selects the name without its extension,
// the favourites editor shows the paths and closes like any dialog, the local delete
// question carries the information icon, the progress dialog shortens a long name in the
// middle and never opens with the previous operation's line.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QToolTip>

#include "commands/DeleteFiles.h"
#include "link/widgets/SettingsDialog.h"
#include "ui/Messages.h"
#include "ui/widgets/AboutDialog.h"
#include "ui/widgets/FavoritesDialog.h"
#include "ui/widgets/InputBox.h"
#include "ui/widgets/ProgramIcon.h"
#include "window/MainWindow.h"
#include "window/PaneLook.h"
#include "window/ProgressDialog.h"
#include "window/QtPrompts.h"
#include "window/RenameDialog.h"
#include "window/RestoreDialog.h"
#include "window/Texts.h"
#include "window/WindowTestSupport.h"

using namespace q7k3;
using q7k3::test::ModalDriver;
using q7k3::test::ScriptedUi;

namespace {

// Every visible button and plain label of `dialog` is at least as large as its text needs.
// Labels that shorten themselves (ElidedLabel) or wrap are left out.
void ExpectWholeTexts(QWidget& dialog) {
    dialog.show();
    QApplication::processEvents();
    for (QAbstractButton* b : dialog.findChildren<QAbstractButton*>()) {
        if (!b->isVisibleTo(&dialog) || b->text().isEmpty()) continue;
        SCOPED_TRACE(S(dialog.objectName() + "/" + b->objectName() + " «" + b->text() + "»"));
        EXPECT_LE(b->sizeHint().width(), b->width());
        EXPECT_LE(b->sizeHint().height(), b->height());
    }
    for (QLabel* l : dialog.findChildren<QLabel*>()) {
        if (!l->isVisibleTo(&dialog) || l->text().isEmpty() || l->wordWrap() ||
            dynamic_cast<ElidedLabel*>(l) || l->textFormat() == Qt::RichText)
            continue;
        SCOPED_TRACE(S(dialog.objectName() + "/" + l->objectName() + " «" + l->text() + "»"));
        EXPECT_LE(l->fontMetrics().horizontalAdvance(l->text()), l->contentsRect().width());
    }
    dialog.hide();
}

TEST(DialogFit, EveryButtonAndLabelShowsItsWholeText) {
    AppFlags flags;
    ScriptedUi prompts;
    MainWindow form(flags, prompts);
    {
        ProgressDialog progress(flags, &form);
        ExpectWholeTexts(progress);
        ProgressDialog::WideScope wide(progress);
        ExpectWholeTexts(progress);
    }
    RenameDialog rename(&form);
    ExpectWholeTexts(rename);
    Favourites favs{{"Музыка"}, {"/home/u/Музыка"}};
    DialogInputBox<RenameDialog> input(rename);
    FavoritesDialog favourites(favs, input, &form);
    ExpectWholeTexts(favourites);
    AboutDialog about(&form);
    ExpectWholeTexts(about);
    SettingsDialog settings(&form);
    ExpectWholeTexts(settings);
    RestoreDialog restore(&form);
    ExpectWholeTexts(restore);
}

TEST(DialogFit, TheWindowAndItsDialogsCarryTheProgramsIcon) {
    AppFlags flags;
    ScriptedUi prompts;
    MainWindow form(flags, prompts);
    const QIcon icon = ProgramIcon();
    ASSERT_FALSE(icon.isNull());
    EXPECT_EQ(icon.availableSizes().size(), 7);
    EXPECT_EQ(form.windowIcon().cacheKey(), icon.cacheKey());
    // The progress dialog has no parent; the others are the window's children.
    EXPECT_EQ(form.Progress()->windowIcon().cacheKey(), icon.cacheKey());
    RenameDialog rename(&form);
    EXPECT_EQ(rename.windowIcon().cacheKey(), icon.cacheKey());
    AboutDialog about(&form);
    EXPECT_EQ(about.windowIcon().cacheKey(), icon.cacheKey());
}

TEST(DialogFit, RenameSelectsTheNameWithoutItsExtension) {
    AppFlags flags;
    ScriptedUi prompts;
    MainWindow form(flags, prompts);
    RenameDialog rename(&form);
    struct Row {
        const char* name;
        const char* selected;
    };
    const Row rows[] = {{"melody01.mel", "melody01"},
                        {"game_suite.jar", "game_suite"},
                        {"archive.tar.gz", "archive.tar"},
                        {"README", "README"},
                        {".hidden", ".hidden"}};
    for (const Row& row : rows) {
        QString seen;
        ModalDriver driver([&](QWidget*) {
            seen = rename.RenName->selectedText();
            rename.reject();
        });
        EXPECT_FALSE(rename.AskNewName(row.name));
        EXPECT_EQ(S(seen), row.selected);
    }
    // The favourites' input box takes the whole text, as before.
    QString whole;
    ModalDriver driver([&](QWidget*) {
        whole = rename.RenName->selectedText();
        rename.reject();
    });
    rename.Ask("notes.txt");
    EXPECT_EQ(S(whole), "notes.txt");
}

TEST(DialogFit, TheFavouritesShowTheirPathsAndCloseLikeAnyDialog) {
    AppFlags flags;
    ScriptedUi prompts;
    MainWindow form(flags, prompts);
    RenameDialog rename(&form);
    DialogInputBox<RenameDialog> input(rename);
    Favourites favs{{"one", "two"}, {"/p/one", "/p/two"}};
    FavoritesDialog editor(favs, input, &form);
    ASSERT_EQ(editor.FavList->count(), 2);
    EXPECT_EQ(editor.FavList->item(1)->toolTip(), "/p/two");
    // Each row is two lines high: the name, and the path under it.
    EXPECT_GT(editor.FavList->sizeHintForRow(0), editor.FavList->fontMetrics().height() * 2 - 1);
    EXPECT_EQ(editor.CloseFavBtn->text(), "Закрыть");
    for (const bool escape : {false, true}) {
        ModalDriver driver([&](QWidget* modal) {
            if (escape)
                QTest::keyClick(modal, Qt::Key_Escape);
            else
                QTest::mouseClick(editor.CloseFavBtn, Qt::LeftButton);
        });
        editor.Setup1Click();
        EXPECT_TRUE(driver.Acted());
        EXPECT_FALSE(editor.isVisible());
    }
}

TEST(DialogFit, TheLocalDeleteQuestionCarriesTheInformationIcon) {
    QtPrompts prompts;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QString text;
    ModalDriver driver([&](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        ASSERT_NE(box, nullptr);
        icon = box->icon();
        text = box->text();
        box->button(QMessageBox::No)->click();
    });
    EXPECT_FALSE(DeleteLocalFiles(prompts).Run({"/nonexistent/a.txt"}));
    EXPECT_EQ(icon, QMessageBox::Information);
    EXPECT_EQ(S(text), Msg(kMsgDeleteQuestion) + "1" + Msg(kMsgDeleteQuestionEnd));
}

TEST(DialogFit, TheProgressDialogShortensLongNamesAndNeverShowsTheLastOperation) {
    AppFlags flags;
    ProgressDialog progress(flags, nullptr);
    const std::string name =
        Msg(kMsgCopyingFile) + "OpenTTY-1.2_suite_with_a_very_long_name_indeed.jar";
    progress.SetQuickStatus(name);
    progress.Show();
    QApplication::processEvents();
    auto* quick = dynamic_cast<ElidedLabel*>(progress.QuickStatus);
    ASSERT_NE(quick, nullptr);
    EXPECT_EQ(S(quick->text()), name);
    const QString shown = quick->ShownText();
    EXPECT_TRUE(shown.contains(QChar(0x2026))) << S(shown);
    EXPECT_TRUE(shown.startsWith(M(kMsgCopyingFile))) << S(shown);
    EXPECT_TRUE(shown.endsWith(".jar")) << S(shown);
    // The whole line is the tool tip while it is shortened.
    QHelpEvent tip(QEvent::ToolTip, QPoint(5, 5), quick->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(quick, &tip);
    EXPECT_EQ(S(QToolTip::text()), name);

    progress.SetLongStatus(Msg(kMsgCopyingFirst) + "3");
    progress.Hide();
    // Read after the end, the lines are still there...
    EXPECT_EQ(S(progress.QuickStatus->text()), name);
    // ...but the next operation, which sets only its long line, opens without the old name.
    progress.SetLongStatus(Msg(kMsgUpdatingCurrent));
    progress.Show();
    EXPECT_EQ(progress.QuickStatus->text(), "");
    EXPECT_EQ(S(progress.LongStatus->text()), Msg(kMsgUpdatingCurrent));
    progress.Hide();
}

}  // namespace
