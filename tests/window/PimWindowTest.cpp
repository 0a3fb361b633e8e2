// The phone's contacts and messages in the phone pane, against the emulated demo phone: the
// root's own two folders, their listings, a message shown whole and entries erased.

#include <gtest/gtest.h>

#include <algorithm>

#include <QDir>
#include <QDropEvent>
#include <QLabel>
#include <QMimeData>
#include <QTest>
#include <QUrl>

#include "phonefs/Tree.h"
#include "pim/PimMessages.h"
#include "window/PaneLook.h"
#include "window/PhoneListView.h"
#include "window/PhonePane.h"
#include "window/PimView.h"
#include "window/WindowOnPhone.h"

using namespace q7k3;
using q7k3::test::WindowOnPhone;

namespace {

struct PimWindow : ::testing::Test, WindowOnPhone<> {
    void SetUp() override {
        emu::EmulatorConfig config;
        config.Content = emu::Preset::Demo;
        Boot(config);
        form->ActivatePhonePane();
    }
    void TearDown() override {
        ExpectIdle();
        Close();
    }

    PhoneListView& List() { return *form->Phone().List(); }
    QString Path() { return form->Phone().PathLine()->text(); }

    // Enter on a row of the phone pane.
    void Enter(const QString& name) {
        QTreeWidgetItem* item = List().FindItem(name);
        ASSERT_NE(item, nullptr) << S(name) << " not in " << S(List().Names().join(','));
        List().setCurrentItem(item, 0, QItemSelectionModel::NoUpdate);
        QTest::keyClick(&List(), Qt::Key_Return);
        Settle();
    }

    void SelectLocal(const QStringList& names) {
        ASSERT_TRUE(test::WaitUntil([&] { return form->Computer().List()->Loaded(); }));
        form->Computer().List()->clearSelection();
        for (const QString& name : names)
            ASSERT_TRUE(form->Computer().List()->SelectName(name, true)) << S(name);
        form->ActivateComputerPane();
    }

    QStringList Row(const QString& name) {
        QTreeWidgetItem* item = List().FindItem(name);
        if (!item) return {};
        return {item->text(0), item->text(1), item->text(2)};
    }
};

TEST_F(PimWindow, TheRootShowsTheTwoFoldersBesideThePhonesOwnAndTheTreeKnowsNothingOfThem) {
    const QStringList names = List().Names();
    EXPECT_TRUE(names.contains("Контакты")) << S(names.join(','));
    EXPECT_TRUE(names.contains("Сообщения"));
    EXPECT_TRUE(names.contains("Sounds"));
    for (const auto& child : session->Root()->Children) {
        EXPECT_NE(child->Name, "Контакты");
        EXPECT_NE(child->Name, "Сообщения");
    }
}

TEST_F(PimWindow, ContactsAndMessagesAreListedAndBackspaceLeadsBack) {
    const struct {
        QString folder;
        QString row;
        QStringList shown;
        int entries;
    } rows[] = {
        {"Контакты", "Мама", {"Мама", "+79161234567", "SM 1"}, 8 + 15},
        // Ten stored PDUs: a message in three parts is one row.
        {"Сообщения", "+79161234567", {}, 8},
    };
    for (const auto& row : rows) {
        Enter(row.folder);
        EXPECT_EQ(Path(), "E700:\\" + row.folder);
        EXPECT_EQ(List().topLevelItemCount(), row.entries + 1) << S(row.folder);  // and ".."
        ASSERT_FALSE(Row(row.row).isEmpty()) << S(List().Names().join(','));
        if (!row.shown.isEmpty()) EXPECT_EQ(Row(row.row), row.shown);
        EXPECT_TRUE(prompts.shown.empty());
        QTest::keyClick(&List(), Qt::Key_Backspace);
        Settle();
        EXPECT_EQ(Path(), "E700:");
        ASSERT_NE(List().currentItem(), nullptr);
        EXPECT_EQ(List().currentItem()->text(0), row.folder);
        EXPECT_EQ(List().headerItem()->text(1), Cap(kMainForm, "ListPhone.1"));
    }
}

TEST_F(PimWindow, F3ShowsAMessageWholeAndF8ErasesAfterTheQuestion) {
    Enter("Сообщения");
    QTreeWidgetItem* first = List().topLevelItem(1);
    ASSERT_NE(first, nullptr);
    List().setCurrentItem(first, 0, QItemSelectionModel::NoUpdate);
    QTest::keyClick(&List(), Qt::Key_F3);
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].Caption, "Сообщение");
    EXPECT_NE(prompts.shown[0].Text.find(S(first->text(0))), std::string::npos);
    EXPECT_GT(prompts.shown[0].Text.size(), S(first->text(2)).size() / 2);

    QTest::keyClick(&List(), Qt::Key_Backspace);
    Settle();
    Enter("Контакты");
    const size_t before = phone->Contacts("SM").size();
    // No: nothing goes; yes: the one under the cursor goes, and the list shows the phone.
    for (const bool yes : {false, true}) {
        prompts.shown.clear();
        prompts.yesNo = {yes};
        List().setCurrentItem(List().FindItem("Мама"), 0, QItemSelectionModel::NoUpdate);
        QTest::keyClick(&List(), Qt::Key_F8);
        Settle();
        QApplication::processEvents();
        Settle();
        ASSERT_EQ(prompts.shown.size(), 1u);
        EXPECT_EQ(prompts.shown[0].Text, "Удалить с телефона «Мама»?");
        EXPECT_EQ(phone->Contacts("SM").size(), yes ? before - 1 : before);
        EXPECT_EQ(List().FindItem("Мама") == nullptr, yes);
    }
}

