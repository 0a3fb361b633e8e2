// File read and write with CRC-32. Both directions stream: the CRC is computed as the
// bytes flow, so no file size limit comes from a buffer.

#include <zlib.h>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <limits>

#include "link/CutTransfer.h"
#include "phonefs/PhoneFs.h"
#include "base/Messages.h"
#include "base/OutputFile.h"
#include "base/TempDir.h"

namespace q7k3 {
namespace {

constexpr int kBlockSize = 512;
constexpr int kTransferWaitMs = 10000;
// What frames a block on the line besides its data: "\r\n+FSFR: n,512," and "#OK#\r\n"
// one way, the prompt the other.
constexpr int kBlockFrameBytes = 48;

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
                caption = Msg(kMsgTransferCaption) + Hundredths(v) + Msg(kMsgSpeedUnit);
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

// The closing line of a read, "+FSFR: 0,<field>,<crc>" (maybe with its "#OK#"): the CRC
// the phone vouches for. Empty when the number cannot be read.
std::optional<uint64_t> ClosingCrc(std::string closing) {
    const size_t mark = closing.find("#OK#");
    if (mark != std::string::npos) closing.erase(mark, 4);
    if (closing.ends_with("\r\n")) closing.resize(closing.size() - 2);
    const size_t comma = closing.rfind(',');
    if (comma == std::string::npos) return std::nullopt;
    uint64_t value = 0;
    const char* first = closing.data() + comma + 1;
    const char* last = closing.data() + closing.size();
    const auto [end, ec] = std::from_chars(first, last, value);
    if (first == last || ec != std::errc() || end != last) return std::nullopt;
    return value;
}

// A data block "+FSFR: <field>,<field>,<raw bytes>": where its bytes begin.
std::optional<size_t> BlockDataStart(const std::string& block) {
    const size_t first = block.find(',');
    if (first == std::string::npos) return std::nullopt;
    const size_t second = block.find(',', first + 1);
    if (second == std::string::npos) return std::nullopt;
    return second + 1;
}

// The errno behind a failed write of the local copy: a full disk is told as such even when
// the file's buffer hid the call that failed.
int WriteErrno(const QFileDevice& file) {
    const int err = errno;
    if (file.error() == QFileDevice::ResourceError) return ENOSPC;
    return err;
}

// The CRC of the whole file, which must be `size` bytes long, and the file back at its
// start. False on a read error or another length (errno says why).
bool ReadCrc(QFile& in, qint64 size, uLong& crc) {
    crc = crc32(0L, Z_NULL, 0);
    char chunk[65536];
    qint64 total = 0;
    for (;;) {
        const qint64 n = in.read(chunk, sizeof chunk);
        if (n < 0) return false;
        if (n == 0) break;
        crc = crc32(crc, reinterpret_cast<const Bytef*>(chunk), static_cast<uInt>(n));
        total += n;
    }
    return total == size && in.seek(0);
}

}  // namespace

bool WireSafeName(std::string_view name) {
    if (name.empty()) return false;
    for (const char c : name) {
        if (c == '"' || static_cast<unsigned char>(c) < 0x20) return false;
    }
    return true;
}

Status PhoneFs::ReadPhoneFile(const std::string& localPath, std::string_view phoneName,
                              const QDateTime& date, int64_t listedSize) {
    m_ch.ClearReceive();
    // A name the phone cannot take is said as such; nothing is sent.
    if (!WireSafeName(phoneName)) return Fail({kErrBadName, std::string(phoneName)});
    // A line that spoils a byte now and then costs one more read, not the file; a phone
    // that always sends bad data still fails.
    for (int attempt = 0;; ++attempt) {
        Status read = ReadOnce(localPath, phoneName, date, listedSize);
        if (read || read.error().Reason != kErrChecksum || attempt > 0) return read;
        Progress().SetPosition(1, 0);
        m_ch.ClearReceive();
    }
}

Status PhoneFs::ReadOnce(const std::string& localPath, std::string_view phoneName,
                         const QDateTime& date, int64_t listedSize) {
    SpeedMeter speed;
    // A link at the target (even one that leads nowhere) would take the file elsewhere.
    if (QFileInfo(QString::fromStdString(localPath)).isSymLink()) {
        return Fail({kErrText, Msg(kMsgLinkRefused) + localPath});
    }
    // The copy grows in a temporary file beside the target and takes its place only when
    // its CRC matches: a failed read leaves whatever was there before.
    // A folder, a pipe or a device of that name is not replaced by a file.
    const QFileInfo target(QString::fromStdString(localPath));
    if (target.exists() && !target.isFile()) return Fail(LocalFileFailure(localPath, true));
    OutputFile part(localPath);
    if (Status opened = part.Open(); !opened) return Fail(opened.error());
    QFile& out = part.File();
    uLong crc = crc32(0L, Z_NULL, 0);
    std::optional<uint64_t> expected;
    // The phone may send up to a block more than the listing said; past that the answer
    // is no longer this file, and the temporary copy stops growing.
    // A size of 0 is no promise: the hidden entries are listed so.
    const int64_t bound = listedSize > 0 ? listedSize : kPhoneMemoryBytes;
    int64_t received = 0;
    const int64_t startMs = m_ch.Clock().NowMs();

    // One data block: its bytes go into the CRC and the file; the prompt asks for the next.
    const auto takeBlock = [&](const std::string& line) {
        Expected<std::string> read = m_ch.ReadBlock(line, kTransferWaitMs);
        if (!read) return m_ch.Refuse(read.error());
        const std::string& block = *read;
        // An abort ends a read at the next block: the phone is left waiting for its
        // prompt, which the link's recovery (reset) settles, and the copy so far is
        // dropped with the old file kept.
        if (m_flags.AbortRequested || (m_stop && m_stop->Raised())) {
            m_ch.ClearReceive();
            return m_ch.Refuse({kErrAborted, {}});
        }
        const std::string caption = speed.Tick(m_ch.Clock().NowMs());
        if (!caption.empty()) Progress().SetCaption(caption);
        m_ch.Send(kPrompt);
        const auto start = BlockDataStart(block);
        if (!start) {
            m_ch.ClearReceive();
            return m_ch.Refuse({kErrBadAnswer, {}});
        }
        const char* data = block.data() + *start;
        const size_t size = block.size() - *start;
        received += static_cast<int64_t>(size);
        if (received > bound + kBlockSize) {
            m_ch.ClearReceive();
            return m_ch.Refuse({kErrBadAnswer, {}});
        }
        crc = crc32(crc, reinterpret_cast<const Bytef*>(data), static_cast<uInt>(size));
        if (out.write(data, static_cast<qint64>(size)) != static_cast<qint64>(size)) {
            return m_ch.Refuse(LocalFileFailure(localPath, true, WriteErrno(out)));
        }
        Progress().Step(1);
        Progress().SetFileBytes(received, listedSize, m_ch.Clock().NowMs() - startMs);
        return LineAction::Skip;
    };

    const int64_t blocks = bound / kBlockSize + 2;
    // The file's blocks, when the listing told its size (the CLI's progress shows the total).
    if (listedSize > 0)
        Progress().SetMax(1, static_cast<int>((listedSize + kBlockSize - 1) / kBlockSize));
    Progress().SetFileBytes(0, listedSize, 0);
    CommandSpec spec;
    spec.text = "AT+FSFR=-1,\"" + std::string(phoneName) + "\"\r\n";
    spec.clearBefore = false;
    spec.nextTimeoutMs = kTransferWaitMs;
    // The data, a block more, and every block's frame and prompt.
    spec.answerBytes = static_cast<size_t>(bound + kBlockSize + blocks * kBlockFrameBytes);
    spec.roundTrips = static_cast<int>(blocks);
    spec.onLine = [&](const std::string& line) {
        if (line.starts_with("+FSFR: 0")) {
            // The closing line is answered like a block, whatever its end looks like.
            m_ch.Send(kPrompt);
            expected = ClosingCrc(line);
            if (expected) return LineAction::Skip;
            m_ch.ClearReceive();
            return m_ch.Refuse({kErrBadAnswer, {}});
        }
        if (ContainsText(line, "+FSFR: ")) return takeBlock(line);
        return LineAction::Standard;
    };

    Status done = m_ch.RunCommand(spec);
    Progress().SetCaption(Msg(kMsgTransferCaption));
    if (!done) return done;
    // A phone that ends without its closing line has not vouched for the data.
    if (!expected || *expected != crc) return Fail({kErrChecksum, {}});
    // Flush first: the time stamp must come after the last write.
    if (!out.flush()) return Fail(LocalFileFailure(localPath, true, WriteErrno(out)));
    if (date.isValid()) out.setFileTime(date, QFileDevice::FileModificationTime);
    if (Status committed = part.Commit(); !committed) return Fail(committed.error());
    Progress().Step(2);
    return {};
}

Status PhoneFs::WritePhoneFile(const std::string& localPath, std::string_view phoneName,
                               Tree4* folder) {
    m_ch.ClearReceive();
    SpeedMeter speed;
    const QString path = QString::fromStdString(localPath);
    const QFileInfo info(path);
    // A missing file is a file that cannot be opened: the caller gets a reason to show.
    if (!info.exists() || !info.isFile()) return Fail(LocalFileFailure(localPath, false));
    // The local file is fine: it is the name that the phone cannot take.
    if (!WireSafeName(phoneName)) return Fail({kErrBadName, std::string(phoneName)});
    const QDateTime stamp = info.lastModified();
    QFile in(path);
    if (!in.open(QIODevice::ReadOnly)) return Fail(LocalFileFailure(localPath, false, errno));
    const qint64 size = in.size();
    if (size < 0 || size > std::numeric_limits<int32_t>::max()) {
        return Fail({kErrText, Msg(kMsgFilePrefix) + localPath + Msg(kMsgTooLarge)});
    }
    Progress().SetMax(1, static_cast<int>(size / kBlockSize + (size % kBlockSize ? 1 : 0)));
    Progress().SetFileBytes(0, size, 0);
    const int64_t startMs = m_ch.Clock().NowMs();

    // The announcement carries the CRC, so the file is read once for it and once more
    // while it is sent.
    uLong crc = 0;
    if (!ReadCrc(in, size, crc)) return Fail(LocalFileFailure(localPath, false, errno));
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
    const int64_t blocks = size / kBlockSize + 2;
    spec.answerBytes = static_cast<size_t>(size + blocks * kBlockFrameBytes);
    spec.roundTrips = static_cast<int>(blocks);
    int extraPrompts = 0;
    int64_t sent = 0;
    // Until the phone answers, a program ended now leaves the phone waiting for the rest.
    CutTransferMark mark(m_ch.Port().Name());
    spec.onLine = [&](const std::string& line) {
        if (line == kPrompt) {
            Progress().Step(1);
            char block[kBlockSize];
            const qint64 n = in.read(block, kBlockSize);
            if (n < 0) return m_ch.Refuse(LocalFileFailure(localPath, false, errno));
            // A prompt after the last block: the result follows, perhaps already here. One
            // such prompt is the phone's way; more are a phone asking for data that is not
            // there, which would keep the write going for ever.
            if (n == 0) {
                if (++extraPrompts > 1) {
                    m_ch.ClearReceive();
                    return m_ch.Refuse({kErrBadAnswer, {}});
                }
                return LineAction::Skip;
            }
            if (m_stop && m_stop->Raised() && m_holds == 0) {
                // The program ends at once: the phone is left waiting for the rest, which
                // it gives up after its own time, keeping nothing of it.
                if (m_stop->CutsWrite()) {
                    m_ch.ClearReceive();
                    return m_ch.Refuse({kErrAborted, {}});
                }
                for (qint64 i = 0; i < n; ++i) block[i] = static_cast<char>(~block[i]);
            }
            const std::string caption = speed.Tick(m_ch.Clock().NowMs());
            if (!caption.empty()) Progress().SetCaption(caption);
            m_ch.Send(std::string_view(block, static_cast<size_t>(n)));
            mark.DataSent();
            sent += n;
            Progress().SetFileBytes(sent, size, m_ch.Clock().NowMs() - startMs);
            m_ch.MarkProgress();
            return LineAction::StopTaking;
        }
        return LineAction::Standard;
    };
    Status done = m_ch.RunCommand(spec);
    // The phone's answer ended the write; a lost line may have left it waiting.
    const bool phoneMayWait = !done && NeedsLinkRecovery(done.error().Reason);
    if (!phoneMayWait) mark.Ended();
    // Ending at once with the phone perhaps still waiting: any byte sent now would be more
    // data to it, so nothing is sent until the next connection has waited it out.
    if (phoneMayWait && m_stop && m_stop->Raised() && m_stop->CutsWrite()) m_ch.Silence();
    in.close();
    Progress().SetCaption(Msg(kMsgTransferCaption));
    if (!done) return done;
    if (sent != size) {
        // "OK" before the announced size: whatever the phone kept is cut. It is no file of
        // the user's (the name was free, or held a file already given up), so it goes.
        (void)EraseFile(phoneName);
        RemoveFile(folder, phoneName);
        return Fail({kErrText, Msg(kMsgEarlyOk) + std::string(phoneName) + " (" +
                                   std::to_string(sent) + Msg(kMsgOf) + std::to_string(size) +
                                   ")"});
    }
    Progress().Step(2);
    AddFile(folder, phoneName, stamp, static_cast<int32_t>(size));
    return {};
}

}  // namespace q7k3
