// The phonebook and message exchanges on a real link to the emulated phone, with each of
// the ways phones are known to differ or fail.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <thread>

#include "link/Connection.h"
#include "phonefs/EmulatorLink.h"
#include "pim/MessageJoin.h"
#include "pim/Pdu.h"
#include "pim/phone/ContactImport.h"
#include "pim/phone/PimPhone.h"
#include "base/Messages.h"

namespace q7k3::pim {
namespace {

using test::EmulatorLink;

EmulatorConfig Demo(const std::function<void(EmulatorConfig&)>& change = {}) {
    EmulatorConfig c;
    c.Content = emu::Preset::Demo;
    if (change) change(c);
    return c;
}

std::vector<Contact> ContactsOf(const PhoneEmulator& emu, const std::string& store) {
    std::vector<Contact> out;
    for (const emu::PimContact& c : emu.Contacts(store))
        out.push_back({store, c.Index, c.Number, c.Type, c.Name});
    return out;
}

std::vector<StoredPdu> ExpectedMessages(const PhoneEmulator& emu, const std::string& store) {
    std::vector<StoredPdu> out;
    for (const emu::PimMessage& m : emu.Messages(store))
        out.push_back({store, m.Index, static_cast<MessageStat>(m.Stat), m.Pdu});
    return out;
}

// What a read should end with: every entry, or a failure with this text.
struct Row {
    const char* Name;
    std::function<void(EmulatorConfig&)> Change;
    int FailText = 0;  // catalogue number of the expected failure; 0: success
};

TEST(PimPhone, ContactsOfBothStoresSurviveEveryQuirk) {
    const Row rows[] = {
        {"plain", {}},
        {"ranges over 5 refused", [](EmulatorConfig& c) { c.Fault.RangeLimit = 5; }},
        {"hex arguments", [](EmulatorConfig& c) { c.Fault.HexArguments = true; }},
        {"extra field", [](EmulatorConfig& c) { c.Fault.PhonebookExtraField = true; }},
        {"store question refused",
         [](EmulatorConfig& c) { c.Fault.Errors.push_back({"AT+CPBS=?", 0}); }},
        {"listing cut", [](EmulatorConfig& c) { c.Fault.CutListingAfter = 3; }, kMsgListingCut},
        {"phonebook refused", [](EmulatorConfig& c) { c.Fault.Errors.push_back({"AT+CPB", 0}); },
         kMsgNoContacts},
        {"character sets refused",
         [](EmulatorConfig& c) { c.Fault.Errors.push_back({"AT+CSCS", 0}); }, kMsgNoPimCommands},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.Name);
        EmulatorLink t;
        ASSERT_TRUE(t.Open(Demo(row.Change)));
        auto read = [&]() -> Expected<std::vector<Contact>> {
            auto cs = OpenPim(t.Ch());
            if (!cs) return Fail(cs.error());
            EXPECT_EQ(cs->Used, "UCS2");
            auto stores = PhonebookStores(t.Ch(), *cs);
            if (!stores) return Fail(stores.error());
            EXPECT_EQ(stores->size(), 2u);
            std::vector<Contact> all;
            for (const char* store : {"SM", "ME"}) {
                int lastDone = -1, lastExpected = -1;
                auto got = ReadContacts(t.Ch(), *cs, store, [&](int done, int expected) {
                    lastDone = done;
                    lastExpected = expected;
                });
                if (!got) return Fail(got.error());
                EXPECT_EQ(lastDone, lastExpected);
                all.insert(all.end(), got->begin(), got->end());
            }
            EXPECT_TRUE(ClosePim(t.Ch(), *cs).has_value());
            return all;
        };
        const auto got = read();
        if (row.FailText == 0) {
            ASSERT_TRUE(got.has_value()) << got.error().Text;
            auto want = ContactsOf(*t.emu, "SM");
            const auto me = ContactsOf(*t.emu, "ME");
            want.insert(want.end(), me.begin(), me.end());
            EXPECT_EQ(*got, want);
        } else {
            ASSERT_FALSE(got.has_value());
            EXPECT_EQ(got.error().Text, Msg(row.FailText));
        }
    }
}

TEST(PimPhone, MessagesAreReadWholeOrNotAtAll) {
    const Row rows[] = {
        {"plain", {}},
        {"listing never answers", [](EmulatorConfig& c) { c.Fault.ListHangs = true; }},
        {"hex arguments", [](EmulatorConfig& c) { c.Fault.HexArguments = true; }},
        {"listing cut", [](EmulatorConfig& c) { c.Fault.CutListingAfter = 4; }, kMsgListingCut},
        {"message stores refused",
         [](EmulatorConfig& c) { c.Fault.Errors.push_back({"AT+CPMS", 0}); }, kMsgNoMessages},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.Name);
        EmulatorLink t;
        ASSERT_TRUE(t.Open(Demo(row.Change)));
        const auto want = ExpectedMessages(*t.emu, "ME");
        PimScope scope(t.Ch());
        ASSERT_TRUE(scope.Opened().has_value());
        ReadOptions options;
        options.ListTimeoutMs = 1500;
        int recovered = 0;
        options.Recover = [&]() -> Status {
            ++recovered;
            t.link->Port.Disconnect();
            if (!t.link->Port.Connect()) return Fail(kErrPortGone);
            return ResetPhone(*t.link);
        };
        auto got = ReadMessages(t.Ch(), scope.Charset(), "ME", {}, options);
        if (row.FailText == 0) {
            ASSERT_TRUE(got.has_value()) << got.error().Text;
            // Reading marks the unread one read: compare the PDUs and slots.
            ASSERT_EQ(got->size(), want.size());
            for (size_t i = 0; i < want.size(); ++i) {
                EXPECT_EQ((*got)[i].Index, want[i].Index);
                EXPECT_EQ((*got)[i].Hex, want[i].Hex);
            }
            EXPECT_EQ(recovered, row.Change && std::string(row.Name) == "listing never answers");
        } else {
            ASSERT_FALSE(got.has_value());
            EXPECT_EQ(got.error().Text, Msg(row.FailText));
        }
    }
}

