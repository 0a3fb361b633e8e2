#include "settings/SettingsStore.h"

#include <QDir>
#include <QSettings>
#include <QStandardPaths>
#include <QStringList>
#include <QVariant>

#include <algorithm>
#include <charconv>

#include "base/Prompts.h"
#include "base/Language.h"
#include "base/Messages.h"

namespace q7k3 {
namespace {

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

// A decimal integer with an optional sign and surrounding blanks; nothing else.
bool ParseInt(std::string_view text, int& out) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    if (text.empty()) return false;
    int value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size()) return false;
    out = value;
    return true;
}

int DefaultInt(const SettingKey& key) {
    int v = 0;
    ParseInt(key.Default, v);
    return v;
}

using ApplyFn = void (*)(const SettingsStore&, const SettingKey&, const LiveSettings&);

struct Entry {
    SettingKey Key;
    ApplyFn Apply;
};

void ApplyFavourites(const SettingsStore& store, const SettingKey& key, const LiveSettings& live) {
    if (!live.Favs) return;
    int count = std::clamp(store.ReadInt(key.Name, DefaultInt(key)), 0, kMaxFavourites);
    live.Favs->Alias.clear();
    live.Favs->Path.clear();
    for (int n = 0; n < count; ++n) {
        live.Favs->Alias.push_back(store.ReadString("FavAlias" + std::to_string(n), ""));
        live.Favs->Path.push_back(store.ReadString("FavPath" + std::to_string(n), ""));
    }
}

// In the order loading reads and applies them.
const std::vector<Entry>& Entries() {
    static const std::vector<Entry> entries = {
        {{"ComPort", SettingKind::String, DefaultPortName()},
         [](const SettingsStore& s, const SettingKey& k, const LiveSettings& l) {
             if (l.Port) l.Port->SetPortName(s.ReadString(k.Name, k.Default));
         }},
        {{"BaudRate", SettingKind::Integer, "115200"},
         [](const SettingsStore& s, const SettingKey& k, const LiveSettings& l) {
             // A rate of zero or below cannot be set up; it reads as the default.
             int rate = s.ReadInt(k.Name, DefaultInt(k));
             if (l.Port) l.Port->SetBaudRateValue(rate > 0 ? rate : DefaultInt(k));
         }},
        {{"EnableDTROnOpen", SettingKind::Boolean, "1"},
         [](const SettingsStore& s, const SettingKey& k, const LiveSettings& l) {
             if (l.Port) l.Port->SetEnableDTROnOpen(s.ReadBool(k.Name, DefaultInt(k) != 0));
         }},
        {{"PortSettings", SettingKind::Boolean, "0"},
         [](const SettingsStore& s, const SettingKey& k, const LiveSettings& l) {
             if (l.Port) l.Port->SetSettingsMode(s.ReadBool(k.Name, DefaultInt(k) != 0));
         }},
        {{"HardwareFlow", SettingKind::Integer, "2"},
         [](const SettingsStore& s, const SettingKey& k, const LiveSettings& l) {
             int v = s.ReadInt(k.Name, DefaultInt(k));
             if (l.Port && v >= 0 && v <= 2) l.Port->SetHwFlow(v);
         }},
        {{"SoftwareFlow", SettingKind::Integer, "0"},
         [](const SettingsStore& s, const SettingKey& k, const LiveSettings& l) {
             int v = s.ReadInt(k.Name, DefaultInt(k));
             if (l.Port && v >= 0 && v <= 1) l.Port->SetSwFlow(v);
         }},
        {{"CheckLineStatus", SettingKind::Boolean, "1"},
         [](const SettingsStore& s, const SettingKey& k, const LiveSettings& l) {
             if (l.Port) l.Port->SetCheckLineStatus(s.ReadBool(k.Name, DefaultInt(k) != 0));
         }},
        {{"LastPath", SettingKind::String, DefaultLastPath()},
         [](const SettingsStore& s, const SettingKey& k, const LiveSettings& l) {
             if (l.LastPath) *l.LastPath = s.ReadString(k.Name, k.Default);
         }},
        {{"LastPhoneFolder", SettingKind::String, ""},
         [](const SettingsStore& s, const SettingKey& k, const LiveSettings& l) {
             if (l.LastPhoneFolder) *l.LastPhoneFolder = s.ReadString(k.Name, k.Default);
         }},
        {{"IRDAReq", SettingKind::Boolean, "1"},
         [](const SettingsStore& s, const SettingKey& k, const LiveSettings& l) {
             if (l.Flags) l.Flags->IRDAReq = s.ReadBool(k.Name, DefaultInt(k) != 0);
         }},
        {{"MelConvertion", SettingKind::Boolean, "1"},
         [](const SettingsStore& s, const SettingKey& k, const LiveSettings& l) {
             if (l.Flags) l.Flags->MelConvertion = s.ReadBool(k.Name, DefaultInt(k) != 0);
         }},
        {{"SleepTime", SettingKind::Integer, "0"},
         [](const SettingsStore& s, const SettingKey& k, const LiveSettings& l) {
             ApplySleepTimeAtLoad(s.ReadInt(k.Name, DefaultInt(k)), l.Port, l.PollStep);
         }},
        {{"FavCount", SettingKind::Integer, "0"}, ApplyFavourites},
        {{"HiddenFiles", SettingKind::Integer, "0"},
         [](const SettingsStore& s, const SettingKey& k, const LiveSettings& l) {
             if (l.Flags) l.Flags->HiddenFiles = s.ReadInt(k.Name, DefaultInt(k)) != 0;
         }},
        {{"MODE", SettingKind::Integer, "0"},
         [](const SettingsStore& s, const SettingKey& k, const LiveSettings& l) {
             if (l.Flags) ApplyStoredMode(s.ReadInt(k.Name, DefaultInt(k)), *l.Flags);
         }},
        // The protocol trace for a bug report (the window's own; the command line has
        // --trace).
        {{"Trace", SettingKind::Boolean, "0"},
         [](const SettingsStore& s, const SettingKey& k, const LiveSettings& l) {
             if (l.Flags) l.Flags->Trace = s.ReadBool(k.Name, DefaultInt(k) != 0);
         }},
        // The program's language: "auto", "ru" or "en". It is read at start, before any
        // window shows a text (base/Language.h), not applied here.
        {{kLanguageKey, SettingKind::String, "auto"},
         [](const SettingsStore&, const SettingKey&, const LiveSettings&) {}},
    };
    return entries;
}

}  // namespace

