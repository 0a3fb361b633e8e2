#include "link/PhoneWatch.h"

#include <sys/stat.h>

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <filesystem>
#include <map>
#include <system_error>

#include "link/PortList.h"

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

SearchRunner::SearchRunner(QObject* parent) : QObject(parent) {}

SearchRunner::~SearchRunner() {
    m_stop = true;
    Join();
}

void SearchRunner::Join() {
    if (m_thread.joinable()) m_thread.join();
}

bool SearchRunner::Start(const SearchRequest& request, const SearchSources& sources) {
    if (m_running) return false;
    Join();
    m_running = true;
    m_stop = false;
    const int generation = ++m_generation;
    m_ports.clear();
    m_findings.clear();
    m_done = 0;
    // Everything the thread needs is copied into it; it reaches this object only through
    // calls queued to this object's thread, which are dropped should it be gone.
    m_thread = std::thread([this, request, sources, generation] {
        const std::vector<std::string> ports = SearchList(request, sources);
        QMetaObject::invokeMethod(
            this,
            [this, ports, generation] {
                if (generation != m_generation) return;
                m_ports = ports;
                m_findings.assign(ports.size(), PortFinding{});
                emit Listed();
            },
            Qt::QueuedConnection);
        std::vector<PortFinding> findings =
            SearchPhones(ports, request, sources, &m_stop, [&](const PortFinding& f) {
                const auto at = std::find(ports.begin(), ports.end(), f.Path);
                const int index = static_cast<int>(at - ports.begin());
                QMetaObject::invokeMethod(
                    this,
                    [this, index, f, generation] {
                        if (generation != m_generation) return;
                        if (index < static_cast<int>(m_findings.size())) m_findings[index] = f;
                        ++m_done;
                        emit PortDone(index);
                    },
                    Qt::QueuedConnection);
            });
        QMetaObject::invokeMethod(
            this,
            [this, findings = std::move(findings), generation] {
                if (generation != m_generation) return;
                m_findings = findings;
                m_running = false;
                emit Finished();
            },
            Qt::QueuedConnection);
    });
    return true;
}

void SearchRunner::Stop() {
    if (m_running) m_stop = true;
}

void SearchRunner::StopAndWait() {
    if (!m_running) return;
    m_stop = true;
    Join();
    ++m_generation;
    m_running = false;
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
