#pragma once
// The phone's MEL ring melodies: a 32-byte title block in Windows-1251 (0xFF after the
// text) followed by an ordinary SMAF (.mmf) file.

#include <string>

#include "media/MediaResult.h"

namespace q7k3 {

constexpr size_t kMelTitleSize = 32;

// MEL to MMF. Explicit: `target` is the file to write. Copy form (explicit false): `target`
// is the computer-side path of the phone file (folder + "melody05.mel"); the melody is
// written under its own title + ".mmf" in that folder, or, without a title, under the
// phone name with "mmf" for its last three letters. The path written is in Output.
// Refused: an unreadable source, one over 650,000 bytes, one shorter than 32 bytes.
MediaResult ConvertMELtoMMF(const std::string& source, const std::string& target,
                            bool explicitTarget);
// MMF to MEL into `target` (the scratch file in the copy flow): the source's file name as
// the title, then the source unchanged. Refused: unreadable, or over 1 MiB.
MediaResult ConvertMMFtoMEL(const std::string& source, const std::string& target);

// Byte level: the title block decoded to UTF-8 (0x00 and 0xFF skipped), and the MEL built
// from an MMF and a title.
std::string MelTitle(ByteView mel);
Bytes BuildMel(ByteView mmf, const std::string& utf8Title);

// How the copy to "Default Sounds" sees a file from its first 36 bytes.
enum class MelodyKind { Mmf, Mel, Unknown };
MelodyKind RecogniseMelody(ByteView head);
MelodyKind RecogniseMelodyFile(const std::string& path);

}  // namespace q7k3
