// Which language the program speaks, and the English translation of every text: each
// catalogue number has one, shaped as its Russian source (the spaces and line ends that
// callers join fragments by), and Russian comes back byte for byte.

#include <gtest/gtest.h>

#include <QRegularExpression>
#include <QString>

#include "base/Language.h"
#include "base/Messages.h"

namespace q7k3 {
namespace {

const QStringList kDirs{QStringLiteral(Q7K3_BIN_DIR)};

bool HasCyrillic(const std::string& text) {
    static const QRegularExpression cyrillic(QStringLiteral("[\\x{0400}-\\x{04FF}]"));
    return QString::fromStdString(text).contains(cyrillic);
}

TEST(Language, ChosenByTheVariableTheStoredChoiceThenTheDesktop) {
    struct Row {
        const char* forced;
        const char* stored;
        QStringList desktop;
        Language expected;
    };
    const Row rows[] = {
        {"", "auto", {"ru-RU"}, Language::Russian},
        {"", "auto", {"ru_UA.UTF-8"}, Language::Russian},
        {"", "auto", {"en-US"}, Language::English},
        {"", "auto", {"de-DE"}, Language::English},  // any other language: English
        {"", "auto", {"C"}, Language::English},
        {"", "auto", {}, Language::English},
        {"", "auto", {"de", "ru"}, Language::Russian},  // LANGUAGE=de:ru
        {"", "auto", {"en", "ru"}, Language::English},
        {"", "en", {"ru-RU"}, Language::English},      // the stored choice overrides
        {"", "ru", {"en-US"}, Language::Russian},
        {"", "fr", {"ru-RU"}, Language::Russian},      // a damaged value reads as auto
        {"en", "ru", {"ru-RU"}, Language::English},    // the variable overrides both
        {"ru", "en", {"en-US"}, Language::Russian},
        {"auto", "en", {"ru-RU"}, Language::English},  // "auto" in the variable pins nothing
    };
    for (const Row& row : rows)
        EXPECT_EQ(ChooseLanguage(row.forced, row.stored, row.desktop), row.expected)
            << row.forced << " / " << row.stored << " / " << row.desktop.join(':').toStdString();
}

TEST(Language, EveryCatalogueTextHasItsEnglishOne) {
    ASSERT_TRUE(UseLanguage(Language::English, kDirs).Program) << "q7k3fm_en.qm is not built";
    int translated = 0;
    for (int n = 0; n < MessageCount(); ++n) {
        const std::string source = MessageSource(n);
        if (source.empty()) {
            EXPECT_EQ(Msg(n), "") << "message " << n;
            continue;
        }
        EXPECT_TRUE(MessageTranslatable(n)) << "message " << n << " is not marked for lupdate";
        const std::string& english = Msg(n);
        SCOPED_TRACE("message " + std::to_string(n) + ": «" + english + "»");
        ASSERT_FALSE(english.empty());
        EXPECT_FALSE(HasCyrillic(english));
        // Fragments are joined by their callers: the same spaces at each end, the same
        // line breaks.
        EXPECT_EQ(english.front() == ' ', source.front() == ' ');
        EXPECT_EQ(english.back() == ' ', source.back() == ' ');
        EXPECT_EQ(english.find("\r\n") == 0, source.find("\r\n") == 0);
        EXPECT_EQ(QString::fromStdString(english).count("\r\n"),
                  QString::fromStdString(source).count("\r\n"));
        ++translated;
    }
    EXPECT_GT(translated, 250);
    // Russian again: every text its source, byte for byte.
    UseLanguage(Language::Russian, kDirs);
    for (int n = 0; n < MessageCount(); ++n) EXPECT_EQ(Msg(n), MessageSource(n)) << n;
}

TEST(Language, EveryRussianCaptionHasItsEnglishOne) {
    struct Row {
        const char* window;
        const char* control;
        const char* english;
    };
    // A few a newcomer meets first; every other caption is checked for Cyrillic.
    const Row rows[] = {
        {"TFileExistForm", "FexOverwriteBtn", "Overwrite"},
        {"TFileExistForm", "FexOverwriteAllBtn", "Overwrite all"},
        {"TProcessForm", "AbortBtn", "Abort"},
        {"TSettingsForm", "Start", "Start"},
        {"TForm1", "CopyBtn", "F5 Copy"},
        // Names and numbers of the design stay as they are.
        {"TSettingsForm", "Mode.1", "PRO"},
        {"TSettingsForm", "SelSpeed.0", "115200"},
        {"TForm1", "CompileJavaBtn", "F7 Compile Java"},
    };
    UseLanguage(Language::Russian, kDirs);
    std::vector<std::string> russian;
    for (const auto& [window, control] : CaptionKeys())
        russian.push_back(Caption(window, control));
    ASSERT_TRUE(UseLanguage(Language::English, kDirs).Program);
    for (const Row& row : rows) EXPECT_EQ(Caption(row.window, row.control), row.english);
    const auto keys = CaptionKeys();
    for (size_t i = 0; i < keys.size(); ++i) {
        const std::string& english = Caption(keys[i].first, keys[i].second);
        EXPECT_FALSE(HasCyrillic(english)) << keys[i].first << "/" << keys[i].second;
        // The other texts of the design (names, numbers, Latin words) stay as they are.
        if (!HasCyrillic(russian[i]))
            EXPECT_EQ(english, russian[i]) << keys[i].first << "/" << keys[i].second;
    }
    UseLanguage(Language::Russian, kDirs);
    EXPECT_EQ(Caption("TFileExistForm", "FexOverwriteBtn"), "Перезапиписать");
}

// Each language's forms come from its translation file.
TEST(Language, PluralTextsCountInBothLanguages) {
    struct Row {
        int number;
        int64_t count;
        const char* russian;
        const char* english;
    };
    const Row rows[] = {
        {kMsgFilePlural, 0, "0 файлов", "0 files"},
        {kMsgFilePlural, 1, "1 файл", "1 file"},
        {kMsgFilePlural, 2, "2 файла", "2 files"},
        {kMsgFilePlural, 14, "14 файлов", "14 files"},
        {kMsgFilePlural, 22, "22 файла", "22 files"},
        {kMsgFilePlural, 101, "101 файл", "101 files"},
        {kMsgFilePlural, 3000000002, "3000000002 файла", "3000000002 files"},
        {kMsgBytePlural, 1, "1 байт", "1 byte"},
        {kMsgBytePlural, 3, "3 байта", "3 bytes"},
        {kMsgBytePlural, 25, "25 байт", "25 bytes"},
        {kMsgByteCount, 1, "1 байт", "1 byte"},
        {kMsgByteCount, 48163, "48163 байта", "48163 bytes"},  // digits ungrouped
        {kMsgDeletePhoneCount, 21, "Удалить с телефона 21 файл?", "Delete 21 files from the phone?"},
    };
    ASSERT_TRUE(UseLanguage(Language::Russian, kDirs).Program) << "q7k3fm_ru.qm is not built";
    for (const Row& row : rows) EXPECT_EQ(MsgN(row.number, row.count), row.russian);
    ASSERT_TRUE(UseLanguage(Language::English, kDirs).Program);
    for (const Row& row : rows) EXPECT_EQ(MsgN(row.number, row.count), row.english);
    UseLanguage(Language::Russian, kDirs);
}

// A text the caller holds stays good when the language is set again (the link thread may
// be reading one while the settings are applied).
TEST(Language, ATextHeldAcrossAChangeStaysGood) {
    UseLanguage(Language::Russian, kDirs);
    const std::string& held = Msg(kMsgErrorCaption);
    UseLanguage(Language::English, kDirs);
    EXPECT_EQ(Msg(kMsgErrorCaption), "Error");
    EXPECT_EQ(held, "Ошибка");
    UseLanguage(Language::Russian, kDirs);
}

}  // namespace
}  // namespace q7k3
