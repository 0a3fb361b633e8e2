// .bmp pictures from the computer, through the loader's decoder for them.
#include "fuzz/FuzzCheck.h"
#include "media/Picture.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Smaller bounds than the program's keep each run quick; the checks are the same.
    q7k3::PictureLimits limits;
    limits.MaxPixels = 1 << 22;
    limits.MaxTotalPixels = 1 << 23;
    const QImage img = q7k3::DecodePicture(q7k3::ByteView(data, size), ".bmp", limits);
    if (!img.isNull()) FUZZ_CHECK(img.format() == QImage::Format_RGB32 && img.width() > 0);
    return 0;
}
