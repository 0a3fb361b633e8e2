#pragma once
// The language the program speaks: Russian, the catalogue's own, or English, its
// translation (Qt Linguist files q7k3fm_<code>.qm). The window and the command line choose
// it the same way and load it once, at start, before any text is shown:
//
//   UseLanguage(ChooseLanguage(store.ReadString(kLanguageKey, "auto")));
//
// after which Msg(), Caption() and Tr() answer in it.

#include <QStringList>
#include <cstdint>
#include <string>
#include <string_view>

namespace q7k3 {

enum class Language { Russian, English };

// The settings key of the user's choice: "auto" (the desktop's language), "ru" or "en".
inline constexpr const char* kLanguageKey = "Language";
// Overrides the stored choice and the desktop's language, with the same values (the tests
// pin Russian with it whatever the machine's locale).
inline constexpr const char* kLanguageVariable = "Q7K3FM_LANGUAGE";

// "ru" or "en".
const char* LanguageCode(Language language);

// `forced` (the variable), then `stored`, each when it is "ru" or "en"; otherwise the first
// of the desktop's languages (QLocale::uiLanguages: LANGUAGE, then LC_ALL, LC_MESSAGES, LANG)
// that is Russian or English. Any other language, "C" or none: English.
Language ChooseLanguage(std::string_view forced, std::string_view stored,
                        const QStringList& uiLanguages);
// The same with the variable and the system's locale.
Language ChooseLanguage(std::string_view stored);

struct LanguageFiles {
    bool Program = false;  // q7k3fm_<code>.qm was found and loaded
    bool Qt = false;       // qtbase_<code>.qm (the standard buttons)
};

// Loads the program's translation and Qt's own for `language`, installs both in the
// application (when there is one) and makes the catalogue answer in it. The program's file
// is looked for in `dirs` first, then beside the program, then in share/q7k3fm/translations
// of its prefix and of the desktop's data folders. Without it, texts stay Russian.
// Call it before the threads that read the catalogue start.
LanguageFiles UseLanguage(Language language, const QStringList& dirs = {});
Language CurrentLanguage();

// The translation of `source` in `context` (the source itself when there is none). With
// `count` >= 0 the text is a plural one: the form for `count`, "%n" replaced by it and "%Ln"
// by it as the locale writes it; where no translation has the text, the form is taken from
// `forms` (the Russian "one|few|many", as PluralForm picks them) when given.
std::string Translate(const char* context, const char* source,
                      const char* disambiguation = nullptr, int64_t count = -1,
                      const char* forms = nullptr);
// The command line's own texts (context "Cli"), marked QT_TRANSLATE_NOOP("Cli", ...).
std::string Tr(const char* source);

}  // namespace q7k3
