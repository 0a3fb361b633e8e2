#include "pim/Pdu.h"
#include "pim/PduEncoder.h"

#include <gtest/gtest.h>

#include "pim/GsmAlphabet.h"
#include "base/Messages.h"

using namespace q7k3;
using namespace q7k3::pim;

namespace {

struct Row {
    const char* Hex;
    PduKind Kind;
    const char* Centre;
    const char* Address;
    const char* Text;
    std::int64_t Utc;  // -1: no time stamp
    int Zone;
    Concatenation Part;  // Total 0: a whole message
    DataCoding Coding;
    int Class;
};

const Row kRows[] = {
    // A deliver with a national-format sender, and a submit valid four days.
    {"07917283010010F5040BC87238880900F10000993092516195800AE8329BFD4697D9EC37", PduKind::Deliver,
     "+27381000015", "27838890001", "hellohello", 922713419000, 120, {}, DataCoding::Gsm7, -1},
    {"0011000B916407281553F80000AA0AE8329BFD4697D9EC37", PduKind::Submit, "", "+46708251358", "hellohello", -1, 0,
     {}, DataCoding::Gsm7, -1},
    // An alphanumeric sender, UCS-2 Russian, three hours west.
    {"07919712990000F00407D0D4F29C0E0008506051010203290C041F04400438043204350442", PduKind::Deliver,
     "+79219900000", "Test", "Привет", 1118841630000, -180, {}, DataCoding::Ucs2, -1},
    // Part 2 of 3 (8-bit reference), 7-bit after a header: one fill bit; the euro escaped.
    {"00440B919761214365F7000060102030405061120500032A0302E061391D44BFBF419B32", PduKind::Deliver, "",
     "+79161234567", "part two €", 1136156645000, 240, {0x2A, 3, 2, false}, DataCoding::Gsm7, -1},
    // Part 1 of 2 with a 16-bit reference, UCS-2.
    {"07919712990000F04005812143F50008402113329595000B0608041234020104140430", PduKind::Deliver,
     "+79219900000", "12345", "Да", 1104537599000, 0, {0x1234, 2, 1, true}, DataCoding::Ucs2, -1},
    {"07919712990000F0062A0B919761214365F7503010210000215030102100502100", PduKind::StatusReport,
     "+79219900000", "+79161234567", "", 1109667600000, 180, {}, DataCoding::Gsm7, -1},
    // Absolute validity, the 0xF0 group with class 1.
    {"0019050B919761214365F700F15030200000000002C834", PduKind::Submit, "", "+79161234567", "Hi", -1, 0, {},
     DataCoding::Gsm7, 1},
    {"000906038119F100040102030405060703DEADBF", PduKind::Submit, "", "911", "", -1, 0, {}, DataCoding::Eight, -1},
    // A flash message (class 0) stamped in '99: years from 90 are the last century's.
    {"00240281110010992082000000000141", PduKind::Deliver, "", "11", "A", 920160000000, 0, {}, DataCoding::Gsm7, 0},
};

}  // namespace

TEST(Pdu, DecodesTheTable) {
    for (const Row& r : kRows) {
        SCOPED_TRACE(r.Hex);
        auto p = DecodePdu(r.Hex);
        ASSERT_TRUE(p) << p.error().Text;
        EXPECT_EQ(p->Kind, r.Kind);
        EXPECT_EQ(p->ServiceCentre, r.Centre);
        EXPECT_EQ(p->Address, r.Address);
        EXPECT_EQ(p->Text, r.Text);
        EXPECT_EQ(p->Coding, r.Coding);
        EXPECT_EQ(p->MessageClass, r.Class);
        if (r.Utc < 0) {
            EXPECT_FALSE(p->Time);
        } else {
            ASSERT_TRUE(p->Time);
            EXPECT_EQ(*p->Time, (SmsTime{r.Utc, r.Zone}));
        }
        if (r.Part.Total) EXPECT_EQ(p->Part, r.Part);
        else EXPECT_FALSE(p->Part);
    }
}

TEST(Pdu, FieldsOfTheKinds) {
    auto sr = DecodePdu(kRows[5].Hex).value();
    EXPECT_EQ(sr.MessageReference, 0x2A);
    EXPECT_EQ(sr.Status, 0);
    EXPECT_EQ(OutcomeOf(sr.Status), ReportOutcome::Delivered);
    EXPECT_EQ(sr.Discharge, (SmsTime{1109667605000, 180}));
    EXPECT_EQ(DecodePdu(kRows[1].Hex)->Valid, (Validity{Validity::Relative, 4 * 24 * 60, {}, {}}));
    EXPECT_EQ(DecodePdu(kRows[6].Hex)->Valid, (Validity{Validity::Absolute, 0, {1109721600000, 0}, {}}));
    auto eight = DecodePdu(kRows[7].Hex).value();
    EXPECT_EQ(eight.Valid.Form, Validity::Enhanced);
    EXPECT_EQ(ToHex(eight.Valid.Raw), "01020304050607");
    EXPECT_EQ(ToHex(eight.Data), "DEADBF");
    EXPECT_TRUE(DecodePdu(kRows[8].Hex)->StatusReportWanted);
    // The same message without the centre's part, as some commands give it.
    EXPECT_EQ(DecodePdu(std::string(kRows[2].Hex).substr(16), false)->Text, "Привет");
}

