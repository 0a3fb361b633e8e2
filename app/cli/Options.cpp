#include "app/cli/Options.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstdlib>

#include <QString>

#include "app/cli/Cli.h"
#include "app/cli/CliLink.h"
#include "ports/PhoneSearch.h"
#include "ports/PortDiagnostics.h"
#include "base/Language.h"
#include "base/Messages.h"

namespace q7k3::cli {
namespace {

Verbosity g_verbosity = Verbosity::Normal;

const OptionSpec kLinkOptions[] = {
    {"--port", QT_TRANSLATE_NOOP("Cli", "ПУТЬ|auto"),
     QT_TRANSLATE_NOOP("Cli", "порт телефона, auto: найти его (без него: Q7K3FM_PORT, затем сохранённый порт)")},
    {"--baud", "N", QT_TRANSLATE_NOOP("Cli", "скорость линии, бит/с")},
    {"--sleep", "0|1|2", QT_TRANSLATE_NOOP("Cli", "скорость реакции связи")},
    {"--trace", QT_TRANSLATE_NOOP("Cli", "ФАЙЛ"), QT_TRANSLATE_NOOP("Cli", "записывать обмен с телефоном в ФАЙЛ")},
    {"--same-phone", nullptr,
     QT_TRANSLATE_NOOP("Cli", "это тот телефон, на котором прервалась запись файла (для телефонов без серийного номера)")},
    {"--quiet", nullptr, QT_TRANSLATE_NOOP("Cli", "без индикатора хода и лишних строк"), 'q'},
    {"--verbose", nullptr, QT_TRANSLATE_NOOP("Cli", "подробнее о ходе работы"), 'v'},
};

const OptionSpec kHelpOption{"--help", nullptr, QT_TRANSLATE_NOOP("Cli", "эта справка"), 'h'};

std::string Quoted(const std::string& text) {
    return "«" + Printable(text) + "»";
}

const OptionSpec* FindLong(const CommandSyntax& spec, const std::string& name) {
    if (name == kHelpOption.name) return &kHelpOption;
    for (const OptionSpec& o : spec.options)
        if (name == o.name) return &o;
    return nullptr;
}

const OptionSpec* FindShort(const CommandSyntax& spec, char c) {
    if (c == kHelpOption.shortName) return &kHelpOption;
    for (const OptionSpec& o : spec.options)
        if (o.shortName == c) return &o;
    return nullptr;
}

std::vector<std::string> OptionNames(const CommandSyntax& spec) {
    std::vector<std::string> names{kHelpOption.name};
    for (const OptionSpec& o : spec.options) names.emplace_back(o.name);
    return names;
}

// Characters, not bytes, and without regard to case: "ёлк" is one step from "Ёлка".
size_t EditDistance(const QString& a, const QString& b) {
    std::vector<size_t> row(static_cast<size_t>(b.size()) + 1);
    for (size_t j = 0; j < row.size(); ++j) row[j] = j;
    for (qsizetype i = 1; i <= a.size(); ++i) {
        size_t diagonal = row[0];
        row[0] = static_cast<size_t>(i);
        for (qsizetype j = 1; j <= b.size(); ++j) {
            const size_t up = row[static_cast<size_t>(j)];
            const bool same = a[i - 1] == b[j - 1];
            row[static_cast<size_t>(j)] =
                std::min({up + 1, row[static_cast<size_t>(j - 1)] + 1, diagonal + (same ? 0 : 1)});
            diagonal = up;
        }
    }
    return row.back();
}

}  // namespace

std::string ParsedArgs::Value(const std::string& name, const std::string& fallback) const {
    const auto it = values.find(name);
    return it == values.end() ? fallback : it->second;
}

std::string Nearest(const std::string& word, const std::vector<std::string>& candidates) {
    std::string best;
    size_t bestDistance = 0;
    size_t bestLength = 0;
    const QString w = QString::fromStdString(word).toLower();
    for (const std::string& c : candidates) {
        const QString candidate = QString::fromStdString(c).toLower();
        const size_t d = EditDistance(w, candidate);
        if (best.empty() || d < bestDistance) {
            best = c;
            bestDistance = d;
            bestLength = static_cast<size_t>(std::min(w.size(), candidate.size()));
        }
    }
    // A typo: a third of the word at most, and never the whole of a short word.
    const size_t limit = std::max<size_t>(1, bestLength / 3);
    return !best.empty() && bestDistance <= limit ? best : std::string();
}

std::string Printable(const std::string& text, bool field) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const char ch = text[i];
        const auto c = static_cast<unsigned char>(ch);
        if (field && c == '\\') {
            out += "\\\\";
        } else if (field && c == '\r') {
            out += "\\r";
        } else if (c == '\t') {
            out += "\\t";
        } else if (c == '\n') {
            out += "\\n";
        } else if (c < 0x20 || c == 0x7F) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            out += hex;
        } else if (c == 0xC2 && i + 1 < text.size() &&
                   (static_cast<unsigned char>(text[i + 1]) & 0xE0) == 0x80) {
            // U+0080..U+009F: some terminals take these as controls too (U+009B opens a
            // sequence as ESC [ does).
            char hex[16];
            std::snprintf(hex, sizeof hex, "\\xC2\\x%02X", static_cast<unsigned char>(text[++i]));
            out += hex;
        } else {
            out += ch;
        }
    }
    return out;
}