TEST(PimPhone, WritesGoToFreeSlotsOnly) {
    for (const bool hex : {false, true}) {
        SCOPED_TRACE(hex ? "hex arguments" : "plain");
        EmulatorLink t;
        ASSERT_TRUE(t.Open(Demo([&](EmulatorConfig& c) { c.Fault.HexArguments = hex; })));
        PimScope scope(t.Ch());
        ASSERT_TRUE(scope.Opened().has_value());
        const PimCharset& cs = scope.Charset();
        EXPECT_EQ(cs.HexArguments, hex);
        const auto before = t.emu->Contacts("ME");

        // The first free slot, a chosen free one, a taken one, a name too long for the SIM.
        auto first = WriteContact(t.Ch(), cs, {"ME", 0, "+79160001122", 145, "Новый «друг»"});
        ASSERT_TRUE(first.has_value()) << first.error().Text;
        EXPECT_EQ(*first, 12);
        auto chosen = WriteContact(t.Ch(), cs, {"ME", 500, "0611", 129, "Справка"});
        ASSERT_TRUE(chosen.has_value()) << chosen.error().Text;
        EXPECT_EQ(*chosen, 500);
        auto taken = WriteContact(t.Ch(), cs, {"ME", 1, "+79990000000", 145, "Чужой"});
        ASSERT_FALSE(taken.has_value());
        EXPECT_EQ(taken.error().Reason, kErrRefused);
        auto tooLong = WriteContact(t.Ch(), cs, {"SM", 0, "+79990000000", 145, "Пятнадцать знаков"});
        ASSERT_FALSE(tooLong.has_value());
        EXPECT_EQ(tooLong.error().Reason, kErrBadName);

        const auto after = t.emu->Contacts("ME");
        ASSERT_EQ(after.size(), before.size() + 2);
        EXPECT_EQ(after.front().Name, before.front().Name);  // slot 1 untouched
        bool seen = false;
        for (const auto& c : after)
            if (c.Index == 12) {
                seen = true;
                EXPECT_EQ(c.Name, "Новый «друг»");
                EXPECT_EQ(c.Number, "79160001122");
                EXPECT_EQ(c.Type, 145);
            }
        EXPECT_TRUE(seen);
        EXPECT_EQ(t.emu->Contacts("SM").size(), 8u);

        ASSERT_TRUE(EraseContact(t.Ch(), cs, "ME", 500).has_value());
        EXPECT_EQ(t.emu->Contacts("ME").size(), before.size() + 1);
    }
}

