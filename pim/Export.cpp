#include "pim/Export.h"

#include <QDir>
#include <QFile>
#include <QString>

#include "pim/Conversation.h"
#include "pim/SmsBackupXml.h"
#include "pim/VCard.h"
#include "base/Messages.h"
#include "base/OutputFile.h"

namespace q7k3::pim {
namespace {

Status WriteWhole(const std::string& path, const std::string& bytes) {
    OutputFile out(path);
    if (Status opened = out.Open(); !opened) return opened;
    if (Status written = out.Write(bytes); !written) return written;
    return out.Commit();
}

}  // namespace

std::map<std::string, std::string> NamesByNumber(const std::vector<Contact>& contacts) {
    std::map<std::string, std::string> names;
    for (const Contact& c : contacts) {
        std::string number = c.Number;
        if (c.Type == 145 && !number.starts_with('+')) number.insert(0, "+");
        names.emplace(number, c.Name);
    }
    return names;
}

Expected<std::string> ReadCardFile(const std::string& path) {
    constexpr qint64 kMaxCardFile = qint64(64) << 20;
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly)) return Fail(kErrLocalFile, path);
    if (file.size() > kMaxCardFile)
        return Fail(kErrLocalData, Msg(kMsgFilePrefix) + path + Msg(kMsgTooLarge));
    const QByteArray bytes = file.read(kMaxCardFile + 1);
    if (file.error() != QFileDevice::NoError || bytes.size() > kMaxCardFile)
        return Fail(kErrLocalFile, path);
    return bytes.toStdString();
}

Status ExportContactsFile(const std::string& path, const std::vector<Contact>& contacts) {
    return WriteWhole(path, ExportVCards(contacts));
}

Status ExportMessageFiles(const MessageFiles& where, const std::vector<SmsMessage>& messages,
                          const std::map<std::string, std::string>& names, std::int64_t nowMs) {
    const QString folder = QString::fromStdString(where.Conversations);
    if (!QDir().mkpath(folder))
        return Fail(kErrLocalData, Msg(kMsgCannotMakeFolder) + where.Conversations);
    std::vector<StoredPdu> raw;
    for (const SmsMessage& message : messages)
        raw.insert(raw.end(), message.Raw.begin(), message.Raw.end());
    if (Status s = WriteWhole(where.Xml, WriteSmsBackupXml(messages, nowMs, names).Xml); !s)
        return s;
    if (Status s = WriteWhole(where.Pdus, WriteRawPdus(raw)); !s) return s;
    for (const auto& [name, text] : Conversations(messages))
        if (Status s = WriteWhole(QDir(folder).filePath(QString::fromStdString(name)).toStdString(),
                                  text);
            !s)
            return s;
    return {};
}

}  // namespace q7k3::pim
