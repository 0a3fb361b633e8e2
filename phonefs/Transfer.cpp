// File read and write with CRC-32. Both directions stream: the CRC is computed as the
// bytes flow, so no file size limit comes from a buffer.

#include <zlib.h>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QSaveFile>
#include <charconv>
#include <cmath>
#include <limits>

#include "phonefs/PhoneFs.h"
#include "ui/Messages.h"

namespace q7k3 {
namespace {

constexpr std::string_view kBlockEnd = kBatchEnd;  // a read's data blocks end alike
constexpr int kBlockSize = 512;
constexpr int kTransferWaitMs = 10000;

// The speed in the progress dialog's caption, updated on every data block: the average
// over the gaps between blocks, so it first shows at the second block.
class SpeedMeter {
public:
    // Returns the caption to show, or an empty string when there is none yet.
    std::string Tick(int64_t nowMs) {
        std::string caption;
        if (m_prevMs < 0) {
            m_accMs = 0;
            m_blocks = 0;
        } else {
            m_accMs += static_cast<double>(nowMs - m_prevMs);
            ++m_blocks;
            if (m_accMs > 0) {
                const double days = m_accMs / 86400000.0;
                const long v = std::lround(2.95e-6 / days * 2 * m_blocks * 100);
                caption = Msg(69) + Hundredths(v) + Msg(70);
            }
        }
        m_prevMs = nowMs;
        return caption;
    }

private:
    // v / 100 in its shortest decimal form: 12, 12.5, 12.34.
    static std::string Hundredths(long v) {
        std::string text = std::to_string(v / 100);
        const long frac = v % 100;
        if (frac == 0) return text;
        text += '.';
        text += static_cast<char>('0' + frac / 10);
        if (frac % 10) text += static_cast<char>('0' + frac % 10);
        return text;
    }

