#pragma once
// Stand-ins for the port driver and the message boxes, recording what the settings did,
// and a pseudo-terminal standing for a serial port.

#include <fcntl.h>
#include <stdlib.h>
#include <sys/file.h>
#include <unistd.h>

#include <QByteArray>
#include <QFile>

#include <string>
#include <vector>

#include "base/Prompts.h"
#include "settings/SettingsStore.h"
#include "support/ScriptedUi.h"

namespace q7k3::test {

// The port driver's settings, starting from values no setting has by default so that a
// test sees which ones were applied.
class FakePort final : public PortSettingsTarget {
public:
    std::string Name = "unset";
    int Rate = 9600;
    bool Dtr = false;
    bool Manual = true;
    int Hw = 1;
    int Sw = 1;
    bool LineStatus = false;
    int Polling = 99;
    int Sets = 0;  // setter calls of any kind

    std::string PortName() const override { return Name; }
    void SetPortName(const std::string& n) override { Name = n, ++Sets; }
    int BaudRateValue() const override { return Rate; }
    void SetBaudRateValue(int r) override { Rate = r, ++Sets; }
    bool EnableDTROnOpen() const override { return Dtr; }
    void SetEnableDTROnOpen(bool on) override { Dtr = on, ++Sets; }
    bool SettingsMode() const override { return Manual; }
    void SetSettingsMode(bool m) override { Manual = m, ++Sets; }
    int HwFlow() const override { return Hw; }
    void SetHwFlow(int f) override { Hw = f, ++Sets; }
    int SwFlow() const override { return Sw; }
    void SetSwFlow(int f) override { Sw = f, ++Sets; }
    bool CheckLineStatus() const override { return LineStatus; }
    void SetCheckLineStatus(bool on) override { LineStatus = on, ++Sets; }
    int PollingDelay() const override { return Polling; }
    void SetPollingDelay(int ms) override { Polling = ms, ++Sets; }
};

// The boxes shown: the one set of scripted fakes, where an unscripted question fails the test.

inline std::string FileText(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return {};
    return f.readAll().toStdString();
}

inline void WriteFile(const QString& path, const std::string& text) {
    QFile f(path);
    f.open(QIODevice::WriteOnly | QIODevice::Truncate);
    f.write(text.data(), static_cast<qint64>(text.size()));
}

// The line "key=value" as the settings file holds it.
inline bool HasLine(const std::string& text, const std::string& line) {
    return ("\n" + text + "\n").find("\n" + line + "\n") != std::string::npos;
}

// A pseudo-terminal pair; the slave side is a character device like a serial port.
class Pty {
public:
    Pty() {
        m_master = posix_openpt(O_RDWR | O_NOCTTY);
        if (m_master >= 0 && grantpt(m_master) == 0 && unlockpt(m_master) == 0)
            m_slavePath = ptsname(m_master);
    }
    ~Pty() {
        if (m_holder >= 0) close(m_holder);
        if (m_master >= 0) close(m_master);
    }
    const std::string& Path() const { return m_slavePath; }
    // Another program holding the port: open and locked exclusively.
    bool Hold() {
        m_holder = open(m_slavePath.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        return m_holder >= 0 && flock(m_holder, LOCK_EX | LOCK_NB) == 0;
    }
    void Release() {
        close(m_holder);
        m_holder = -1;
    }

private:
    int m_master = -1;
    int m_holder = -1;
    std::string m_slavePath;
};

}  // namespace q7k3::test
