#include "media/EmsPicture.h"

#include <algorithm>
#include <cstring>

#include "media/Picture.h"
#include "base/Text.h"

namespace q7k3 {
namespace {

constexpr uint8_t kFixed[6] = {0x01, 0x01, 0x01, 0x45, 0xA1, 0xBC};

size_t RoundUp8(size_t n) {
    return (n + 7) & ~size_t{7};
}

}  // namespace

bool EncodeEmsPicture(const std::vector<QImage>& frames, const std::string& utf8Title, uint8_t slot,
                      Bytes& out) {
    out.clear();
    if (frames.empty() || frames.size() > 255 || frames[0].isNull()) return false;
    const bool animated = frames.size() >= 2;
    const size_t w = static_cast<size_t>(frames[0].width());
    const size_t h = static_cast<size_t>(frames[0].height());
    const size_t w8 = RoundUp8(w), h8 = RoundUp8(h);
    const size_t total = animated ? frames.size() * h8 : h8;
    const size_t dataLength = w8 * total / 8;
    if (w > 65535 || h > 65535 || dataLength > kMaxEmsPictureData) return false;

    std::vector<QImage> rgb;
    rgb.reserve(frames.size());
    for (const QImage& f : frames) rgb.push_back(f.convertToFormat(QImage::Format_RGB32));
    // Ink at (x, row) of the stored bitmap; rows and columns beyond a frame are light,
    // and a smaller later frame is read from its own top-left corner.
    auto dark = [&](size_t x, size_t row) {
        const size_t f = row / h8, y = row % h8;
        if (x >= w || y >= h) return false;
        const QImage& img = rgb[f];
        if (x >= static_cast<size_t>(img.width()) || y >= static_cast<size_t>(img.height()))
            return false;
        return !IsLight(img.pixel(static_cast<int>(x), static_cast<int>(y)));
    };

    out.assign(kEmsPictureHeaderSize + dataLength, 0);
    out[1] = static_cast<uint8_t>(w <= 128 ? (128 - w) / 2 : 0);
    out[3] = static_cast<uint8_t>(h <= 96 ? 16 + (96 - h) / 2 : 16);
    media::WriteBe16(out, 4, static_cast<uint32_t>(w));
    media::WriteBe16(out, 6, static_cast<uint32_t>(h));
    media::WriteBe16(out, 8, static_cast<uint32_t>(dataLength));
    std::memcpy(out.data() + 10, kFixed, sizeof kFixed);
    media::WriteBe16(out, 16, animated ? 0x01F4 : 0xFFFF);
    out[18] = static_cast<uint8_t>(animated ? frames.size() : 0);
    out[21] = slot;
    const std::string title = Utf8LeftBytes(utf8Title, kEmsPictureTitleBytes);
    std::memcpy(out.data() + 22, title.data(), title.size());

    size_t at = kEmsPictureHeaderSize;
    for (size_t page = 0; page < total / 8; ++page) {
        for (size_t x = 0; x < w8; ++x) {
            uint8_t byte = 0;
            for (size_t i = 0; i < 8; ++i) {
                if (dark(x, page * 8 + i)) byte |= static_cast<uint8_t>(1u << i);
            }
            out[at++] = byte;
        }
    }
    return true;
}

QImage DecodeEmsPicture(ByteView data) {
    if (data.size() < kEmsPictureHeaderSize) return QImage();
    const size_t w = media::ReadBe16(data, 4), h = media::ReadBe16(data, 6);
    if (w == 0 || h == 0) return QImage();
    const size_t w8 = RoundUp8(w), h8 = RoundUp8(h);
    // Only the first frame is read, but a file shorter than its header's data length
    // (an animation cut after its first frame, say) is damaged and refused.
    const size_t claimed = media::ReadBe16(data, 8);
    if (data.size() - kEmsPictureHeaderSize < std::max(w8 * h8 / 8, claimed)) return QImage();
    QImage img(static_cast<int>(w), static_cast<int>(h), QImage::Format_RGB32);
    if (img.isNull()) return img;
    size_t at = kEmsPictureHeaderSize;
    for (size_t page = 0; page < h8 / 8; ++page) {
        for (size_t x = 0; x < w8; ++x) {
            const uint8_t byte = data[at++];
            for (size_t i = 0; i < 8; ++i) {
                const size_t y = page * 8 + i;
                if (x < w && y < h)
                    img.setPixel(static_cast<int>(x), static_cast<int>(y),
                                 (byte >> i) & 1 ? 0xFF000000 : 0xFFFFFFFF);
            }
        }
    }
    return img;
}

std::string EmsPictureTitle(ByteView data) {
    return media::StoredTitle(data, 22, kEmsPictureHeaderSize);
}

MediaResult ConvertBMPtoEMS(const std::string& source, const std::string& target, uint8_t slot) {
    std::vector<QImage> frames;
    const std::string name = media::FileNamePart(source);
    const size_t dot = name.rfind('.');
    if (dot != std::string::npos && LowerAscii(name.substr(dot)) == ".gif") {
        GifPicture gif;
        if (!LoadGifFile(source, gif)) return MediaResult::Failure(14);
        if (gif.Frames.size() < 2)
            frames.push_back(gif.Screen);
        else
            frames = std::move(gif.Frames);
    } else {
        QImage img = LoadPicture(source);
        if (img.isNull()) return MediaResult::Failure(14);
        frames.push_back(std::move(img));
    }
    Bytes ems;
    if (!EncodeEmsPicture(frames, Utf8DropRight(name, 4), slot, ems))
        return MediaResult::Failure(14);
    return media::WriteFileBytes(target, ems);
}

MediaResult ConvertEMStoBMP(const std::string& source, const std::string& target,
                            const std::string& destFolder) {
    Bytes data;
    if (auto r = media::ReadFileBounded(source, kWorkBufferSize, data); !r) return r;
    const QImage img = DecodeEmsPicture(data);
    if (img.isNull()) return MediaResult::Failure(14);
    std::string out = target;
    if (out.empty()) {
        std::string name = EmsPictureTitle(data);
        if (name.empty()) name = media::FileNamePart(source);
        if (LowerAscii(name).find(".bmp") == std::string::npos) name += ".bmp";
        out = media::JoinPath(destFolder, SafeFileName(name));
    }
    return SaveBitmap(img, out);
}

}  // namespace q7k3
