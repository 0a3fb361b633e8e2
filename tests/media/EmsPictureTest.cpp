#include "media/EmsPicture.h"

#include "media/MediaTestSupport.h"
#include "media/Picture.h"

using namespace q7k3;
using namespace q7k3::test;

namespace {

using EmsPictureTest = ScratchDir;

Bytes Encode(const std::vector<QImage>& frames, const std::string& title = "t", uint8_t slot = 0) {
    Bytes out;
    EXPECT_TRUE(EncodeEmsPicture(frames, title, slot, out));
    return out;
}

TEST_F(EmsPictureTest, HeaderFieldsOfAStillPicture) {
    Solid(72, 14, qRgb(255, 255, 255)).save(QString::fromStdString(Path("Sunset picture.bmp")));
    ASSERT_TRUE(ConvertBMPtoEMS(Path("Sunset picture.bmp"), Path("out.ems"), 7));
    const Bytes ems = ReadAll(Path("out.ems"));
    ASSERT_EQ(ems.size(), 192u);
    const Bytes header(ems.begin(), ems.begin() + 22);
    EXPECT_EQ(header, (Bytes{0, 28, 0,    57,   0,    72,   0,    14, 0, 144, 1,
                             1, 1,  0x45, 0xA1, 0xBC, 0xFF, 0xFF, 0,  0, 0,   7}));
    EXPECT_EQ(std::string(ems.begin() + 22, ems.begin() + 36), "Sunset picture");
    EXPECT_EQ(ems[36], 0);

    const Bytes big = Encode({Solid(130, 100, 0)});
    EXPECT_EQ(big[1], 0);
    EXPECT_EQ(big[3], 16);
}

Bytes Pages(const Bytes& ems) {
    return Bytes(ems.begin() + 48, ems.end());
}

TEST_F(EmsPictureTest, PagesHoldOneByteAColumnWithTheTopRowInBitZero) {
    EXPECT_EQ(Pages(Encode({Solid(8, 8, qRgb(0, 0, 0))})), Bytes(8, 0xFF));
    EXPECT_EQ(Pages(Encode({Solid(8, 8, qRgb(255, 255, 255))})), Bytes(8, 0x00));
    QImage top = Solid(8, 8, qRgb(255, 255, 255));
    for (int x = 0; x < 8; ++x) top.setPixel(x, 0, qRgb(0, 0, 0));
    EXPECT_EQ(Pages(Encode({top})), Bytes(8, 0x01));
    // Any channel at 128 or more is light; the padding below and right is light too.
    EXPECT_TRUE(IsLight(qRgb(0, 128, 0)));
    EXPECT_FALSE(IsLight(qRgb(127, 127, 127)));
    EXPECT_EQ(Pages(Encode({Solid(3, 3, qRgb(127, 0, 127))})), (Bytes{7, 7, 7, 0, 0, 0, 0, 0}));
}

TEST_F(EmsPictureTest, AnimationsStackTheirFramesInPages) {
    // Three 16 x 16 frames: 0x01F4, 3 frames, 16 x 48 bits; frame 1 (black) starts at page 2.
    const Bytes anim = Encode(
        {Solid(16, 16, qRgb(255, 255, 255)), Solid(16, 16, 0), Solid(16, 16, qRgb(255, 255, 255))});
    EXPECT_EQ(Bytes(anim.begin() + 16, anim.begin() + 19), (Bytes{0x01, 0xF4, 0x03}));
    EXPECT_EQ(media::ReadBe16(anim, 8), 96);
    ASSERT_EQ(anim.size(), 48u + 96u);
    EXPECT_EQ(anim[48 + 2 * 16 - 1], 0x00);
    EXPECT_EQ(anim[48 + 2 * 16], 0xFF);
    EXPECT_EQ(anim[48 + 4 * 16], 0x00);

    // Two 10 x 12 frames are stored 16 wide and 32 high; frame 1 starts at row 16.
    const Bytes two = Encode({Solid(10, 12, qRgb(255, 255, 255)), Solid(10, 12, 0)});
    EXPECT_EQ(media::ReadBe16(two, 8), 16 * 32 / 8);
    EXPECT_EQ(two[48 + 2 * 16 + 0], 0xFF);   // page 2, rows 16..23
    EXPECT_EQ(two[48 + 3 * 16 + 0], 0x0F);   // page 3: rows 24..27 of the 12-row frame
    EXPECT_EQ(two[48 + 2 * 16 + 10], 0x00);  // column 10 is padding
    // Reading gives back the first frame only.
    const QImage first = DecodeEmsPicture(two);
    EXPECT_EQ(first.size(), QSize(10, 12));
    EXPECT_EQ(first.pixel(0, 0), qRgb(255, 255, 255));
}

TEST_F(EmsPictureTest, TitlesAreCutOnACharacterBoundary) {
    const std::string name = "Закат над морем.bmp";  // 28 bytes of title in UTF-8
    Solid(8, 8, 0).save(QString::fromStdString(Path(name)));
    ASSERT_TRUE(ConvertBMPtoEMS(Path(name), Path("o.ems"), 0));
    EXPECT_EQ(EmsPictureTitle(ReadAll(Path("o.ems"))), "Закат над мор");  // 24 bytes
}

TEST_F(EmsPictureTest, ToTheComputerTheFileIsNamedFromItsTitleOrSource) {
    struct Row {
        std::string title, sourceName, expected;
    };
    const Row rows[] = {
        {"Smile", "image03.ani", "Smile.bmp"},
        {"", "image03.ani", "image03.ani.bmp"},
        {"pic.BMP", "image00.ani", "pic.BMP"},
        {"a/../../b", "image00.ani", "a_.._.._b.bmp"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.expected);
        WriteAll(Path(row.sourceName), Encode({Solid(8, 8, 0)}, row.title));
        const auto r = ConvertEMStoBMP(Path(row.sourceName), "", Folder());
        ASSERT_TRUE(r.Ok) << r.Text();
        EXPECT_EQ(r.Output, Path(row.expected));
        EXPECT_EQ(LoadPicture(r.Output).size(), QSize(8, 8));
    }
}

TEST_F(EmsPictureTest, PicturesTooLargeOrDamagedAreRefused) {
    Bytes out;
    EXPECT_FALSE(EncodeEmsPicture({Solid(512, 1030, 0)}, "", 0, out));  // 65,920 bytes of data
    EXPECT_TRUE(EncodeEmsPicture({Solid(512, 1016, 0)}, "", 0, out));   // 65,024
    EXPECT_FALSE(EncodeEmsPicture(std::vector<QImage>(256, Solid(8, 8, 0)), "", 0, out));

    const Bytes good = Encode({Solid(16, 16, 0)});
    EXPECT_TRUE(DecodeEmsPicture(ByteView(good).first(good.size() - 1)).isNull());
    EXPECT_TRUE(DecodeEmsPicture(ByteView(good).first(47)).isNull());
    // An animation cut after its first frame is not read as a still picture.
    const Bytes anim = Encode({Solid(16, 16, 0), Solid(16, 16, 0)});
    EXPECT_TRUE(DecodeEmsPicture(ByteView(anim).first(48 + 32)).isNull());
    Bytes zeroWidth = good;
    zeroWidth[5] = 0;
    EXPECT_TRUE(DecodeEmsPicture(zeroWidth).isNull());
    WriteAll(Path("bad.ani"), Bytes(good.begin(), good.end() - 1));
    EXPECT_EQ(ConvertEMStoBMP(Path("bad.ani"), Path("bad.bmp")).Text(), "Файл BMP не опознан");
    EXPECT_FALSE(Exists(Path("bad.bmp")));
}

TEST_F(EmsPictureTest, RealGifAnimationsKeepEveryFrame) {
    REQUIRE_IMAGEMAGICK();
    ASSERT_TRUE(MagickMake("-delay 20 -size 16x16 xc:white xc:black xc:white", Path("anim.gif")));
    ASSERT_TRUE(ConvertBMPtoEMS(Path("anim.gif"), Path("anim.ems"), 2));
    const Bytes ems = ReadAll(Path("anim.ems"));
    EXPECT_EQ(Bytes(ems.begin() + 16, ems.begin() + 19), (Bytes{0x01, 0xF4, 0x03}));
    EXPECT_EQ(ems[48 + 2 * 16], 0xFF);
    EXPECT_EQ(EmsPictureTitle(ems), "anim");

    // An optimised animation stores frames 1 and 2 as 4 x 4 patches; the phone still gets
    // whole frames, the same as from the plain file.
    const std::string frames =
        "-delay 10 -size 16x16 xc:white \\( xc:white -fill black -draw 'rectangle 8,8 11,11' "
        "\\) \\( +clone -fill black -draw 'rectangle 0,0 3,3' \\)";
    ASSERT_TRUE(MagickMake(frames + " -layers Optimize", Path("opt.gif")));
    ASSERT_TRUE(MagickMake(frames, Path("plain.gif")));
    ASSERT_TRUE(ConvertBMPtoEMS(Path("opt.gif"), Path("opt.ems"), 0));
    ASSERT_TRUE(ConvertBMPtoEMS(Path("plain.gif"), Path("plain.ems"), 0));
    const Bytes opt = ReadAll(Path("opt.ems"));
    EXPECT_EQ(Pages(opt), Pages(ReadAll(Path("plain.ems"))));
    EXPECT_EQ(opt[48 + 3 * 16 + 8], 0x0F);  // frame 1, page 3: rows 8..11 of column 8

    ASSERT_TRUE(MagickMake("-size 20x10 xc:black", Path("still.gif")));
    ASSERT_TRUE(ConvertBMPtoEMS(Path("still.gif"), Path("still.ems"), 0));
    const Bytes still = ReadAll(Path("still.ems"));
    EXPECT_EQ(media::ReadBe16(still, 16), 0xFFFF);
    EXPECT_EQ(still[18], 0);
    EXPECT_EQ(media::ReadBe16(still, 4), 20);
}

}  // namespace
