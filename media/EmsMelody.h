#pragma once
// EMS melodies, the phone's SMS melodies: a 40-byte header (big-endian numbers) followed
// by an iMelody text of exactly six lines.

#include <string>
#include <string_view>

#include "media/MediaResult.h"

namespace q7k3 {

constexpr size_t kEmsMelodyHeaderSize = 40;
constexpr size_t kEmsMelodyTitleBytes = 28;
// The longest iMelody text an SMS melody carries.
constexpr size_t kMaxEmsMelodyText = 500;

// An iMelody text with its folded lines joined: a line break followed by spaces or tabs
// continues the line before it (long MELODY lines are written so), and the break and the
// blanks are dropped, since a tune has no blanks.
std::string UnfoldImelody(std::string_view text);

// The six iMelody lines the phone keeps, in the order it needs them: from each key's first
// occurrence through its line feed (CR LF added to a last line without one), folded lines
// joined first. False when a key is missing: the phone cannot play the tune without every
// line.
bool ImelodyBody(std::string_view text, std::string& body);

// Byte level: the whole EMS melody for an iMelody text; false when a key is missing or
// the body is longer than kMaxEmsMelodyText.
bool EncodeEmsMelody(std::string_view imelodyText, const std::string& utf8Title, uint8_t slot,
                     Bytes& out);
// The stored iMelody text; false when the file is shorter than its header says.
bool DecodeEmsMelody(ByteView data, std::string& text);
// An EMS melody rather than some other file of the phone's SMS folders (an EMS picture has
// a length at the same place): the header's marks and a text that begins an iMelody.
bool IsEmsMelody(ByteView data);
std::string EmsMelodyTitle(ByteView data);

// iMelody file to EMS melody in `target`, titled after the source's name without ".imy".
// Message 13 when a line is missing, kMsgEmsMelodyTooLong when the tune is too long for an
// SMS; 1 or 9/10 when the source cannot be read.
MediaResult ConvertIMYtoEMS(const std::string& source, const std::string& target, uint8_t slot);
// EMS melody to iMelody text. An empty `target` names the file after the header's title
// with ".imy", inside `destFolder`. Message 13 for a damaged file.
MediaResult ConvertEMStoIMY(const std::string& source, const std::string& target,
                            const std::string& destFolder = {});

}  // namespace q7k3
