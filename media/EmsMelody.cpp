#include "media/EmsMelody.h"

#include <cstring>

#include "base/Messages.h"
#include "base/Text.h"

namespace q7k3 {
namespace {

constexpr const char* kKeys[] = {"BEGIN:", "VERSION:", "FORMAT:", "BEAT:", "MELODY:", "END:"};
constexpr uint8_t kFixed[6] = {0x01, 0x70, 0x92, 0x20, 0x00, 0x00};

}  // namespace

std::string UnfoldImelody(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        // A line break: CR LF, LF or CR.
        size_t end = i;
        if (text[end] == '\r') ++end;
        if (end < text.size() && text[end] == '\n') ++end;
        if (end > i && end < text.size() && (text[end] == ' ' || text[end] == '\t')) {
            while (end < text.size() && (text[end] == ' ' || text[end] == '\t')) ++end;
            i = end;
            continue;
        }
        if (end == i) end = i + 1;
        out.append(text.substr(i, end - i));
        i = end;
    }
    return out;
}

bool ImelodyBody(std::string_view text, std::string& body) {
    body.clear();
    const std::string unfolded = UnfoldImelody(text);
    for (const char* key : kKeys) {
        const std::string line = GetValuesString(unfolded, key);
        if (line.empty()) return false;
        body += line;
    }
    return true;
}

bool EncodeEmsMelody(std::string_view imelodyText, const std::string& utf8Title, uint8_t slot,
                     Bytes& out) {
    out.clear();
    std::string body;
    if (!ImelodyBody(imelodyText, body) || body.size() > kMaxEmsMelodyText) return false;
    out.assign(kEmsMelodyHeaderSize, 0);
    out[0] = 0x01;
    out[1] = 0x02;
    media::WriteBe16(out, 2, static_cast<uint32_t>(body.size()));
    std::memcpy(out.data() + 4, kFixed, sizeof kFixed);
    out[10] = slot;
    const std::string title = Utf8LeftBytes(utf8Title, kEmsMelodyTitleBytes);
    std::memcpy(out.data() + 11, title.data(), title.size());
    out.insert(out.end(), body.begin(), body.end());
    return true;
}

bool DecodeEmsMelody(ByteView data, std::string& text) {
    text.clear();
    if (data.size() < kEmsMelodyHeaderSize) return false;
    const size_t length = media::ReadBe16(data, 2);
    if (data.size() - kEmsMelodyHeaderSize < length) return false;
    text.assign(reinterpret_cast<const char*>(data.data()) + kEmsMelodyHeaderSize, length);
    return true;
}

bool IsEmsMelody(ByteView data) {
    std::string text;
    if (data.size() < kEmsMelodyHeaderSize || data[0] != 0x01 || data[1] != 0x02 ||
        !DecodeEmsMelody(data, text))
        return false;
    const size_t start = text.find_first_not_of(" \t\r\n");
    return start != std::string::npos && LowerAscii(text.substr(start, 13)) == "begin:imelody";
}

std::string EmsMelodyTitle(ByteView data) {
    return media::StoredTitle(data, 11, kEmsMelodyHeaderSize);
}

MediaResult ConvertIMYtoEMS(const std::string& source, const std::string& target, uint8_t slot) {
    Bytes data;
    if (auto r = media::ReadFileBounded(source, kWorkBufferSize, data); !r) return r;
    std::string title = media::FileNamePart(source);
    if (const size_t p = LowerAscii(title).find(".imy"); p != std::string::npos) title.erase(p, 4);
    Bytes ems;
    const std::string_view text(reinterpret_cast<const char*>(data.data()), data.size());
    std::string body;
    if (!ImelodyBody(text, body)) return MediaResult::Failure(13);
    if (body.size() > kMaxEmsMelodyText) return MediaResult::Failure(kMsgEmsMelodyTooLong);
    if (!EncodeEmsMelody(text, title, slot, ems)) return MediaResult::Failure(13);
    return media::WriteFileBytes(target, ems);
}

MediaResult ConvertEMStoIMY(const std::string& source, const std::string& target,
                            const std::string& destFolder) {
    Bytes data;
    if (auto r = media::ReadFileBounded(source, kWorkBufferSize, data); !r) return r;
    std::string text;
    if (!DecodeEmsMelody(data, text)) return MediaResult::Failure(13);
    std::string out = target;
    if (out.empty()) {
        std::string name = EmsMelodyTitle(data);
        if (LowerAscii(name).find(".imy") == std::string::npos) name += ".imy";
        out = media::JoinPath(destFolder, SafeFileName(name));
    }
    return media::WriteFileBytes(out, text);
}

}  // namespace q7k3
