// The kernel's termios2 lives in <asm/termbits.h>, whose struct termios clashes with the C
// library's <termios.h>; this unit includes only the kernel's side, and declares ioctl itself for
// the same reason (<sys/ioctl.h> pulls the C library's terminal types in).

#include "platform/kernel/SystemCalls.h"
#include "platform/serial/Termios.h"

#include <asm/ioctls.h>
#include <asm/termbits.h>
#include <cerrno>
#include <cstdlib>

extern "C" int ioctl(int descriptor, unsigned long request, ...);

namespace {

// A UART's divisor rarely hits a rate exactly; Win32's driver also takes a near rate.
constexpr long tolerancePercent = 2;

bool IsNear(speed_t actual, DWORD wanted) {
    long difference = std::labs(static_cast<long>(actual) - static_cast<long>(wanted));
    return difference * 100 <= static_cast<long>(wanted) * tolerancePercent;
}

} // namespace

namespace platform {

int SetCustomSpeed(int descriptor, DWORD baudRate) {
    termios2 settings{};
    if (RetryOnInterrupt([&] { return ::ioctl(descriptor, TCGETS2, &settings); }) != 0)
        return errno;
    settings.c_cflag &= ~(CBAUD | (CBAUD << IBSHIFT));
    settings.c_cflag |= BOTHER | (BOTHER << IBSHIFT);
    settings.c_ispeed = baudRate;
    settings.c_ospeed = baudRate;
    if (RetryOnInterrupt([&] { return ::ioctl(descriptor, TCSETS2, &settings); }) != 0)
        return errno;
    termios2 applied{};
    if (RetryOnInterrupt([&] { return ::ioctl(descriptor, TCGETS2, &applied); }) != 0)
        return errno;
    return IsNear(applied.c_ospeed, baudRate) ? 0 : EINVAL;
}

} // namespace platform
