// MEL melodies from the phone: the title block, recognition, and the title written back.
#include "fuzz/FuzzCheck.h"
#include "media/Melody.h"
#include "base/Text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const q7k3::ByteView in(data, size);
    (void)q7k3::RecogniseMelody(in);
    const std::string title = q7k3::MelTitle(in);
    const std::string name = q7k3::SafeFileName(title);
    FUZZ_CHECK(name.find('/') == std::string::npos && name != "." && name != "..");
    const q7k3::Bytes mel = q7k3::BuildMel(in, title);
    FUZZ_CHECK(mel.size() == size + q7k3::kMelTitleSize);
    return 0;
}
