#pragma once
// Reading the protocol trace's escaped bytes back (\r \n \t \\ \xNN), as a reader of a
// trace or of a recorded transcript would.

#include <cstdlib>
#include <string>
#include <string_view>

namespace q7k3::test {

// False on a backslash that starts no known escape (the output then is incomplete).
inline bool UnescapeTrace(std::string_view text, std::string& out) {
    out.clear();
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            out += text[i];
            continue;
        }
        if (++i == text.size()) return false;
        switch (text[i]) {
        case 'r': out += '\r'; break;
        case 'n': out += '\n'; break;
        case 't': out += '\t'; break;
        case '\\': out += '\\'; break;
        case 'x': {
            if (i + 2 >= text.size()) return false;
            const std::string hex(text.substr(i + 1, 2));
            char* end = nullptr;
            const long v = std::strtol(hex.c_str(), &end, 16);
            if (end != hex.c_str() + 2) return false;
            out += static_cast<char>(v);
            i += 2;
            break;
        }
        default: return false;
        }
    }
    return true;
}

inline std::string UnescapeTrace(std::string_view text) {
    std::string out;
    UnescapeTrace(text, out);
    return out;
}

}  // namespace q7k3::test
