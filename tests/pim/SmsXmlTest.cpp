#include "pim/SmsBackupXml.h"

#include <gtest/gtest.h>

#include "pim/Conversation.h"
#include "pim/PduEncoder.h"
#include "base/Messages.h"

using namespace q7k3;
using namespace q7k3::pim;

namespace {

std::vector<StoredPdu> Stored() {
    Envelope in;
    in.ServiceCentre = "+79219900000";
    in.Address = "+79161234567";
    in.Time = {1118841630000, 180};  // 2005-06-15 13:20:30 at UTC+3
    Envelope out;
    out.Address = "+79161234567";
    return {
        {"ME", 1, MessageStat::Unread, EncodeDeliver(in, "Tom & \"Jerry\"\n<ok>").value()[0]},
        {"ME", 2, MessageStat::Sent, EncodeSubmit(out, "Да").value()[0]},
        {"SM", 3, MessageStat::Unsent, EncodeSubmit(out, "draft").value()[0]},
        {"SR", 1, MessageStat::Read, EncodeStatusReport(in, 0, in.Time).value()},
        {"ME", 4, MessageStat::Read, "00"},
    };
}

}  // namespace

TEST(SmsXml, WritesWhatBackupAppsImport) {
    const SmsXml x = WriteSmsBackupXml(JoinMessages(Stored()), 1200000000000, {{"+79161234567", "Мама"}});
    EXPECT_EQ(x.Written, 3);
    EXPECT_EQ(x.LeftOut, 2);
    EXPECT_EQ(x.Xml,
              "<?xml version='1.0' encoding='UTF-8' standalone='yes' ?>\n<smses count=\"3\">\n"
              "  <sms protocol=\"0\" address=\"+79161234567\" date=\"1118841630000\" type=\"1\" subject=\"null\" "
              "body=\"Tom &amp; &quot;Jerry&quot;&#10;&lt;ok&gt;\" toa=\"null\" sc_toa=\"null\" "
              "service_center=\"+79219900000\" read=\"0\" status=\"-1\" locked=\"0\" date_sent=\"1118841630000\" "
              "readable_date=\"2005-06-15 16:20:30\" contact_name=\"Мама\" />\n"
              "  <sms protocol=\"0\" address=\"+79161234567\" date=\"1200000000000\" type=\"2\" subject=\"null\" "
              "body=\"Да\" toa=\"null\" sc_toa=\"null\" service_center=\"null\" read=\"1\" status=\"-1\" "
              "locked=\"0\" date_sent=\"0\" readable_date=\"2008-01-10 21:20:00\" contact_name=\"Мама\" />\n"
              "  <sms protocol=\"0\" address=\"+79161234567\" date=\"1200000000000\" type=\"3\" subject=\"null\" "
              "body=\"draft\" toa=\"null\" sc_toa=\"null\" service_center=\"null\" read=\"1\" status=\"-1\" "
              "locked=\"0\" date_sent=\"0\" readable_date=\"2008-01-10 21:20:00\" contact_name=\"Мама\" />\n"
              "</smses>\n");
    EXPECT_EQ(XmlAttribute("a\x01\tb'\xEF\xBF\xBF"), "a\uFFFD&#9;b&apos;\uFFFD");
}

TEST(SmsXml, ConversationsAndFileNames) {
    struct {
        const char* Address;
        const char* File;
    } names[] = {{"+79161234567", "+79161234567.txt"}, {"a/b:c*?", "a_b_c__.txt"}, {"..", "unknown.txt"},
                 {"", "unknown.txt"}, {"Банк", "Банк.txt"}, {"x\ny", "x_y.txt"}};
    for (const auto& n : names) EXPECT_EQ(ConversationFileName(n.Address), n.File) << n.Address;

    const auto c = Conversations(JoinMessages(Stored()));
    ASSERT_EQ(c.size(), 2u);
    EXPECT_EQ(c.at("+79161234567.txt"),
              "2005-06-15 16:20:30  <<  Tom & \"Jerry\"\n"
              "                         <ok>\n"
              "2005-06-15 16:20:30  <<  " + Msg(508) + "\n"
              "-------------------  >>  Да\n"
              "-------------------  >>  draft\n");
    EXPECT_EQ(c.at("unknown.txt"), "-------------------  <<  [" + Msg(509) + Msg(500) + "]\n");
}

TEST(SmsXml, RawPduFileRoundTripsAndRefusesBrokenLines) {
    const auto pdus = Stored();
    const std::string file = WriteRawPdus(pdus);
    EXPECT_EQ(ReadRawPdus(file).value(), pdus);
    // A message read in text mode has no PDU of the phone's: counted, not written.
    auto withText = pdus;
    withText.push_back({"ME", 40, MessageStat::Read, pdus.front().Hex, true});
    const std::string noted = WriteRawPdus(withText);
    EXPECT_NE(noted.find("# 1 messages came in text mode"), std::string::npos);
    EXPECT_EQ(ReadRawPdus(noted).value(), pdus);
    EXPECT_EQ(ReadRawPdus("\r\n# note\r\nME 1 0 00\r\n")->size(), 1u);
    for (const char* bad : {"ME 1 0", "ME x 0 00", "ME 1 4 00", "ME 1 0 0", "ME 1 0 0G", "M-E 1 0 00", "ME -1 0 00",
                            "ME  1 0 00"}) {
        auto r = ReadRawPdus(std::string("# store index stat pdu\n") + bad + "\n");
        ASSERT_FALSE(r) << bad;
        EXPECT_EQ(r.error(), (Failure{kErrLocalData, Msg(514) + "2"})) << bad;
    }
}
