#pragma once
// The settings dialog: the serial port among those that open, and the link, timing and
// display settings. Start writes every setting to the store and applies it to the live
// objects; the connection itself is made by whoever showed the dialog. The program binds
// it once to its live objects and shows it through Execute:
//
//   DriverSettings<SerialPort> port(link.Port);
//   settingsForm.Bind({&store, &port, &link.Channel.PollStep, &flags, &prompts, {},
//                      [&] { return phoneReady; }, [&] { link.Port.Connect(); }, {}});
//   if (settingsForm.Execute()) ...  // Start: the settings are applied and stored

#include <QDialog>

#include <functional>

#include "link/PortDiagnostics.h"
#include "link/PortList.h"
#include "link/SettingsStore.h"

class QComboBox;
class QLabel;
class QPushButton;
class QTabWidget;
class QToolButton;

namespace q7k3 {

class Prompts;

// The live objects the dialog reads and changes, and what it asks of the program.
struct SettingsFormBinding {
    SettingsStore* Store = nullptr;
    PortSettingsTarget* Port = nullptr;
    int* PollStep = nullptr;  // the channel's wait step
    AppFlags* Flags = nullptr;
    Prompts* Boxes = nullptr;  // the error box when no serial device exists
    // The ports to offer. Null: ListSerialPorts with the stored "ComPort".
    std::function<PortScan()> ListPorts;
    // True when a connection existed before the dialog was shown (PhoneReady is set).
    std::function<bool()> ConnectionExisted;
    // Opens the port again (Cancel after "Настройки" returns to the running connection).
    std::function<void()> ReopenPort;
    // Ends the program: there is no serial device at all. Null: QCoreApplication::exit(1).
    std::function<void()> EndProgram;
};

class SettingsDialog final : public QDialog {
    Q_OBJECT

public:
    explicit SettingsDialog(QWidget* parent = nullptr);

    void Bind(const SettingsFormBinding& binding) { m_b = binding; }
    // Where the "?" next to the port list gets the state of every serial device. Null:
    // DiagnosePorts with the stored "ComPort".
    void SetPortDiagnostics(std::function<std::vector<PortStatus>()> diagnose) {
        m_diagnose = std::move(diagnose);
    }

    // Fills the dialog from the live state; called each time before it is shown. With no
    // serial device at all it shows the error box, ends the program and returns false.
    bool FormCreate();
    // Applies the choices to the live objects and writes them, in a fixed order.
    void StartClick();
    // Reopens the port when a connection existed.
    void CancelSetBtnClick();
    // The page "Дополнительно" is usable exactly when the line settings are set by hand.
    void PortSettingsBoxChange();

    // Shows the small window with every serial device and why it does or does not open.
    void PortStatesBtnClick();

    // FormCreate, then the dialog, modally. True when it was closed with Start.
    bool Execute();

public slots:
    void accept() override;
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    QComboBox* AddCombo(QWidget* page, const char* name, const char* label, int row, int column);

    SettingsFormBinding m_b;
    std::function<std::vector<PortStatus>()> m_diagnose;
    QTabWidget* m_pages = nullptr;
    QWidget* m_tabSheet2 = nullptr;
    QComboBox* m_selCom = nullptr;
    QComboBox* m_mode = nullptr;
    QComboBox* m_selSpeed = nullptr;
    QComboBox* m_irdaReq = nullptr;
    QComboBox* m_melConvertion = nullptr;
    QComboBox* m_sleepTime = nullptr;
    QComboBox* m_hiddenFiles = nullptr;
    QComboBox* m_portSettings = nullptr;
    QComboBox* m_enableDtr = nullptr;
    QComboBox* m_hardwareFlow = nullptr;
    QComboBox* m_softwareFlow = nullptr;
    QComboBox* m_checkLineStatus = nullptr;
    QComboBox* m_trace = nullptr;
    QToolButton* m_portStates = nullptr;
    QDialog* m_portStatesForm = nullptr;
    QPushButton* m_start = nullptr;
    QPushButton* m_cancel = nullptr;
};

}  // namespace q7k3