// F5 towards the computer: the marked contacts, or all of them, as a vCard file that never
// takes the place of one already there.
TEST_F(PimWindow, F5ExportsTheMarkedContactsOrAllOfThemAsVCards) {
    Enter("Контакты");
    List().setCurrentItem(List().FindItem("Мама"), 0, QItemSelectionModel::NoUpdate);
    QTest::keyClick(&List(), Qt::Key_Insert);
    QTest::keyClick(&List(), Qt::Key_Insert);
    ASSERT_EQ(List().SelectedNames().size(), 2u);
    const struct {
        const char* file;
        int cards;
    } rows[] = {{"contacts.vcf", 2}, {"contacts-2.vcf", 8 + 15}};
    for (const auto& row : rows) {
        QTest::keyClick(&List(), Qt::Key_F5);
        const std::string vcf = test::ReadLocal(QDir(localDir.path()).filePath(row.file));
        int cards = 0;
        for (size_t at = vcf.find("BEGIN:VCARD"); at != std::string::npos;
             at = vcf.find("BEGIN:VCARD", at + 1))
            ++cards;
        EXPECT_EQ(cards, row.cards) << row.file;
        EXPECT_NE(vcf.find("FN:Мама"), std::string::npos);
        EXPECT_TRUE(prompts.shown.empty());
        List().clearSelection();
    }
}

// The messages go as a folder: the backup XML without the delivery report, the raw PDUs of
// every part, a conversation file per address.
TEST_F(PimWindow, F5ExportsTheMessagesAsAFolderOfTheirOwn) {
    Enter("Сообщения");
    QTest::keyClick(&List(), Qt::Key_F5);
    const QDir out(QDir(localDir.path()).filePath("messages"));
    const std::string xml = test::ReadLocal(out.filePath("messages.xml"));
    int entries = 0;
    for (size_t at = xml.find("<sms "); at != std::string::npos; at = xml.find("<sms ", at + 1))
        ++entries;
    EXPECT_GT(entries, 3);
    EXPECT_NE(xml.find("<smses count=\"" + std::to_string(entries) + "\""), std::string::npos)
        << xml.substr(0, 200);
    const std::string pdus = test::ReadLocal(out.filePath("messages.pdu"));
    EXPECT_EQ(std::count(pdus.begin(), pdus.end(), '\n'), 1 + 10) << pdus;
    EXPECT_GE(out.entryList({"*.txt"}, QDir::Files).size(), 3);
    EXPECT_TRUE(prompts.shown.empty());
}

// F5 of a .vcf from the computer onto the contacts: its cards go into free slots of the
// phone's store, one question decides about names too long, the end is said in a box and
// the list shows the phone as it is now.
TEST_F(PimWindow, F5OfACardFileOntoTheContactsImportsIt) {
    const std::string cards =
        "BEGIN:VCARD\r\nVERSION:2.1\r\n"
        "N;CHARSET=WINDOWS-1251;ENCODING=QUOTED-PRINTABLE:=CF=E5=F2=F0=EE=E2;=C8=E2=E0=ED\r\n"
        "TEL;CELL:+79165550101\r\nEND:VCARD\r\n"
        "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Константин Константинопольский\r\nTEL:+79165550104\r\nEND:VCARD\r\n"
        "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Бабушка\r\nTEL:+79267770011\r\nEND:VCARD\r\n"
        "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Без номера\r\nEND:VCARD\r\n";
    ASSERT_TRUE(test::WriteLocal(QDir(localDir.path()).filePath("cards.vcf"), cards));
    form->Computer().Reload();
    Enter("Контакты");
    const size_t before = phone->Contacts("ME").size();
    // No: the long name is left out; then yes: it is cut, and the rest is there already.
    for (const bool cut : {false, true}) {
        SCOPED_TRACE(cut);
        prompts.shown.clear();
        prompts.yesNo = {cut};
        SelectLocal({"cards.vcf"});
        QTest::keyClick(form->Computer().List(), Qt::Key_F5);
        Settle();
        QApplication::processEvents();
        Settle();
        ASSERT_EQ(prompts.shown.size(), 2u);
        EXPECT_EQ(prompts.shown[0].Caption, Msg(kMsgImportCaption));
        EXPECT_EQ(prompts.shown[0].Text, Msg(kMsgImportCutQuestion) + "20: Константин Константинопольский");
        EXPECT_EQ(prompts.shown[1].Caption, Msg(kMsgImportCaption));
        const std::string& end = prompts.shown[1].Text;
        EXPECT_EQ(end.substr(0, end.find('\n')),
                  Msg(kMsgImportIntoStore) + "ME. " + Msg(kMsgImportWrittenCount) + (cut ? "1" : "1") +
                      Msg(kMsgImportAlreadyCount) + (cut ? "2" : "1") + Msg(kMsgImportNotWrittenCount) +
                      (cut ? "1" : "2"))
            << end;
        EXPECT_NE(end.find(Msg(pim::kMsgCardNoNumber)), std::string::npos) << end;
        EXPECT_EQ(end.find(Msg(kMsgImportNameCut)) != std::string::npos, cut) << end;
        EXPECT_EQ(phone->Contacts("ME").size(), before + (cut ? 2 : 1));
        EXPECT_EQ(Path(), "E700:\\Контакты");
        EXPECT_NE(List().FindItem(cut ? "Константин Константи" : "Иван Петров"), nullptr);
    }
}