TEST(Pdu, CodingSchemes) {
    struct {
        int Dcs;
        DataCoding Coding;
        int Class;
        bool Compressed;
    } rows[] = {
        {0x00, DataCoding::Gsm7, -1, false}, {0x08, DataCoding::Ucs2, -1, false},
        {0x04, DataCoding::Eight, -1, false}, {0x12, DataCoding::Gsm7, 2, false},
        {0x19, DataCoding::Ucs2, 1, false}, {0x0C, DataCoding::Gsm7, -1, false},
        {0x28, DataCoding::Ucs2, -1, true}, {0x48, DataCoding::Ucs2, -1, false},
        {0xC0, DataCoding::Gsm7, -1, false}, {0xE8, DataCoding::Ucs2, -1, false},
        {0xF0, DataCoding::Gsm7, 0, false}, {0xF6, DataCoding::Eight, 2, false},
        {0x85, DataCoding::Gsm7, -1, false},
    };
    for (const auto& r : rows) {
        const CodingInfo c = ReadCodingScheme(r.Dcs);
        EXPECT_EQ(c.Coding, r.Coding) << r.Dcs;
        EXPECT_EQ(c.MessageClass, r.Class) << r.Dcs;
        EXPECT_EQ(c.Compressed, r.Compressed) << r.Dcs;
    }
}

TEST(Pdu, TimeStampsThatAreNoTimeLeaveTheMessageReadable) {
    // Month 13, then a zone digit that is no digit: the text stays, the time goes.
    for (const char* stamp : {"50310121000000", "503010210000A0"}) {
        const std::string hex = "00040281110000" + std::string(stamp) + "0141";
        auto p = DecodePdu(hex);
        ASSERT_TRUE(p) << stamp;
        EXPECT_FALSE(p->Time) << stamp;
        EXPECT_EQ(p->Text, "A");
    }
}

TEST(Pdu, TextModeTimeStamps) {
    // The same instant as the PDU's stamp; a zone west of Greenwich; what is no stamp.
    const auto pdu = DecodePdu("00040281110000" "60503090510021" "0141");
    ASSERT_TRUE(pdu && pdu->Time);
    EXPECT_EQ(ParseTextTime("06/05/03,09:15:00+12"), pdu->Time);
    const auto west = ParseTextTime("99/12/31,23:59:59-20");
    ASSERT_TRUE(west);
    EXPECT_EQ(west->ZoneMinutes, -300);
    EXPECT_EQ(west->UtcMs, 946702799000);  // 2000-01-01 04:59:59 UTC
    for (const char* bad : {"06/13/03,09:15:00+12", "06/05/03 09:15:00+12", "06/05/03,09:15:00",
                            "06/05/03,09:15:00+1x", "06/05/03,09:15:00+80", ""})
        EXPECT_FALSE(ParseTextTime(bad)) << bad;
}

TEST(Pdu, CutOrCraftedMessagesFail) {
    // Every cut of a message that carries its length fails, at every point.
    for (const Row& r : kRows) {
        if (r.Kind == PduKind::StatusReport) continue;  // its tail is optional
        const std::string hex = r.Hex;
        for (size_t n = 0; n < hex.size(); n += 2) ASSERT_FALSE(DecodePdu(hex.substr(0, n))) << n << " " << hex;
    }
    struct {
        const char* Hex;
        int Message;
    } rows[] = {
        {"0004028111000050301021000000014", 501},       // odd length
        {"00040281110000503010210000000X41", 501},      // not hex
        {"03", 500},
        {"0C91", 505},                                  // a centre longer than any number
        {"0004FF81", 505},                              // an address of 255 digits
        {"0003", 502},                                  // no such kind
        {"0004028111002050301021000000014141", 503},    // compressed
        {"0044028111000050301021000000020741", 504},    // a header longer than the data
        {"004402811100F45030102100000004030005AA", 504},  // an element cut inside the header
        {"004402811100005030102100000003020000", 504},    // a header with no room for its septets
    };
    for (const auto& r : rows) {
        auto p = DecodePdu(r.Hex);
        ASSERT_FALSE(p) << r.Hex;
        EXPECT_EQ(p.error(), (Failure{kErrBadAnswer, Msg(r.Message)})) << r.Hex;
    }
}

TEST(PduEncoder, RebuildsTheTableByteForByte) {
    for (const Row& r : kRows) {
        auto hex = EncodePdu(DecodePdu(r.Hex).value());
        ASSERT_TRUE(hex) << r.Hex;
        EXPECT_EQ(*hex, r.Hex);
    }
}

