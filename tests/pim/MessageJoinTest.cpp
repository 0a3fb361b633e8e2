#include "pim/MessageJoin.h"

#include <gtest/gtest.h>

#include "pim/PduEncoder.h"
#include "base/Messages.h"

using namespace q7k3;
using namespace q7k3::pim;

namespace {

// The parts of `text` from `address` with concatenation reference `ref`.
std::vector<std::string> Parts(const std::string& address, const std::string& text, int ref, std::int64_t t = 0) {
    Envelope e;
    e.Address = address;
    e.ConcatReference = ref;
    e.Time = {1118841630000 + t, 180};
    return EncodeDeliver(e, text).value();
}

StoredPdu Stored(const std::string& hex, int index, MessageStat stat = MessageStat::Read) {
    return {"ME", index, stat, hex};
}

}  // namespace

TEST(MessageJoin, PartsJoinedInOrderAndGapsShown) {
    const std::string a(153, 'a'), b(153, 'b'), c(10, 'c');
    const auto three = Parts("+79161234567", a + b + c, 7);
    const auto other = Parts("+79161234567", a + b + c, 7, 60000);  // the same reference again
    const auto gap = Parts("+79990000000", a + b + c, 9);
    const auto single = Parts("Bank", "Привет", 0);
    std::vector<StoredPdu> in = {
        Stored(three[2], 1), Stored(gap[0], 2), Stored(three[0], 3, MessageStat::Unread), Stored(single[0], 4),
        Stored("0004", 5), Stored(three[1], 6), Stored(other[1], 7), Stored(gap[2], 8), Stored(other[0], 9),
        Stored(other[2], 10),
    };
    const auto m = JoinMessages(in);
    ASSERT_EQ(m.size(), 5u);
    struct {
        std::string Text;
        std::vector<int> Indices, Missing;
        MessageStat Stat;
        bool Decoded;
    } want[] = {
        {a + b + c, {3, 6, 1}, {}, MessageStat::Unread, true},
        {a + kMissingPartMark + c, {2, 8}, {2}, MessageStat::Read, true},
        {"Привет", {4}, {}, MessageStat::Read, true},
        {"[" + Msg(509) + Msg(500) + "]", {5}, {}, MessageStat::Read, false},
        {a + b + c, {9, 7, 10}, {}, MessageStat::Read, true},
    };
    for (size_t i = 0; i < m.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(m[i].Text, want[i].Text);
        std::vector<int> indices;
        for (const StoredPdu& p : m[i].Raw) indices.push_back(p.Index);
        EXPECT_EQ(indices, want[i].Indices);
        EXPECT_EQ(m[i].Missing, want[i].Missing);
        EXPECT_EQ(m[i].Stat, want[i].Stat);
        EXPECT_EQ(m[i].Decoded, want[i].Decoded);
    }
    EXPECT_EQ(m[0].Total, 3);
    EXPECT_EQ(m[0].Time, (SmsTime{1118841630000, 180}));
    EXPECT_EQ(m[4].Time, (SmsTime{1118841690000, 180}));
    EXPECT_EQ(MissingPartsNote(m[1]), Msg(515) + "2");
    EXPECT_EQ(MissingPartsNote(m[0]), "");
    EXPECT_EQ(m[3].Raw[0].Hex, "0004");
    EXPECT_EQ(m[3].Problem.Text, Msg(500));
}

TEST(MessageJoin, ReportsAndDataReadAsNotes) {
    Envelope e;
    e.Address = "+79161234567";
    e.Time = {1109667600000, 180};
    SmsPdu data;
    data.Address = "123";
    data.Coding = DataCoding::Eight;
    data.Data = "\x01\x02\x03";
    const auto m = JoinMessages({Stored(EncodeStatusReport(e, 0, e.Time).value(), 1),
                                 Stored(EncodeStatusReport(e, 0x46, e.Time).value(), 2),
                                 Stored(EncodePdu(data).value(), 3)});
    ASSERT_EQ(m.size(), 3u);
    EXPECT_EQ(m[0].Kind, PduKind::StatusReport);
    EXPECT_EQ(m[0].Text, Msg(508));
    EXPECT_EQ(m[1].Text, Msg(517));
    EXPECT_EQ(m[2].Text, "[" + Msg(507) + "3]");
}
