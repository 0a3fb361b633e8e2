#pragma once
// The MIDlet descriptor (.jad) the phone needs beside a .jar, made from the archive's
// META-INF/MANIFEST.MF.

#include <cstdint>
#include <string>
#include <string_view>

#include "media/MediaResult.h"

namespace q7k3 {

// A manifest with its wrapped lines joined: jar tools cut lines at 72 bytes and go on on
// the next line after one space; the line break and that space are dropped.
std::string UnwrapManifest(std::string_view manifest);

// The six descriptor lines: the manifest's version line, the fixed vendor, the name and
// MIDlet-1 lines (each whole, wrapped lines joined), the jar's size and its file name; no
// line end after the last one. False when the manifest lacks "MIDlet-Version:",
// "MIDlet-Name:" or "MIDlet-1:".
bool BuildJad(std::string_view manifest, uint64_t jarSize, const std::string& jarName,
              std::string& jad);

// The manifest of a jar held in memory (at most 1 MiB of it); false when there is none.
bool ManifestFromJar(ByteView jar, std::string& manifest);
// A jar held in memory that opens as an archive but has no manifest entry.
bool JarLacksManifest(ByteView jar);

// Extracts the jar's MANIFEST.MF into the private temporary directory (an earlier one is
// removed first) and writes the descriptor to `target`. kMsgJarNoManifest for an archive
// without a manifest, message 18 on any other failure of the archive or the manifest, 1
// when the jar cannot be read.
MediaResult CreateJadFromManifest(const std::string& jarPath, const std::string& target);

}  // namespace q7k3