    int64_t m_prevMs = -1;
    double m_accMs = 0;
    int m_blocks = 0;
};

bool EndsWithJoined(const std::string& a, const std::string& b, std::string_view tail) {
    if (a.size() + b.size() < tail.size()) return false;
    for (size_t i = 0; i < tail.size(); ++i) {
        const size_t pos = a.size() + b.size() - tail.size() + i;
        const char c = pos < a.size() ? a[pos] : b[pos - a.size()];
        if (c != tail[i]) return false;
    }
    return true;
}

}  // namespace

bool WireSafeName(std::string_view name) {
    if (name.empty()) return false;
    for (const char c : name) {
        if (c == '"' || static_cast<unsigned char>(c) < 0x20) return false;
    }
    return true;
}

bool PhoneFs::ReadPhoneFile(const std::string& localPath, std::string_view phoneName,
                            const QDateTime& date) {
    m_ch.ClearReceive();
    SpeedMeter speed;
    if (!WireSafeName(phoneName)) {
        m_ch.LastError = kErrPhoneNotFound;
        return false;
    }
    // The copy grows in a temporary file beside the target and takes its place only when
    // its CRC matches: a failed read leaves whatever was there before.
    QSaveFile out(QString::fromStdString(localPath));
    out.setDirectWriteFallback(false);
    if (!out.open(QIODevice::WriteOnly)) {
        m_ch.LastError = kErrLocalFile;
        return false;
    }
    uLong crc = crc32(0L, Z_NULL, 0);
    std::optional<uint64_t> expected;

    CommandSpec spec;
    spec.text = "AT+FSFR=-1,\"" + std::string(phoneName) + "\"\r\n";
    spec.clearBefore = false;
    spec.nextTimeoutMs = kTransferWaitMs;
    spec.onLine = [&](const std::string& line) {
        if (line == kOk) return LineAction::Success;
        if (ContainsText(line, kCme)) return CmeFailure(line);
        if (line.starts_with("+FSFR: 0")) {
            // The closing line: "+FSFR: 0,<field>,<crc>", maybe with its "#OK#".
            std::string closing = line;
            const size_t mark = closing.find("#OK#");
            if (mark != std::string::npos) closing.erase(mark, 4);
            m_ch.Send(kPrompt);
            closing.resize(closing.size() - 2);
            const size_t comma = closing.rfind(',');
            uint64_t value = 0;
            const char* first = closing.data() + (comma == std::string::npos ? 0 : comma + 1);
            const char* last = closing.data() + closing.size();
            const auto [end, ec] = std::from_chars(first, last, value);
            if (comma == std::string::npos || first == last || ec != std::errc() || end != last) {
                m_ch.LastError = kErrBadAnswer;
                m_ch.ClearReceive();
                return LineAction::Failure;
            }
            expected = value;
            return LineAction::Skip;
        }
        if (!ContainsText(line, "+FSFR: ")) return LineAction::Skip;

        // A data block: "+FSFR: <field>,<field>,<raw bytes>#OK#\r\n". The bytes may hold
        // CR LF themselves, so the line can be only the block's beginning; the phone sends
        // nothing after the block until it is prompted, so the block ends where the
        // received bytes end with "#OK#\r\n".
        std::string block = line;
        while (!EndsWithJoined(block, m_ch.ReceiveBuffer, kBlockEnd)) {
            if (block.size() + m_ch.ReceiveBuffer.size() > AtChannel::kReceiveLimit) {
                m_ch.LastError = kErrBadAnswer;
                m_ch.ClearReceive();
                return LineAction::Failure;
            }
            if (!m_ch.WaitResponse(kTransferWaitMs)) {
                m_ch.LastError = kErrTimeout;
                m_ch.ClearReceive();
                return LineAction::Failure;
            }
        }
        block += m_ch.ReceiveBuffer;
        m_ch.ReceiveBuffer.clear();
        const std::string caption = speed.Tick(m_ch.Pump().NowMs());
        if (!caption.empty()) Progress().SetCaption(caption);
        m_ch.Send(kPrompt);
        block.resize(block.size() - kBlockEnd.size());
        const size_t first = block.find(',');
        const size_t second = first == std::string::npos ? first : block.find(',', first + 1);
        if (second == std::string::npos) {
            m_ch.LastError = kErrBadAnswer;
            m_ch.ClearReceive();
            return LineAction::Failure;
        }
        const char* data = block.data() + second + 1;
        const size_t size = block.size() - second - 1;
        crc = crc32(crc, reinterpret_cast<const Bytef*>(data), static_cast<uInt>(size));
        if (out.write(data, static_cast<qint64>(size)) != static_cast<qint64>(size)) {
            m_ch.LastError = kErrLocalFile;
            return LineAction::Failure;
        }
        Progress().Step(1);
        return LineAction::Skip;
    };

    const bool ok = m_ch.RunCommand(spec);
    Progress().SetCaption(Msg(69));
    if (!ok) {
        out.cancelWriting();
        return false;
    }
    // A phone that ends without its closing line has not vouched for the data.
    if (!expected || *expected != crc) {
        m_ch.LastError = kErrChecksum;
        out.cancelWriting();
        return false;
    }
    // Flush first: the time stamp must come after the last write.
    if (!out.flush()) {
        m_ch.LastError = kErrLocalFile;
        out.cancelWriting();
        return false;
    }
    if (date.isValid()) out.setFileTime(date, QFileDevice::FileModificationTime);
    if (!out.commit()) {
        m_ch.LastError = kErrLocalFile;
        return false;
    }
    Progress().Step(2);
    m_ch.LastError = 0;
    return true;
}

bool PhoneFs::WritePhoneFile(const std::string& localPath, std::string_view phoneName,
                             Tree4* folder) {
    m_ch.ClearReceive();
    SpeedMeter speed;
    const QString path = QString::fromStdString(localPath);
    const QFileInfo info(path);
    // A missing file is a file that cannot be opened: the caller gets a reason to show.
    if (!info.exists() || !info.isFile() || !WireSafeName(phoneName)) {
        m_ch.LastError = kErrLocalFile;
        return false;
    }
    const QDateTime stamp = info.lastModified();
    QFile in(path);
    if (!in.open(QIODevice::ReadOnly)) {
        m_ch.LastError = kErrLocalFile;
        return false;
    }
    const qint64 size = in.size();
    if (size < 0 || size > std::numeric_limits<int32_t>::max()) {
        m_ch.LastError = kErrLocalFile;
        return false;
    }
    Progress().SetMax(1, static_cast<int>(size / kBlockSize + (size % kBlockSize ? 1 : 0)));

    // The announcement carries the CRC, so the file is read once for it and once more
    // while it is sent.
    uLong crc = crc32(0L, Z_NULL, 0);
    {
        char chunk[65536];
        qint64 total = 0;
        for (;;) {
            const qint64 n = in.read(chunk, sizeof chunk);
            if (n < 0) {
                m_ch.LastError = kErrLocalFile;
                return false;
            }
            if (n == 0) break;
            crc = crc32(crc, reinterpret_cast<const Bytef*>(chunk), static_cast<uInt>(n));
            total += n;
        }
        if (total != size || !in.seek(0)) {
            m_ch.LastError = kErrLocalFile;
            return false;
        }
    }
    const std::string stampText =
        QLocale::c().toString(stamp, QStringLiteral("yyyy:MM:dd hh:mm:ss")).toStdString();

    CommandSpec spec;
    spec.text = "AT+FSFW=-1,\"" + std::string(phoneName) + "\"," + std::to_string(size % 512) +
                ",\"" + stampText + "\"," + std::to_string(size) + "," + std::to_string(crc) +
                "\r\n";
    spec.clearBefore = false;
    // A silent first answer is left to the next wait, which then times out.
    spec.firstTimeoutFails = false;
    spec.nextTimeoutMs = kTransferWaitMs;
    spec.onLine = [&](const std::string& line) {
        if (line == kPrompt) {
            Progress().Step(1);
            char block[kBlockSize];
            const qint64 n = in.read(block, kBlockSize);
            if (n < 0) {
                m_ch.LastError = kErrLocalFile;
                return LineAction::Failure;
            }
            if (n == 0) return LineAction::StopTaking;
            if (m_stop && m_stop->load()) {
                for (qint64 i = 0; i < n; ++i) block[i] = static_cast<char>(~block[i]);
            }
            const std::string caption = speed.Tick(m_ch.Pump().NowMs());
            if (!caption.empty()) Progress().SetCaption(caption);
            m_ch.Send(std::string_view(block, static_cast<size_t>(n)));
            return LineAction::StopTaking;
        }
        if (line == kOk) return LineAction::Success;
        if (ContainsText(line, kCme)) return CmeFailure(line);
        return LineAction::Skip;
    };
    const bool ok = m_ch.RunCommand(spec);
    in.close();
    Progress().SetCaption(Msg(69));
    if (!ok) return false;
    Progress().Step(2);
    m_ch.LastError = 0;
    AddFile(folder, phoneName, stamp, static_cast<int32_t>(size));
    return true;
}

}  // namespace q7k3
