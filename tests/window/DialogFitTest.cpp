// The program's windows as a newcomer meets them: every window the program can show
// shows its buttons, labels and lists whole, inside it (run at QT_SCALE_FACTOR 1 and 2,
// and in each language, by the ctest entries), every window carries the
// program's icon, and the small habits: rename selects the name without its extension,
// the favourites editor shows the paths and closes like any dialog, the local delete
// question carries the information icon, the progress dialog shortens a long name in the
// middle and never opens with the previous operation's line.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QStyleOptionComboBox>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QToolTip>
#include <filesystem>
#include <fstream>
#include <regex>
#include <set>

#include "commands/DeleteFiles.h"
#include "link/Connection.h"
#include "ports/widgets/PhoneSearchDialog.h"
#include "ports/widgets/PortStatesDialog.h"
#include "settings/widgets/SettingsDialog.h"
#include "preview/widgets/PreviewWindow.h"
#include "settings/Fakes.h"
#include "base/Language.h"
#include "base/Messages.h"
#include "base/widgets/AboutDialog.h"
#include "base/widgets/FavoritesDialog.h"
#include "base/widgets/HelpWindow.h"
#include "base/widgets/InputBox.h"
#include "base/widgets/ProgramIcon.h"
#include "window/ConflictDialog.h"
#include "window/MainWindow.h"
#include "window/PaneLook.h"
#include "window/ProgressDialog.h"
#include "window/QtPrompts.h"
#include "window/RenameDialog.h"
#include "window/RestoreDialog.h"
#include "window/Texts.h"
#include "window/ViewCommand.h"
#include "window/WindowTestSupport.h"

using namespace q7k3;
using q7k3::test::ModalDriver;
using q7k3::test::ScriptedUi;
using q7k3::test::WaitUntil;

namespace {

bool WriteFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// The language the texts are checked in, from Q7K3_FIT_LANGUAGE: the catalogue's own
// Russian, or a translation the build made. False: there is none.
bool FitLanguage(const QString& language) {
    const QStringList dirs{QStringLiteral(Q7K3_BIN_DIR)};
    if (language.isEmpty() || language == QLatin1String("ru")) {
        UseLanguage(Language::Russian, dirs);
        return true;
    }
    return language == QLatin1String("en") && UseLanguage(Language::English, dirs).Program;
}

// Every text the widgets of `root` show: titles, buttons, labels, tabs, drop-down entries,
// tool tips, actions and the column titles of lists (what the rows hold is the user's).
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

// In a translation, no word of Russian is left in any of them.
void ExpectNoCyrillic(QWidget& window) {
    static const QRegularExpression cyrillic(QStringLiteral("[\\x{0400}-\\x{04FF}]"));
    for (const QString& text : ShownTexts(window))
        EXPECT_FALSE(text.contains(cyrillic)) << S(window.objectName() + " / " + text);
}

// Every visible button, plain label and list of `window` is at least as large as its text
// needs. Labels that shorten themselves (ElidedLabel) or wrap are left out.
void ExpectWholeTexts(QWidget& window) {
    const std::string where =
        S(QString::fromLatin1(window.metaObject()->className()) + " " + window.objectName() + "/");
    for (QAbstractButton* b : window.findChildren<QAbstractButton*>()) {
        if (!b->isVisibleTo(&window) || b->text().isEmpty()) continue;
        SCOPED_TRACE(where + S(b->objectName() + " «" + b->text() + "»"));
        EXPECT_LE(b->sizeHint().width(), b->width());
        EXPECT_LE(b->sizeHint().height(), b->height());
    }
    for (QLabel* l : window.findChildren<QLabel*>()) {
        if (!l->isVisibleTo(&window) || l->text().isEmpty() || l->wordWrap() ||
            dynamic_cast<ElidedLabel*>(l) || l->textFormat() == Qt::RichText)
            continue;
        SCOPED_TRACE(where + S(l->objectName() + " «" + l->text() + "»"));
        EXPECT_LE(l->fontMetrics().horizontalAdvance(l->text()), l->contentsRect().width());
        EXPECT_GE(l->mapTo(&window, l->rect().bottomRight()).x(), 0);
        EXPECT_LE(l->mapTo(&window, l->rect().bottomRight()).x(), window.width());
    }
    for (QComboBox* c : window.findChildren<QComboBox*>()) {
        // A list that draws its text shortened in the middle, whole in its tool tip.
        if (!c->isVisibleTo(&window) || c->property("elidesText").toBool()) continue;
        QStyleOptionComboBox option;
        option.initFrom(c);
        const int field =
            c->style()
                ->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, c)
                .width();
        for (int i = 0; i < c->count(); ++i) {
            SCOPED_TRACE(where + S(c->objectName() + " «" + c->itemText(i) + "»"));
            EXPECT_LE(c->fontMetrics().horizontalAdvance(c->itemText(i)), field);
        }
    }
    // Nothing sticks out of the window.
    for (QWidget* w : window.findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
        if (!w->isVisibleTo(&window) || w->isWindow()) continue;
        SCOPED_TRACE(where + S(w->objectName()));
        EXPECT_TRUE(window.rect().contains(w->geometry()))
            << w->geometry().x() << "," << w->geometry().width();
    }
}

