#include "media/Picture.h"

#include <gif_lib.h>

#include <cstdio>  // jpeglib.h needs FILE

#include <jerror.h>
#include <jpeglib.h>

#include <QBuffer>
#include <QImageReader>
#include <QImageWriter>
#include <csetjmp>
#include <cstdlib>
#include <cstring>

#include "base/Messages.h"
#include "base/Text.h"

namespace q7k3 {
namespace {

constexpr QRgb kWhite = 0xFFFFFFFF;

uint32_t Le32(ByteView d, size_t at) {
    return static_cast<uint32_t>(d[at]) | (static_cast<uint32_t>(d[at + 1]) << 8) |
           (static_cast<uint32_t>(d[at + 2]) << 16) | (static_cast<uint32_t>(d[at + 3]) << 24);
}
uint16_t Le16(ByteView d, size_t at) {
    return static_cast<uint16_t>(d[at] | (d[at + 1] << 8));
}

bool PixelsFit(int64_t w, int64_t h, const PictureLimits& limits) {
    return w > 0 && h > 0 && w <= 65535 * 4 && h <= 65535 * 4 && w * h <= limits.MaxPixels;
}

// ---- BMP ---------------------------------------------------------------------------------

// The size a BMP header claims, checked before Qt's reader allocates for it.
bool BmpHeaderFits(ByteView d, const PictureLimits& limits) {
    if (d.size() < 26 || d[0] != 'B' || d[1] != 'M') return false;
    const uint32_t dib = Le32(d, 14);
    int64_t w = 0, h = 0;
    if (dib == 12) {
        w = Le16(d, 18);
        h = Le16(d, 20);
    } else {
        w = static_cast<int32_t>(Le32(d, 18));
        h = static_cast<int32_t>(Le32(d, 22));
    }
    if (h < 0) h = -h;  // a negative height is a top-down bitmap
    if (!PixelsFit(w, h, limits)) return false;
    // Qt's reader keeps what it got of a short file; an uncompressed bitmap whose rows are
    // not all there is refused instead. (Run-length data has no size to check against.)
    if (dib >= 40 && d.size() >= 34) {
        const uint32_t bpp = Le16(d, 28), compression = Le32(d, 30);
        if (compression == 0 || compression == 3) {
            const uint64_t rowBytes = (static_cast<uint64_t>(w) * bpp + 31) / 32 * 4;
            if (Le32(d, 10) + rowBytes * static_cast<uint64_t>(h) > d.size()) return false;
        }
    }
    return true;
}

// A field of `width` bits widened to 8 by repeating its high bits below it, so that the
// largest value is 255 and the smallest 0 (0x1F is 0xFF, 0x10 is 0x84), as other readers
// do.
int WidenField(uint32_t value, int width) {
    if (width <= 0) return 0;
    if (width >= 8) return static_cast<int>(value >> (width - 8));
    int out = 0, filled = 0;
    while (filled < 8) {
        out = (out << width) | static_cast<int>(value);
        filled += width;
    }
    return out >> (filled - 8);
}

struct Field {
    int Shift = 0, Width = 0;
    explicit Field(uint32_t mask) {
        if (mask == 0) return;
        while (!(mask & 1)) {
            mask >>= 1;
            ++Shift;
        }
        while (mask & 1) {
            mask >>= 1;
            ++Width;
        }
    }
    int Of(uint32_t pixel) const {
        return Width ? WidenField((pixel >> Shift) & ((1u << Width) - 1), Width) : 0;
    }
};

// Uncompressed 16-bit bitmaps, 5-5-5 or with their own masks, read here: Qt's reader
// widens a 5-bit field by a shift alone. Null for any other bitmap (and for masks that
// are not one run of bits each); the header has been checked by BmpHeaderFits.
QImage DecodeBmp16(ByteView d) {
    if (d.size() < 54 || Le32(d, 14) < 40 || Le16(d, 28) != 16) return QImage();
    const uint32_t compression = Le32(d, 30);
    uint32_t masks[3] = {0x7C00, 0x03E0, 0x001F};
    if (compression == 3) {
        if (d.size() < 66) return QImage();
        for (int i = 0; i < 3; ++i) masks[i] = Le32(d, 54 + 4 * static_cast<size_t>(i));
    } else if (compression != 0) {
        return QImage();
    }
    for (uint32_t& m : masks) {
        m &= 0xFFFF;
        const uint32_t low = m & (~m + 1);                    // the lowest bit set
        if (m == 0 || ((m + low) & m) != 0) return QImage();  // not one run of bits
    }
    const Field red(masks[0]), green(masks[1]), blue(masks[2]);
    const int64_t w = static_cast<int32_t>(Le32(d, 18));
    const int64_t rawH = static_cast<int32_t>(Le32(d, 22));
    const int64_t h = rawH < 0 ? -rawH : rawH;
    const size_t rowBytes = static_cast<size_t>((w * 16 + 31) / 32 * 4);
    const size_t offset = Le32(d, 10);
    if (w <= 0 || h <= 0 || offset > d.size() ||
        rowBytes * static_cast<size_t>(h) > d.size() - offset)
        return QImage();
    QImage img(static_cast<int>(w), static_cast<int>(h), QImage::Format_RGB32);
    if (img.isNull()) return img;
    for (int64_t y = 0; y < h; ++y) {
        const size_t row = offset + rowBytes * static_cast<size_t>(rawH < 0 ? y : h - 1 - y);
        auto* line = reinterpret_cast<QRgb*>(img.scanLine(static_cast<int>(y)));
        for (int64_t x = 0; x < w; ++x) {
            const uint32_t p = Le16(d, row + 2 * static_cast<size_t>(x));
            line[x] = qRgb(red.Of(p), green.Of(p), blue.Of(p));
        }
    }
    return img;
}

// ---- JPEG --------------------------------------------------------------------------------

struct JpegError {
    jpeg_error_mgr pub;
    jmp_buf jump;
};

struct JpegProgress {
    jpeg_progress_mgr pub;
    int maxScans;
};

// libjpeg's own error_exit ends the process; this one returns to the decoder's setjmp.
[[noreturn]] void JpegErrorExit(j_common_ptr cinfo) {
    longjmp(reinterpret_cast<JpegError*>(cinfo->err)->jump, 1);
}

void JpegEmitMessage(j_common_ptr cinfo, int level) {
    // Warnings (level -1) are tolerated, except running out of data: a truncated file is
    // not a picture, even though libjpeg would fill the rest with grey.
    if (level < 0 && cinfo->err->msg_code == JWRN_JPEG_EOF) JpegErrorExit(cinfo);
    if (level < 0) cinfo->err->num_warnings++;
}

void JpegOutputMessage(j_common_ptr) {}

// A progressive file can carry thousands of tiny scans that each cost a full pass.
void JpegProgressMonitor(j_common_ptr cinfo) {
    if (cinfo->is_decompressor) {
        auto* d = reinterpret_cast<j_decompress_ptr>(cinfo);
        auto* p = reinterpret_cast<JpegProgress*>(cinfo->progress);
        if (d->input_scan_number > p->maxScans) JpegErrorExit(cinfo);
    }
}

QRgb CmykToRgb(int c, int m, int y, int k, bool inverted) {
    // Adobe writes CMYK inverted (0 = full ink); plain CMYK files store ink amounts.
    if (!inverted) {
        c = 255 - c;
        m = 255 - m;
        y = 255 - y;
        k = 255 - k;
    }
    return qRgb(c * k / 255, m * k / 255, y * k / 255);
}

void ReleasePixels(void* p) {
    std::free(p);
}

// Everything between setjmp and a longjmp back to it is plain C data, so that no C++
// object is skipped by the jump.
QImage DecodeJpegImpl(const uint8_t* data, size_t size, const PictureLimits& limits) {
    jpeg_decompress_struct cinfo;
    std::memset(&cinfo, 0, sizeof cinfo);
    JpegError err;
    JpegProgress progress;
    uint8_t* volatile pixels = nullptr;
    JSAMPLE* volatile row = nullptr;

    cinfo.err = jpeg_std_error(&err.pub);
    err.pub.error_exit = JpegErrorExit;
    err.pub.emit_message = JpegEmitMessage;
    err.pub.output_message = JpegOutputMessage;
    if (setjmp(err.jump)) {
        jpeg_destroy_decompress(&cinfo);
        std::free(pixels);
        std::free(row);
        return QImage();
    }
    jpeg_create_decompress(&cinfo);
    progress.pub.progress_monitor = JpegProgressMonitor;
    progress.maxScans = limits.MaxJpegScans;
    cinfo.progress = &progress.pub;
    cinfo.mem->max_memory_to_use = static_cast<long>(limits.MaxPixels * 8 + (16 << 20));
    jpeg_mem_src(&cinfo, data, static_cast<unsigned long>(size));
    jpeg_read_header(&cinfo, TRUE);

    if (!PixelsFit(cinfo.image_width, cinfo.image_height, limits))
        JpegErrorExit(reinterpret_cast<j_common_ptr>(&cinfo));
    const bool cmyk = cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
    if (cmyk)
        cinfo.out_color_space = JCS_CMYK;
    else if (cinfo.jpeg_color_space == JCS_GRAYSCALE)
        cinfo.out_color_space = JCS_GRAYSCALE;
    else
        cinfo.out_color_space = JCS_RGB;
    jpeg_start_decompress(&cinfo);

    const unsigned w = cinfo.output_width;
    const unsigned h = cinfo.output_height;
    const int comps = cinfo.output_components;
    if (!PixelsFit(w, h, limits) || (comps != 1 && comps != 3 && comps != 4))
        JpegErrorExit(reinterpret_cast<j_common_ptr>(&cinfo));
    pixels = static_cast<uint8_t*>(std::malloc(size_t{w} * h * 4));
    row = static_cast<JSAMPLE*>(std::malloc(size_t{w} * static_cast<size_t>(comps)));
    if (!pixels || !row) JpegErrorExit(reinterpret_cast<j_common_ptr>(&cinfo));
    const bool inverted = cinfo.saw_Adobe_marker;

    while (cinfo.output_scanline < h) {
        const unsigned y = cinfo.output_scanline;
        JSAMPROW rows[1] = {row};
        if (jpeg_read_scanlines(&cinfo, rows, 1) != 1)
            JpegErrorExit(reinterpret_cast<j_common_ptr>(&cinfo));
        auto* out = reinterpret_cast<QRgb*>(pixels + size_t{y} * w * 4);
        for (unsigned x = 0; x < w; ++x) {
            const JSAMPLE* p = row + size_t{x} * static_cast<size_t>(comps);
            if (comps == 1)
                out[x] = qRgb(p[0], p[0], p[0]);
            else if (comps == 3)
                out[x] = qRgb(p[0], p[1], p[2]);
            else
                out[x] = CmykToRgb(p[0], p[1], p[2], p[3], inverted);
        }
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    std::free(row);
    // The image takes the pixel block over and frees it when the last copy goes.
    return QImage(pixels, static_cast<int>(w), static_cast<int>(h), static_cast<qsizetype>(w) * 4,
                  QImage::Format_RGB32, ReleasePixels, pixels);
}

// ---- GIF ---------------------------------------------------------------------------------

// Walks the GIF's block structure the way giflib will, to refuse frames too large to
// allocate before DGifSlurp allocates them.
bool GifStructureFits(ByteView d, const PictureLimits& limits) {
    size_t pos = 13;
    if (d.size() < pos || std::memcmp(d.data(), "GIF", 3) != 0) return false;
    if (d[10] & 0x80) pos += 3u * (2u << (d[10] & 7));
    int64_t total = 0;
    size_t subBlocks = 0;
    auto skipSubBlocks = [&]() {
        while (pos < d.size()) {
            const size_t len = d[pos++];
            if (len == 0) return true;
            pos += len;
            if (++subBlocks > 1000000) return false;
        }
        return false;
    };
    while (pos < d.size()) {
        const uint8_t kind = d[pos++];
        if (kind == 0x3B) return true;
        if (kind == 0x21) {
            if (pos >= d.size()) return false;
            ++pos;
            if (!skipSubBlocks()) return false;
        } else if (kind == 0x2C) {
            if (pos + 9 > d.size()) return false;
            const int64_t w = Le16(d, pos + 4), h = Le16(d, pos + 6);
            const uint8_t flags = d[pos + 8];
            pos += 9;
            if (!PixelsFit(w, h, limits)) return false;
            total += w * h;
            if (total > limits.MaxTotalPixels) return false;
            if (flags & 0x80) pos += 3u * (2u << (flags & 7));
            ++pos;  // LZW minimum code size
            if (pos > d.size() || !skipSubBlocks()) return false;
        } else {
            return false;
        }
    }
    return false;
}

struct GifReader {
    ByteView data;
    size_t pos = 0;
};

int GifRead(GifFileType* gif, GifByteType* buf, int len) {
    auto* r = static_cast<GifReader*>(gif->UserData);
    if (len <= 0) return 0;
    const size_t n = std::min(static_cast<size_t>(len), r->data.size() - r->pos);
    std::memcpy(buf, r->data.data() + r->pos, n);
    r->pos += n;
    return static_cast<int>(n);
}

QRgb PaletteColour(const ColorMapObject* map, int index, int transparent) {
    if (index == transparent) return kWhite;
    if (!map) return qRgb(index, index, index);
    if (index < 0 || index >= map->ColorCount) return qRgb(0, 0, 0);
    const GifColorType& c = map->Colors[index];
    return qRgb(c.Red, c.Green, c.Blue);
}

// Draws image i at its place on the canvas (whose top-left is `origin` on the logical
// screen), clipped; transparent pixels leave the canvas as it was.
void DrawGifImage(const GifFileType* gif, int i, QPoint origin, int transparent, QImage& canvas) {
    const SavedImage& s = gif->SavedImages[i];
    const int w = s.ImageDesc.Width, h = s.ImageDesc.Height;
    const ColorMapObject* map = s.ImageDesc.ColorMap ? s.ImageDesc.ColorMap : gif->SColorMap;
    for (int y = 0; y < h; ++y) {
        const int cy = s.ImageDesc.Top - origin.y() + y;
        if (cy < 0 || cy >= canvas.height()) continue;
        auto* line = reinterpret_cast<QRgb*>(canvas.scanLine(cy));
        const GifByteType* src = s.RasterBits + static_cast<size_t>(y) * w;
        for (int x = 0; x < w; ++x) {
            const int cx = s.ImageDesc.Left - origin.x() + x;
            if (cx < 0 || cx >= canvas.width() || src[x] == transparent) continue;
            line[cx] = PaletteColour(map, src[x], NO_TRANSPARENT_COLOR);
        }
    }
}

void FillRect(QImage& canvas, QRect rect, QRgb colour) {
    rect = rect.intersected(canvas.rect());
    for (int y = rect.top(); y <= rect.bottom(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(canvas.scanLine(y));
        for (int x = rect.left(); x <= rect.right(); ++x) line[x] = colour;
    }
}

}  // namespace

// ---- public ------------------------------------------------------------------------------

QImage DecodeBmp(ByteView data, const PictureLimits& limits) {
    if (!BmpHeaderFits(data, limits)) return QImage();
    if (QImage own = DecodeBmp16(data); !own.isNull()) return own;
    QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data.data()),
                                               static_cast<qsizetype>(data.size()));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "BMP");
    QImage img;
    if (!reader.read(&img) || img.isNull()) return QImage();
    return img.convertToFormat(QImage::Format_RGB32);
}