// The demo phone's messages are what they claim to be.
TEST(PimPhone, DemoMessagesDecode) {
    struct Want {
        const char* Store;
        int Index;
        PduKind Kind;
        const char* Address;
        const char* Text;
        int Sequence;  // of its concatenation, 0: none
    };
    const Want rows[] = {
        {"ME", 1, PduKind::Deliver, "+79161234567", "Price 5€ [ok] {x} ~^|\\ done", 0},
        {"ME", 2, PduKind::Deliver, "+79031112233", "Привет! Встречаемся в 7 у метро.", 0},
        {"ME", 3, PduKind::Deliver, "+79265554433", "the second part, ", 2},
        {"ME", 4, PduKind::Deliver, "+79265554433", "and the third.", 3},
        {"ME", 5, PduKind::Deliver, "+79265554433", "A long story: the first part, ", 1},
        {"ME", 6, PduKind::Deliver, "+79037778899", "Начало письма, а второй части нет", 1},
        {"ME", 7, PduKind::Deliver, "Balance", "Balance: 120.50 RUB", 0},
        {"ME", 8, PduKind::Submit, "+79161234567", "Буду в 8", 0},
        {"ME", 9, PduKind::Submit, "+79031112233", "Not sent yet", 0},
        {"SR", 1, PduKind::StatusReport, "+79161234567", "", 0},
    };
    PhoneEmulator emu(Demo());
    std::vector<emu::PimMessage> all = emu.Messages("ME");
    const auto reports = emu.Messages("SR");
    all.insert(all.end(), reports.begin(), reports.end());
    ASSERT_EQ(all.size(), std::size(rows));
    for (size_t i = 0; i < all.size(); ++i) {
        SCOPED_TRACE(i);
        const Want& w = rows[i];
        EXPECT_EQ(all[i].Store, w.Store);
        EXPECT_EQ(all[i].Index, w.Index);
        const auto pdu = DecodePdu(all[i].Pdu);
        ASSERT_TRUE(pdu.has_value()) << pdu.error().Text;
        EXPECT_EQ(pdu->Kind, w.Kind);
        EXPECT_EQ(pdu->Address, w.Address);
        if (w.Kind != PduKind::StatusReport) EXPECT_EQ(pdu->Text, w.Text);
        EXPECT_EQ(pdu->Part ? pdu->Part->Sequence : 0, w.Sequence);
    }
}

