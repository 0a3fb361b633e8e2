#include "window/PlugWatch.h"

#include <QApplication>

#include "settings/SettingsStore.h"
#include "session/PhoneSession.h"
#include "base/Messages.h"
#include "window/MainWindow.h"

namespace q7k3 {

PlugWatch::PlugWatch(MainWindow& window) : QObject(&window), m_window(window) {
    connect(&m_watcher, &PortWatcher::PortsAppeared, this,
            [this](const QStringList& paths) { Appeared(paths); });
    connect(&m_runner, &SearchRunner::Finished, this, [this] { Identified(); });
}

void PlugWatch::Watch(const WatchSources& watch, const SearchSources& search) {
    m_search = search;
    m_watcher.Watch(watch);
}

void PlugWatch::Stop() {
    m_watcher.Stop();
    m_runner.StopThen({});
}

void PlugWatch::EndSearch(std::function<void()> then) { m_runner.StopThen(std::move(then)); }

bool PlugWatch::Idle() const {
    const WindowCore& core = m_window.Core();
    return core.Session && core.Port && core.Store &&
           core.Session->State() == SessionState::NoPhone && !m_window.Busy() &&
           !QApplication::activeModalWidget();
}

void PlugWatch::Appeared(const QStringList& paths) {
    if (!Idle() || m_runner.Running()) return;
    const WindowCore& core = m_window.Core();
    SearchRequest request;
    for (const QString& path : paths) request.Ports.push_back(path.toStdString());
    request.StoredPort = core.Store->ReadString("ComPort", "");
    request.PreferredRate = core.Port->BaudRateValue();
    request.Line = ProbeLineOf(*core.Port);
    m_runner.Start(request, m_search);
}

void PlugWatch::Identified() {
    const std::vector<const PortFinding*> phones = PhonesFound(m_runner.Findings());
    // One phone only: several cables at once are for the settings dialog's search.
    if (phones.size() != 1 || !Idle()) return;
    const PortFinding phone = *phones.front();
    const std::string question =
        Msg(kMsgPluggedPhone) + phone.Model + " (" + phone.Path + ")" + Msg(kMsgConnectToIt);
    if (!m_window.Ui().AskYesNo(question, Msg(kMsgSearchCaption))) return;
    // Asked modally: the state may have changed while the question was open.
    if (!Idle()) return;
    const WindowCore& core = m_window.Core();
    core.Port->SetPortName(phone.NameToUse());
    core.Port->SetBaudRateValue(phone.Rate);
    core.Store->WriteString("ComPort", phone.NameToUse());
    core.Store->WriteInt("BaudRate", phone.Rate);
    core.Store->Flush();
    m_window.ConnectClick();
}

}  // namespace q7k3
