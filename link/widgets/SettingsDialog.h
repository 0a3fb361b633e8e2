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

#include "link/PhoneWatch.h"
#include "link/PortDiagnostics.h"
#include "link/PortList.h"
#include "link/SettingsStore.h"

class QComboBox;
class QLabel;
class QPushButton;
class QTabWidget;
class QToolButton;

namespace q7k3 {

class PhoneSearchDialog;
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

    // "Найти телефон": searches every port (PhoneSearchDialog) with the line settings
    // chosen; the one phone found is selected with its speed. Pressed again while the
    // search runs, it stops it.
    void FindPhoneClick();
    // Selects the phone's port and speed, adding the port to the list when it is not there.
    void SelectPhone(const PortFinding& phone);
    PhoneSearchDialog* Search() const { return m_search; }
    // Where the search and the watch for a plugged-in cable look (tests give made-up
    // trees). Without watch sources nothing is watched.
    void SetSearchSources(const SearchSources& sources) { m_sources = sources; }
    void SetWatchSources(const WatchSources* sources);
    // The port tried had no phone: the next showing says so and offers the search.
    void OfferSearch(const std::string& port) { m_silentPort = port; }
    QString OfferText() const;
    // A serial device appeared while the dialog is shown: the port list is filled anew and
    // the new ports are searched.
    void PortsAppeared(const QStringList& paths);

    // FormCreate, then the dialog, modally. True when it was closed with Start.
    bool Execute();

public slots:
    void accept() override;
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    QComboBox* AddCombo(QWidget* page, const char* name, const char* label, int row, int column);
    void FillPorts(const PortScan& scan);
    // The line settings as the dialog shows them now.
    SearchRequest RequestFromChoices() const;
    void StartSearch(const SearchRequest& request);
    void SearchFinished();

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
    QComboBox* m_language = nullptr;
    QToolButton* m_portStates = nullptr;
    QDialog* m_portStatesForm = nullptr;
    QPushButton* m_start = nullptr;
    QPushButton* m_cancel = nullptr;
    QPushButton* m_findPhone = nullptr;
    QLabel* m_offer = nullptr;
    PhoneSearchDialog* m_search = nullptr;
    SearchSources m_sources;
    std::string m_silentPort;
    PortWatcher m_plugs;
    bool m_watch = true;
    WatchSources m_watchSources;
};

}  // namespace q7k3
