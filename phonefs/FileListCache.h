#pragma once
// The scratch file that transfers and conversions reuse; named by every scan.

#include <string>

namespace q7k3 {

const std::string& ScratchFileName();
// Names it afresh in the program's private temporary folder.
void RenewScratchFileName();

}  // namespace q7k3