QImage DecodeJpeg(ByteView data, const PictureLimits& limits) {
    if (data.size() < 4) return QImage();
    return DecodeJpegImpl(data.data(), data.size(), limits);
}

bool DecodeGif(ByteView data, GifPicture& out, const PictureLimits& limits) {
    out = GifPicture();
    if (!GifStructureFits(data, limits)) return false;
    GifReader reader{data, 0};
    int error = 0;
    GifFileType* gif = DGifOpen(&reader, GifRead, &error);
    if (!gif) return false;
    bool ok = DGifSlurp(gif) == GIF_OK && gif->ImageCount > 0;
    for (int i = 0; ok && i < gif->ImageCount; ++i) {
        const GifImageDesc& d = gif->SavedImages[i].ImageDesc;
        ok = d.Width > 0 && d.Height > 0 && gif->SavedImages[i].RasterBits;
    }
    // Frames are drawn on the logical screen, as a viewer shows them: optimised animations
    // store later frames as small patches over the earlier ones. A screen of no size is
    // the first image's own.
    QPoint origin(0, 0);
    int sw = ok ? gif->SWidth : 0, sh = ok ? gif->SHeight : 0;
    if (ok && (sw <= 0 || sh <= 0)) {
        const GifImageDesc& d0 = gif->SavedImages[0].ImageDesc;
        origin = QPoint(d0.Left, d0.Top);
        sw = d0.Width;
        sh = d0.Height;
    }
    ok = ok && PixelsFit(sw, sh, limits) &&
         int64_t{gif->ImageCount} * sw * sh <= limits.MaxTotalPixels;
    QImage canvas;
    if (ok) {
        canvas = QImage(sw, sh, QImage::Format_RGB32);
        ok = !canvas.isNull();
        if (ok) canvas.fill(kWhite);
    }
    for (int i = 0; ok && i < gif->ImageCount; ++i) {
        GraphicsControlBlock gcb{};
        gcb.TransparentColor = NO_TRANSPARENT_COLOR;
        DGifSavedExtensionToGCB(gif, i, &gcb);
        const QImage before = gcb.DisposalMode == DISPOSE_PREVIOUS ? canvas.copy() : QImage();
        DrawGifImage(gif, i, origin, gcb.TransparentColor, canvas);
        out.Frames.push_back(canvas.copy());
        const GifImageDesc& d = gif->SavedImages[i].ImageDesc;
        if (gcb.DisposalMode == DISPOSE_BACKGROUND)
            FillRect(canvas, QRect(d.Left - origin.x(), d.Top - origin.y(), d.Width, d.Height),
                     kWhite);
        else if (gcb.DisposalMode == DISPOSE_PREVIOUS)
            canvas = before;
    }
    DGifCloseFile(gif, &error);
    if (ok)
        out.Screen = out.Frames[0];
    else
        out = GifPicture();
    return ok;
}

