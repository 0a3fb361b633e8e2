#pragma once
// Picture files of the computer turned into bitmaps (QImage, always Format_RGB32), and
// bitmaps saved as Windows BMP files. A picture that cannot be decoded is a null image
// (width 0); nothing here throws or prints.

#include <QImage>
#include <string>
#include <string_view>
#include <vector>

#include "media/MediaResult.h"

namespace q7k3 {

// Bounds on what a decoder accepts, so that a small hostile file cannot claim a huge
// picture. The defaults let ordinary photos through for the preview.
struct PictureLimits {
    size_t MaxFileBytes = 64u << 20;
    int64_t MaxPixels = 50'000'000;        // per picture and per GIF frame
    int64_t MaxTotalPixels = 100'000'000;  // all frames of a GIF together
    int MaxJpegScans = 500;                // a progressive JPEG rarely needs more than a dozen
};

// Loads `fileName` into `bitmap` by its lower-cased extension: ".bmp", ".gif" (the first
// frame) or ".jpg". Any other extension, or a file that does not decode: width 0.
void LoadPicture(const std::string& fileName, QImage& bitmap, const PictureLimits& limits = {});
QImage LoadPicture(const std::string& fileName);

// The decoding behind LoadPicture, over the file's bytes; `lowerExt` is ".bmp" and so on.
QImage DecodePicture(ByteView data, std::string_view lowerExt, const PictureLimits& limits = {});
QImage DecodeBmp(ByteView data, const PictureLimits& limits = {});
QImage DecodeJpeg(ByteView data, const PictureLimits& limits = {});

// A decoded GIF: every frame as shown, drawn on the logical screen over the frames before
// it (with their disposal), and the first of them alone. Transparency over nothing is
// white.
struct GifPicture {
    QImage Screen;
    std::vector<QImage> Frames;
};
bool DecodeGif(ByteView data, GifPicture& out, const PictureLimits& limits = {});
bool LoadGifFile(const std::string& fileName, GifPicture& out, const PictureLimits& limits = {});

// The bitmap as a Windows BMP file, and saving it (message 1 when it cannot be written).
Bytes EncodeBmp(const QImage& bitmap);
MediaResult SaveBitmap(const QImage& bitmap, const std::string& path);

}  // namespace q7k3
