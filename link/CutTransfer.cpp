#include "link/CutTransfer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <chrono>

namespace q7k3 {
namespace {

constexpr int64_t kSpareMs = 1000;

int64_t WallMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

// The marks live beside the program's other data, one file a port.
std::string MarkPath(const std::string& port) {
    if (port.empty()) return {};
    QString data = QString::fromLocal8Bit(qgetenv("XDG_DATA_HOME"));
    if (data.isEmpty() || QDir::isRelativePath(data)) data = QDir::homePath() + "/.local/share";
    const QString dir = data + "/Q7K3FileManager/Transfers";
    if (!QDir().mkpath(dir)) return {};
    QString name = QString::fromStdString(port);
    name.replace('/', '_');
    return (dir + "/" + name + ".txt").toStdString();
}

// What tells this device from another one made later under the same name (a terminal of the
// emulator, a cable plugged in again): its node, made anew with the device.
QByteArray DeviceStamp(const std::string& port) {
    struct stat st {};
    if (stat(port.c_str(), &st) != 0) return {};
    return QByteArray::number(static_cast<qulonglong>(st.st_rdev)) + " " +
           QByteArray::number(static_cast<qulonglong>(st.st_ino)) + " " +
           QByteArray::number(static_cast<qlonglong>(st.st_ctim.tv_sec)) + " " +
           QByteArray::number(static_cast<qlonglong>(st.st_ctim.tv_nsec));
}

}  // namespace

CutTransferMark::CutTransferMark(std::string port) : m_path(MarkPath(port)) {
    if (m_path.empty()) return;
    QFile mark(QString::fromStdString(m_path));
    if (mark.open(QIODevice::WriteOnly | QIODevice::Truncate))
        mark.write(DeviceStamp(port) + "\n" + QByteArray::number(static_cast<qint64>(getpid())) +
                   "\n");
    m_touchedMs = WallMs();
}

void CutTransferMark::DataSent() {
    if (m_path.empty()) return;
    const int64_t now = WallMs();
    if (now - m_touchedMs < 500) return;
    m_touchedMs = now;
    utimensat(AT_FDCWD, m_path.c_str(), nullptr, 0);
}

void CutTransferMark::Ended() {
    if (m_path.empty()) return;
    unlink(m_path.c_str());
    m_path.clear();
}

int64_t CutTransferWaitMs(const std::string& port) {
    const std::string path = MarkPath(port);
    struct stat st {};
    if (path.empty() || stat(path.c_str(), &st) != 0) return 0;
    const int64_t lastMs =
        static_cast<int64_t>(st.st_mtim.tv_sec) * 1000 + st.st_mtim.tv_nsec / 1000000;
    const int64_t left = lastMs + kPhoneGivesUpWriteMs + kSpareMs - WallMs();
    QFile mark(QString::fromStdString(path));
    const QByteArray device = mark.open(QIODevice::ReadOnly) ? mark.readLine().trimmed() : QByteArray();
    // Over, a clock set back far, or another device under the port's name: nothing to wait for.
    if (left <= 0 || left > kPhoneGivesUpWriteMs + kSpareMs || device != DeviceStamp(port)) {
        unlink(path.c_str());
        return 0;
    }
    return left;
}

void DropCutTransferMark(const std::string& port) {
    if (const std::string path = MarkPath(port); !path.empty()) unlink(path.c_str());
}

}  // namespace q7k3