std::string JsonString(const std::string& text) {
    std::string out = "\"";
    for (size_t i = 0; i < text.size(); ++i) {
        const char ch = text[i];
        const auto c = static_cast<unsigned char>(ch);
        if (c == '"')
            out += "\\\"";
        else if (c == '\\')
            out += "\\\\";
        else if (c == '\t')
            out += "\\t";
        else if (c == '\n')
            out += "\\n";
        else if (c == '\r')
            out += "\\r";
        else if (c < 0x20 || c == 0x7F) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\u%04x", c);
            out += hex;
        } else if (c == 0xC2 && i + 1 < text.size() &&
                   (static_cast<unsigned char>(text[i + 1]) & 0xE0) == 0x80) {
            // U+0080..U+009F, which a terminal may obey: escaped, the JSON reads the same.
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\u%04x", static_cast<unsigned char>(text[++i]));
            out += hex;
        } else {
            out += ch;
        }
    }
    return out + "\"";
}

std::string OneLine(const std::string& text) {
    std::string line = text;
    // The lines of a box are sentences: one that ends without a stop gets one.
    for (size_t at; (at = line.find("\r\n")) != std::string::npos;) {
        const bool stopped =
            at == 0 || std::string_view(".:;,!?").find(line[at - 1]) != std::string_view::npos;
        line.replace(at, 2, stopped ? " " : ". ");
    }
    return Printable(line);
}

int ModeOption(const ParsedArgs& args, bool pimsToo, FolderMode& mode) {
    const std::string name = args.Value("--mode", "normal");
    if (name == "normal")
        mode = FolderMode::Normal;
    else if (name == "pro")
        mode = FolderMode::Pro;
    else if (name == "pims" && pimsToo)
        mode = FolderMode::Pims;
    else
        return Fail(Msg(kMsgCliBadValue) + "--mode: " + Quoted(name) +
                        (pimsToo ? " (normal, pro, pims)" : " (normal, pro)"),
                    kExitUsage);
    return 0;
}

int UsageError(const std::string& command, const std::string& text) {
    std::fprintf(stderr, "q7k3fm-cli: %s\n", OneLine(text).c_str());
    std::fprintf(stderr, "%s%s\n", Msg(kMsgCliSeeHelp).c_str(), command.c_str());
    return kExitUsage;
}

void PrintCommandHelp(const CommandSyntax& spec, FILE* out) {
    std::fprintf(out, "%s%s\n\n%s\n", Tr(QT_TRANSLATE_NOOP("Cli", "Вызов: q7k3fm-cli ")).c_str(),
                 Tr(spec.synopsis).c_str(), Tr(spec.summary).c_str());
    if (spec.note) std::fprintf(out, "\n%s\n", Tr(spec.note).c_str());
    std::fprintf(out, "\n%s\n", Tr(QT_TRANSLATE_NOOP("Cli", "Параметры:")).c_str());
    auto line = [&](const OptionSpec& o) {
        std::string left = o.shortName ? std::string("-") + o.shortName + ", " : "    ";
        left += o.name;
        if (o.value) left += "=" + Tr(o.value);
        // Column widths count characters, not bytes.
        size_t chars = 0;
        for (const char c : left) chars += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
        std::fprintf(out, "  %s%*s %s\n", left.c_str(),
                     static_cast<int>(chars < 26 ? 26 - chars : 0), "", Tr(o.help).c_str());
    };
    for (const OptionSpec& o : spec.options) line(o);
    line(kHelpOption);
    line({"--", nullptr, QT_TRANSLATE_NOOP("Cli", "дальше только аргументы, даже если начинаются с -")});
    std::fprintf(out, "\n%s", ExitCodeHelp().c_str());
}

