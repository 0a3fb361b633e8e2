#pragma once
// The phone connection: reset and model check, the connection dialog loop, the error
// report with link recovery, and the infrared keep-alive.

#include <QTimer>
#include <string>

#include "link/AppFlags.h"
#include "link/Prompts.h"
#include "link/TForm10.h"

namespace q7k3 {

// Resets the phone with ATZ (re-sent for up to 2000 ms, then 2500 ms per further batch).
bool ResetPhone(TForm10& form10);
// Queries AT+CGMM: the model line without its CR LF (also stored as PhoneModel), "ERROR"
// when the phone refuses (the port is then closed), or "Time Out" (LastError 1). Reads
// on to the answer's final "OK", so that nothing of it is left for the next command.
std::string ReadModel(TForm10& form10);

// The AT+CGMM exchange itself, followed to its final "OK" (an "OK" before the model line
// closes an earlier query and is skipped). Touches neither PhoneModel nor, when a model
// line came, LastError.
struct ModelAnswer {
    bool Seen = false;     // a model line came
    bool Refused = false;  // the phone answered ERROR
    std::string Model;     // the model line without its CR LF
};
ModelAnswer QueryModel(AtChannel& ch);

// The five models the program works with, compared as whole strings.
bool IsSupportedModel(const std::string& phoneModel);
// "SGH-E700" gives "E700": the four characters from position 5.
std::string ModelCode(const std::string& phoneModel);
// The error report's text for a failure reason.
std::string SessionGuardText(int lastError, const std::string& errorText);

// What the connection needs from the main window.
class ConnectionHost {
public:
    virtual ~ConnectionHost() = default;
    // Fills the settings dialog from the current settings and shows it modally; true
    // when the user pressed Start (the dialog has applied its values by then).
    virtual bool ShowSettingsDialog() = 0;
    virtual void SetMainWindowEnabled(bool enabled) = 0;
    // The file-list scan that ends a connection start: clears PhoneReady, scans, sets
    // PhoneReady on success, asks its own questions. False when it failed or the user
    // declined to go on; the connection dialog then comes back.
    virtual bool BuildFileListCache() = 0;
    virtual bool PhoneReady() const = 0;
    virtual void ClearPhoneReady() = 0;
    // Forgets the folder tree (its root becomes none; PhoneReady is cleared).
    virtual void DropTree() = 0;
    virtual bool CurrentFolderIsRoot() const = 0;
    // Re-reads the current phone folder (the refresh command).
    virtual void RescanBtnClick() = 0;
};

class Connection : public QObject {
    Q_OBJECT

public:
    static constexpr int kKeepAliveMs = 20000;
    static constexpr int kRecoveryPauseMs = 200;

    Connection(TForm10& form10, AppFlags& flags, Prompts& prompts, ProgressView& progress,
               ConnectionHost& host);

    // The connection dialog: settings dialog, open, identify; it comes back after every
    // failure until a connection stands (true) or the user cancels (false).
    bool FormCreate();
    // Connection start once the port is open; after a failure it runs FormCreate.
    bool IdentifyPhone();
    // The error report after a failed phone operation; after a time-out it cycles the
    // port and resets the phone, and re-reads the current folder.
    void SessionGuard();

    // The keep-alive tick.
    void IRDATimerTimer();
    // Stopped during connection steps and commands; armed afterwards exactly when
    // IRDAReq is set.
    void StopKeepAlive();
    void ArmKeepAlive();
    bool KeepAliveArmed() const { return IRDATimer.isActive(); }

    QTimer IRDATimer;

private:
    // IdentifyPhone without the dialog that follows a failure; true when connected.
    bool Identify();
    void ShowError(int message);

    TForm10& m_form10;
    AppFlags& m_flags;
    Prompts& m_prompts;
    ProgressView& m_progress;
    ConnectionHost& m_host;
};

}  // namespace q7k3
