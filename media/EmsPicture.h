#pragma once
// EMS pictures, the phone's monochrome SMS pictures: a 48-byte header (big-endian numbers)
// and a 1-bit bitmap in pages of 8 rows, one byte per column, bit 0 the top row, 1 = ink.
// Several frames stacked one under the other make an animation.

#include <QImage>
#include <string>
#include <vector>

#include "media/MediaResult.h"

namespace q7k3 {

constexpr size_t kEmsPictureHeaderSize = 48;
constexpr size_t kEmsPictureTitleBytes = 25;
constexpr size_t kMaxEmsPictureData = 65535;

// A pixel is light when any of its channels is 128 or more.
inline bool IsLight(QRgb c) {
    return (c & 0x808080) != 0;
}

// Byte level. One frame is a still picture; two or more an animation whose geometry is the
// first frame's. False (nothing built) when the data would exceed 65,535 bytes or there
// are more than 255 frames.
bool EncodeEmsPicture(const std::vector<QImage>& frames, const std::string& utf8Title, uint8_t slot,
                      Bytes& out);
// The first frame, black on white. Null when the file is shorter than its header or than
// the data length the header gives.
QImage DecodeEmsPicture(ByteView data);
std::string EmsPictureTitle(ByteView data);

// Picture (.gif: every frame; .bmp/.jpg through LoadPicture) to an EMS picture in
// `target`, titled after the source's name without its extension. Message 14 when the
// picture does not load or is too large for the format.
MediaResult ConvertBMPtoEMS(const std::string& source, const std::string& target, uint8_t slot);
// EMS picture to BMP. An empty `target` names the file after the title in the header (or
// the source's name) with ".bmp", inside `destFolder`. Message 14 for a damaged file.
MediaResult ConvertEMStoBMP(const std::string& source, const std::string& target,
                            const std::string& destFolder = {});

}  // namespace q7k3
