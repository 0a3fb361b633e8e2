#include "base/Language.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QLocale>
#include <QStandardPaths>
#include <QTranslator>

#include <atomic>
#include <cstdlib>
#include <limits>
#include <memory>
#include <mutex>

#include "base/Messages.h"
#include "base/Text.h"

namespace q7k3 {
namespace {

std::atomic<Language> g_language{Language::Russian};

// The translators in force. Lookups may come from the link thread while the window's thread
// runs: every use holds the lock.
std::mutex g_lock;
std::unique_ptr<QTranslator> g_program;
std::unique_ptr<QTranslator> g_qt;

bool IsCode(std::string_view choice, Language& language) {
    if (choice == "ru") {
        language = Language::Russian;
        return true;
    }
    if (choice == "en") {
        language = Language::English;
        return true;
    }
    return false;
}

// "ru", "ru-RU", "ru_RU.UTF-8": the language part, lower case.
QString LanguagePart(const QString& name) {
    QString part = name.section(QLatin1Char('.'), 0, 0).section(QLatin1Char('@'), 0, 0);
    part = part.section(QLatin1Char('-'), 0, 0).section(QLatin1Char('_'), 0, 0);
    return part.toLower();
}

QStringList ProgramDirs(const QStringList& dirs) {
    QStringList all = dirs;
    if (QCoreApplication::instance()) {
        const QDir bin(QCoreApplication::applicationDirPath());
        all << bin.path() << QDir::cleanPath(bin.filePath(QStringLiteral("../share/q7k3fm/translations")));
    }
    for (const QString& data : QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation))
        all << QDir(data).filePath(QStringLiteral("q7k3fm/translations"));
    return all;
}

std::unique_ptr<QTranslator> LoadFirst(const QString& file, const QStringList& dirs) {
    for (const QString& dir : dirs) {
        if (!QFileInfo::exists(QDir(dir).filePath(file + QStringLiteral(".qm")))) continue;
        auto translator = std::make_unique<QTranslator>();
        if (translator->load(file, dir)) return translator;
    }
    return nullptr;
}

QString ReplaceCount(QString text, int64_t count) {
    if (count < 0) return text;
    text.replace(QLatin1String("%Ln"), QLocale().toString(static_cast<qlonglong>(count)));
    return text.replace(QLatin1String("%n"), QString::number(count));
}

// A translation file counts in int. A larger count takes a stand-in of the same form: the
// plural rules of both languages look at the last two digits only, and never take such a
// number for one.
int PluralCount(int64_t count) {
    return count <= std::numeric_limits<int>::max() ? static_cast<int>(count)
                                                    : static_cast<int>(count % 100 + 100);
}

}  // namespace

const char* LanguageCode(Language language) {
    return language == Language::Russian ? "ru" : "en";
}

Language ChooseLanguage(std::string_view forced, std::string_view stored,
                        const QStringList& uiLanguages) {
    Language chosen = Language::English;
    if (IsCode(forced, chosen) || IsCode(stored, chosen)) return chosen;
    // The first language of the desktop's list the program speaks: LANGUAGE=de:ru reads
    // Russian, as gettext programs do; a list without either is English.
    for (const QString& name : uiLanguages) {
        const QString part = LanguagePart(name);
        if (part == QLatin1String("ru")) return Language::Russian;
        if (part == QLatin1String("en")) return Language::English;
    }
    return Language::English;
}

Language ChooseLanguage(std::string_view stored) {
    const char* forced = std::getenv(kLanguageVariable);
    return ChooseLanguage(forced ? forced : "", stored, QLocale::system().uiLanguages());
}

LanguageFiles UseLanguage(Language language, const QStringList& dirs) {
    const QString code = QString::fromLatin1(LanguageCode(language));
    auto program = LoadFirst(QStringLiteral("q7k3fm_") + code, ProgramDirs(dirs));
    auto qt = LoadFirst(QStringLiteral("qtbase_") + code,
                        {QLibraryInfo::path(QLibraryInfo::TranslationsPath)});
    LanguageFiles files{program != nullptr, qt != nullptr};
    {
        const std::lock_guard<std::mutex> lock(g_lock);
        if (QCoreApplication::instance()) {
            for (const auto& old : {g_program.get(), g_qt.get()})
                if (old) QCoreApplication::removeTranslator(old);
            for (const auto& now : {program.get(), qt.get()})
                if (now) QCoreApplication::installTranslator(now);
        }
        g_program = std::move(program);
        g_qt = std::move(qt);
        g_language = language;
    }
    // Russian is the source: its file holds only the plural forms.
    const bool translated = language != Language::Russian && files.Program;
    TranslateCatalogue(translated);
    TranslateCaptions(translated);
    return files;
}

Language CurrentLanguage() { return g_language; }

std::string Translate(const char* context, const char* source, const char* disambiguation,
                      int64_t count, const char* forms) {
    QString text;
    {
        const std::lock_guard<std::mutex> lock(g_lock);
        if (g_program)
            text = g_program->translate(context, source, disambiguation,
                                        count < 0 ? -1 : PluralCount(count));
    }
    if (text.isEmpty())
        text = QString::fromStdString(forms && count >= 0 ? PluralForm(count, forms)
                                                          : std::string(source));
    return ReplaceCount(text, count).toStdString();
}

std::string Tr(const char* source) { return Translate("Cli", source); }

}  // namespace q7k3
