#include "emulator/Trace.h"

namespace q7k3::emu {

Trace::~Trace() {
    if (m_file) std::fclose(m_file);
}

bool Trace::Open(const std::string& path) {
    std::lock_guard lock(m_mutex);
    if (m_file) std::fclose(m_file);
    m_file = std::fopen(path.c_str(), "w");
    return m_file != nullptr;
}

void Trace::Line(bool fromPc, std::string_view text) {
    std::lock_guard lock(m_mutex);
    if (!m_file) return;
    const double secs =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - m_start).count();
    std::fprintf(m_file, "%9.3f %s %.*s\n", secs, fromPc ? "PC>" : "PH>",
                 static_cast<int>(text.size()), text.data());
    std::fflush(m_file);
}

void Trace::Note(std::string_view text) {
    std::lock_guard lock(m_mutex);
    if (!m_file) return;
    std::fprintf(m_file, "          -- %.*s\n", static_cast<int>(text.size()), text.data());
    std::fflush(m_file);
}

std::string Trace::Escape(std::string_view bytes) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(bytes.size());
    for (unsigned char c : bytes) {
        if (c == '\r') {
            out += "\\r";
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\\') {
            out += "\\\\";
        } else if (c >= 0x20 && c < 0x7F) {
            out += static_cast<char>(c);
        } else {
            out += "\\x";
            out += kHex[c >> 4];
            out += kHex[c & 15];
        }
    }
    return out;
}

}  // namespace q7k3::emu
