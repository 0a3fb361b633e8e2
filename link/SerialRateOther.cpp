// Systems without termios2: only the rates that have a Bnnn constant can be set.
#include <cstdint>

namespace q7k3::detail {

bool SetArbitraryRate(int, uint32_t) { return false; }

}  // namespace q7k3::detail
