// EMS melodies from the phone: the stored text never reaches past the file.
#include "fuzz/FuzzCheck.h"
#include "media/EmsMelody.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const q7k3::ByteView in(data, size);
    (void)q7k3::EmsMelodyTitle(in);
    std::string text;
    if (!q7k3::DecodeEmsMelody(in, text)) return 0;
    FUZZ_CHECK(text.size() + q7k3::kEmsMelodyHeaderSize <= size);
    std::string body;
    (void)q7k3::ImelodyBody(text, body);
    return 0;
}
