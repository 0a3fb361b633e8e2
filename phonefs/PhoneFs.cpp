#include "phonefs/PhoneFs.h"

#include <QDate>
#include <QTime>
#include <charconv>
#include <limits>

#include "link/Connection.h"
#include "phonefs/FolderMaps.h"
#include "base/Messages.h"

namespace q7k3 {
namespace {

// A run of decimal digits only (no sign, no blanks), as the phone writes its numbers.
template <typename T>
std::optional<T> Decimal(std::string_view text) {
    if (text.empty()) return std::nullopt;
    for (const char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
    }
    T value{};
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

// Drops everything up to and including the first `c`; false when there is none.
bool SkipPast(std::string_view& s, char c) {
    const size_t at = s.find(c);
    if (at == std::string_view::npos) return false;
    s.remove_prefix(at + 1);
    return true;
}

// Characters 1-19 of "yyyy/mm/dd hh:mm:ss"; the separators may be anything.
std::optional<QDateTime> ParseTimeStamp(std::string_view ts, const QDateTime& now) {
    if (ts.empty()) return now;
    const auto field = [&](size_t pos, size_t len) -> std::optional<int> {
        if (pos + len > ts.size()) return std::nullopt;
        return Decimal<int>(ts.substr(pos, len));
    };
    const auto y = field(0, 4), mo = field(5, 2), d = field(8, 2);
    const auto h = field(11, 2), mi = field(14, 2), s = field(17, 2);
    if (!y || !mo || !d || !h || !mi || !s) return std::nullopt;
    const QDate date(*y, *mo, *d);
    const QTime time(*h, *mi, *s);
    if (*y < 1 || !date.isValid() || !time.isValid()) return now;
    return QDateTime(date, time);
}

}  // namespace

std::optional<ListLine> ParseListLine(std::string_view line, const QDateTime& now) {
    std::string_view s = line;
    ListLine out;
    if (!SkipPast(s, '"')) return std::nullopt;
    const size_t close = s.find('"');
    if (close == std::string_view::npos) return std::nullopt;
    out.Name = std::string(s.substr(0, close));
    s.remove_prefix(close + 1);
    if (s.empty()) return std::nullopt;
    s.remove_prefix(1);  // the comma after the name
    // Four fields the listing does not use.
    for (int i = 0; i < 4; ++i) {
        if (!SkipPast(s, ',')) return std::nullopt;
    }
    const size_t comma = s.find(',');
    if (comma == std::string_view::npos) return std::nullopt;
    const auto size = Decimal<int32_t>(s.substr(0, comma));
    if (!size) return std::nullopt;
    out.Size = *size;
    s.remove_prefix(comma + 1);
    if (!SkipPast(s, '"')) return std::nullopt;
    const size_t tsEnd = s.find('"');
    if (tsEnd == std::string_view::npos) return std::nullopt;
    const auto date = ParseTimeStamp(s.substr(0, tsEnd), now);
    if (!date) return std::nullopt;
    out.Date = *date;
    return out;
}

PhoneFs::PhoneFs(AtChannel& channel, AppFlags& flags, ProgressView& progress, Prompts& prompts)
    : m_ch(channel), m_flags(flags), m_progress(&progress), m_prompts(&prompts) {
    // The progress dialog's abort reaches the waits of every exchange.
    m_ch.AbortFlag = &m_flags.AbortRequested;
}

PhoneFs::~PhoneFs() {
    if (m_ch.AbortFlag == &m_flags.AbortRequested) m_ch.AbortFlag = nullptr;
    if (m_stop && m_ch.Stop == m_stop) m_ch.Stop = nullptr;
}

void PhoneFs::SetStopSignal(const StopSignal* stop) {
    m_stop = stop;
    m_ch.Stop = stop;
}

PhoneFs::StopHold::StopHold(PhoneFs& fs)
    : m_fs(fs), m_abort(fs.m_ch.AbortFlag), m_stop(fs.m_ch.Stop) {
    ++m_fs.m_holds;
    m_fs.m_ch.AbortFlag = nullptr;
    m_fs.m_ch.Stop = nullptr;
}

PhoneFs::StopHold::~StopHold() {
    --m_fs.m_holds;
    m_fs.m_ch.AbortFlag = m_abort;
    m_fs.m_ch.Stop = m_stop;
}

void PhoneFs::DropTree() {
    if (onTreeDropped) onTreeDropped();
    m_root.reset();
}

void PhoneFs::SetRoot(std::unique_ptr<Tree4> root) {
    DropTree();
    m_root = std::move(root);
}

bool PhoneFs::RereadModel() {
    const ModelAnswer answer = QueryModel(m_ch);
    if (answer.Seen && answer.Model != m_ch.PhoneModel) m_ch.PhoneSerial.reset();
    if (answer.Seen) m_ch.PhoneModel = answer.Model;
    return answer.Seen;
}

Expected<std::string> PhoneFs::SerialNumber() {
    if (m_ch.PhoneSerial) return *m_ch.PhoneSerial;
    Expected<std::string> serial = QuerySerial(m_ch);
    if (serial) m_ch.PhoneSerial = *serial;
    return serial;
}

Status PhoneFs::ChangeFolder(std::string_view id) {
    CommandSpec spec;
    spec.text = "AT+FSCD=\"" + std::string(id) + "\"\r\n";
    // Whatever is still buffered (the answer to a keep-alive ping) is no answer to this:
    // an "OK" left there would pass for the phone's consent to the change.
    spec.clearBefore = true;
    // The standard handling: a refused folder fails at once with its reason instead of
    // waiting for the time-out.
    return m_ch.RunCommand(spec);
}

Status PhoneFs::ListBatched(const std::string& command, std::string_view tag,
                            const std::function<bool(const std::string&)>& onData) {
    CommandSpec spec;
    spec.text = command;
    spec.clearBefore = false;
    spec.batched = true;
    // A listing longer than kMaxEntries is not a phone's folder but a runaway answer. The
    // bound also keeps the first-entry-wins checks, which compare with every entry so
    // far, cheap.
    spec.answerBytes = kMaxEntries * kListLineBytes;
    spec.roundTrips = static_cast<int>(kMaxEntries / kMinBatchLines) + 1;
    size_t entries = 0;
    bool unreadable = false;
    spec.onLine = [&](const std::string& line) {
        if (!ContainsText(line, tag)) return LineAction::Standard;
        if (unreadable) return LineAction::Skip;
        if (++entries > kMaxEntries) {
            // No folder is that long: a runaway answer, not worth following to its end.
            m_ch.ClearReceive();
            return m_ch.Refuse({kErrBadAnswer, {}});
        }
        // After a line that cannot be read nothing more is taken, but the answer is
        // followed to its end so that its rest does not reach the next command.
        if (!onData(line)) unreadable = true;
        return LineAction::Skip;
    };
    if (Status done = m_ch.RunCommand(spec); !done) return done;
    if (unreadable) return Fail({kErrBadAnswer, {}});
    return {};
}

Status PhoneFs::ListFolder(Tree4* folder, bool includeEmpty) {
    if (!folder) return Fail({kErrBadAnswer, {}});
    m_ch.ClearReceive();
    FreeFiles(folder);
    if (folder->IsVirtual()) return {};
    if (Status changed = ChangeFolder(folder->Id); !changed) return changed;
    return ListBatched("AT+FSDL=\"" + folder->Id + "\"\r\n",
                       "+FSDL: ", [&](const std::string& line) {
                           const auto entry = ParseListLine(line, QDateTime::currentDateTime());
                           if (!entry) return false;
                           if ((entry->Size != 0 || includeEmpty) && !IsReservedName(entry->Name)) {
                               AddFile(folder, entry->Name, entry->Date, entry->Size);
                           }
                           return true;
                       });
}

std::string PhoneFs::SubfolderId(const Tree4* parent, std::string_view name) const {
    if (!parent) return std::string(name);
    if (m_flags.Mode != FolderMode::Pims) return parent->Id;
    if (!parent->Parent) return "/" + std::string(name);
    // The path of identifiers from the root down, without the root's own " /".
    std::string id(name);
    for (const Tree4* p = parent; p; p = p->Parent) id = p->Id + "/" + id;
    return id.substr(2);
}

Status PhoneFs::ListSubfolders(Tree4* folder) {
    if (!folder) return Fail({kErrBadAnswer, {}});
    m_ch.ClearReceive();
    return ListBatched("AT+FSDI=\"" + folder->Id + "\"\r\n",
                       "+FSDI: ", [&](const std::string& line) {
                           std::string_view s = line;
                           if (!SkipPast(s, '"')) return false;
                           const size_t close = s.find('"');
                           if (close == std::string_view::npos) return false;
                           const std::string_view name = s.substr(0, close);
                           // The phone's own "." and ".." are no folders of ours.
                           if (name.empty() || name == "." || name == "..") return true;
                           // Past the folder limit the answer is followed to its end, but
                           // nothing more is kept.
                           if (m_foldersLeft == 0) {
                               m_tooManyFolders = true;
                               return true;
                           }
                           --m_foldersLeft;
                           AddFolder(name, folder, SubfolderId(folder, name));
                           return true;
                       });
}

Status PhoneFs::EraseFile(std::string_view phoneName) {
    // A name that cannot go between quotes is said as such; nothing is sent.
    if (!WireSafeName(phoneName)) return Fail({kErrBadName, std::string(phoneName)});
    CommandSpec spec;
    spec.text = "AT+FSFE=-1,\"" + std::string(phoneName) + "\"\r\n";
    if (Status done = m_ch.RunCommand(spec); !done) return done;
    Progress().Step(1);
    Progress().Step(2);
    return {};
}

Status PhoneFs::DiscoverFolders() {
    SetRoot(MakeRoot(ModelCodeText(), Tree4::kVirtualId));
    Tree4* root = m_root.get();
    CommandSpec info;
    info.text = "AT+FSIF\r\n";
    // Only its end matters: what the phone says about itself is not used.
    if (Status done = m_ch.RunCommand(info); !done) return done;
    m_ch.ClearReceive();
    Progress().Step(1);
    Progress().Step(2);
    // A phone that reports folders without end (4096 in each of 4096) would otherwise
    // fill the memory: discovery keeps the first kMaxFolders and says so.
    m_foldersLeft = kMaxFolders;
    m_tooManyFolders = false;
    const auto tooMany = [this] {
        m_foldersLeft = std::numeric_limits<size_t>::max();
        if (!m_tooManyFolders) return false;
        Ui().MessageBox(Msg(kMsgTooManyFolders), Msg(kMsgAttentionCaption), BoxIcon::Warning);
        return true;
    };
    if (Status listed = ListSubfolders(root); !listed) {
        tooMany();
        return listed;
    }
    std::vector<Tree4*> topLevel;
    for (const auto& child : root->Children) topLevel.push_back(child.get());
    for (Tree4* folder : topLevel) {
        if (m_tooManyFolders) break;
        // Two levels only; a folder that does not answer keeps no subfolders.
        (void)ChangeFolder(folder->Id);
        (void)ListSubfolders(folder);
    }
    tooMany();
    return {};
}

Status PhoneFs::BuildFolderTree(FolderMode mode) {
    const std::string code = ModelCodeText();
    switch (mode) {
        case FolderMode::Normal:
            SetRoot(BuildFolderMap(MapKind::Normal, code));
            return {};
        case FolderMode::Pro:
            SetRoot(BuildFolderMap(MapKind::Pro, code));
            return {};
        case FolderMode::Pims:
            return DiscoverFolders();
    }
    DropTree();
    return Fail(kErrLocalData);
}

Expected<Tree4*> PhoneFs::ScanPhone(FolderMode mode, bool includeEmpty, bool rereadModel) {
    if (rereadModel) RereadModel();
    const Status built = BuildFolderTree(mode);
    if (!m_root) return Fail(built ? Failure{kErrLocalData, {}} : built.error());
    // The table grows with the tree: a discovered phone may have any number of folders.
    const std::vector<Tree4*> table = CollectFolderTable(m_root.get());
    const int count = static_cast<int>(table.size());
    for (const int bar : {1, 2}) {
        Progress().SetMax(bar, count);
        Progress().SetPosition(bar, 0);
    }
    if (Status walked = CacheWalk(table, includeEmpty); !walked) return Fail(walked.error());
    return m_root.get();
}

Status PhoneFs::CacheWalk(const std::vector<Tree4*>& table, bool includeEmpty) {
    for (Tree4* node : table) {
        if (m_flags.AbortRequested) break;
        if (Status listed = ListFolder(node, includeEmpty); !listed) {
            Ui().MessageBox(FailureReport(listed.error().Reason, listed.error().Text),
                            Msg(kMsgErrorCaption), BoxIcon::Error);
            DropTree();
            return listed;
        }
        node->Listed = true;
        Progress().Step(1);
        Progress().Step(2);
    }
    if (m_flags.AbortRequested) {
        // The folders not reached keep Listed false and are read when they are opened.
        Ui().MessageBox(Msg(kMsgCachingAborted), Msg(kMsgAttentionCaption), BoxIcon::Information);
    }
    return {};
}

int64_t PhoneFs::UsedKilobytes() const {
    if (!m_root) return 0;
    // Every file takes whole 16 KB units. Outside PRO the album folders keep a thumbnail
    // beside each picture, one more unit each, and a reserve of 240 KB.
    const bool albums = m_flags.Mode != FolderMode::Pro;
    int64_t used = albums ? 240 : 0;
    std::vector<const Tree4*> stack{m_root.get()};
    while (!stack.empty()) {
        const Tree4* node = stack.back();
        stack.pop_back();
        const bool album = albums && (node->Name == "My Album 1" || node->Name == "My Album 2" ||
                                      node->Name == "Camera");
        for (const FileEntry& f : node->Files) {
            const int64_t size = f.Size > 0 ? f.Size : 0;
            used += 16 * ((size + 16383) / 16384);
            if (album) used += 16;
        }
        for (const auto& c : node->Children) stack.push_back(c.get());
    }
    return used;
}

std::string PhoneFs::EstimateFreeSpace() const {
    return Msg(kMsgFree) + std::to_string(13104 - UsedKilobytes()) + Msg(kMsgPhoneTotal) +
           Msg(kMsgTrailingBlank);
}

}  // namespace q7k3
