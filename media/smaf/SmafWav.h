#pragma once
// A melody rendered to a WAV file, the way the player would sound it.

#include <string>
#include <vector>

#include "media/MediaResult.h"

namespace q7k3 {

// Renders the SMAF melody in `source` (a .mmf, or with `mel` a phone .mel: a 32-byte title
// and then the SMAF) to a 16-bit stereo WAV at `target`. `soundFont` empty means the
// system's General MIDI set. Warnings (catalogue texts, e.g. a CRC that does not match) go
// to `warnings`. Fails with "Файл мелодии не опознан" for what is no melody or is damaged,
// and with messages of its own for a format we do not play and for a missing soundfont.
MediaResult ConvertSMAFtoWAV(const std::string& source, const std::string& target, bool mel,
                             const std::string& soundFont = {},
                             std::vector<std::string>* warnings = nullptr);

}  // namespace q7k3
