#include <gtest/gtest.h>

#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>

#include "window/ConflictDialog.h"
#include "window/ProgressDialog.h"
#include "window/QtPrompts.h"
#include "window/RenameDialog.h"
#include "window/WindowTestSupport.h"

using namespace q7k3;
using q7k3::test::ModalDriver;

namespace {

TEST(Conflicts, EachButtonGivesItsModalResultAndTheEditedName) {
    QWidget main;
    main.resize(694, 440);
    ConflictDialog form(&main);
    const struct {
        const char* button;
        int result;
    } rows[] = {
        {"FexOKBtn", 1}, {"FexOverwriteBtn", 5}, {"FexOverwriteAllBtn", 3}, {"FexCancel", 2}};
    for (const auto& row : rows) {
        ModalDriver driver([&](QWidget* modal) {
            ASSERT_EQ(modal, &form);
            EXPECT_EQ(form.OldName->text(), "tune.mmf");
            form.NewName->setText("tune2.mmf");
            form.findChild<QPushButton*>(row.button)->click();
        });
        EXPECT_EQ(form.Ask("tune.mmf", "tune.mmf"), row.result) << row.button;
        EXPECT_EQ(form.NewNameText(), "tune2.mmf");
        EXPECT_TRUE(driver.Acted());
    }
}

TEST(Conflicts, ClosingFromTheTitleBarOrEscapeCountsAsCancel) {
    ConflictDialog form(nullptr);
    {
        ModalDriver driver([&](QWidget*) { form.close(); });
        EXPECT_EQ(form.Ask("a", "b"), ConflictDialog::kCancel);
    }
    {
        ModalDriver driver([&](QWidget*) {
            QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
            QApplication::sendEvent(&form, &esc);
        });
        EXPECT_EQ(form.Ask("a", "b"), ConflictDialog::kCancel);
    }
    // Enter takes the default button, "OK".
    {
        ModalDriver driver([&](QWidget*) {
            QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
            QApplication::sendEvent(form.NewName, &enter);
        });
        EXPECT_EQ(form.Ask("a", "b"), ConflictDialog::kOk);
    }
}

TEST(Renames, OkAndCancelAndTheNewName) {
    RenameDialog form(nullptr);
    {
        ModalDriver driver([&](QWidget*) {
            EXPECT_EQ(form.RenName->text(), "old.jpg");
            form.RenName->setText("new.jpg");
            form.RenOK->click();
        });
        EXPECT_EQ(form.Ask("old.jpg"), RenameDialog::kOk);
        EXPECT_EQ(form.NameText(), "new.jpg");
    }
    {
        ModalDriver driver([&](QWidget*) { form.close(); });
        EXPECT_EQ(form.Ask("old.jpg"), RenameDialog::kCancel);
    }
}

TEST(Progress, AbortRaisesTheFlagAndSaysTheCommandIsEnding) {
    AppFlags flags;
    ProgressDialog form(flags, nullptr);
    form.Show();
    form.SetLongStatus("Копирование файла 3 из 5");
    form.AbortBtn->click();
    EXPECT_TRUE(flags.AbortRequested);
    EXPECT_EQ(form.LongStatus->text(), "Завершение текущей операции");
    // The button stays usable while the main window is disabled: the dialog is its own window.
    EXPECT_TRUE(form.isWindow());
    EXPECT_TRUE(form.AbortBtn->isEnabled());
    form.Hide();
}

TEST(Progress, TheUserCannotCloseItButTheProgramCan) {
    AppFlags flags;
    ProgressDialog form(flags, nullptr);
    form.Show();
    EXPECT_FALSE(form.isModal());
    form.close();
    EXPECT_TRUE(form.isVisible());
    QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(&form, &esc);
    EXPECT_TRUE(form.isVisible());
    EXPECT_FALSE(form.windowFlags() & Qt::WindowCloseButtonHint);
    form.Hide();
    EXPECT_FALSE(form.isVisible());
}

TEST(Progress, CentredOnTheMainWindow) {
    AppFlags flags;
    QWidget main;
    main.setGeometry(100, 100, 694, 440);
    main.show();
    ProgressDialog form(flags, &main);
    form.Show();
    const QPoint centre = form.frameGeometry().center();
    EXPECT_NEAR(centre.x(), main.frameGeometry().center().x(), 2);
    EXPECT_NEAR(centre.y(), main.frameGeometry().center().y(), 2);

    form.Hide();
}

TEST(QtPrompts, BoxShowsCaptionIconAndTextWithLineBreaks) {
    QtPrompts prompts;
    QString caption, text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    ModalDriver driver([&](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        ASSERT_NE(box, nullptr);
        caption = box->windowTitle();
        text = box->text();
        icon = box->icon();
        box->button(QMessageBox::Ok)->click();
    });
    prompts.MessageBox("Кэширование файлов было прервано.\r\nСвободное место", "Внимание",
                       BoxIcon::Information);
    EXPECT_EQ(caption, "Внимание");
    EXPECT_EQ(text, "Кэширование файлов было прервано.\nСвободное место");
    EXPECT_EQ(icon, QMessageBox::Information);
}

TEST(QtPrompts, QuestionAnswersYesOrNoWithRussianButtons) {
    ASSERT_TRUE(InstallRussianTranslation()) << "qtbase_ru is not installed";
    QtPrompts prompts;
    for (const bool yes : {true, false}) {
        QString yesText, noText;
        ModalDriver driver([&](QWidget* modal) {
            auto* box = qobject_cast<QMessageBox*>(modal);
            ASSERT_NE(box, nullptr);
            yesText = box->button(QMessageBox::Yes)->text();
            noText = box->button(QMessageBox::No)->text();
            box->button(yes ? QMessageBox::Yes : QMessageBox::No)->click();
        });
        EXPECT_EQ(prompts.AskYesNo("Вы хотите продолжить?", "Внимание"), yes);
        EXPECT_EQ(yesText.remove('&'), "Да");
        EXPECT_EQ(noText.remove('&'), "Нет");
    }
}

// A question about a step that cannot be undone: Enter answers No.
TEST(QtPrompts, AnIrreversibleStepDefaultsToNo) {
    QtPrompts prompts;
    for (const bool defaultNo : {true, false}) {
        ModalDriver driver([](QWidget* modal) {
            ASSERT_NE(qobject_cast<QMessageBox*>(modal), nullptr);
            QTest::keyClick(modal, Qt::Key_Return);
        });
        EXPECT_EQ(defaultNo ? prompts.AskYesNoDefaultNo("Удалить с телефона «a.txt»?", "Удаление")
                            : prompts.AskYesNo("Вы хотите продолжить?", "Внимание"),
                  !defaultNo);
    }
}

}  // namespace
