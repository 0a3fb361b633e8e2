#pragma once
// The numbered slots of the phone folders that take only fixed names: SMS pictures
// (image00.ani..image09.ani), SMS melodies (melody00.mel..melody09.mel) and default
// melodies (melody01.mel..melody16.mel; melody00.mel is never used).

#include <functional>
#include <string>
#include <vector>

namespace q7k3 {

// Whether the current phone folder already holds a file of exactly that name.
using HasFileFn = std::function<bool(const std::string& name)>;

struct SlotName {
    int Slot = -1;     // the slot number, -1 when every slot is taken
    std::string Name;  // the slot's file name, empty when every slot is taken
    explicit operator bool() const { return !Name.empty(); }
};

// The first free slot, names compared case-sensitively. When every slot is taken the copy
// shows message 16, 17 or 11 respectively.
SlotName SmsImagesNamesCheck(const HasFileFn& hasFile);
SlotName SmsMelodyNamesCheck(const HasFileFn& hasFile);
SlotName DefaultMelodyNamesCheck(const HasFileFn& hasFile);

// The same over a folder's list of file names.
SlotName SmsImagesNamesCheck(const std::vector<std::string>& names);
SlotName SmsMelodyNamesCheck(const std::vector<std::string>& names);
SlotName DefaultMelodyNamesCheck(const std::vector<std::string>& names);

}  // namespace q7k3