// A phone that refuses PDU mode shows its messages in text mode: the same senders, times
// and texts come off, each marked as having no PDU of the phone's.
TEST(PimPhone, APhoneWithoutPduModeIsReadInTextMode) {
    const Row rows[] = {
        {"plain", {}},
        {"hex arguments", [](EmulatorConfig& c) { c.Fault.HexArguments = true; }},
        {"listing never answers", [](EmulatorConfig& c) { c.Fault.ListHangs = true; }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.Name);
        EmulatorLink t;
        ASSERT_TRUE(t.Open(Demo([&](EmulatorConfig& c) {
            c.Fault.PduModeRefused = true;
            if (row.Change) row.Change(c);
        })));
        PimScope scope(t.Ch());
        ASSERT_TRUE(scope.Opened().has_value());
        ReadOptions options;
        options.ListTimeoutMs = 1500;
        options.Recover = [&]() -> Status {
            t.link->Port.Disconnect();
            if (!t.link->Port.Connect()) return Fail(kErrPortGone);
            return ResetPhone(*t.link);
        };
        for (const char* store : {"ME", "SR"}) {
            const auto want = ExpectedMessages(*t.emu, store);
            auto got = ReadMessages(t.Ch(), scope.Charset(), store, {}, options);
            ASSERT_TRUE(got.has_value()) << store << ": " << got.error().Text;
            ASSERT_EQ(got->size(), want.size()) << store;
            for (size_t i = 0; i < want.size(); ++i) {
                SCOPED_TRACE(want[i].Index);
                EXPECT_EQ((*got)[i].Index, want[i].Index);
                EXPECT_TRUE((*got)[i].FromText);
                const auto mine = DecodePdu((*got)[i].Hex);
                const auto phones = DecodePdu(want[i].Hex);
                ASSERT_TRUE(mine && phones);
                EXPECT_EQ(mine->Kind, phones->Kind);
                EXPECT_EQ(mine->Address, phones->Address);
                EXPECT_EQ(mine->Text, phones->Text);
                if (phones->Kind != PduKind::Submit) EXPECT_EQ(mine->Time, phones->Time);
                EXPECT_EQ(mine->Status, phones->Status);
                EXPECT_EQ(mine->Discharge, phones->Discharge);
            }
        }
        const size_t held = t.emu->Messages("ME").size();
        ASSERT_TRUE(EraseMessage(t.Ch(), scope.Charset(), "ME", 1).has_value());
        EXPECT_EQ(t.emu->Messages("ME").size(), held - 1);
    }
}

// Two long texts 256 slots apart stay two; a time stamp without its zone still reads.
TEST(PimPhone, TextModeKeepsLongTextsApartAndTakesTimesWithoutAZone) {
    const std::string text(200, 'a');  // two parts each
    EmulatorConfig config;
    config.Fault.PduModeRefused = true;
    config.Pim.Messages = {{"ME", 1, 1, "", "+79160000001", "06/05/03,09:15:00", text + "1", 0, "", 0},
                           {"ME", 257, 1, "", "+79160000001", "06/05/03,09:15:00+12", text + "2", 0, "", 0}};
    EmulatorLink t;
    ASSERT_TRUE(t.Open(config));
    PimScope scope(t.Ch());
    ASSERT_TRUE(scope.Opened().has_value());
    auto got = ReadMessages(t.Ch(), scope.Charset(), "ME");
    ASSERT_TRUE(got.has_value()) << got.error().Text;
    const std::vector<SmsMessage> joined = JoinMessages(*got);
    ASSERT_EQ(joined.size(), 2u);
    const bool first = joined[0].Text == text + "1";
    const SmsMessage& zoneless = joined[first ? 0 : 1];
    const SmsMessage& east = joined[first ? 1 : 0];
    EXPECT_EQ(zoneless.Text, text + "1");
    EXPECT_EQ(east.Text, text + "2");
    ASSERT_TRUE(zoneless.Time && east.Time);
    EXPECT_EQ(zoneless.Time->UtcMs - east.Time->UtcMs, 3 * 3600 * 1000);
}