const std::vector<SettingKey>& SettingsTable() {
    static const std::vector<SettingKey> keys = [] {
        std::vector<SettingKey> k;
        for (const Entry& e : Entries()) k.push_back(e.Key);
        return k;
    }();
    return keys;
}

std::string DefaultPortName() {
#ifdef Q_OS_WIN
    return "COM1";
#else
    return "/dev/ttyS0";
#endif
}

std::string DefaultLastPath() {
#ifdef Q_OS_WIN
    return "C:";
#else
    return QDir::homePath().toStdString();
#endif
}

SettingsStore::SettingsStore() {
#ifdef Q_OS_WIN
    m_settings = std::make_unique<QSettings>(
        QStringLiteral("HKEY_CURRENT_USER\\SOFTWARE\\Q7K3FileManager"), QSettings::NativeFormat);
#else
    // The path is worked out here rather than by QSettings' own scope lookup, which keeps
    // the first XDG_CONFIG_HOME it saw for the whole process.
    QString dir = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    m_settings = std::make_unique<QSettings>(dir + QStringLiteral("/Q7K3FileManager.conf"),
                                             QSettings::IniFormat);
#endif
}

SettingsStore::SettingsStore(const std::string& iniPath)
    : m_settings(std::make_unique<QSettings>(Q(iniPath), QSettings::IniFormat)) {}

SettingsStore::~SettingsStore() = default;

bool SettingsStore::Contains(const std::string& key) const {
    return m_settings->contains(Q(key));
}

std::string SettingsStore::ReadString(const std::string& key, const std::string& def) const {
    QVariant v = m_settings->value(Q(key));
    if (!v.isValid()) return def;
    // An INI value with unquoted commas reads as a list; it was one string to whoever
    // wrote it.
    if (v.typeId() == QMetaType::QStringList) return v.toStringList().join(',').toStdString();
    return v.toString().toStdString();
}

int SettingsStore::ReadInt(const std::string& key, int def) const {
    if (!Contains(key)) return def;
    int value = def;
    return ParseInt(ReadString(key, ""), value) ? value : def;
}

bool SettingsStore::ReadBool(const std::string& key, bool def) const {
    if (!Contains(key)) return def;
    int value = 0;
    return ParseInt(ReadString(key, ""), value) ? value != 0 : def;
}

void SettingsStore::WriteString(const std::string& key, const std::string& value) {
    m_settings->setValue(Q(key), Q(value));
}

void SettingsStore::WriteInt(const std::string& key, int value) {
    WriteString(key, std::to_string(value));
}

void SettingsStore::WriteBool(const std::string& key, bool value) {
    WriteString(key, value ? "1" : "0");
}

bool SettingsStore::Flush() {
    m_settings->sync();
    if (m_settings->status() == QSettings::NoError) return true;
    if (!m_failureReported && m_prompts) {
        m_prompts->MessageBox(Msg(kMsgSettingsNotSaved), Msg(kMsgErrorCaption), BoxIcon::Error);
    }
    m_failureReported = true;
    return false;
}

std::string SettingsStore::Location() const {
    return m_settings->fileName().toStdString();
}

void LoadSettings(const SettingsStore& store, const LiveSettings& live) {
    for (const Entry& e : Entries()) e.Apply(store, e.Key, live);
}

void ApplySleepTimeAtLoad(int sleepTime, PortSettingsTarget* port, int* pollStep) {
    // (polling period, wait step) for fast, medium and slow.
    static constexpr int kPairs[3][2] = {{5, 1}, {10, 1}, {50, 10}};
    if (sleepTime < 0 || sleepTime > 2) return;
    if (port) port->SetPollingDelay(kPairs[sleepTime][0]);
    if (pollStep) *pollStep = kPairs[sleepTime][1];
}

void ApplyMode(FolderMode mode, AppFlags& flags) {
    flags.Mode = mode;
    flags.CompileJavaEnabled = mode != FolderMode::Pims;
}

void ApplyStoredMode(int mode, AppFlags& flags) {
    if (mode >= 0 && mode <= 2) ApplyMode(static_cast<FolderMode>(mode), flags);
}

bool SaveOnClose(SettingsStore& store, const std::string& lastPath, const Favourites& favs) {
    store.WriteString("LastPath", lastPath);
    const size_t count = favs.Alias.size();
    for (size_t n = 0; n < count; ++n) {
        store.WriteString("FavAlias" + std::to_string(n), favs.Alias[n]);
        store.WriteString("FavPath" + std::to_string(n), n < favs.Path.size() ? favs.Path[n] : "");
    }
    store.WriteInt("FavCount", static_cast<int>(count));
    return store.Flush();
}

}  // namespace q7k3
