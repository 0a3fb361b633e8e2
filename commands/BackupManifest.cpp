// The backup folder's manifest and the local names of phone files.
//
// The manifest is UTF-8 text, one line a file, fields between tabs:
//   folder path, folder id, phone name, local name, size, date, CRC-32 (8 hex), state
// Every field is written with '%', control bytes and DEL as %XX, so any name's bytes
// survive; the date is "yyyy-MM-dd hh:mm:ss" local time; the state is "phone" or "gone".
// Lines starting with '#' are comments to a reader; those of the contacts and messages saved
// beside the files ("#pim\t...", commands/PimBackup.h) are kept as they are and written back.

#include <zlib.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTextStream>
#include <algorithm>
#include <array>
#include <charconv>

#include "commands/Backup.h"
#include "base/Messages.h"

namespace q7k3 {
namespace {

constexpr std::string_view kHeader = "# q7k3fm backup 1";
constexpr const char* kDateFormat = "yyyy-MM-dd hh:mm:ss";
constexpr char kHex[] = "0123456789ABCDEF";
// A local name stays well below the 255 bytes of common file systems.
constexpr size_t kMaxLocalBytes = 200;

void PutEscaped(std::string& out, unsigned char c) {
    out += '%';
    out += kHex[c >> 4];
    out += kHex[c & 15];
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

std::string EscapeField(std::string_view text) {
    std::string out;
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (c < 0x20 || c == 0x7f || c == '%')
            PutEscaped(out, c);
        else
            out += ch;
    }
    return out;
}

// %XX back to its byte; false on a '%' without two hex digits.
bool Unescape(std::string_view text, std::string& out) {
    out.clear();
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            out += text[i];
            continue;
        }
        if (i + 2 >= text.size()) return false;
        const int hi = HexValue(text[i + 1]), lo = HexValue(text[i + 2]);
        if (hi < 0 || lo < 0) return false;
        out += static_cast<char>(hi * 16 + lo);
        i += 2;
    }
    return true;
}

// The length of the UTF-8 sequence at s[i], or 0 when it is no valid sequence.
size_t Utf8SequenceAt(std::string_view s, size_t i) {
    const auto c = static_cast<unsigned char>(s[i]);
    size_t len = 0;
    if (c < 0x80)
        return 1;
    else if (c >= 0xC2 && c <= 0xDF)
        len = 2;
    else if (c >= 0xE0 && c <= 0xEF)
        len = 3;
    else if (c >= 0xF0 && c <= 0xF4)
        len = 4;
    else
        return 0;
    if (i + len > s.size()) return 0;
    for (size_t k = 1; k < len; ++k) {
        const auto d = static_cast<unsigned char>(s[i + k]);
        if (d < 0x80 || d > 0xBF) return 0;
    }
    // Overlong forms and surrogates.
    const auto d = static_cast<unsigned char>(s[i + 1]);
    if (c == 0xE0 && d < 0xA0) return 0;
    if (c == 0xED && d > 0x9F) return 0;
    if (c == 0xF0 && d < 0x90) return 0;
    if (c == 0xF4 && d > 0x8F) return 0;
    return len;
}

bool IsDeviceName(std::string_view name) {
    std::string stem(name.substr(0, name.find('.')));
    for (char& c : stem) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (stem == "CON" || stem == "PRN" || stem == "AUX" || stem == "NUL") return true;
    return stem.size() == 4 && (stem.starts_with("COM") || stem.starts_with("LPT")) &&
           stem[3] >= '1' && stem[3] <= '9';
}

}  // namespace

std::string SafeLocalName(std::string_view phoneName) {
    if (phoneName.empty()) return "%";  // never a phone name; still a name
    std::string out;
    for (size_t i = 0; i < phoneName.size();) {
        const size_t len = Utf8SequenceAt(phoneName, i);
        const auto c = static_cast<unsigned char>(phoneName[i]);
        if (len == 0) {
            PutEscaped(out, c);
            ++i;
            continue;
        }
        if (len == 1 && (c < 0x20 || c == 0x7f ||
                         std::string_view("%/\\:*?\"<>|").find(static_cast<char>(c)) !=
                             std::string_view::npos)) {
            PutEscaped(out, c);
        } else {
            out.append(phoneName.substr(i, len));
        }
        i += len;
    }
    // A dot or space at the end is dropped by some file systems; "." and ".." are no files.
    if (out == ".") return "%2E";
    if (out == "..") return "%2E%2E";
    if (out.back() == '.' || out.back() == ' ') {
        const auto last = static_cast<unsigned char>(out.back());
        out.pop_back();
        PutEscaped(out, last);
    }
    if (IsDeviceName(out)) {
        const auto first = static_cast<unsigned char>(out.front());
        std::string head;
        PutEscaped(head, first);
        out = head + out.substr(1);
    }
    if (out.size() > kMaxLocalBytes) {
        // Cut at a character's start (never inside %XX or a letter), told apart by the
        // CRC of the whole name; only the manifest leads back from such a name.
        size_t cut = 0;
        for (size_t i = 0; i < out.size();) {
            const size_t len = out[i] == '%' ? 3 : std::max<size_t>(1, Utf8SequenceAt(out, i));
            if (i + len > kMaxLocalBytes - 9) break;
            i += len;
            cut = i;
        }
        const auto crc =
            static_cast<uint32_t>(crc32(0L, reinterpret_cast<const Bytef*>(phoneName.data()),
                                        static_cast<uInt>(phoneName.size())));
        std::string tail = "~";
        for (int k = 0; k < 8; ++k) tail += kHex[(crc >> (28 - 4 * k)) & 15];
        out = out.substr(0, cut) + tail;
    }
    return out;
}

