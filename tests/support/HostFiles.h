#pragma once
// Whole files of the computer, read and written as bytes (for the tests that run the
// command line against the emulator and look at what it left).

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace q7k3::test {

// The file's bytes; empty when it cannot be read.
inline std::string Slurp(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// Writes `bytes` as the whole file, making the folders on its way.
inline void Spit(const std::filesystem::path& path, const std::string& bytes) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

}  // namespace q7k3::test
