#pragma once
// A realistic phone's content: default melodies, sounds, pictures, camera photos with their
// thumbnails, a Java suite and SMS media, all small and valid.

#include "emulator/EmulatorConfig.h"
#include "emulator/FileStore.h"
#include "emulator/FolderMap.h"

namespace q7k3::emu {

// Adds the demo files to the folders of the map; files that exist already are kept.
void FillDemo(FileStore& store, const FolderMap& map);
// Adds the demo phonebook (SIM and phone, Cyrillic names) and messages: 7-bit with the
// extension characters, UCS-2 Russian, a message in three parts stored out of order, one
// with a part missing, an alphanumeric sender, a sent and an unsent one, a status report.
void FillDemoPim(PimContent& pim);

}  // namespace q7k3::emu