TEST(PduEncoder, TextsRoundTripThroughTheirParts) {
    const std::string latin(400, 'x');
    std::string euros(152, 'x');  // the euro's escape would straddle the first cut
    euros += "€€" + std::string(10, 'y');
    std::string cyrillic;
    for (int i = 0; i < 30; ++i) cyrillic += "Щука ";
    std::string emoji(65, 'x');  // the surrogate pair would straddle the first cut
    emoji += "😀" + std::string(10, 'y');
    struct {
        std::string Text;
        bool Wide, Ucs2;
        DataCoding Coding;
        size_t Parts;
        std::string Address;
    } rows[] = {
        {"Hi [all] {~} ^| \\ €", false, false, DataCoding::Gsm7, 1, "+79161234567"},
        {std::string(160, 'a'), false, false, DataCoding::Gsm7, 1, "Bank"},
        {std::string(161, 'a'), false, false, DataCoding::Gsm7, 2, "123"},
        {latin, false, false, DataCoding::Gsm7, 3, "+1"},
        {latin, true, false, DataCoding::Gsm7, 3, "+1"},
        {euros, false, false, DataCoding::Gsm7, 2, "+1"},
        {"Привет, мир", false, false, DataCoding::Ucs2, 1, "+7"},
        {cyrillic, false, false, DataCoding::Ucs2, 3, "+7"},
        {emoji, true, false, DataCoding::Ucs2, 2, "+7"},
        {"plain", false, true, DataCoding::Ucs2, 1, "MyOperator1"},
        {"", false, false, DataCoding::Gsm7, 1, "+7"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.Text.substr(0, 20));
        Envelope e;
        e.ServiceCentre = "+79219900000";
        e.Address = r.Address;
        e.Time = {1118841630000, -180};
        e.ConcatReference = r.Wide ? 0xBEEF : 0x7A;
        e.WideReference = r.Wide;
        e.ForceUcs2 = r.Ucs2;
        for (PduKind kind : {PduKind::Deliver, PduKind::Submit}) {
            auto parts = kind == PduKind::Deliver ? EncodeDeliver(e, r.Text) : EncodeSubmit(e, r.Text);
            ASSERT_TRUE(parts);
            ASSERT_EQ(parts->size(), r.Parts);
            std::string joined;
            for (size_t i = 0; i < parts->size(); ++i) {
                auto p = DecodePdu((*parts)[i]);
                ASSERT_TRUE(p) << (*parts)[i];
                EXPECT_EQ(p->Kind, kind);
                EXPECT_EQ(p->Address, r.Address);
                EXPECT_EQ(p->Coding, r.Coding);
                if (kind == PduKind::Deliver) EXPECT_EQ(p->Time, e.Time);
                if (r.Parts > 1)
                    EXPECT_EQ(p->Part, (Concatenation{e.ConcatReference, int(r.Parts), int(i + 1), r.Wide}));
                joined += p->Text;
            }
            EXPECT_EQ(joined, r.Text);
        }
    }
}

TEST(PduEncoder, ValidityForms) {
    Envelope e;
    e.Address = "+79161234567";
    const Validity forms[] = {
        {Validity::None, 0, {}, {}},
        {Validity::Relative, 5, {}, {}},
        {Validity::Relative, 750, {}, {}},
        {Validity::Relative, 3 * 24 * 60, {}, {}},
        {Validity::Relative, 63 * 7 * 24 * 60, {}, {}},
        {Validity::Absolute, 0, {1109721600000, -45}, {}},
        {Validity::Enhanced, 0, {}, std::string("\x01\x02\x03\x04\x05\x06\x07", 7)},
    };
    for (const Validity& v : forms) {
        e.Valid = v;
        auto p = DecodePdu(EncodeSubmit(e, "x").value().at(0));
        ASSERT_TRUE(p);
        EXPECT_EQ(p->Valid, v) << v.Minutes;
    }
}

TEST(PduEncoder, StatusReportsAndLimits) {
    Envelope e;
    e.Address = "+79161234567";
    e.MessageReference = 200;
    e.Time = {1109667600000, 180};
    for (int status : {0x00, 0x20, 0x41}) {
        auto p = DecodePdu(EncodeStatusReport(e, status, {1109667605000, 180}).value());
        ASSERT_TRUE(p);
        EXPECT_EQ(p->Kind, PduKind::StatusReport);
        EXPECT_EQ(p->MessageReference, 200);
        EXPECT_EQ(p->Status, status);
        EXPECT_EQ(p->Discharge, (SmsTime{1109667605000, 180}));
    }
    EXPECT_EQ(OutcomeOf(0x20), ReportOutcome::Pending);
    EXPECT_EQ(OutcomeOf(0x41), ReportOutcome::Failed);
    // 255 parts at most; a PDU asked to carry more than one message's room, or a letter the
    // alphabet lacks as 7-bit, is refused, never cut or replaced.
    EXPECT_TRUE(EncodeSubmit(e, std::string(153 * 255, 'a')));
    auto tooLong = EncodeSubmit(e, std::string(153 * 255 + 1, 'a'));
    ASSERT_FALSE(tooLong);
    EXPECT_EQ(tooLong.error(), (Failure{kErrLocalData, Msg(506)}));
    SmsPdu big;
    big.Text = std::string(161, 'a');
    EXPECT_EQ(EncodePdu(big).error().Text, Msg(506));
    big.Text = "Ж";
    EXPECT_EQ(EncodePdu(big).error().Text, Msg(518));
}
