#include "media/Ani.h"

#include "media/MediaTestSupport.h"
#include "media/Picture.h"

using namespace q7k3;
using namespace q7k3::test;

namespace {

using AniTest = ScratchDir;

TEST_F(AniTest, HeightFollowsTheFileSizeAndTheWallpaperIsNarrower) {
    struct Row {
        size_t bytes;
        std::string phoneName;
        int width, height;
        std::string bmpName;
    };
    const Row rows[] = {
        {32768, "picture.ani", 128, 128, "picture.bmp"},
        {32770, "picture.ani", 128, 128, "picture.bmp"},
        {25200, "wpaper.ani", 126, 100, "wpaper.bmp"},
        {256, "x.ani", 128, 1, "x.bmp"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.bytes);
        WriteAll(Path("phone.tmp"), std::string(row.bytes, '\0'));
        const auto r = ConvertANItoBMP(Path("phone.tmp"), Path(row.phoneName));
        ASSERT_TRUE(r.Ok) << r.Text();
        EXPECT_EQ(r.Output, Path(row.bmpName));
        const QImage img = LoadPicture(r.Output);
        EXPECT_EQ(img.width(), row.width);
        EXPECT_EQ(img.height(), row.height);
    }
    // Shorter than one row there is no picture to save; a huge file is not read.
    WriteAll(Path("phone.tmp"), std::string(255, '\0'));
    EXPECT_FALSE(ConvertANItoBMP(Path("phone.tmp"), Path("tiny.ani")));
    WriteAll(Path("phone.tmp"), std::string(650001, '\0'));
    EXPECT_EQ(ConvertANItoBMP(Path("phone.tmp"), Path("big.ani")).Message, 9);
}

TEST_F(AniTest, ColoursKeepTheTopBitsWithoutReplication) {
    EXPECT_EQ(AniWordToColor(0xFFFF), qRgb(0xF8, 0xFC, 0xF8));
    EXPECT_EQ(AniWordToColor(0x0000), qRgb(0, 0, 0));
    EXPECT_EQ(AniWordToColor(0xF800), qRgb(0xF8, 0, 0));
    EXPECT_EQ(AniWordToColor(0x07E0), qRgb(0, 0xFC, 0));
    EXPECT_EQ(AniWordToColor(0x001F), qRgb(0, 0, 0xF8));
    EXPECT_EQ(ColorToAniWord(qRgb(255, 255, 255)), 0xFFFF);
    EXPECT_EQ(ColorToAniWord(qRgb(0x07, 0x03, 0x07)), 0x0000);
    for (uint32_t v = 0; v <= 0xFFFF; ++v)
        ASSERT_EQ(ColorToAniWord(AniWordToColor(static_cast<uint16_t>(v))), v);
}

TEST_F(AniTest, PicturesBecomeLittleEndianRowsFromTheTop) {
    QImage img = Solid(100, 80, qRgb(0, 0, 0));
    img.setPixel(0, 0, qRgb(255, 0, 0));    // 0xF800
    img.setPixel(99, 79, qRgb(0, 0, 255));  // 0x001F, the last word
    img.save(QString::fromStdString(Path("photo.bmp")), "BMP");
    const auto r = ConvertPictureToANI(Path("photo.bmp"), Path("photo.ani"));
    ASSERT_TRUE(r.Ok) << r.Text();
    const Bytes ani = ReadAll(Path("photo.ani"));
    ASSERT_EQ(ani.size(), 16000u);
    EXPECT_EQ(ani[0], 0x00);
    EXPECT_EQ(ani[1], 0xF8);
    EXPECT_EQ(ani[2], 0x00);
    EXPECT_EQ(ani[15998], 0x1F);
    EXPECT_EQ(ani[15999], 0x00);

    Solid(129, 10, qRgb(1, 2, 3)).save(QString::fromStdString(Path("wide.bmp")), "BMP");
    EXPECT_EQ(ConvertPictureToANI(Path("wide.bmp"), Path("wide.ani")).Text(),
              "Ширина BMP файла должна быть не больше 128");
    WriteAll(Path("text.bmp"), std::string("not a picture"));
    EXPECT_EQ(ConvertPictureToANI(Path("text.bmp"), Path("t.ani")).Text(), "Файл BMP не опознан");
    EXPECT_FALSE(Exists(Path("wide.ani")));
}

TEST_F(AniTest, AWallpaperSurvivesTheTripToThePhoneAndBack) {
    QImage img(126, 20, QImage::Format_RGB32);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 126; ++x)
            img.setPixel(x, y, AniWordToColor(static_cast<uint16_t>(x * 517 + y * 31)));
    ASSERT_TRUE(ConvertBMPtoANI(img, Path("phone.tmp")));
    ASSERT_TRUE(ConvertANItoBMP(Path("phone.tmp"), Path("wpaper.ani")));
    EXPECT_EQ(LoadPicture(Path("wpaper.bmp")), img);
}

}  // namespace
