#include "ports/PhoneWatch.h"

#include <sys/stat.h>

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <filesystem>
#include <map>
#include <system_error>
#include <utility>

#include "ports/PortList.h"

namespace q7k3 {
namespace {

namespace fs = std::filesystem;

bool CharDevice(const std::string& path, unsigned long long& device) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISCHR(st.st_mode)) return false;
    device = static_cast<unsigned long long>(st.st_rdev);
    return true;
}

// The serial devices under the watched directories, by device number; the kernel's name
// wins over a stable one.
std::map<unsigned long long, std::string> SerialDevices(const WatchSources& sources) {
    std::map<unsigned long long, std::string> devices;
    std::error_code ec;
    for (fs::directory_iterator it(sources.DevDir, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        unsigned long long device = 0;
        if (IsSerialTtyName(name) && CharDevice(it->path().string(), device))
            devices[device] = it->path().string();
    }
    ec.clear();
    for (fs::directory_iterator it(sources.ByIdDir, ec), end; !ec && it != end; it.increment(ec)) {
        unsigned long long device = 0;
        if (CharDevice(it->path().string(), device)) devices.emplace(device, it->path().string());
    }
    return devices;
}

}  // namespace

SearchRunner::SearchRunner(QObject* parent) : QObject(parent), m_back(this) {}

SearchRunner::~SearchRunner() {
    if (m_stop) *m_stop = true;
    if (m_thread.joinable()) m_thread.join();
}

bool SearchRunner::Start(const SearchRequest& request, const SearchSources& sources) {
    if (m_running) return false;
    m_running = true;
    const int generation = ++m_generation;
    m_ports.clear();
    m_findings.clear();
    m_done = 0;
    // Two searches at once would find each other's ports busy.
    if (m_thread.joinable())
        m_pending = Pending{request, sources};
    else
        Launch(request, sources, generation);
    return true;
}

void SearchRunner::Launch(const SearchRequest& request, const SearchSources& sources,
                          int generation) {
    auto stop = std::make_shared<std::atomic<bool>>(false);
    m_stop = stop;
    // Everything the thread needs is copied into it; it reaches this object only through
    // calls handed to this object's thread, which are dropped should it be gone.
    m_thread = std::thread([this, request, sources, generation, stop] {
        const std::vector<std::string> ports = SearchList(request, sources);
        m_back.Post([this, ports, generation] {
            if (generation != m_generation) return;
            m_ports = ports;
            m_findings.assign(ports.size(), PortFinding{});
            emit Listed();
        });
        std::vector<PortFinding> findings =
            SearchPhones(ports, request, sources, stop.get(), [&](const PortFinding& f) {
                const auto at = std::find(ports.begin(), ports.end(), f.Path);
                const int index = static_cast<int>(at - ports.begin());
                m_back.Post([this, index, f, generation] {
                    if (generation != m_generation) return;
                    if (index < static_cast<int>(m_findings.size())) m_findings[index] = f;
                    ++m_done;
                    emit PortDone(index);
                });
            });
        // Every port it opened is closed: SearchPhones has returned.
        m_back.Post([this, findings = std::move(findings), generation]() mutable {
            ThreadEnded(std::move(findings), generation);
        });
    });
}

void SearchRunner::ThreadEnded(std::vector<PortFinding> findings, int generation) {
    // The thread's last statement has run: the join is a formality.
    m_thread.join();
    if (generation == m_generation && !m_pending) {
        m_findings = std::move(findings);
        m_running = false;
        emit Finished();
    }
    for (auto& then : std::exchange(m_afterEnd, {}))
        if (then) then();
    if (m_pending && !m_thread.joinable()) {
        const Pending next = std::move(*m_pending);
        m_pending.reset();
        Launch(next.Request, next.Sources, m_generation);
    }
}

void SearchRunner::Stop() {
    if (!m_running) return;
    if (m_pending) {
        // Not begun yet: it ends here, and says so as a search does.
        m_pending.reset();
        m_back.Post([this, generation = m_generation] {
            if (generation != m_generation || !m_running) return;
            m_running = false;
            emit Finished();
        });
        return;
    }
    if (m_stop) *m_stop = true;
}

void SearchRunner::StopThen(std::function<void()> then) {
    if (m_running) {
        m_pending.reset();
        if (m_stop) *m_stop = true;
        ++m_generation;
        m_running = false;
    }
    if (!m_thread.joinable()) {
        if (then) then();
        return;
    }
    m_afterEnd.push_back(std::move(then));
}

PortWatcher::PortWatcher(QObject* parent) : QObject(parent) {
    m_settle.setSingleShot(true);
    connect(&m_fs, &QFileSystemWatcher::directoryChanged, this, [this] {
        if (m_watching) m_settle.start(m_sources.SettleMs);
    });
    connect(&m_settle, &QTimer::timeout, this, [this] { Rescan(); });
}

void PortWatcher::Watch(const WatchSources& sources) {
    Stop();
    m_sources = sources;
    m_known.clear();
    for (const auto& [device, path] : SerialDevices(m_sources)) m_known.insert(device);
    m_watching = true;
    WatchDirectories();
}

void PortWatcher::Stop() {
    m_watching = false;
    m_settle.stop();
    if (!m_fs.directories().isEmpty()) m_fs.removePaths(m_fs.directories());
}

void PortWatcher::WatchDirectories() {
    // The stable names' folder comes with the first USB serial device; until then its
    // parents are watched, so that it is seen when it comes.
    const QString byId = QString::fromStdString(m_sources.ByIdDir);
    for (const QString& dir :
         {QString::fromStdString(m_sources.DevDir), QFileInfo(byId).path(), byId}) {
        if (!m_fs.directories().contains(dir) && QFileInfo(dir).isDir()) m_fs.addPath(dir);
    }
}

std::vector<std::string> PortWatcher::Present() const {
    std::vector<std::string> paths;
    for (const auto& [device, path] : SerialDevices(m_sources)) paths.push_back(path);
    return paths;
}

void PortWatcher::Rescan() {
    if (!m_watching) return;
    WatchDirectories();
    QStringList appeared;
    std::set<unsigned long long> present;
    for (const auto& [device, path] : SerialDevices(m_sources)) {
        present.insert(device);
        if (!m_known.count(device)) appeared << QString::fromStdString(path);
    }
    // A device unplugged is forgotten: plugged in again, it is new again.
    m_known = std::move(present);
    if (!appeared.isEmpty()) emit PortsAppeared(appeared);
}

}  // namespace q7k3
