#include "window/PimView.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QElapsedTimer>
#include <QLocale>
#include <QTimeZone>
#include <QTimer>

#include <algorithm>
#include <map>
#include <cstdlib>
#include <memory>

#include "phonefs/PhoneFs.h"
#include "session/PhoneSession.h"
#include "pim/MessageJoin.h"
#include "pim/Pdu.h"
#include "pim/Export.h"
#include "pim/VCard.h"
#include "pim/phone/ContactImport.h"
#include "pim/phone/PimPhone.h"
#include "base/Text.h"
#include "window/MainWindow.h"
#include "window/PaneLook.h"
#include "window/PhoneListView.h"
#include "window/ComputerPane.h"
#include "window/PhonePane.h"
#include "window/Texts.h"

namespace q7k3 {

namespace {

// "m:ss" of a duration in milliseconds.
std::string MinutesSeconds(qint64 ms) {
    const qint64 seconds = (ms + 999) / 1000;
    const qint64 s = seconds % 60;
    return std::to_string(seconds / 60) + (s < 10 ? ":0" : ":") + std::to_string(s);
}

// The progress of a read: "Чтение контактов: 40 из 250, осталось 0:12" and the second bar.
pim::PimProgress ReadProgress(ProgressView& progress, int heading) {
    auto clock = std::make_shared<QElapsedTimer>();
    clock->start();
    return [&progress, heading, clock](int done, int expected) {
        std::string line = Msg(heading) + std::to_string(done);
        if (expected > 0) {
            line += Msg(kMsgOf) + std::to_string(expected);
            if (done > 0 && done < expected)
                line += Msg(kMsgTimeLeft) +
                        MinutesSeconds(clock->elapsed() * (expected - done) / done);
            progress.SetMax(2, expected);
            progress.SetPosition(2, std::min(done, expected));
        }
        progress.SetLongStatus(line);
    };
}

struct MessageFacts {
    QString Who;
    QDateTime When;
    QString Text;
};

MessageFacts FactsOf(const pim::SmsMessage& message) {
    MessageFacts facts;
    if (!message.Decoded) {
        // Kept as it came: a later decoder may read it.
        facts.Text = M(kMsgUnreadableMessage) + Q(message.Problem.Text);
        return facts;
    }
    facts.Who = Q(message.Address);
    if (message.Time) {
        facts.When = QDateTime::fromMSecsSinceEpoch(message.Time->UtcMs,
                                                   QTimeZone(message.Time->ZoneMinutes * 60));
    }
    facts.Text = message.Kind == pim::PduKind::StatusReport ? M(kMsgDeliveryReport)
                                                             : Q(message.Text);
    return facts;
}

// The key of a message: its first stored part's.
std::string KeyOfMessage(const pim::SmsMessage& message) {
    return message.Raw.empty() ? std::string()
                               : PimView::KeyOf(message.Raw.front().Store,
                                                message.Raw.front().Index);
}

QString FirstWords(const QString& text) {
    constexpr int kShown = 40;
    QString line = text.simplified();
    if (line.size() > kShown) line = line.left(kShown - 1) + QChar(0x2026);
    return line;
}

}  // namespace

PimView::PimView(MainWindow& form, Prompts& prompts)
    : QObject(&form), m_form(form), m_prompts(prompts) {}

std::string PimView::KeyOf(const std::string& store, int index) {
    return store + "/" + std::to_string(index);
}

void PimView::Probe(PhoneFs& fs) {
    AtChannel& ch = fs.Channel();
    // Its failures are its own: the connection stands whatever it finds.
    bool contacts = false;
    bool messages = false;
    {
        pim::PimScope scope(ch);
        if (scope.Opened()) {
            const auto books = pim::PhonebookStores(ch, scope.Charset());
            contacts = books && !books->empty();
            const auto stores = pim::MessageStores(ch, scope.Charset());
            messages = stores && !stores->empty();
        }
    }
    m_hasContacts = contacts;
    m_hasMessages = messages;
}

QStringList PimView::RootFolders() const {
    QStringList names;
    if (!m_form.PhoneReady()) return names;
    if (m_hasContacts) names << M(kMsgContactsFolder);
    if (m_hasMessages) names << M(kMsgMessagesFolder);
    return names;
}

bool PimView::Open(const QString& name) {
    if (name == M(kMsgContactsFolder) && m_hasContacts) return Read(Folder::Contacts);
    if (name == M(kMsgMessagesFolder) && m_hasMessages) return Read(Folder::Messages);
    return false;
}

bool PimView::Read(Folder folder) {
    PhoneSession* session = m_form.Core().Session;
    if (!session || !m_form.Admitted()) return false;
    const bool contacts = folder == Folder::Contacts;
    const int heading = contacts ? kMsgReadingContacts : kMsgReadingMessages;
    BusyView view;
    view.QuickStatus = Msg(heading) + "0";
    auto readContacts = std::make_shared<std::vector<pim::Contact>>();
    auto readMessages = std::make_shared<std::vector<pim::StoredPdu>>();
    return session->Run(
        view,
        [contacts, heading, readContacts, readMessages](PhoneFs& fs) {
            AtChannel& ch = fs.Channel();
            pim::PimScope scope(ch);
            if (!scope.Opened()) return Outcome::Failed(scope.Opened().error());
            const pim::PimProgress progress = ReadProgress(fs.Progress(), heading);
            if (contacts) {
                const auto stores = pim::PhonebookStores(ch, scope.Charset());
                if (!stores) return Outcome::Failed(stores.error());
                for (const pim::PhonebookStore& store : *stores) {
                    auto read = pim::ReadContacts(ch, scope.Charset(), store.Name, progress);
                    if (!read) return Outcome::Failed(read.error());
                    readContacts->insert(readContacts->end(), read->begin(), read->end());
                }
            } else {
                const auto stores = pim::MessageStores(ch, scope.Charset());
                if (!stores) return Outcome::Failed(stores.error());
                for (const pim::MessageStore& store : *stores) {
                    auto read = pim::ReadMessages(ch, scope.Charset(), store.Name, progress);
                    if (!read) return Outcome::Failed(read.error());
                    readMessages->insert(readMessages->end(), read->begin(), read->end());
                }
            }
            if (const Status closed = scope.Close(); !closed)
                return Outcome::Failed(closed.error());
            return Outcome::Done;
        },
        [this, folder, readContacts, readMessages](Outcome outcome) {
            if (outcome != Outcome::Done) return;
            m_folder = folder;
            m_contacts = std::move(*readContacts);
            m_messages = pim::JoinMessages(*readMessages);
            ShowEntries();
        });
}

void PimView::ShowEntries() {
    PhonePane& pane = m_form.Phone();
    QList<PhonePane::EntryRow> rows;
    QStringList titles;
    QString name;
    if (m_folder == Folder::Contacts) {
        name = M(kMsgContactsFolder);
        titles = {Cap(kMainForm, "ListPhone.0"), M(kMsgNumberColumn), M(kMsgStoreColumn)};
        for (const pim::Contact& contact : m_contacts)
            rows.append({KeyOf(contact.Store, contact.Index), Q(contact.Name), Q(contact.Number),
                         Q(contact.Store + " " + std::to_string(contact.Index))});
    } else {
        name = M(kMsgMessagesFolder);
        titles = {M(kMsgSenderColumn), M(kMsgDateColumn), M(kMsgTextColumn)};
        for (const pim::SmsMessage& message : m_messages) {
            const MessageFacts facts = FactsOf(message);
            rows.append({KeyOfMessage(message), facts.Who,
                         facts.When.isValid() ? QLocale().toString(facts.When, QLocale::ShortFormat)
                                              : QString(),
                         FirstWords(facts.Text)});
        }
    }
    pane.ShowEntries(name, titles, rows);
}

PimView::Folder PimView::Shown() const {
    return m_form.Phone().EntriesShown() ? m_folder : Folder::None;
}

std::vector<std::string> PimView::TargetKeys() const {
    return m_form.Phone().List()->TargetNames();
}

void PimView::View() {
    if (Shown() != Folder::Messages) return;
    const std::vector<std::string> keys = TargetKeys();
    if (keys.empty()) return;
    for (const pim::SmsMessage& message : m_messages) {
        if (KeyOfMessage(message) != keys.front()) continue;
        const MessageFacts facts = FactsOf(message);
        QString text = facts.Who;
        if (facts.When.isValid())
            text += QStringLiteral("\n") + QLocale().toString(facts.When, QLocale::LongFormat);
        text += QStringLiteral("\n\n") + facts.Text;
        if (const std::string note = pim::MissingPartsNote(message); !note.empty())
            text += QStringLiteral("\n\n") + Q(note);
        m_prompts.MessageBox(S(text.trimmed()), Msg(kMsgMessageCaption), BoxIcon::Information);
        return;
    }
}

void PimView::Delete() {
    const Folder folder = Shown();
    if (folder == Folder::None) return;
    const std::vector<std::string> keys = TargetKeys();
    if (keys.empty()) return;
    // The question the phone side asks: one entry by its name, several by their count.
    std::string one = keys.front();
    for (int row = 0; row < m_form.Phone().List()->topLevelItemCount(); ++row) {
        const QTreeWidgetItem* item = m_form.Phone().List()->topLevelItem(row);
        if (PhoneListView::RawName(item) == keys.front()) one = S(item->text(0));
    }
    const std::string question =
        keys.size() == 1
            ? Msg(kMsgDeletePhoneQuestion) + Msg(kMsgQuoteOpen) + one + Msg(kMsgQuoteCloseQuestion)
            : Msg(kMsgDeletePhoneQuestion) + std::to_string(keys.size()) + " " +
                  PluralForm(static_cast<int64_t>(keys.size()), Msg(kMsgEntryPlural)) +
                  Msg(kMsgQuestionMark);
    if (!m_prompts.AskYesNoDefaultNo(question, Msg(kMsgDeleteCaption))) return;
    PhoneSession* session = m_form.Core().Session;
    if (!session || !m_form.Admitted()) return;
    // The slots to empty, each in its store.
    std::vector<std::pair<std::string, int>> places;
    const bool contacts = folder == Folder::Contacts;
    for (const std::string& key : keys) {
        const size_t slash = key.find('/');
        if (slash == std::string::npos) continue;
        if (contacts) {
            places.emplace_back(key.substr(0, slash), std::atoi(key.c_str() + slash + 1));
            continue;
        }
        // A long message goes with all its parts.
        for (const pim::SmsMessage& message : m_messages)
            if (KeyOfMessage(message) == key)
                for (const pim::StoredPdu& part : message.Raw)
                    places.emplace_back(part.Store, part.Index);
    }
    BusyView view;
    view.QuickStatus = Msg(kMsgDeleteCaption);
    view.FilesMax = static_cast<int>(places.size());
    session->Run(
        view,
        [contacts, places](PhoneFs& fs) {
            AtChannel& ch = fs.Channel();
            pim::PimScope scope(ch);
            if (!scope.Opened()) return Outcome::Failed(scope.Opened().error());
            for (const auto& [store, index] : places) {
                if (fs.Flags().AbortRequested) return Outcome::Stopped;
                const Status erased =
                    contacts ? pim::EraseContact(ch, scope.Charset(), store, index)
                             : pim::EraseMessage(ch, scope.Charset(), store, index);
                if (!erased) return Outcome::Failed(erased.error());
                fs.Progress().Step(2);
            }
            if (const Status closed = scope.Close(); !closed)
                return Outcome::Failed(closed.error());
            return Outcome::Done;
        },
        // What is left is read again, whatever happened: the list shows the phone as it is.
        [this, folder](Outcome) { QTimer::singleShot(0, this, [this, folder] { Read(folder); }); });
}

namespace {

// A name in `dir` that nothing has: "stem.ext", then "stem-2.ext", ...
QString FreshName(const QString& dir, const QString& stem, const QString& ext) {
    QString path = QDir(dir).filePath(stem + ext);
    for (int n = 2; QFileInfo::exists(path) || QFileInfo(path).isSymLink(); ++n)
        path = QDir(dir).filePath(QStringLiteral("%1-%2%3").arg(stem).arg(n).arg(ext));
    return path;
}

}  // namespace

void PimView::Export(const QString& dir) {
    const Folder folder = Shown();
    if (folder == Folder::None) return;
    std::vector<std::string> marked = m_form.Phone().List()->SelectedNames();
    marked.erase(std::remove(marked.begin(), marked.end(), ".."), marked.end());
    const auto chosen = [&](const std::string& key) {
        return marked.empty() || std::find(marked.begin(), marked.end(), key) != marked.end();
    };
    Status done;
    QString written;
    if (folder == Folder::Contacts) {
        std::vector<pim::Contact> contacts;
        for (const pim::Contact& contact : m_contacts)
            if (chosen(KeyOf(contact.Store, contact.Index))) contacts.push_back(contact);
        written = FreshName(dir, QStringLiteral("contacts"), QStringLiteral(".vcf"));
        done = pim::ExportContactsFile(S(written), contacts);
    } else {
        // A folder of its own: the XML today's phones import, a text file per conversation,
        // and the PDUs as they came, for a later decoder.
        std::vector<pim::SmsMessage> messages;
        for (const pim::SmsMessage& message : m_messages)
            if (chosen(KeyOfMessage(message))) messages.push_back(message);
        const std::map<std::string, std::string> names = pim::NamesByNumber(m_contacts);
        written = FreshName(dir, QStringLiteral("messages"), QString());
        const QDir out(written);
        done = pim::ExportMessageFiles(
            {S(out.filePath(QStringLiteral("messages.xml"))),
             S(out.filePath(QStringLiteral("messages.pdu"))), S(written)},
            messages, names, QDateTime::currentMSecsSinceEpoch());
    }
    const std::string failed =
        done ? std::string() : FailureReport(done.error().Reason, done.error().Text);
    if (!failed.empty()) {
        m_prompts.MessageBox(failed, Msg(kMsgErrorCaption), BoxIcon::Error);
        return;
    }
    m_form.StatusChanged(Msg(kMsgExportedTo) + S(QDir::toNativeSeparators(written)));
    m_form.Computer().Reload();
}

bool PimView::Import(const std::vector<std::string>& paths) {
    if (Shown() != Folder::Contacts) return false;
    std::vector<std::string> files;
    for (const std::string& path : paths)
        if (QFileInfo(Q(path)).suffix().compare(QStringLiteral("vcf"), Qt::CaseInsensitive) == 0)
            files.push_back(path);
    if (files.empty()) return false;
    PhoneSession* session = m_form.Core().Session;
    if (!session || !m_form.Admitted()) return true;
    BusyView view;
    view.QuickStatus = Msg(kMsgWritingContacts) + "0";
    // The files are read and their cards taken on the link's thread (a large file would
    // hold the window up), whole, before the phone is asked anything. A file that gives
    // nothing ends it there with a box of its own.
    struct Work {
        pim::ImportReport Report;
        std::vector<pim::SkippedCard> Skipped;
        std::string Problem, Caption;
        BoxIcon Icon = BoxIcon::Error;
    };
    auto work = std::make_shared<Work>();
    session->Run(
        view,
        [files, work](PhoneFs& fs) {
            std::vector<pim::Contact> entries;
            for (const std::string& path : files) {
                auto bytes = pim::ReadCardFile(path);
                if (!bytes) {
                    const Failure& f = bytes.error();
                    work->Problem =
                        f.Reason == kErrLocalFile ? Msg(kMsgCannotOpenFile) + path : f.Text;
                    work->Caption = Msg(kMsgErrorCaption);
                    return Outcome::Stopped;
                }
                pim::VCardImport cards = pim::ImportVCards(*bytes);
                if (cards.Contacts.empty() && cards.Skipped.empty()) {
                    work->Problem = Msg(kMsgImportNoCards) + path;
                    work->Caption = Msg(kMsgImportCaption);
                    work->Icon = BoxIcon::Warning;
                    return Outcome::Stopped;
                }
                entries.insert(entries.end(), cards.Contacts.begin(), cards.Contacts.end());
                work->Skipped.insert(work->Skipped.end(), cards.Skipped.begin(), cards.Skipped.end());
            }
            AtChannel& ch = fs.Channel();
            pim::PimScope scope(ch);
            if (!scope.Opened()) return Outcome::Failed(scope.Opened().error());
            const auto stores = pim::PhonebookStores(ch, scope.Charset());
            if (!stores) return Outcome::Failed(stores.error());
            pim::ImportOptions options;
            options.Progress = ReadProgress(fs.Progress(), kMsgWritingContacts);
            // The question travels to the window; the link waits for its answer.
            options.CutNames = [&fs](const pim::Contact& first, int limit) {
                return fs.Ui().AskYesNo(Msg(kMsgImportCutQuestion) + std::to_string(limit) + ": " +
                                            first.Name,
                                        Msg(kMsgImportCaption));
            };
            pim::ImportReport& report = work->Report;
            report = pim::ImportContacts(ch, scope.Charset(), pim::DefaultImportStore(*stores),
                                         entries, options);
            if (report.Problem.Reason) return Outcome::Failed(report.Problem);
            if (const Status closed = scope.Close(); !closed)
                return Outcome::Failed(closed.error());
            return report.Count(pim::ImportResult::Stopped) ? Outcome::Stopped : Outcome::Done;
        },
        [this, work](Outcome) {
            if (!work->Problem.empty()) {
                m_prompts.MessageBox(work->Problem, work->Caption, work->Icon);
                return;
            }
            if (!work->Report.Store.empty()) {
                pim::PrependSkippedCards(work->Report, work->Skipped);
                m_prompts.MessageBox(ImportText(work->Report), Msg(kMsgImportCaption),
                                     BoxIcon::Information);
            }
            // The list shows the phone as it is now.
            QTimer::singleShot(0, this, [this] { Read(Folder::Contacts); });
        });
    return true;
}

bool PimView::Receive(const std::vector<std::string>& paths) {
    if (Shown() == Folder::None) return false;
    const int why = Shown() == Folder::Contacts ? kMsgOnlyVcfToContacts : kMsgNoCopyToMessages;
    const bool others = std::any_of(paths.begin(), paths.end(), [](const std::string& path) {
        return QFileInfo(Q(path)).suffix().compare(QStringLiteral("vcf"), Qt::CaseInsensitive) != 0;
    });
    if (Shown() == Folder::Contacts && Import(paths)) {
        // The .vcf files are imported; the others are named as left out.
        if (others) m_form.StatusChanged(Msg(why));
        return true;
    }
    m_form.StatusChanged(Msg(why));
    m_prompts.MessageBox(Msg(why), Msg(kMsgAttentionCaption), BoxIcon::Warning);
    return true;
}

std::string PimView::ImportText(const pim::ImportReport& report) {
    // The summary, then each entry not written and why (the first few of a long list).
    constexpr int kListed = 12;
    std::string text = pim::ImportSummary(report);
    int listed = 0, more = 0;
    for (const pim::ImportedEntry& e : report.Entries) {
        if (e.Result == pim::ImportResult::Written || e.Result == pim::ImportResult::Already) continue;
        if (listed == kListed) {
            ++more;
            continue;
        }
        ++listed;
        text += "\n" + e.Entry.Name + (e.Entry.Number.empty() ? "" : " " + e.Entry.Number) + ": " + e.Why;
    }
    if (more) text += "\n…";
    return text;
}

}  // namespace q7k3
