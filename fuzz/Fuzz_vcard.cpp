// .vcf files from the computer: every card read, and what was read written and read again.
#include "fuzz/FuzzCheck.h"
#include "pim/VCard.h"

#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace q7k3::pim;
    const VCardImport first = ImportVCards(std::string_view(reinterpret_cast<const char*>(data), size));
    for (const Contact& c : first.Contacts) FUZZ_CHECK(!c.Number.empty());
    const VCardImport again = ImportVCards(ExportVCards(first.Contacts));
    FUZZ_CHECK(again.Contacts.size() == first.Contacts.size());
    FUZZ_CHECK(again.Skipped.empty());
    return 0;
}
