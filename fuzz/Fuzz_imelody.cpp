// iMelody texts from the computer: the six lines, and the EMS melody made of them.
#include "fuzz/FuzzCheck.h"
#include "media/EmsMelody.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    q7k3::Bytes ems;
    const std::string title(text.substr(0, std::min<size_t>(size, 40)));
    if (!q7k3::EncodeEmsMelody(text, title, 3, ems)) return 0;
    std::string body, stored;
    FUZZ_CHECK(q7k3::ImelodyBody(text, body));
    FUZZ_CHECK(q7k3::DecodeEmsMelody(ems, stored) && stored == body);
    FUZZ_CHECK(q7k3::EmsMelodyTitle(ems).size() <= q7k3::kEmsMelodyTitleBytes);
    return 0;
}
