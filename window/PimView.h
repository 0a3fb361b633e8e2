#pragma once
// The phone's contacts and messages in the phone pane: two folders of the root, "Контакты"
// and "Сообщения", that are the window's own entries beside the phone's folder tree (the
// scan and its tree know nothing of them). They are offered only where the phone answered
// the phonebook and message commands after the connection's scan. Opening one reads its
// entries through the session's door, with the entries done and the time left; F3 shows a
// message whole, F8 erases the marked entries after the question the phone side asks.

#include <QObject>
#include <QString>
#include <QStringList>

#include <atomic>
#include <string>
#include <vector>

#include "base/Prompts.h"
#include "pim/MessageJoin.h"
#include "pim/PimTypes.h"
#include "pim/phone/ContactImport.h"

namespace q7k3 {

class MainWindow;
class PhoneFs;

class PimView : public QObject {
    Q_OBJECT
public:
    enum class Folder { None, Contacts, Messages };

    PimView(MainWindow& form, Prompts& prompts);

    // On the link thread, once a connection's scan is over: which of the two folders the
    // phone answers for. Its own exchanges leave the phone as they found it.
    void Probe(PhoneFs& fs);
    // The folder names the root shows besides the phone's (none without a phone).
    QStringList RootFolders() const;
    // Opens the root folder of that name and reads its entries; false when it is none of
    // them (or the door is shut).
    bool Open(const QString& name);
    // The folder the phone pane shows, None while it shows the phone's own.
    Folder Shown() const;

    // F3: the message under the cursor, whole. F8: the marked entries (or the one under the
    // cursor) erased, after the question.
    void View();
    void Delete();
    // F5 towards the computer, into `dir`: the marked entries (all of them when none is
    // marked), contacts as one vCard file, messages as a folder with the SMS backup XML, the
    // raw PDUs and a text file per conversation. Every file is written whole before it takes
    // its name, and never over one that is there; what was written is said in the status bar.
    void Export(const QString& dir);
    // F5 of .vcf files from the computer onto the contacts: their cards into free slots of
    // the phone's store (the SIM's where it has none), never over an entry, an entry the
    // phone holds already left out. A name longer than the store takes: one question
    // whether to cut such names. The end says what was written and what not, and why; the
    // list is read again. False when none of `paths` is a .vcf.
    bool Import(const std::vector<std::string>& paths);
    // Files from the computer sent (F5) or dropped onto the folder shown: .vcf files onto the
    // contacts are imported; anything else is refused with the reason in the status bar and
    // a box, never copied to the phone as a file. False while neither folder is shown.
    bool Receive(const std::vector<std::string>& paths);

    const std::vector<pim::Contact>& Contacts() const { return m_contacts; }
    const std::vector<pim::SmsMessage>& Messages() const { return m_messages; }
    // The list's key of an entry: its store and slot ("SM/12").
    static std::string KeyOf(const std::string& store, int index);

private:
    // Reads the folder's entries on the link thread and shows them once read.
    bool Read(Folder folder);
    void ShowEntries();
    // The entries a command takes: the marked rows' keys, else the one under the cursor.
    std::vector<std::string> TargetKeys() const;
    // The end of an import as the box says it.
    static std::string ImportText(const pim::ImportReport& report);

    MainWindow& m_form;
    Prompts& m_prompts;
    std::atomic<bool> m_hasContacts = false;
    std::atomic<bool> m_hasMessages = false;
    Folder m_folder = Folder::None;  // the one read last
    // Written by the read on the link thread, read on the window's thread once it has ended.
    std::vector<pim::Contact> m_contacts;
    std::vector<pim::SmsMessage> m_messages;
};

}  // namespace q7k3
