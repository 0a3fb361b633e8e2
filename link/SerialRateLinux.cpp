// Own file because <asm/termbits.h> (termios2, BOTHER) clashes with <termios.h>.
#include <asm/termbits.h>
#include <sys/ioctl.h>

#include <cstdint>

namespace q7k3::detail {

bool SetArbitraryRate(int fd, uint32_t rate) {
    struct termios2 tio {};
    if (ioctl(fd, TCGETS2, &tio) != 0) return false;
    tio.c_cflag &= ~(CBAUD | (CBAUD << IBSHIFT));
    tio.c_cflag |= BOTHER | (BOTHER << IBSHIFT);
    tio.c_ispeed = rate;
    tio.c_ospeed = rate;
    return ioctl(fd, TCSETS2, &tio) == 0;
}

}  // namespace q7k3::detail
