#include "phonefs/FileListCache.h"

#include "base/TempDir.h"

namespace q7k3 {
namespace {
std::string& Scratch() {
    static std::string name;
    return name;
}
}  // namespace

const std::string& ScratchFileName() { return Scratch(); }

void RenewScratchFileName() { Scratch() = TempFileName(); }

}  // namespace q7k3
