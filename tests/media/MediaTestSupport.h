#pragma once
// Scratch folders, file helpers and ImageMagick-made pictures for the converter tests.

#include <gtest/gtest.h>

#include <QImage>
#include <QTemporaryDir>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "media/MediaResult.h"

namespace q7k3::test {

inline const std::string kDataDir = Q7K3_SOURCE_DIR "/tests/data/media";
inline const std::string kSharedSamples = Q7K3_SOURCE_DIR "/../shared/samples";

inline Bytes ReadAll(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(f), {});
}
inline std::string ReadText(const std::string& path) {
    const Bytes b = ReadAll(path);
    return std::string(b.begin(), b.end());
}
inline void WriteAll(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}
inline void WriteAll(const std::string& path, const Bytes& bytes) {
    WriteAll(path, std::string(bytes.begin(), bytes.end()));
}
inline bool Exists(const std::string& path) {
    return std::ifstream(path).good();
}

struct ScratchDir : ::testing::Test {
    QTemporaryDir dir;
    std::string Path(const std::string& name) const {
        return dir.path().toStdString() + "/" + name;
    }
    std::string Folder() const { return dir.path().toStdString(); }
};

inline bool HaveImageMagick() {
    return std::system("command -v convert >/dev/null 2>&1") == 0;
}

// Runs "convert ARGS" (ARGS already quoted as needed); true when it made `out`.
inline bool MagickMake(const std::string& args, const std::string& out) {
    const std::string cmd = "convert " + args + " '" + out + "' >/dev/null 2>&1";
    return std::system(cmd.c_str()) == 0 && Exists(out);
}

#define REQUIRE_IMAGEMAGICK()                                                                 \
    do {                                                                                      \
        if (!::q7k3::test::HaveImageMagick())                                                 \
            GTEST_SKIP() << "ImageMagick's convert is not installed; real-file case skipped"; \
    } while (0)

// A solid picture with an optional black rectangle, saved by Qt as a BMP.
inline QImage Solid(int w, int h, QRgb colour) {
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(colour);
    return img;
}

}  // namespace q7k3::test
