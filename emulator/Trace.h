#pragma once
// A readable trace of both directions: control bytes escaped, data blocks summarised.

#include <chrono>
#include <cstdio>
#include <mutex>
#include <string>
#include <string_view>

namespace q7k3::emu {

class Trace {
public:
    Trace() = default;
    ~Trace();
    Trace(const Trace&) = delete;
    Trace& operator=(const Trace&) = delete;

    bool Open(const std::string& path);
    bool IsOpen() const { return m_file != nullptr; }
    // One trace line: "  1.234 PC> AT+CGMM\r" (from the PC) or "PH>" (from the phone).
    void Line(bool fromPc, std::string_view text);
    void Note(std::string_view text);

    static std::string Escape(std::string_view bytes);

private:
    std::mutex m_mutex;
    std::FILE* m_file = nullptr;
    std::chrono::steady_clock::time_point m_start = std::chrono::steady_clock::now();
};

}  // namespace q7k3::emu