std::string ExitCodeHelp() {
    return Tr(QT_TRANSLATE_NOOP("Cli",
           "Коды завершения:\n"
           "  0    успешно\n"
           "  1    телефон отказал или обмен не удался\n"
           "  2    ошибка в командной строке\n"
           "  3    порт не открывается\n"
           "  4    телефон не отвечает\n"
           "  5    модель телефона не поддерживается\n"
           "  6    локальный файл не читается, не пишется или уже есть; опись копии повреждена\n"
           "  7    входной файл не того вида\n"
           "  8    --port auto: найдено несколько телефонов\n"
           "  130  прервано (Ctrl+C)\n"));
}

int Parse(const CommandSyntax& spec, const std::vector<std::string>& words, ParsedArgs& out) {
    out = {};
    bool onlyArgs = false;
    for (size_t i = 0; i < words.size(); ++i) {
        const std::string& w = words[i];
        if (onlyArgs || w == "-" || w.empty() || w[0] != '-') {
            out.positional.push_back(w);
            continue;
        }
        if (w == "--") {
            onlyArgs = true;
            continue;
        }
        if (w[1] != '-') {
            // A cluster of short flags (-qv); a short option with a value takes the next word.
            for (size_t k = 1; k < w.size(); ++k) {
                const OptionSpec* o = FindShort(spec, w[k]);
                if (!o) return UsageError(spec.name, Msg(kMsgCliUnknownOption) + Quoted(w));
                if (o->value) {
                    if (k + 1 != w.size() || i + 1 >= words.size())
                        return UsageError(spec.name, Msg(kMsgCliOptionNeedsValue) + Quoted(w));
                    out.values[o->name] = words[++i];
                } else {
                    out.values[o->name] = "";
                }
            }
            continue;
        }
        const size_t eq = w.find('=');
        const std::string name = w.substr(0, eq);
        const OptionSpec* o = FindLong(spec, name);
        if (!o) {
            std::string text = Msg(kMsgCliUnknownOption) + Quoted(name);
            const std::string near = Nearest(name, OptionNames(spec));
            if (!near.empty()) text += Msg(kMsgCliDidYouMean) + Quoted(near) + "?";
            return UsageError(spec.name, text);
        }
        if (!o->value) {
            if (eq != std::string::npos)
                return UsageError(spec.name, Msg(kMsgCliOptionTakesNoValue) + Quoted(w));
            out.values[o->name] = "";
            continue;
        }
        if (eq != std::string::npos) {
            out.values[o->name] = w.substr(eq + 1);
        } else if (i + 1 < words.size()) {
            out.values[o->name] = words[++i];
        } else {
            return UsageError(spec.name, Msg(kMsgCliOptionNeedsValue) + Quoted(name));
        }
    }
    if (out.Has("--help")) {
        PrintCommandHelp(spec, stdout);
        return kExitOk;
    }
    const int count = static_cast<int>(out.positional.size());
    if (count < spec.minArgs) return UsageError(spec.name, Msg(kMsgCliMissingArgs) + Tr(spec.synopsis));
    if (spec.maxArgs >= 0 && count > spec.maxArgs)
        return UsageError(spec.name, Msg(kMsgCliTooManyArgs) +
                                         Quoted(out.positional[static_cast<size_t>(spec.maxArgs)]));
    SetVerbosity(out);
    return kParsed;
}

std::span<const OptionSpec> LinkOptionSpecs() {
    return kLinkOptions;
}

std::vector<OptionSpec> TreeOptionSpecs(std::initializer_list<OptionSpec> own) {
    std::vector<OptionSpec> all(std::begin(kLinkOptions), std::end(kLinkOptions));
    all.push_back({"--mode", "normal|pro|pims", QT_TRANSLATE_NOOP("Cli", "дерево папок: обычное, расширенное или PIMS")});
    all.push_back({"--hidden", nullptr, QT_TRANSLATE_NOOP("Cli", "показывать и скрытые файлы")});
    all.insert(all.end(), own);
    return all;
}