// Every window class of the program: what derives from a Qt window class in its source.
std::set<std::string> WindowClassesInTheSource() {
    namespace fs = std::filesystem;
    const std::regex declaration(
        R"(class\s+(\w+)\s*(?:final\s*)?:\s*public\s+Q(?:Dialog|MainWindow|MessageBox|Wizard)\b)");
    std::set<std::string> classes;
    const fs::path root(Q7K3_SOURCE_DIR);
    for (auto it = fs::recursive_directory_iterator(root); it != fs::end(it); ++it) {
        const std::string top = it->path().lexically_relative(root).begin()->string();
        if (it->is_directory() && (top.starts_with(".") || top.starts_with("build") ||
                                   top == "tests" || top == "fuzz" || top == "bench")) {
            it.disable_recursion_pending();
            continue;
        }
        if (it->path().extension() != ".h") continue;
        std::ifstream in(it->path());
        const std::string text((std::istreambuf_iterator<char>(in)), {});
        for (std::sregex_iterator m(text.begin(), text.end(), declaration), end; m != end; ++m)
            classes.insert("q7k3::" + (*m)[1].str());
    }
    return classes;
}

// Checks windows as they are shown, keeps their class names and, with Q7K3_FIT_SHOTS set
// to a folder, a picture of each there.
struct Inspector {
    std::set<std::string> seen;
    QString shots = qEnvironmentVariable("Q7K3_FIT_SHOTS");
    int shot = 0;

    void Check(QWidget& window, const QString& variant = {}) {
        const bool wasShown = window.isVisible();
        if (!wasShown) window.show();
        QApplication::processEvents();
        seen.insert(window.metaObject()->className());
        const auto pages = window.findChildren<QTabWidget*>();
        if (pages.isEmpty()) {
            Look(window, variant);
        } else {
            for (int i = 0; i < pages.front()->count(); ++i) {
                pages.front()->setCurrentIndex(i);
                QApplication::processEvents();
                Look(window, variant + QStringLiteral("-page%1").arg(i + 1));
            }
            pages.front()->setCurrentIndex(0);
        }
        if (!wasShown) window.hide();
    }

    // Checks the modal window `open` brings up, then closes it.
    void CheckModal(const QString& variant, const std::function<void()>& open) {
        ModalDriver driver([&](QWidget* modal) {
            Check(*modal, variant);
            if (auto* dialog = qobject_cast<QDialog*>(modal))
                dialog->reject();
            else
                modal->close();
        });
        open();
        EXPECT_TRUE(driver.Acted()) << S(variant);
    }

private:
    void Look(QWidget& window, const QString& variant) {
        ExpectWholeTexts(window);
        if (CurrentLanguage() != Language::Russian) ExpectNoCyrillic(window);
        if (shots.isEmpty()) return;
        const QString scale = qEnvironmentVariable("QT_SCALE_FACTOR", QStringLiteral("1"));
        window.grab().save(QStringLiteral("%1/%2-%3%4-x%5.png")
                               .arg(shots)
                               .arg(++shot, 2, 10, QLatin1Char('0'))
                               .arg(window.objectName(), variant, scale));
    }
};

