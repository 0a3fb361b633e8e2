// The window as an owner who reads no Russian meets it: run by ctest under LANG=en_US.UTF-8
// (the test environment loads the language as the program does), no widget of the main
// window or of any dialog shows a Cyrillic letter, and Qt's own buttons speak English too.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QRegularExpression>
#include <QTabWidget>

#include "commands/DeleteFiles.h"
#include "link/widgets/PhoneSearchDialog.h"
#include "link/widgets/PortStatesDialog.h"
#include "link/widgets/SettingsDialog.h"
#include "preview/widgets/PreviewWindow.h"
#include "ui/Language.h"
#include "ui/Messages.h"
#include "ui/widgets/AboutDialog.h"
#include "ui/widgets/FavoritesDialog.h"
#include "ui/widgets/HelpWindow.h"
#include "ui/widgets/InputBox.h"
#include "window/ConflictDialog.h"
#include "window/MainWindow.h"
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

// Every text the widgets of `root` show, each with where it stands: titles, buttons, labels,
// tabs, group boxes, drop-down entries, placeholders, tool tips, actions and the column titles
// of lists. What the rows of a list hold (file names) is the user's, not the program's.
QStringList ShownTexts(QWidget& root) {
    QStringList texts;
    auto add = [&](const QObject* where, const QString& text) {
        if (!text.isEmpty()) texts << where->objectName() + ": " + text;
    };
    QList<QWidget*> widgets = root.findChildren<QWidget*>();
    widgets.prepend(&root);
    for (QWidget* w : widgets) {
        if (w->isWindow()) add(w, w->windowTitle());
        add(w, w->toolTip());
        add(w, w->accessibleName());
        if (auto* b = qobject_cast<QAbstractButton*>(w)) add(w, b->text());
        if (auto* l = qobject_cast<QLabel*>(w)) add(w, l->text());
        if (auto* g = qobject_cast<QGroupBox*>(w)) add(w, g->title());
        if (auto* e = qobject_cast<QLineEdit*>(w)) add(w, e->placeholderText());
        if (auto* t = qobject_cast<QTabWidget*>(w))
            for (int i = 0; i < t->count(); ++i) add(w, t->tabText(i));
        if (auto* c = qobject_cast<QComboBox*>(w); c && !c->isEditable())
            for (int i = 0; i < c->count(); ++i) add(w, c->itemText(i));
        if (auto* v = qobject_cast<QAbstractItemView*>(w); v && v->model())
            for (int i = 0; i < v->model()->columnCount(); ++i)
                add(w, v->model()->headerData(i, Qt::Horizontal).toString());
    }
    for (const QAction* a : root.findChildren<QAction*>()) {
        add(a, a->text());
        add(a, a->toolTip());
    }
    return texts;
}

void ExpectNoCyrillic(QWidget& root) {
    static const QRegularExpression cyrillic(QStringLiteral("[\\x{0400}-\\x{04FF}]"));
    const QStringList texts = ShownTexts(root);
    EXPECT_FALSE(texts.isEmpty()) << S(root.objectName());
    for (const QString& text : texts)
        EXPECT_FALSE(text.contains(cyrillic)) << S(root.objectName() + " / " + text);
}

TEST(EnglishWindow, TheProgramSpeaksEnglishUnderAnEnglishLocale) {
    ASSERT_EQ(CurrentLanguage(), Language::English) << "run with LANG=en_US.UTF-8";
    EXPECT_EQ(Msg(kMsgErrorCaption), "Error");
    EXPECT_EQ(Caption("TFileExistForm", "FexOverwriteBtn"), "Overwrite");
    EXPECT_EQ(Caption("TProcessForm", "AbortBtn"), "Abort");
}

TEST(EnglishWindow, NoWindowOrDialogShowsCyrillic) {
    AppFlags flags;
    ScriptedUi prompts;
    MainWindow form(flags, prompts);
    form.show();
    ExpectNoCyrillic(form);
    ExpectNoCyrillic(*form.Progress());
    ExpectNoCyrillic(*form.Conflicts());
    ExpectNoCyrillic(*form.Renames());
    Favourites favs{{"Music"}, {"/home/u/Music"}};
    DialogInputBox<RenameDialog> input(*form.Renames());
    FavoritesDialog favourites(favs, input, &form);
    ExpectNoCyrillic(favourites);
    AboutDialog about(&form);
    ExpectNoCyrillic(about);
    SettingsDialog settings(&form);
    ExpectNoCyrillic(settings);
    RestoreDialog restore(&form);
    ExpectNoCyrillic(restore);
    PreviewWindow preview(&form);
    ExpectNoCyrillic(preview);
    HelpWindow help(&form);
    ExpectNoCyrillic(help);
    PhoneSearchDialog search(&form);
    ExpectNoCyrillic(search);
    // Each state a port can be in, with the remedy shown under it.
    PortStatesDialog states(&form);
    std::vector<PortStatus> ports(5);
    const PortState kinds[] = {PortState::Opens, PortState::NoPermission, PortState::Busy,
                               PortState::ModemManager, PortState::Unusable};
    for (size_t i = 0; i < ports.size(); ++i) {
        ports[i].Path = "/dev/ttyUSB" + std::to_string(i);
        ports[i].State = kinds[i];
        ports[i].Group = "dialout";
        ports[i].Error = 5;
        ports[i].VendorId = "067b";
        ports[i].ProductId = "2303";
    }
    ports[2].Holders = {{812, "minicom"}};
    ports[0].Holders = {{813, "cat"}};
    states.Fill(ports);
    ExpectNoCyrillic(states);
}

// The questions the program asks through message boxes carry Qt's English buttons.
TEST(EnglishWindow, TheDeleteQuestionAsksInEnglish) {
    QtPrompts prompts;
    QString text, yes, no;
    ModalDriver driver([&](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        ASSERT_NE(box, nullptr);
        text = box->windowTitle() + " " + box->text();
        yes = box->button(QMessageBox::Yes)->text().remove('&');
        no = box->button(QMessageBox::No)->text().remove('&');
        box->button(QMessageBox::No)->click();
    });
    EXPECT_FALSE(DeleteLocalFiles(prompts).Run({"/nonexistent/a.txt"}));
    EXPECT_EQ(S(text), "Delete Do you really want to delete 1 files?");
    EXPECT_EQ(yes, "Yes");
    EXPECT_EQ(no, "No");
}

}  // namespace
