// Truncated, flipped and random bytes for every decoder: the failure result where the
// format can tell, and never a crash (run under AddressSanitizer as well).

#include <QBuffer>
#include <random>

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
    bool truncationDetected;  // every cut short of the whole file fails
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
         Encoded(Pattern(33, 17), "JPG"), true},
        {"bmp", [](ByteView d) { return !DecodeBmp(d).isNull(); }, Encoded(Pattern(33, 17), "BMP"),
         true},
        {"gif",
         [](ByteView d) {
             GifPicture g;
             return DecodeGif(d, g);
         },
         kTinyGif, true},
        {"ems picture", [](ByteView d) { return !DecodeEmsPicture(d).isNull(); },
         Bytes(emsPicture.begin(), emsPicture.begin() + 48 + 24 * 16 / 8), true},
        {"ems melody",
         [](ByteView d) {
             std::string t;
             return DecodeEmsMelody(d, t);
         },
         emsMelody, true},
        {"imelody",
         [](ByteView d) {
             std::string b;
             return ImelodyBody(std::string_view(reinterpret_cast<const char*>(d.data()), d.size()),
                                b);
         },
         Bytes(emsMelody.begin() + 40, emsMelody.end()), false},
        {"jar",
         [](ByteView d) {
             std::string m;
             return ManifestFromJar(d, m);
         },
         jar, true},
        {"ani", [](ByteView d) { return !DecodeAni(d, 128).isNull(); }, Bytes(256 * 3, 0x5A),
         false},
    };
}

TEST(BrokenInputTest, TruncatedFilesAreRefused) {
    for (const Decoder& dec : Decoders()) {
        SCOPED_TRACE(dec.name);
        ASSERT_TRUE(dec.decodes(dec.valid));
        const size_t n = dec.valid.size();
        for (size_t cut : {size_t{0}, size_t{1}, size_t{10}, n / 3, n / 2, n - 2, n - 1}) {
            if (cut >= n) continue;
            const bool ok = dec.decodes(ByteView(dec.valid).first(cut));
            if (dec.truncationDetected) EXPECT_FALSE(ok) << "cut at " << cut;
        }
    }
}

TEST(BrokenInputTest, FlippedAndRandomBytesNeverCrash) {
    std::mt19937 rng(1977);
    for (const Decoder& dec : Decoders()) {
        SCOPED_TRACE(dec.name);
        for (int round = 0; round < 300; ++round) {
            Bytes b = dec.valid;
            const int flips = 1 + round % 8;
            for (int i = 0; i < flips; ++i)
                b[rng() % b.size()] ^= static_cast<uint8_t>(1u << (rng() % 8));
            (void)dec.decodes(b);
        }
        for (int round = 0; round < 50; ++round) {
            Bytes b(rng() % 2048);
            for (auto& x : b) x = static_cast<uint8_t>(rng());
            // Keep the magic so that the decoder gets past its first check.
            for (size_t i = 0; i < 4 && i < b.size() && i < dec.valid.size(); ++i)
                b[i] = dec.valid[i];
            (void)dec.decodes(b);
        }
    }
}

TEST(BrokenInputTest, ConvertersRefuseGarbageFiles) {
    QTemporaryDir dir;
    const std::string folder = dir.path().toStdString();
    const std::string garbage = folder + "/garbage";
    WriteAll(garbage, std::string("\x01\x02\xFF\xFF garbage"));
    for (const char* ext : {".bmp", ".gif", ".jpg"}) {
        WriteAll(garbage + ext, std::string("\x01\x02\xFF\xFF garbage"));
        EXPECT_FALSE(ConvertBMPtoEMS(garbage + ext, folder + "/o.ani", 0)) << ext;
        EXPECT_FALSE(ConvertPictureToANI(garbage + ext, folder + "/o.ani")) << ext;
    }
    EXPECT_FALSE(ConvertEMStoBMP(garbage, "", folder));
    EXPECT_FALSE(ConvertEMStoIMY(garbage, "", folder));
    EXPECT_FALSE(ConvertIMYtoEMS(garbage, folder + "/o.mel", 0));
    EXPECT_FALSE(ConvertMELtoMMF(garbage, folder + "/o.mmf", true));
    EXPECT_FALSE(CreateJadFromManifest(garbage, folder + "/o.jad"));
    // A folder is not a source file.
    EXPECT_FALSE(ConvertMMFtoMEL(folder, folder + "/o.mel"));
    EXPECT_FALSE(Exists(folder + "/o.ani"));
    EXPECT_FALSE(Exists(folder + "/o.mel"));
}

}  // namespace
