// EMS pictures as they come from the phone: decoding, and a decoded frame encoded again
// must decode to the same picture.
#include "fuzz/FuzzCheck.h"
#include "media/EmsPicture.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const q7k3::ByteView in(data, size);
    (void)q7k3::EmsPictureTitle(in);
    const QImage img = q7k3::DecodeEmsPicture(in);
    if (img.isNull()) return 0;
    q7k3::Bytes again;
    if (q7k3::EncodeEmsPicture({img}, q7k3::EmsPictureTitle(in), in[21], again))
        FUZZ_CHECK(q7k3::DecodeEmsPicture(again) == img);
    return 0;
}
