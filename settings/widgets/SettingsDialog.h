#pragma once
// The settings dialog: the serial port among those that open, and the link, timing and
// display settings. Start writes every setting to the store and applies it to the live
// objects; the connection itself is made by whoever showed the dialog, and so is the port
// reopened after Cancel. The program binds it once to its live objects and shows it through
// Open, which lists the ports off the window's thread and shows the dialog once they are known:
//
//   DriverSettings<SerialPort> port(link.Port);
//   settingsForm.Bind({&store, &port, &link.Channel.PollStep, &flags, &prompts, {}, {}});
//   settingsForm.Open([](bool start) { ... });  // Start: the settings are applied and stored

#include <QDialog>

#include <functional>

#include "base/Background.h"
#include "ports/PhoneWatch.h"
#include "ports/PortDiagnostics.h"
#include "ports/PortList.h"
#include "settings/SettingsStore.h"

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
    // The ports to offer, called off the window's thread (it opens every port to see
    // whether it opens). Null: ListSerialPorts with the stored "ComPort".
    std::function<PortScan()> ListPorts;
    // Ends the program: there is no serial device at all. Null: QCoreApplication::exit(1).
    std::function<void()> EndProgram;
};

class SettingsDialog final : public QDialog {
    Q_OBJECT

public:
    explicit SettingsDialog(QWidget* parent = nullptr);

    void Bind(const SettingsFormBinding& binding) { m_b = binding; }
    // Where the "?" next to the port list gets the state of every serial device, called off
    // the window's thread. Null: DiagnosePorts with the stored "ComPort".
    void SetPortDiagnostics(std::function<std::vector<PortStatus>()> diagnose) {
        m_diagnose = std::move(diagnose);
    }

    // Fills the dialog from the live state and the ports found; called each time before it
    // is shown. With no serial device at all it shows the error box, ends the program and
    // returns false.
    bool FormCreate(const PortScan& scan);
    // Applies the choices to the live objects and writes them, in a fixed order.
    void StartClick();
    // The page "Дополнительно" is usable exactly when the line settings are set by hand.
    void PortSettingsBoxChange();

    // Shows the small window with every serial device and why it does or does not open
    // (filled once their states are known).
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
    // A serial device appeared while the dialog is shown: the port list is filled anew (once
    // listed) and the new ports are searched.
    void PortsAppeared(const QStringList& paths);

    // Lists the ports off the window's thread, then FormCreate and the dialog, modally;
    // `answered` hears true when it was closed with Start, false with Cancel (or when no
    // serial device exists at all). The window's thread never waits for any of it.
    void Open(std::function<void(bool start)> answered);
    // True while a listing of the ports is under way.
    bool Listing() const { return m_background.Busy(); }

public slots:
    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    // The parts of the dialog, built by the constructor in this order: the two pages (the
    // first one returned, the column of the trace and the language beside the line
    // settings in `traceColumn`), the lists, that column, the port's row with its "?",
    // the search's row and the buttons.
    QWidget* BuildPages(QWidget*& traceColumn);
    void BuildChoices(QWidget* firstPage);
    void BuildTraceColumn(QWidget* traceColumn);
    void BuildPortRow(QWidget* firstPage);
    void BuildSearchRow(QWidget* firstPage);
    void BuildButtons();
    QComboBox* AddCombo(QWidget* page, const char* name, const char* label, int row, int column);
    void FillPorts(const PortScan& scan);
    // The line settings as the dialog shows them now.
    SearchRequest RequestFromChoices() const;
    void StartSearch(const SearchRequest& request);
    void SearchFinished();
    // The ports, as ListPorts lists them, off the window's thread.
    void ListPortsThen(std::function<void(PortScan)> then);
    // Ends a search under way and runs `then` once its ports are closed: Start and Cancel
    // close the dialog only then, so the connection finds its port free.
    void EndSearchThen(std::function<void()> then);
    void Answer(bool start);

    SettingsFormBinding m_b;
    std::function<std::vector<PortStatus>()> m_diagnose;
    QTabWidget* m_pages = nullptr;
    QWidget* m_linePage = nullptr;
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
    std::function<void(bool)> m_answered;
    bool m_leaving = false;  // Start or Cancel waits for the search to let go of its ports
    Background m_background;
};

}  // namespace q7k3
