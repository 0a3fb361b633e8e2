#pragma once
// A realistic phone's content: default melodies, sounds, pictures, camera photos with their
// thumbnails, a Java suite and SMS media, all small and valid.

#include "emulator/FileStore.h"
#include "emulator/FolderMap.h"

namespace q7k3::emu {

// Adds the demo files to the folders of the map; files that exist already are kept.
void FillDemo(FileStore& store, const FolderMap& map);

}  // namespace q7k3::emu
