// Files cut short, for every decoder whose format can tell: the failure result, never a
// picture or text made of what happened to be there. (Random and mutated bytes are the
// fuzz targets' part.)

#include <QBuffer>

#include "media/Ani.h"
#include "media/EmsMelody.h"
#include "media/EmsPicture.h"
#include "media/Jad.h"
#include "media/MediaTestSupport.h"
#include "media/Melody.h"
#include "media/Picture.h"

using namespace q7k3;
using namespace q7k3::test;

namespace {

const Bytes kTinyGif = {0x47, 0x49, 0x46, 0x38, 0x39, 0x61, 0x01, 0x00, 0x01, 0x00, 0x80,
                        0x00, 0x00, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x21, 0xF9, 0x04,
                        0x01, 0x00, 0x00, 0x00, 0x00, 0x2C, 0x00, 0x00, 0x00, 0x00, 0x01,
                        0x00, 0x01, 0x00, 0x00, 0x02, 0x02, 0x44, 0x01, 0x00, 0x3B};

Bytes Encoded(const QImage& img, const char* format) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    img.save(&buffer, format);
    return Bytes(bytes.begin(), bytes.end());
}

QImage Pattern(int w, int h) {
    QImage img(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) img.setPixel(x, y, qRgb(x * 7, y * 13, (x ^ y) * 5));
    return img;
}

// Every decoder, as "does this input decode?".
struct Decoder {
    const char* name;
    std::function<bool(ByteView)> decodes;
    Bytes valid;
};

std::vector<Decoder> Decoders() {
    Bytes emsPicture, emsMelody;
    EncodeEmsPicture({Pattern(20, 12), Pattern(20, 12)}, "Кадр", 1, emsPicture);
    EncodeEmsMelody(
        "BEGIN:IMELODY\r\nVERSION:1.2\r\nFORMAT:CLASS1.0\r\nBEAT:120\r\n"
        "MELODY:c2d2\r\nEND:IMELODY\r\n",
        "T", 0, emsMelody);
    const Bytes jar = ReadAll(kDataDir + "/OpenTTY-1.2.jar");
    return {
        {"jpeg", [](ByteView d) { return !DecodeJpeg(d).isNull(); },
         Encoded(Pattern(33, 17), "JPG")},
        {"bmp", [](ByteView d) { return !DecodeBmp(d).isNull(); }, Encoded(Pattern(33, 17), "BMP")},
        {"gif",
         [](ByteView d) {
             GifPicture g;
             return DecodeGif(d, g);
         },
         kTinyGif},
        {"ems picture", [](ByteView d) { return !DecodeEmsPicture(d).isNull(); }, emsPicture},
        {"ems melody",
         [](ByteView d) {
             std::string t;
             return DecodeEmsMelody(d, t);
         },
         emsMelody},
        {"jar",
         [](ByteView d) {
             std::string m;
             return ManifestFromJar(d, m);
         },
         jar},
    };
}

TEST(BrokenInputTest, TruncatedFilesAreRefused) {
    for (const Decoder& dec : Decoders()) {
        SCOPED_TRACE(dec.name);
        ASSERT_TRUE(dec.decodes(dec.valid));
        const size_t n = dec.valid.size();
        for (size_t cut : {size_t{0}, size_t{1}, size_t{10}, n / 3, n / 2, n - 2, n - 1}) {
            if (cut >= n) continue;
            EXPECT_FALSE(dec.decodes(ByteView(dec.valid).first(cut))) << "cut at " << cut;
        }
    }
}

}  // namespace
