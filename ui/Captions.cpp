#include "ui/Messages.h"

namespace q7k3 {

const std::string& Caption(std::string_view /*window*/, std::string_view /*control*/) {
    static const std::string empty;
    return empty;
}

}  // namespace q7k3
