#include "emulator/DemoPreset.h"

namespace q7k3::emu {

void FillDemo(FileStore& store, const FolderMap& map) {
    (void)store;
    (void)map;
}

}  // namespace q7k3::emu