std::string DecodeLocalName(std::string_view localName) {
    std::string out;
    if (!Unescape(localName, out)) return std::string(localName);
    return out;
}

bool LocalFileCrc(const std::string& path, uint32_t& crc) {
    QFile in(QString::fromStdString(path));
    if (!in.open(QIODevice::ReadOnly)) return false;
    uLong value = crc32(0L, Z_NULL, 0);
    std::array<char, 65536> chunk;
    for (;;) {
        const qint64 n = in.read(chunk.data(), chunk.size());
        if (n < 0) return false;
        if (n == 0) break;
        value = crc32(value, reinterpret_cast<const Bytef*>(chunk.data()), static_cast<uInt>(n));
    }
    crc = static_cast<uint32_t>(value);
    return true;
}

bool BackupManifest::Exists(const std::string& dir) {
    return QFileInfo(QDir(QString::fromStdString(dir)).filePath(kFileName)).isFile();
}

bool BackupManifest::Load(const std::string& dir, std::string& error) {
    Records.clear();
    PimLines.clear();
    const QString path = QDir(QString::fromStdString(dir)).filePath(kFileName);
    QFile file(path);
    // A manifest that is a link would have the program read (and later write) outside.
    if (QFileInfo(path).isSymLink()) {
        error = Msg(kMsgLinkRefused) + path.toStdString();
        return false;
    }
    if (!file.exists()) return true;
    if (!file.open(QIODevice::ReadOnly)) {
        error = path.toStdString();
        return false;
    }
    int number = 0;
    while (!file.atEnd()) {
        std::string line = file.readLine().toStdString();
        ++number;
        if (!line.empty() && line.back() == '\n') line.pop_back();
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.starts_with("#pim\t")) PimLines.push_back(line);
        if (line.empty() || line.front() == '#') continue;
        std::vector<std::string> fields;
        for (size_t at = 0;;) {
            const size_t tab = line.find('\t', at);
            std::string field;
            if (!Unescape(std::string_view(line).substr(at, tab - at), field)) break;
            fields.push_back(std::move(field));
            if (tab == std::string::npos) break;
            at = tab + 1;
        }
        BackupRecord r;
        bool ok = fields.size() == 8;
        if (ok) {
            r.FolderPath = fields[0];
            r.FolderId = fields[1];
            r.Name = fields[2];
            r.LocalName = fields[3];
            const std::string& size = fields[4];
            auto [end, ec] = std::from_chars(size.data(), size.data() + size.size(), r.Size);
            ok = ec == std::errc() && end == size.data() + size.size() && r.Size >= 0;
            r.Date = QDateTime::fromString(QString::fromStdString(fields[5]),
                                           QString::fromLatin1(kDateFormat));
            const std::string& crc = fields[6];
            auto [cend, cec] = std::from_chars(crc.data(), crc.data() + crc.size(), r.Crc, 16);
            ok = ok && r.Date.isValid() && cec == std::errc() && cend == crc.data() + crc.size();
            ok = ok && (fields[7] == "phone" || fields[7] == "gone");
            r.OnPhone = fields[7] == "phone";
            // A local name leads nowhere outside the backup folder.
            const QString local = QString::fromStdString(r.LocalName);
            ok = ok && !r.LocalName.empty() && !QDir::isAbsolutePath(local) &&
                 !local.split('/').contains(QStringLiteral("..")) && !local.contains('\\');
        }
        if (!ok) {
            error = path.toStdString() + ":" + std::to_string(number);
            Records.clear();
            PimLines.clear();
            return false;
        }
        Records.push_back(std::move(r));
    }
    return true;
}

bool BackupManifest::Save(const std::string& dir) const {
    // A link in place of the manifest would take the write out of the folder.
    if (QFileInfo(QDir(QString::fromStdString(dir)).filePath(kFileName)).isSymLink()) return false;
    QSaveFile file(QDir(QString::fromStdString(dir)).filePath(kFileName));
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly)) return false;
    std::string text(kHeader);
    text += "\n# folder\tid\tname\tlocal\tsize\tdate\tcrc32\tstate\n";
    for (const BackupRecord& r : Records) {
        char crc[9];
        for (int k = 0; k < 8; ++k) crc[k] = kHex[(r.Crc >> (28 - 4 * k)) & 15];
        crc[8] = '\0';
        text += EscapeField(r.FolderPath) + '\t' + EscapeField(r.FolderId) + '\t' +
                EscapeField(r.Name) + '\t' + EscapeField(r.LocalName) + '\t' +
                std::to_string(r.Size) + '\t' +
                r.Date.toString(QString::fromLatin1(kDateFormat)).toStdString() + '\t' + crc +
                '\t' + (r.OnPhone ? "phone" : "gone") + '\n';
    }
    for (const std::string& line : PimLines) text += line + '\n';
    if (file.write(text.data(), static_cast<qint64>(text.size())) !=
        static_cast<qint64>(text.size())) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

BackupRecord* BackupManifest::Find(std::string_view folderId, std::string_view name) {
    const auto it = std::find_if(Records.begin(), Records.end(), [&](const BackupRecord& r) {
        return r.FolderId == folderId && r.Name == name;
    });
    return it == Records.end() ? nullptr : &*it;
}

}  // namespace q7k3
