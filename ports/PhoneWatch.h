#pragma once
// The phone search off the window's thread, and the watch for a cable plugged in.
//
// SearchRunner runs SearchPhones on a thread of its own and reports on the thread that made
// it, through queued calls: the dialog that shows the findings stays responsive, and Stop
// ends the search within a second. Nothing on the owner's thread ever waits for the search:
// whoever needs its ports closed (a connection to one of them) asks to be called back then.
//
// PortWatcher notices a serial device that appears: a new tty of a serial family in /dev,
// or a new link in /dev/serial/by-id (QFileSystemWatcher on both). It waits a moment for the
// system to finish setting the device up (its permissions, its stable name), then tells
// which devices are new, one path each.

#include <QFileSystemWatcher>
#include <QObject>
#include <QStringList>
#include <QTimer>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <thread>
#include <vector>

#include "ports/PhoneSearch.h"
#include "base/HandOff.h"

namespace q7k3 {

class SearchRunner final : public QObject {
    Q_OBJECT

public:
    explicit SearchRunner(QObject* parent = nullptr);
    // Stops the search and waits for its thread: only as the program ends.
    ~SearchRunner() override;

    // Starts a search of request.Ports (empty: SearchList). False while one runs. Should the
    // last search still be closing its ports, this one begins once they are closed.
    bool Start(const SearchRequest& request, const SearchSources& sources = {});
    // Asks the running search to end; Finished follows.
    void Stop();
    // Ends the running search without its report and calls `then` (on this object's
    // thread) once every port a search opened is closed again: at once when none is open.
    void StopThen(std::function<void()> then);
    bool Running() const { return m_running; }

    // The ports of the running or last search, in list order, and what each answered so far
    // (a port not done yet has an empty Path).
    const std::vector<std::string>& Ports() const { return m_ports; }
    const std::vector<PortFinding>& Findings() const { return m_findings; }
    int Done() const { return m_done; }

signals:
    // The ports are known; the search of each begins.
    void Listed();
    // The port at `index` is done.
    void PortDone(int index);
    void Finished();

private:
    struct Pending {
        SearchRequest Request;
        SearchSources Sources;
    };
    void Launch(const SearchRequest& request, const SearchSources& sources, int generation);
    // The thread has closed every port and is about to return.
    void ThreadEnded(std::vector<PortFinding> findings, int generation);

    HandOff m_back;
    std::thread m_thread;
    // The running thread's own stop: a search that was let go keeps its flag raised.
    std::shared_ptr<std::atomic<bool>> m_stop;
    bool m_running = false;
    int m_generation = 0;  // reports of an earlier search are dropped
    std::optional<Pending> m_pending;
    std::vector<std::function<void()>> m_afterEnd;
    std::vector<std::string> m_ports;
    std::vector<PortFinding> m_findings;
    int m_done = 0;
};

struct WatchSources {
    std::string DevDir = "/dev";
    std::string ByIdDir = "/dev/serial/by-id";
    // How long the directories must stay unchanged before they are looked at.
    int SettleMs = 500;
};

class PortWatcher final : public QObject {
    Q_OBJECT

public:
    explicit PortWatcher(QObject* parent = nullptr);

    // Watches these directories from now on; the devices present now are known already.
    void Watch(const WatchSources& sources = {});
    void Stop();

    // The serial devices present, one path each (the kernel's name where there is one).
    std::vector<std::string> Present() const;

signals:
    void PortsAppeared(const QStringList& paths);

private:
    void Rescan();
    void WatchDirectories();

    QFileSystemWatcher m_fs;
    QTimer m_settle;
    WatchSources m_sources;
    std::set<unsigned long long> m_known;  // device numbers
    bool m_watching = false;
};

}  // namespace q7k3