bool LoadGifFile(const std::string& fileName, GifPicture& out, const PictureLimits& limits) {
    out = GifPicture();
    Bytes data;
    if (!media::ReadFileBounded(fileName, limits.MaxFileBytes, data)) return false;
    return DecodeGif(data, out, limits);
}

QImage DecodePicture(ByteView data, std::string_view lowerExt, const PictureLimits& limits) {
    if (lowerExt == ".bmp") return DecodeBmp(data, limits);
    if (lowerExt == ".jpg") return DecodeJpeg(data, limits);
    if (lowerExt == ".gif") {
        GifPicture gif;
        if (!DecodeGif(data, gif, limits)) return QImage();
        return gif.Screen;
    }
    return QImage();
}

void LoadPicture(const std::string& fileName, QImage& bitmap, const PictureLimits& limits) {
    bitmap = QImage();
    const std::string name = media::FileNamePart(fileName);
    const size_t dot = name.rfind('.');
    if (dot == std::string::npos) return;
    const std::string ext = LowerAscii(name.substr(dot));
    if (ext != ".bmp" && ext != ".gif" && ext != ".jpg") return;
    Bytes data;
    if (!media::ReadFileBounded(fileName, limits.MaxFileBytes, data)) return;
    bitmap = DecodePicture(data, ext, limits);
}

QImage LoadPicture(const std::string& fileName) {
    QImage img;
    LoadPicture(fileName, img);
    return img;
}

Bytes EncodeBmp(const QImage& bitmap) {
    if (bitmap.isNull()) return {};
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "BMP");
    if (!writer.write(bitmap)) return {};
    return Bytes(bytes.begin(), bytes.end());
}

MediaResult SaveBitmap(const QImage& bitmap, const std::string& path) {
    const Bytes bmp = EncodeBmp(bitmap);
    if (bmp.empty()) return MediaResult::Failure(kMsgCannotOpenFile, path);
    return media::WriteFileBytes(path, bmp);
}

}  // namespace q7k3