// An import writes free slots only, leaves out what the store holds, asks once about
// names too long and never writes a character the phone's set cannot carry as '?'.
TEST(PimPhone, ImportTakesFreeSlotsAndSaysWhatItLeftOut) {
    using R = ImportResult;
    const std::vector<Contact> entries = {
        {"", 0, "+79160000001", 145, "Zoe Adams"},
        {"", 0, "+79160000002", 145, "Вера"},
        {"", 0, "+79099998877", 145, "Anna Schmidt"},  // in ME slot 8 already
        {"", 0, "+79160000004", 145, "Bartholomew Fitzgerald Jr"},
        {"", 0, "+49301234567", 129, "Müller"},
        {"", 0, "+79160000006", 145, "Maximilian Alexander Bo"},
        {"", 0, "+79160000007", 145, "X\rAT+CPBW=1\r"},  // would erase slot 1 sent as it is
    };
    const struct {
        const char* Set;
        bool Cut;
        std::vector<R> Want;
    } rows[] = {
        {"UCS2", false, {R::Written, R::Written, R::Already, R::Refused, R::Written, R::Refused, R::Refused}},
        {"GSM", true, {R::Written, R::Refused, R::Already, R::Cut, R::Written, R::Cut, R::Refused}},
        {"8859-1", false, {R::Written, R::Refused, R::Already, R::Refused, R::Written, R::Refused, R::Refused}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.Set);
        EmulatorLink t;
        ASSERT_TRUE(t.Open(Demo([&](EmulatorConfig& c) { c.Fault.Charsets = {row.Set}; })));
        PimScope scope(t.Ch());
        ASSERT_TRUE(scope.Opened().has_value());
        ASSERT_EQ(scope.Charset().Used, row.Set);
        const auto before = t.emu->Contacts("ME");
        int asked = 0;
        ImportOptions options;
        options.CutNames = [&](const Contact& first, int limit) {
            ++asked;
            EXPECT_EQ(first.Name, "Bartholomew Fitzgerald Jr");
            EXPECT_EQ(limit, 20);
            return row.Cut;
        };
        const ImportReport report = ImportContacts(t.Ch(), scope.Charset(), "ME", entries, options);
        ASSERT_EQ(report.Problem.Reason, 0) << report.Problem.Text;
        EXPECT_EQ(asked, 1);
        ASSERT_EQ(report.Entries.size(), entries.size());
        std::vector<R> results;
        for (const ImportedEntry& e : report.Entries) {
            results.push_back(e.Result);
            if (e.Result == R::Refused) EXPECT_FALSE(e.Why.empty());
        }
        EXPECT_EQ(results, row.Want);
        // What was written is on the phone as it was given (or cut), in slots that were free.
        const auto after = t.emu->Contacts("ME");
        const int written = report.Count(R::Written) + report.Count(R::Cut);
        ASSERT_EQ(after.size(), before.size() + static_cast<size_t>(written));
        for (const ImportedEntry& e : report.Entries) {
            if (e.Result != R::Written && e.Result != R::Cut) continue;
            const auto slot = std::find_if(after.begin(), after.end(),
                                           [&](const emu::PimContact& c) { return c.Index == e.Entry.Index; });
            ASSERT_NE(slot, after.end());
            EXPECT_EQ(slot->Name, e.Entry.Name);
            EXPECT_EQ(slot->Name.find('?'), std::string::npos);
            for (const emu::PimContact& old : before) EXPECT_NE(old.Index, e.Entry.Index);
        }
        if (row.Cut) EXPECT_EQ(report.Entries[3].Entry.Name, "Bartholomew Fitzgera");
        // The same file again adds nothing.
        const ImportReport again = ImportContacts(t.Ch(), scope.Charset(), "ME", entries, options);
        EXPECT_EQ(again.Count(R::Written) + again.Count(R::Cut), 0);
        EXPECT_EQ(again.Count(R::Already), written + 1);
        EXPECT_EQ(t.emu->Contacts("ME").size(), after.size());
    }
}

