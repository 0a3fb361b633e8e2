#include "pim/phone/PimPhone.h"

namespace q7k3::pim {

namespace {
Unexpected NotYet() { return Fail(kErrText, "not yet"); }
}  // namespace

Expected<PimCharset> OpenPim(AtChannel&) { return NotYet(); }
Status ClosePim(AtChannel&, const PimCharset&) { return {}; }

PimScope::PimScope(AtChannel& ch) : m_ch(ch) {
    auto opened = OpenPim(ch);
    if (opened) {
        m_charset = *opened;
        m_open = true;
    } else {
        m_opened = Fail(opened.error());
    }
}
PimScope::~PimScope() { (void)Close(); }
Status PimScope::Close() {
    if (!m_open) return {};
    m_open = false;
    return ClosePim(m_ch, m_charset);
}

Expected<std::vector<PhonebookStore>> PhonebookStores(AtChannel&, const PimCharset&) { return NotYet(); }
Expected<PhonebookStore> SelectPhonebook(AtChannel&, const PimCharset&, const std::string&) { return NotYet(); }
Expected<std::vector<Contact>> ReadContacts(AtChannel&, const PimCharset&, const std::string&,
                                            const PimProgress&, const ReadOptions&) { return NotYet(); }
Expected<int> WriteContact(AtChannel&, const PimCharset&, const Contact&) { return NotYet(); }
Status EraseContact(AtChannel&, const PimCharset&, const std::string&, int) { return NotYet(); }
Expected<std::vector<MessageStore>> MessageStores(AtChannel&, const PimCharset&) { return NotYet(); }
Expected<std::vector<StoredPdu>> ReadMessages(AtChannel&, const PimCharset&, const std::string&,
                                              const PimProgress&, const ReadOptions&) { return NotYet(); }
Expected<StoredPdu> ReadMessage(AtChannel&, const PimCharset&, const std::string&, int) { return NotYet(); }
Status EraseMessage(AtChannel&, const PimCharset&, const std::string&, int) { return NotYet(); }
int NameLimit(const PhonebookStore& store) { return store.NameLength; }

}  // namespace q7k3::pim
