#include "pim/VCard.h"

#include <gtest/gtest.h>

#include <chrono>

#include "pim/GsmAlphabet.h"
#include "base/Messages.h"

using namespace q7k3;
using namespace q7k3::pim;

TEST(VCard, ExportsThreePointZero) {
    EXPECT_EQ(ExportVCards({{"SM", 3, "+79161234567", 145, "Иван, \"Ваня\"; Петров\\"}}),
              "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Иван\\, \"Ваня\"\\; Петров\\\\\r\n"
              "N:;Иван\\, \"Ваня\"\\; Петров\\\\;;;\r\nTEL;TYPE=CELL:+79161234567\r\nX-Q7K3-STORE:SM\r\n"
              "X-Q7K3-INDEX:3\r\nEND:VCARD\r\n");
}

TEST(VCard, RoundTrips) {
    std::string longName;
    for (int i = 0; i < 12; ++i) longName += "Щёлково ";
    const std::vector<Contact> contacts = {
        {"ME", 1, "+79161234567", 145, "Мама"},
        {"ME", 2, "0123", 129, "Quote \" comma , semi ; back \\ end"},
        {"SM", 250, "*100#", 129, "Баланс"},
        {"SM", 7, "112", 129, "Two\nlines"},
        {"ME", 1000, "+1", 145, longName + "😀"},
        {"ME", 9, "5", 129, "x" + std::string(80, 'y')},
    };
    const std::string file = ExportVCards(contacts);
    // Folded lines stay within 75 octets and whole UTF-8 sequences.
    for (size_t start = 0; start < file.size();) {
        const size_t end = file.find("\r\n", start);
        ASSERT_NE(end, std::string::npos);
        const std::string line = file.substr(start, end - start);
        EXPECT_LE(line.size(), 75u) << line;
        int bad = 0;
        DecodeUtf8(line, &bad);
        EXPECT_EQ(bad, 0) << line;
        start = end + 2;
    }
    const VCardImport back = ImportVCards(file);
    std::vector<Contact> want = contacts;
    want[3].Name = "Two lines";  // a name comes back as one line, as a phone can take it
    EXPECT_EQ(back.Contacts, want);
    EXPECT_TRUE(back.Skipped.empty());
}

TEST(VCard, ImportsWhatPhonesAndBooksWrote) {
    struct Row {
        const char* Name;
        std::string File;
        std::vector<Contact> Want;
        std::vector<std::string> Skipped;  // reasons
    } rows[] = {
        {"2.1 quoted-printable UTF-8 with a soft line break",
         "BEGIN:VCARD\r\nVERSION:2.1\r\nN;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:=D0=9F=D0=B5=D1=82=D1=80=D0=BE=\r\n"
         "=D0=B2;=D0=98=D0=B2=D0=B0=D0=BD\r\nTEL;CELL;PREF:+7 (916) 123-45-67\r\nEND:VCARD\r\n",
         {{"", 0, "+79161234567", 145, "Иван Петров"}}, {}},
        {"2.1 quoted-printable windows-1251, bare QUOTED-PRINTABLE",
         "BEGIN:VCARD\nVERSION:2.1\nFN;CHARSET=WINDOWS-1251;QUOTED-PRINTABLE:=C0=ED=ED=E0 =A8\nTEL:8-800\nEND:VCARD\n",
         {{"", 0, "8800", 129, "Анна Ё"}}, {}},
        {"no charset, bytes that are no UTF-8: windows-1251",
         "BEGIN:VCARD\r\nVERSION:2.1\r\nFN:\xCE\xEB\xFF\r\nTEL:1\r\nEND:VCARD\r\n", {{"", 0, "1", 129, "Оля"}}, {}},
        {"3.0 folded, grouped, several numbers",
         "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Сергей\r\n  Иванович\r\nitem1.TEL;TYPE=\"HOME,VOICE\":+44\r\n 20\r\n"
         "TEL;TYPE=WORK:555\r\nEMAIL:a@b\r\nEND:VCARD\r\n",
         {{"", 0, "+4420", 145, "Сергей Иванович"}, {"", 0, "555", 129, "Сергей Иванович"}}, {}},
        {"skipped: no number, unknown charset, unclosed",
         "junk\r\nBEGIN:VCARD\r\nFN:Nobody\r\nEND:VCARD\r\nBEGIN:VCARD\r\nFN;CHARSET=X-NONE:a\r\nTEL:1\r\nEND:VCARD\r\n"
         "BEGIN:VCARD\r\nFN:Cut\r\nTEL:2\r\n",
         {}, {Msg(510), Msg(512) + "X-NONE", Msg(511)}},
        {"control characters in a name: breaks and tabs as spaces, the rest dropped",
         "BEGIN:VCARD\r\nVERSION:2.1\r\nFN;ENCODING=QUOTED-PRINTABLE:X=0DAT+CPBW=1=0D\r\nTEL:1\r\nEND:VCARD\r\n"
         "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Two\\nLines\x01\x7F\tend\r\nTEL:2\r\nEND:VCARD\r\n",
         {{"", 0, "1", 129, "X AT+CPBW=1"}, {"", 0, "2", 129, "Two Lines end"}}, {}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.Name);
        const VCardImport got = ImportVCards(r.File);
        EXPECT_EQ(got.Contacts, r.Want);
        std::vector<std::string> reasons;
        for (const SkippedCard& s : got.Skipped) reasons.push_back(s.Reason);
        EXPECT_EQ(reasons, r.Skipped);
    }
    const VCardImport skipped = ImportVCards(rows[4].File);
    ASSERT_EQ(skipped.Skipped.size(), 3u);
    EXPECT_EQ(skipped.Skipped[0].Line, 2);
    EXPECT_EQ(skipped.Skipped[0].Name, "Nobody");
    EXPECT_EQ(skipped.Skipped[2].Name, "Cut");
}

TEST(VCard, Cp1251) {
    EXPECT_EQ(Cp1251ToUtf8("A\xC0\xDF\xE0\xFF\xA8\xB8\xB9\x88"), "AАЯаяЁё№€");
}

// A line folded a million times, its name never ended by a colon, is read in one pass.
TEST(VCard, AManyTimesFoldedLineIsReadInOnePass) {
    std::string file = "BEGIN:VCARD\nFN";
    for (int i = 0; i < 1'000'000; ++i) file += "\n x";
    file += "\nTEL:1\nEND:VCARD\n";
    const auto start = std::chrono::steady_clock::now();
    const VCardImport got = ImportVCards(file);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    ASSERT_EQ(got.Contacts.size(), 1u);
    EXPECT_EQ(got.Contacts[0].Number, "1");
}