int LinkWords(const ParsedArgs& args, std::vector<std::string>& words) {
    words.clear();
    std::string port = args.Value("--port");
    if (!args.Has("--port")) {
        if (const char* env = std::getenv("Q7K3FM_PORT")) port = env;
    }
    if (!port.empty()) words.insert(words.end(), {"--port", port});
    if (args.Has("--baud")) {
        const std::string baud = args.Value("--baud");
        uint32_t value = 0;
        const auto [end, ec] = std::from_chars(baud.data(), baud.data() + baud.size(), value);
        // Only the speeds the settings offer: the phones take no other.
        const bool offered = std::find(std::begin(kOfferedRates), std::end(kOfferedRates),
                                       static_cast<int>(value)) != std::end(kOfferedRates);
        if (ec != std::errc() || end != baud.data() + baud.size() || !offered)
            return Fail(
                Msg(kMsgCliBadValue) + "--baud: «" + Printable(baud) + "» (115200, 128000, 230400)",
                kExitUsage);
        words.insert(words.end(), {"--baud", baud});
    }
    if (args.Has("--sleep")) {
        const std::string sleep = args.Value("--sleep");
        if (sleep != "0" && sleep != "1" && sleep != "2")
            return Fail(Msg(kMsgCliBadValue) + "--sleep: «" + Printable(sleep) + "» (0, 1, 2)",
                        kExitUsage);
        words.insert(words.end(), {"--sleep", sleep});
    }
    if (args.Has("--trace")) {
        if (args.Value("--trace").empty())
            return Fail(Msg(kMsgCliOptionNeedsValue) + "--trace", kExitUsage);
        words.insert(words.end(), {"--trace", args.Value("--trace")});
    }
    if (args.Has("--same-phone")) words.push_back("--same-phone");
    return kExitOk;
}

int LinkFailure(CliLink& link, const LinkOptions& options) {
    const int code = link.ExitCode();
    const std::string& port = link.Link().Port.PortName();
    // The search for --port auto has said what it found.
    if (options.Port == "auto") {
        if (code == kExitSilentCode) Advise(kMsgAdviceNoPhoneFound, "q7k3fm-cli ports", code);
        return code;
    }
    if (code == kExitPortCode || code == kExitSilentCode) {
        if (port.empty()) {
            Fail(Msg(kMsgCliNoPortSet), code);
            return code;
        }
        // The port named, and where it came from when the command line did not name it.
        const char* env = std::getenv("Q7K3FM_PORT");
        std::string from;
        if (options.Port.empty())
            from = Msg(kMsgPortFromSettings);
        else if (env && options.Port == env)
            from = Msg(kMsgPortFromEnvironment);
        Fail(Msg(kMsgCliPortNamed) + Printable(port) + from, code);
        if (code == kExitSilentCode) {
            Advise(kMsgAdviceSilentPhone, "q7k3fm-cli ports", code);
            return code;
        }
        // What fits the reason the port did not open; a missing permission was told with
        // its remedy already.
        const PortStatus status = DiagnoseOnePort(port);
        if (status.State == PortState::NoPermission || status.State == PortState::ModemManager)
            return code;
        if (status.State == PortState::Busy)
            Advise(kMsgAdvicePortHeld, "q7k3fm-cli ports", code);
        else if (status.State == PortState::Unusable && status.Error == ENOENT)
            Advise(kMsgAdvicePortMissing, "q7k3fm-cli ports", code);
        else
            Advise(kMsgAdviceNotSerial, "q7k3fm-cli ports", code);
    } else if (code == kExitModelCode) {
        Fail(Msg(kMsgCliModelNamed) + Printable(link.Channel().PhoneModel), code);
    }
    return code;
}

Verbosity CurrentVerbosity() {
    return g_verbosity;
}

void SetVerbosity(const ParsedArgs& args) {
    if (args.Has("--quiet"))
        g_verbosity = Verbosity::Quiet;
    else if (args.Has("--verbose"))
        g_verbosity = Verbosity::Verbose;
}

}  // namespace q7k3::cli
