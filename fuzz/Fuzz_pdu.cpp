// Stored messages from the phone: each PDU decoded, then all of them joined. Input: PDUs as
// raw octets separated by 0xFF 0xFF (turned into the hex the phone sends).
#include "fuzz/FuzzCheck.h"
#include "pim/GsmAlphabet.h"
#include "pim/MessageJoin.h"

#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace q7k3::pim;
    const std::string_view in(reinterpret_cast<const char*>(data), size);
    std::vector<StoredPdu> pdus;
    for (size_t start = 0; start <= in.size();) {
        size_t end = in.find("\xFF\xFF", start);
        if (end == std::string_view::npos) end = in.size();
        pdus.push_back({"ME", int(pdus.size()) + 1, MessageStat::Read, ToHex(in.substr(start, end - start))});
        (void)DecodePdu(pdus.back().Hex, pdus.size() % 2 == 0);
        start = end + 2;
    }
    // Every PDU ends up in exactly one message; every text is UTF-8.
    size_t raw = 0;
    for (const SmsMessage& m : JoinMessages(pdus)) {
        raw += m.Raw.size();
        int bad = 0;
        DecodeUtf8(m.Text, &bad);
        FUZZ_CHECK(bad == 0);
        FUZZ_CHECK(m.Raw.size() + m.Missing.size() == size_t(m.Total));
    }
    FUZZ_CHECK(raw == pdus.size());
    return 0;
}
