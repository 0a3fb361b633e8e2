// .ani pictures from the phone: RGB565 words survive the trip through a bitmap unchanged.
#include <cstring>

#include "fuzz/FuzzCheck.h"
#include "media/Ani.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const q7k3::ByteView in(data, size);
    for (const int width : {q7k3::kAniWidth, q7k3::kWallpaperAniWidth, 1 + (size ? data[0] : 0)}) {
        const QImage img = q7k3::DecodeAni(in, width);
        if (img.isNull()) continue;
        const q7k3::Bytes back = q7k3::EncodeAni(img);
        FUZZ_CHECK(back.size() == static_cast<size_t>(img.height()) * width * 2);
        FUZZ_CHECK(back.size() <= size && std::memcmp(back.data(), data, back.size()) == 0);
    }
    return 0;
}