// A phone that answers no phonebook or no message commands: the folder it cannot fill is
// not offered, nothing is said, and the phone's own folders are as always.
TEST(PimWindowRefused, TheFoldersAPhoneCannotFillAreNotShown) {
    const struct {
        const char* Name;
        std::vector<const char*> Refused;
        bool Contacts, Messages;
    } rows[] = {
        {"phonebook", {"AT+CPB"}, false, true},
        {"messages", {"AT+CPMS", "AT+CMGF"}, true, false},
        {"character sets", {"AT+CSCS"}, false, false},
    };
    QStringList own;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.Name);
        WindowOnPhone<> w;
        emu::EmulatorConfig config;
        config.Content = emu::Preset::Demo;
        for (const char* command : row.Refused) config.Fault.Errors.push_back({command, 0});
        w.Boot(config);
        QStringList names = w.form->Phone().List()->Names();
        EXPECT_EQ(names.contains("Контакты"), row.Contacts) << S(names.join(','));
        EXPECT_EQ(names.contains("Сообщения"), row.Messages);
        names.removeAll("Контакты");
        names.removeAll("Сообщения");
        if (own.isEmpty()) own = names;
        EXPECT_EQ(names, own);
        EXPECT_TRUE(names.contains("Sounds"));
        EXPECT_TRUE(w.prompts.shown.empty()) << w.prompts.shown.front().Text;
        w.ExpectIdle();
        w.Close();
    }
}

}  // namespace

namespace {

// Local files dropped onto the phone list, as a file manager drops them.
void DropOntoPhone(PhoneListView& list, const QStringList& paths) {
    QMimeData data;
    QList<QUrl> urls;
    for (const QString& path : paths) urls.push_back(QUrl::fromLocalFile(path));
    data.setUrls(urls);
    QWidget* target = list.viewport();
    const QPointF at(target->width() / 2, target->height() / 2);
    QDragEnterEvent enter(at.toPoint(), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &drop);
}

// A .vcf dropped onto the contacts is imported as F5 imports it; any other file sent (F5) or
// dropped onto the contacts or the messages is refused and said so, never copied to the
// phone as a file.
TEST_F(PimWindow, ADroppedCardFileImportsAndOtherFilesAreRefused) {
    const QDir local(localDir.path());
    ASSERT_TRUE(test::WriteLocal(local.filePath("new.vcf"),
                                 "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Соседка\r\nTEL:+79031112233\r\nEND:VCARD\r\n"));
    ASSERT_TRUE(test::WriteLocal(local.filePath("note.txt"), "words"));
    form->Computer().Reload();
    Enter("Контакты");
    const size_t before = phone->Contacts("ME").size();
    DropOntoPhone(List(), {local.filePath("new.vcf")});
    Settle();
    QApplication::processEvents();
    Settle();
    EXPECT_EQ(phone->Contacts("ME").size(), before + 1);
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].Caption, Msg(kMsgImportCaption));
    EXPECT_NE(List().FindItem("Соседка"), nullptr);

    phone->ClearReceived();
    const struct {
        const char* folder;
        bool drop;
        int text;
    } rows[] = {{"Контакты", true, kMsgOnlyVcfToContacts},
                {"Контакты", false, kMsgOnlyVcfToContacts},
                {"Сообщения", true, kMsgNoCopyToMessages},
                {"Сообщения", false, kMsgNoCopyToMessages}};
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.folder) + (row.drop ? " drop" : " F5"));
        if (Path() != QStringLiteral("E700:\\") + QString::fromUtf8(row.folder)) {
            form->ActivatePhonePane();
            QTest::keyClick(&List(), Qt::Key_Backspace);
            Settle();
            Enter(QString::fromUtf8(row.folder));
        }
        prompts.shown.clear();
        if (row.drop) {
            DropOntoPhone(List(), {local.filePath("note.txt")});
        } else {
            SelectLocal({"note.txt"});
            QTest::keyClick(form->Computer().List(), Qt::Key_F5);
        }
        Settle();
        ASSERT_EQ(prompts.shown.size(), 1u);
        EXPECT_EQ(prompts.shown[0].Text, Msg(row.text));
    }
    EXPECT_EQ(phone->Received().find("note.txt"), std::string::npos);
}

}  // namespace