// Every window the program shows, each opened the way the program opens it, with long
// texts where they can be long; then every window class of the source must have been
// among them, and so must every window the program made meanwhile.
TEST(DialogFit, EveryWindowOfTheProgramShowsItsWholeTexts) {
    const QString language = qEnvironmentVariable("Q7K3_FIT_LANGUAGE");
    // The other tests of this program read the Russian the test environment set.
    struct BackToRussian {
        ~BackToRussian() {
            FitLanguage(QString());
            QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
        }
    } backToRussian;
    if (!FitLanguage(language)) GTEST_SKIP() << "no translation " << S(language);
    const bool russian = CurrentLanguage() == Language::Russian;
    // As the program starts: Qt's own texts and the dates and sizes in the language.
    QLocale::setDefault(russian ? QLocale(QLocale::Russian, QLocale::Russia)
                                : QLocale(QLocale::English, QLocale::UnitedStates));
    // Names the user gave, long ones, in the user's language.
    const std::string longName =
        russian ? "Мелодия для будильника.mmf" : "Melody for the alarm clock.mmf";
    const std::string music = russian ? "Музыка" : "Music";
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    qputenv("XDG_CONFIG_HOME", dir.path().toUtf8());
    Inspector look;
    AppFlags flags;
    ScriptedUi prompts;
    MainWindow form(flags, prompts);
    form.resize(form.FirstSize());
    form.SetComputerPath(dir.path());
    look.Check(form);

    // The progress dialog, narrow and wide, with a file under way.
    ProgressDialog& progress = *form.Progress();
    progress.SetQuickStatus(Msg(kMsgCopyingFile) + "melody01.mmf");
    progress.SetFileBytes(33 * 1024, 293 * 1024, 2900);
    progress.SetLongStatus(Msg(kMsgCopyingFile) + "12" + Msg(kMsgOf) + "60");
    look.Check(progress, QStringLiteral("-narrow"));
    {
        ProgressDialog::WideScope wide(progress);
        progress.SetFileBytes(2900 * 1024, 9999 * 1024, 250000);
        progress.SetLongStatus(Msg(kMsgCopyingFile) + "12" + Msg(kMsgOf) + "60, 340" + Msg(kMsgOf) +
                               "1024" + Msg(kMsgKilobytes) + Msg(kMsgTimeLeft) + "1:23");
        look.Check(progress, QStringLiteral("-wide"));
    }
    progress.Hide();

    // The file-exists question about several files and about one.
    ConflictFacts facts{{12345, 1700000000}, {2345678, 1760000000}, false};
    look.CheckModal(QStringLiteral("-batch"), [&] {
        form.Conflicts()->AskConflictAbout(longName, longName, facts);
    });
    facts.OneFile = true;
    look.CheckModal(QStringLiteral("-one"),
                    [&] { form.Conflicts()->AskConflictAbout("notes.txt", "notes.txt", facts); });
    look.CheckModal({}, [&] { form.Renames()->AskNewName("melody01.mel"); });
    look.CheckModal({}, [&] { form.MenuAction("About1")->trigger(); });
    form.Favs = Favourites{{music}, {"/home/u/" + music}};
    look.CheckModal({}, [&] { form.FavouritesEditor()->EditFavourites(); });

    RestoreDialog restore(&form);
    BackupRecord record;
    record.FolderPath = "E700:\\Sounds\\My Sounds";
    record.Name = record.LocalName = longName;
    record.Size = 2345;
    record.Date = QDateTime::fromSecsSinceEpoch(1700000000);
    look.CheckModal({}, [&] { restore.Ask({record}, {true}); });

    HelpWindow help(&form);
    help.Load(russian ? QStringLiteral(Q7K3_SOURCE_DIR "/docs/help/Q7K3FM.html")
                      : QStringLiteral(Q7K3_SOURCE_DIR "/docs/help/Q7K3FM.en.html"));
    look.Check(help);

    // The preview on two files of the computer, then while a long name is read.
    ASSERT_TRUE(WriteFile(dir.filePath("notes.txt"), "text"));
    ASSERT_TRUE(WriteFile(dir.filePath(Q(longName)), "MMMD"));
    PreviewWindow& preview = Preview(form);
    look.CheckModal({}, [&] {
        preview.ShowFiles(
            {S(dir.filePath("notes.txt")), S(dir.filePath(Q(longName)))}, true);
    });
    preview.PlayStatus->setText(M(kMsgReading) + Q(longName) + "...");
    look.Check(preview, QStringLiteral("-reading"));

    // The settings with a long stable port name, its list of port states, and the search.
    SettingsStore store(S(dir.filePath("Q7K3FileManager.conf")));
    test::FakePort port;
    int pollStep = 1;
    const std::string byId = "/dev/serial/by-id/usb-USB-Serial_Controller_D-if00-port0";
    SettingsDialog settings(&form);
    settings.Bind({&store, &port, &pollStep, &flags, &prompts,
                   [&] {
                       return PortScan{{byId, "/dev/ttyS0"}, 2};
                   },
                   [] {}});
    PortStatus busy;
    busy.Path = "/dev/ttyACM0";
    busy.State = PortState::ModemManager;
    busy.Holders = {{812, "ModemManager"}};
    busy.VendorId = "1234";
    busy.ProductId = "5678";
    settings.SetPortDiagnostics([busy] { return std::vector<PortStatus>{busy}; });
    // The dialog is shown over a window that is up: over one that has gone it is not.
    form.show();
    look.CheckModal({}, [&] {
        bool answered = false;
        settings.Open([&](bool) { answered = true; });
        EXPECT_TRUE(WaitUntil([&] { return answered; }));
    });
    settings.PortStatesBtnClick();
    auto* states = settings.findChild<PortStatesDialog*>();
    ASSERT_NE(states, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return states->isVisible(); }));
    look.Check(*states);
    states->close();
    form.hide();
    PhoneSearchDialog search(&form);
    SearchRequest request;
    request.Ports = {S(dir.filePath("ttyQ7"))};
    ASSERT_TRUE(search.Start(request));
    ASSERT_TRUE(WaitUntil([&] { return !search.Running(); }));
    look.Check(search);
    search.close();

    // The message boxes of the program, a question and an error.
    QtPrompts boxes(&form);
    look.CheckModal(QStringLiteral("-question"), [&] {
        boxes.AskYesNoDefaultNo(MsgN(kMsgDeletePhoneCount, 3), Msg(kMsgDeleteCaption));
    });
    look.CheckModal(QStringLiteral("-error"), [&] {
        boxes.MessageBox(SilentPhoneText(byId), Msg(kMsgErrorCaption), BoxIcon::Error);
    });

    for (const std::string& name : WindowClassesInTheSource())
        EXPECT_TRUE(look.seen.count(name)) << name << " is never shown by this test";
    for (QWidget* window : QApplication::topLevelWidgets()) {
        const std::string name = window->metaObject()->className();
        if (name.starts_with("q7k3::"))
            EXPECT_TRUE(look.seen.count(name)) << name << " is made but never checked";
    }
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
        editor.EditFavourites();
        EXPECT_TRUE(driver.Acted());
        EXPECT_FALSE(editor.isVisible());
    }
}