// An entry the phone refuses (a plain ERROR, a +CME code of its own) is left out alone:
// its slot goes to the next entry and the import goes on.
TEST(PimPhone, ImportGoesOnPastAnEntryThePhoneRefuses) {
    for (const int code : {0, 24}) {
        SCOPED_TRACE(code);
        EmulatorLink t;
        ASSERT_TRUE(t.Open(Demo([&](EmulatorConfig& c) { c.Fault.Errors.push_back({"5550001", code, true}); })));
        PimScope scope(t.Ch());
        ASSERT_TRUE(scope.Opened().has_value());
        const std::vector<Contact> entries = {{"", 0, "5550001", 129, "Refused"}, {"", 0, "5550002", 129, "Taken"}};
        const ImportReport report = ImportContacts(t.Ch(), scope.Charset(), "ME", entries);
        EXPECT_EQ(report.Problem.Reason, 0) << report.Problem.Text;
        ASSERT_EQ(report.Entries.size(), 2u);
        EXPECT_EQ(report.Entries[0].Result, ImportResult::Refused);
        EXPECT_FALSE(report.Entries[0].Why.empty());
        EXPECT_EQ(report.Entries[1].Result, ImportResult::Written);
        EXPECT_EQ(report.Entries[1].Entry.Index, 12);  // the first free slot, which the refusal left free
    }
}

// A full store leaves out for want of room only what would need a slot.
TEST(PimPhone, AFullStoreLeavesOutOnlyWhatItWouldWrite) {
    EmulatorLink t;
    ASSERT_TRUE(t.Open(Demo([](EmulatorConfig& c) { c.Pim.PhoneSlots = 11; })));
    PimScope scope(t.Ch());
    ASSERT_TRUE(scope.Opened().has_value());
    const std::vector<Contact> entries = {{"", 0, "5550099", 129, "New One"},
                                          {"", 0, "+79099998877", 145, "Anna Schmidt"},
                                          {"", 0, "5550098", 129, "Bartholomew Fitzgerald Jr"},
                                          {"", 0, "5550097", 129, "Another"}};
    const ImportReport report = ImportContacts(t.Ch(), scope.Charset(), "ME", entries);
    std::vector<ImportResult> results;
    for (const ImportedEntry& e : report.Entries) results.push_back(e.Result);
    using R = ImportResult;
    EXPECT_EQ(results, (std::vector<R>{R::Full, R::Already, R::Refused, R::Full}));
}

// Nothing is written while the store is read first: an abort ends that read at once.
TEST(PimPhone, AbortEndsTheReadBeforeAnImport) {
    std::atomic<bool> abort{false};
    EmulatorLink t;
    ASSERT_TRUE(t.Open(Demo()));
    PimScope scope(t.Ch());
    ASSERT_TRUE(scope.Opened().has_value());
    t.emu->FallSilentAfter(3);  // the store chosen and measured; its listing never comes
    t.Ch().AbortFlag = &abort;
    std::thread user([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        abort = true;
    });
    const auto start = std::chrono::steady_clock::now();
    const ImportReport report = ImportContacts(t.Ch(), scope.Charset(), "ME", {{"", 0, "1", 129, "A"}});
    const auto took = std::chrono::steady_clock::now() - start;
    user.join();
    EXPECT_EQ(report.Problem.Reason, kErrAborted);
    EXPECT_LT(took, std::chrono::seconds(3));  // not the read's time-out
    EXPECT_EQ(report.Entries.at(0).Result, ImportResult::Stopped);
    t.Ch().AbortFlag = nullptr;
    t.emu->ClearFaults();
}

TEST(PimPhone, AbortEndsAReadBetweenCommands) {
    // The flag outlives the scope, whose end still talks to the phone.
    std::atomic<bool> abort{false};
    EmulatorLink t;
    ASSERT_TRUE(t.Open(Demo()));
    PimScope scope(t.Ch());
    ASSERT_TRUE(scope.Opened().has_value());
    t.Ch().AbortFlag = &abort;
    ReadOptions options;
    options.Step = 5;
    auto got = ReadContacts(t.Ch(), scope.Charset(), "ME", [&](int done, int) {
        if (done > 0) abort = true;
    }, options);
    ASSERT_FALSE(got.has_value());
    EXPECT_EQ(got.error().Reason, kErrAborted);
    abort = false;
}

}  // namespace
}  // namespace q7k3::pim
