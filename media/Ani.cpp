#include "media/Ani.h"

#include "media/Picture.h"

namespace q7k3 {

int AniWidthFor(const std::string& targetPath) {
    return targetPath.find("wpaper.ani") != std::string::npos ? kWallpaperAniWidth : kAniWidth;
}

QRgb AniWordToColor(uint16_t v) {
    return qRgb((v & 0xF800) >> 8, (v & 0x07E0) >> 3, (v & 0x001F) << 3);
}

uint16_t ColorToAniWord(QRgb c) {
    return static_cast<uint16_t>(((qRed(c) & 0xF8) << 8) | ((qGreen(c) & 0xFC) << 3) |
                                 (qBlue(c) >> 3));
}

QImage DecodeAni(ByteView data, int width) {
    if (width <= 0) return QImage();
    const size_t rowBytes = static_cast<size_t>(width) * 2;
    const size_t height = data.size() / rowBytes;
    if (height == 0 || height > 65535) return QImage();
    QImage img(width, static_cast<int>(height), QImage::Format_RGB32);
    if (img.isNull()) return img;
    for (size_t y = 0; y < height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(img.scanLine(static_cast<int>(y)));
        const uint8_t* src = data.data() + y * rowBytes;
        for (int x = 0; x < width; ++x)
            line[x] = AniWordToColor(static_cast<uint16_t>(src[2 * x] | (src[2 * x + 1] << 8)));
    }
    return img;
}

Bytes EncodeAni(const QImage& bitmap) {
    Bytes out;
    if (bitmap.isNull()) return out;
    const QImage img = bitmap.convertToFormat(QImage::Format_RGB32);
    out.reserve(static_cast<size_t>(img.width()) * img.height() * 2);
    for (int y = 0; y < img.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(img.constScanLine(y));
        for (int x = 0; x < img.width(); ++x) {
            const uint16_t v = ColorToAniWord(line[x]);
            out.push_back(static_cast<uint8_t>(v & 0xFF));
            out.push_back(static_cast<uint8_t>(v >> 8));
        }
    }
    return out;
}

MediaResult ConvertANItoBMP(const std::string& source, const std::string& bmpPath, int width) {
    Bytes data;
    if (auto r = media::ReadFileBounded(source, kMelodyAniBufferSize, data); !r) return r;
    // A file shorter than one row would make a BMP of no height, which no viewer opens.
    const QImage img = DecodeAni(data, width);
    if (img.isNull()) return MediaResult::Failure(14);
    return SaveBitmap(img, bmpPath);
}

MediaResult ConvertANItoBMP(const std::string& source, const std::string& targetPath) {
    return ConvertANItoBMP(source, media::ReplaceLastThree(targetPath, "bmp"),
                           AniWidthFor(targetPath));
}

MediaResult ConvertBMPtoANI(const QImage& bitmap, const std::string& target) {
    if (bitmap.isNull()) return MediaResult::Failure(14);
    return media::WriteFileBytes(target, EncodeAni(bitmap));
}

MediaResult ConvertPictureToANI(const std::string& source, const std::string& target) {
    const QImage img = LoadPicture(source);
    if (img.isNull()) return MediaResult::Failure(14);
    if (img.width() > kMaxAniSourceWidth) return MediaResult::Failure(15);
    return ConvertBMPtoANI(img, target);
}

}  // namespace q7k3