TEST(DialogFit, TheLocalDeleteQuestionNamesWhatGoesAndDefaultsToNo) {
    struct Row {
        std::vector<std::string> paths;
        const char* text;
    };
    const Row rows[] = {
        {{"/nonexistent/a.txt"}, "Вы действительно хотите удалить «a.txt»?"},
        {{"/n/a", "/n/b", "/n/c"}, "Вы действительно хотите удалить 3 файла?"},
        {{"/n/1", "/n/2", "/n/3", "/n/4", "/n/5"}, "Вы действительно хотите удалить 5 файлов?"},
    };
    for (const Row& row : rows) {
        QtPrompts prompts;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        QString text;
        QAbstractButton* byDefault = nullptr;
        bool defaultIsNo = false;
        ModalDriver driver([&](QWidget* modal) {
            auto* box = qobject_cast<QMessageBox*>(modal);
            ASSERT_NE(box, nullptr);
            icon = box->icon();
            text = box->text();
            byDefault = box->defaultButton();
            defaultIsNo = byDefault == box->button(QMessageBox::No);
            box->button(QMessageBox::No)->click();
        });
        EXPECT_FALSE(DeleteLocalFiles(prompts).Run(row.paths));
        EXPECT_EQ(icon, QMessageBox::Information);
        EXPECT_EQ(S(text), row.text);
        EXPECT_TRUE(defaultIsNo);
    }
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
