#pragma once
// The phone's .ani wallpapers and on/off pictures: no header, rows of RGB565 words
// (little-endian) from the top. The width is not stored: 128, or 126 for "wpaper.ani".

#include <QImage>
#include <string>

#include "media/MediaResult.h"

namespace q7k3 {

constexpr int kAniWidth = 128;
constexpr int kWallpaperAniWidth = 126;
constexpr int kMaxAniSourceWidth = 128;

// The width the phone's file behind `targetPath` is read with.
int AniWidthFor(const std::string& targetPath);

// RGB565 word <-> colour. Reading puts the 5/6-bit fields in the top bits of each channel
// and leaves the low bits zero; writing keeps the top 5/6/5 bits.
QRgb AniWordToColor(uint16_t word);
uint16_t ColorToAniWord(QRgb color);

// Byte level. Decoding: height = size div (2 x width); a trailing partial row is ignored.
// A file too short for one row gives a null image.
QImage DecodeAni(ByteView data, int width);
Bytes EncodeAni(const QImage& bitmap);

// The copy to the computer: `source` holds the phone's .ani; the BMP is written to
// `targetPath` with "bmp" for its last three letters (picture.ani -> picture.bmp), read
// 126 wide when `targetPath` contains "wpaper.ani". Over 650,000 bytes is refused.
MediaResult ConvertANItoBMP(const std::string& source, const std::string& targetPath);
// The same with the width and the BMP's path given.
MediaResult ConvertANItoBMP(const std::string& source, const std::string& bmpPath, int width);

// The bitmap's pixels as .ani words into `target`.
MediaResult ConvertBMPtoANI(const QImage& bitmap, const std::string& target);
// A .bmp/.gif/.jpg picture loaded and written as .ani: message 14 when it does not load,
// 15 when it is wider than 128 (the copy flow then sends the file unchanged).
MediaResult ConvertPictureToANI(const std::string& source, const std::string& target);

}  // namespace q7k3
