#pragma once
// The settings store: one value per setting, every value a string, kept by QSettings (the
// registry key HKCU\SOFTWARE\Q7K3FileManager on Windows, $XDG_CONFIG_HOME/Q7K3FileManager.conf
// elsewhere). The key table (name, kind, default) lives in one place; loading walks it in
// order and applies each value to the live objects right after reading it.

#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include "base/AppFlags.h"
#include "base/Favourites.h"

class QSettings;

namespace q7k3 {

class Prompts;

// The settings of the serial port driver that the store and the settings dialog touch.
// The driver is adapted to it with DriverSettings (below); tests use a plain fake.
class PortSettingsTarget {
public:
    virtual ~PortSettingsTarget() = default;
    virtual std::string PortName() const = 0;
    virtual void SetPortName(const std::string& name) = 0;
    virtual int BaudRateValue() const = 0;
    virtual void SetBaudRateValue(int rate) = 0;
    virtual bool EnableDTROnOpen() const = 0;
    virtual void SetEnableDTROnOpen(bool on) = 0;
    virtual bool SettingsMode() const = 0;  // true: line settings by hand ("Вручную")
    virtual void SetSettingsMode(bool manual) = 0;
    virtual int HwFlow() const = 0;  // 0 none, 1 none with RTS on, 2 RTS/CTS
    virtual void SetHwFlow(int flow) = 0;
    virtual int SwFlow() const = 0;  // 0 none, 1 XON/XOFF
    virtual void SetSwFlow(int flow) = 0;
    virtual bool CheckLineStatus() const = 0;
    virtual void SetCheckLineStatus(bool on) = 0;
    virtual int PollingDelay() const = 0;
    virtual void SetPollingDelay(int ms) = 0;
};

// Everything LoadSettings applies the stored values to.
struct LiveSettings {
    PortSettingsTarget* Port = nullptr;
    int* PollStep = nullptr;  // the channel's wait step (AtChannel::PollStep)
    AppFlags* Flags = nullptr;
    Favourites* Favs = nullptr;
    std::string* LastPath = nullptr;  // the local pane's start-up directory
    // The phone folder the window showed last, its names from the root joined by a backslash.
    std::string* LastPhoneFolder = nullptr;
};

enum class SettingKind { String, Integer, Boolean };

struct SettingKey {
    std::string Name;
    SettingKind Kind;
    std::string Default;
};

// The key table in load order ("FavCount" stands for the favourites' values as well).
const std::vector<SettingKey>& SettingsTable();

// The port used when none is stored or chosen (the first serial port).
std::string DefaultPortName();
// "LastPath" when none is stored: the user's home directory.
std::string DefaultLastPath();

// A favourites count beyond this is taken as this: a damaged file cannot make the
// program read (and show) millions of entries.
constexpr int kMaxFavourites = 256;

class SettingsStore {
public:
    // The program's own store.
    SettingsStore();
    // A store in an INI file of the given path (tests, tools).
    explicit SettingsStore(const std::string& iniPath);
    ~SettingsStore();
    SettingsStore(const SettingsStore&) = delete;
    SettingsStore& operator=(const SettingsStore&) = delete;

    // Where a failure to write is reported (message 80, once per run). May stay unset.
    void SetPrompts(Prompts* prompts) { m_prompts = prompts; }

    bool Contains(const std::string& key) const;
    std::string ReadString(const std::string& key, const std::string& def) const;
    // A missing value, or one that is not a decimal integer, reads as `def`.
    int ReadInt(const std::string& key, int def) const;
    // True when the value is a non-zero integer; missing or not a number: `def`.
    bool ReadBool(const std::string& key, bool def) const;

    void WriteString(const std::string& key, const std::string& value);
    void WriteInt(const std::string& key, int value);
    void WriteBool(const std::string& key, bool value);  // "0" or "1"

    // Writes pending values out. On failure the values stay in force for the run and the
    // failure is reported once; returns false.
    bool Flush();

    // The file (or registry path) behind the store.
    std::string Location() const;

private:
    std::unique_ptr<QSettings> m_settings;
    Prompts* m_prompts = nullptr;
    bool m_failureReported = false;
};

// Reads every setting in the table's order and applies it to `live` right after reading
// it. A target left null is skipped.
void LoadSettings(const SettingsStore& store, const LiveSettings& live);

// Applies the delay choice (0 fast, 1 medium, 2 slow) as loading does: the port's polling
// period and the wait step together. Any other value changes nothing.
void ApplySleepTimeAtLoad(int sleepTime, PortSettingsTarget* port, int* pollStep);
// Applies the firmware mode (0 Normal, 1 PRO, 2 PIMS) to the flags: the PRO flag and the
// Compile-Java button. Any other value changes nothing.
void ApplyMode(FolderMode mode, AppFlags& flags);
// The stored number: a number that is no mode leaves the flags as they are.
void ApplyStoredMode(int mode, AppFlags& flags);

// What closing the main window saves: "LastPath", then the favourites and "FavCount".
// Values of entries at or beyond the new count stay in the store. Flushes.
bool SaveOnClose(SettingsStore& store, const std::string& lastPath, const Favourites& favs);

// Adapts the serial port driver (or anything with the same setters and getters) to
// PortSettingsTarget. Flow values are passed as their numbers.
template <class Driver>
class DriverSettings final : public PortSettingsTarget {
public:
    explicit DriverSettings(Driver& driver) : m_d(driver) {}
    std::string PortName() const override { return std::string(m_d.PortName()); }
    void SetPortName(const std::string& name) override { m_d.SetPortName(name); }
    int BaudRateValue() const override { return static_cast<int>(m_d.BaudRateValue()); }
    void SetBaudRateValue(int rate) override { m_d.SetBaudRateValue(rate); }
    bool EnableDTROnOpen() const override { return m_d.EnableDTROnOpen(); }
    void SetEnableDTROnOpen(bool on) override { m_d.SetEnableDTROnOpen(on); }
    bool SettingsMode() const override { return m_d.SettingsMode(); }
    void SetSettingsMode(bool manual) override { m_d.SetSettingsMode(manual); }
    int HwFlow() const override { return static_cast<int>(m_d.HwFlow()); }
    void SetHwFlow(int flow) override {
        m_d.SetHwFlow(static_cast<std::remove_cvref_t<decltype(m_d.HwFlow())>>(flow));
    }
    int SwFlow() const override { return static_cast<int>(m_d.SwFlow()); }
    void SetSwFlow(int flow) override {
        m_d.SetSwFlow(static_cast<std::remove_cvref_t<decltype(m_d.SwFlow())>>(flow));
    }
    bool CheckLineStatus() const override { return m_d.CheckLineStatus(); }
    void SetCheckLineStatus(bool on) override { m_d.SetCheckLineStatus(on); }
    int PollingDelay() const override { return static_cast<int>(m_d.PollingDelay()); }
    void SetPollingDelay(int ms) override { m_d.SetPollingDelay(ms); }

private:
    Driver& m_d;
};

}  // namespace q7k3
