#pragma once
// The boxes of a benchmark run: printed to stderr (a box during a timed run is a fault to
// look at), and every question answered Yes so that nothing waits for a person.

#include <cstdio>
#include <string>

#include "link/Prompts.h"

namespace q7k3::bench {

class QuietPrompts final : public Prompts {
public:
    void MessageBox(const std::string& text, const std::string&, BoxIcon) override {
        std::fprintf(stderr, "box: %s\n", text.c_str());
    }
    bool AskYesNo(const std::string&, const std::string&) override { return true; }
};

}  // namespace q7k3::bench
