#include "media/SlotNames.h"

#include <algorithm>

namespace q7k3 {
namespace {

SlotName FirstFree(const HasFileFn& hasFile, const char* stem, int first, int last,
                   const char* ext) {
    for (int n = first; n <= last; ++n) {
        // "image0" + 3, "melody0" + 7, but "melody" + 12 from ten on.
        const std::string name = std::string(stem) + (n < 10 ? "0" : "") + std::to_string(n) + ext;
        if (!hasFile(name)) return SlotName{n, name};
    }
    return SlotName{};
}

HasFileFn InList(const std::vector<std::string>& names) {
    return [&names](const std::string& name) {
        return std::find(names.begin(), names.end(), name) != names.end();
    };
}

}  // namespace

SlotName SmsImagesNamesCheck(const HasFileFn& hasFile) {
    return FirstFree(hasFile, "image", 0, 9, ".ani");
}
SlotName SmsMelodyNamesCheck(const HasFileFn& hasFile) {
    return FirstFree(hasFile, "melody", 0, 9, ".mel");
}
SlotName DefaultMelodyNamesCheck(const HasFileFn& hasFile) {
    return FirstFree(hasFile, "melody", 1, 16, ".mel");
}

SlotName SmsImagesNamesCheck(const std::vector<std::string>& names) {
    return SmsImagesNamesCheck(InList(names));
}
SlotName SmsMelodyNamesCheck(const std::vector<std::string>& names) {
    return SmsMelodyNamesCheck(InList(names));
}
SlotName DefaultMelodyNamesCheck(const std::vector<std::string>& names) {
    return DefaultMelodyNamesCheck(InList(names));
}

}  // namespace q7k3
