#include "media/Picture.h"

#include "media/MediaTestSupport.h"

using namespace q7k3;
using namespace q7k3::test;

namespace {

using PictureTest = ScratchDir;

bool Near(QRgb a, QRgb b, int tolerance) {
    return std::abs(qRed(a) - qRed(b)) <= tolerance &&
           std::abs(qGreen(a) - qGreen(b)) <= tolerance &&
           std::abs(qBlue(a) - qBlue(b)) <= tolerance;
}

// Real files from ImageMagick: a red square beside a blue one (and a grey ramp for the
// palette files), each in one of the encodings the loader must read.
TEST_F(PictureTest, RealFilesOfEveryKindDecode) {
    REQUIRE_IMAGEMAGICK();
    const std::string pair = "-size 16x16 xc:red xc:blue";
    const std::string ramp = pair + " -size 16x16 gradient:white-black +append";
    struct Row {
        std::string args, file;
        int width, tolerance;
    };
    const Row rows[] = {
        {pair + " +append", "base.jpg", 32, 40},
        {pair + " +append -interlace Plane", "prog.jpg", 32, 40},
        {pair + " +append -colorspace CMYK", "cmyk.jpg", 32, 40},
        {pair + " +append", "still.gif", 32, 0},
        {pair + " +append -interlace GIF", "interlaced.gif", 32, 0},
        {ramp + " -type Palette -compress None BMP3:", "palette8.bmp", 48, 0},
        {ramp + " -colors 16 -type Palette BMP3:", "palette4.bmp", 48, 8},
        {ramp + " -type Palette -compress RLE BMP3:", "rle8.bmp", 48, 0},
        {pair + " +append -type Palette BMP3:", "mono.bmp", 32, 0},
        {pair + " +append -type TrueColor BMP3:", "rgb24.bmp", 32, 0},
        {pair + " +append -alpha set -type TrueColorAlpha BMP:", "rgba32.bmp", 32, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.file);
        // ImageMagick takes the BMP flavour as a prefix of the output name.
        const size_t prefix = row.args.rfind(' ');
        const std::string flavour = row.args.substr(prefix + 1);
        const bool prefixed = flavour.ends_with(":");
        const std::string args = prefixed ? row.args.substr(0, prefix) : row.args;
        const std::string out = Path(row.file);
        const std::string cmd =
            "convert " + args + " " + (prefixed ? flavour : "") + "'" + out + "'";
        ASSERT_EQ(std::system((cmd + " >/dev/null 2>&1").c_str()), 0) << cmd;
        const QImage img = LoadPicture(out);
        ASSERT_EQ(img.size(), QSize(row.width, 16));
        EXPECT_TRUE(Near(img.pixel(8, 8), qRgb(255, 0, 0), row.tolerance))
            << std::hex << img.pixel(8, 8);
        EXPECT_TRUE(Near(img.pixel(24, 8), qRgb(0, 0, 255), row.tolerance))
            << std::hex << img.pixel(24, 8);
    }
    ASSERT_TRUE(MagickMake("-size 16x16 xc:gray50 -colorspace Gray", Path("grey.jpg")));
    EXPECT_TRUE(Near(LoadPicture(Path("grey.jpg")).pixel(3, 3), qRgb(128, 128, 128), 3));
}

// 16-bit bitmaps widen each field by repeating its high bits: full fields are 255 and a
// 5-bit 16 is 0x84, in 5-5-5 and in bitmaps with their own 5-6-5 masks, top-down too.
TEST_F(PictureTest, SixteenBitFieldsAreWidenedByRepeatingTheirHighBits) {
    auto bmp = [](uint32_t compression, int height, std::vector<uint16_t> pixels) {
        const uint32_t offset = compression == 3 ? 66 : 54;
        Bytes d(offset, 0);
        auto le = [&](size_t at, uint32_t v, int n) {
            for (int i = 0; i < n; ++i) d[at + i] = static_cast<uint8_t>(v >> (8 * i));
        };
        d[0] = 'B', d[1] = 'M';
        le(10, offset, 4);
        le(14, 40, 4);
        le(18, 2, 4);
        le(22, static_cast<uint32_t>(height), 4);
        le(26, 1, 2);
        le(28, 16, 2);
        le(30, compression, 4);
        if (compression == 3) le(54, 0xF800, 4), le(58, 0x07E0, 4), le(62, 0x001F, 4);
        for (uint16_t p : pixels) d.push_back(p & 0xFF), d.push_back(p >> 8);
        return d;
    };
    // 5-5-5: white and (16, 1, 0); one row of two pixels.
    QImage img = DecodeBmp(bmp(0, 1, {0x7FFF, 0x4020}));
    ASSERT_EQ(img.size(), QSize(2, 1));
    EXPECT_EQ(img.pixel(0, 0), qRgb(255, 255, 255));
    EXPECT_EQ(img.pixel(1, 0), qRgb(0x84, 0x08, 0));
    // 5-6-5 masks, two rows stored top-down: green 63 and green 1.
    img = DecodeBmp(bmp(3, -2, {0x07E0, 0x0000, 0x0020, 0x001F}));
    ASSERT_EQ(img.size(), QSize(2, 2));
    EXPECT_EQ(img.pixel(0, 0), qRgb(0, 255, 0));
    EXPECT_EQ(img.pixel(0, 1), qRgb(0, 4, 0));
    EXPECT_EQ(img.pixel(1, 1), qRgb(0, 0, 255));

    // Every pixel as ImageMagick reads its own 16-bit bitmaps.
    REQUIRE_IMAGEMAGICK();
    for (const char* subtype : {"RGB555", "RGB565"}) {
        SCOPED_TRACE(subtype);
        const std::string file = Path(std::string(subtype) + ".bmp");
        ASSERT_TRUE(MagickMake(
            "-size 64x32 gradient:red-cyan -rotate 90 -define bmp:subtype=" + std::string(subtype),
            file));
        const std::string raw =
            "convert '" + file + "' -depth 8 'rgb:" + Path("ref.rgb") + "' >/dev/null 2>&1";
        ASSERT_EQ(std::system(raw.c_str()), 0);
        const Bytes ref = ReadAll(Path("ref.rgb"));
        const QImage ours = LoadPicture(file);
        ASSERT_EQ(ref.size(), static_cast<size_t>(ours.width() * ours.height() * 3));
        int differing = 0;
        for (int y = 0; y < ours.height(); ++y)
            for (int x = 0; x < ours.width(); ++x) {
                const size_t at = static_cast<size_t>(y * ours.width() + x) * 3;
                if (ours.pixel(x, y) != qRgb(ref[at], ref[at + 1], ref[at + 2])) ++differing;
            }
        EXPECT_EQ(differing, 0);
    }
}

TEST_F(PictureTest, GifsGiveTheFirstFrameAndTransparencyIsWhite) {
    REQUIRE_IMAGEMAGICK();
    ASSERT_TRUE(MagickMake("-delay 10 -size 8x6 xc:black xc:red xc:lime", Path("anim.gif")));
    const QImage first = LoadPicture(Path("anim.gif"));
    ASSERT_EQ(first.size(), QSize(8, 6));
    EXPECT_EQ(first.pixel(2, 2), qRgb(0, 0, 0));
    GifPicture gif;
    ASSERT_TRUE(LoadGifFile(Path("anim.gif"), gif));
    ASSERT_EQ(gif.Frames.size(), 3u);
    EXPECT_EQ(gif.Frames[2].pixel(7, 5), qRgb(0, 255, 0));

    ASSERT_TRUE(MagickMake("-size 8x8 xc:none", Path("clear.gif")));
    EXPECT_EQ(LoadPicture(Path("clear.gif")).pixel(4, 4), qRgb(255, 255, 255));
}

TEST_F(PictureTest, TheExtensionChoosesTheDecoder) {
    QImage img = Solid(5, 4, qRgb(10, 20, 30));
    img.save(QString::fromStdString(Path("photo.JPG")), "JPG");
    img.save(QString::fromStdString(Path("photo.jpeg")), "JPG");
    img.save(QString::fromStdString(Path("photo.Bmp")), "BMP");
    img.save(QString::fromStdString(Path("photo.png")), "PNG");
    img.save(QString::fromStdString(Path("photo")), "BMP");
    EXPECT_EQ(LoadPicture(Path("photo.JPG")).width(), 5);
    EXPECT_EQ(LoadPicture(Path("photo.Bmp")).pixel(1, 1), qRgb(10, 20, 30));
    for (const char* name : {"photo.jpeg", "photo.png", "photo", "missing.bmp"})
        EXPECT_EQ(LoadPicture(Path(name)).width(), 0) << name;
    // A BMP behind a .jpg name is not a JPEG.
    img.save(QString::fromStdString(Path("liar.jpg")), "BMP");
    EXPECT_TRUE(LoadPicture(Path("liar.jpg")).isNull());
}

TEST_F(PictureTest, HeadersClaimingHugePicturesAreRefusedBeforeDecoding) {
    PictureLimits small;
    small.MaxPixels = 1000;
    small.MaxTotalPixels = 2000;
    const QImage img = Solid(40, 30, qRgb(1, 2, 3));  // 1,200 pixels
    for (const char* ext : {".bmp", ".jpg"}) {
        const std::string path = Path(std::string("big") + ext);
        img.save(QString::fromStdString(path), ext[1] == 'b' ? "BMP" : "JPG");
        QImage out;
        LoadPicture(path, out, small);
        EXPECT_TRUE(out.isNull()) << ext;
        LoadPicture(path, out);
        EXPECT_EQ(out.width(), 40) << ext;
    }
    PictureLimits tinyFiles;
    tinyFiles.MaxFileBytes = 100;
    QImage out;
    LoadPicture(Path("big.bmp"), out, tinyFiles);
    EXPECT_TRUE(out.isNull());
}

}  // namespace
