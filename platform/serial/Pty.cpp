#include "platform/serial/Pty.h"

#include "platform/kernel/Errors.h"
#include "platform/kernel/Files.h"
#include "platform/kernel/Handles.h"
#include "platform/kernel/SystemCalls.h"
#include "platform/serial/Device.h"
#include "platform/serial/Port.h"
#include "platform/serial/TerminalDevice.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <memory>
#include <poll.h>
#include <sys/eventfd.h>
#include <termios.h>
#include <unistd.h>

namespace {

// A hung-up master reads EIO.
bool IsMasterHangUp(int errnoValue) {
    return errnoValue == EIO;
}

// The master side of a pair. It moves bytes only: the terminal settings are the program side's,
// and a master side that changed them would reconfigure the program's port under its feet. The
// program's side stays open with it, so the master never sees a hang-up while the pair lives.
class PseudoTerminalMaster final : public platform::TerminalDevice {
public:
    PseudoTerminalMaster(int master, int programSide, int wakeDescriptor)
        : TerminalDevice(master, wakeDescriptor, IsMasterHangUp, POLLERR | POLLNVAL),
          programSide(programSide) {}
    ~PseudoTerminalMaster() override { ::close(programSide); }

    DWORD Configure(const platform::SerialLineSettings&) override { return Status(); }
    DWORD OutputQueue(DWORD& count) override {
        count = 0;
        return Status();
    }
    DWORD ModemStatus(DWORD& lines) override {
        lines = MS_CTS_ON | MS_DSR_ON | MS_RLSD_ON;
        return Status();
    }
    DWORD SetDtr(bool) override { return Status(); }
    DWORD SetRts(bool) override { return Status(); }
    DWORD SetBreak(bool) override { return Status(); }
    DWORD ErrorCounts(platform::SerialErrorCounts& counts) override {
        counts = {};
        return Status();
    }

private:
    int programSide;
};

// Opens the master side and the program's side, with the program's side raw. Returns the
// error, or ERROR_SUCCESS with both descriptors and the path set.
DWORD OpenPair(int& master, int& programSide, std::string& path) {
    master = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (master < 0)
        return platform::Win32ErrorFromErrno(errno);
    char name[128] = {};
    if (::grantpt(master) != 0 || ::unlockpt(master) != 0 || ::ptsname_r(master, name, sizeof name) != 0) {
        DWORD error = platform::Win32ErrorFromErrno(errno);
        ::close(master);
        return error;
    }
    programSide =
        platform::RetryOnInterrupt([&] { return ::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC); });
    termios settings{};
    if (programSide < 0 || ::tcgetattr(programSide, &settings) != 0) {
        DWORD error = platform::Win32ErrorFromErrno(errno);
        if (programSide >= 0)
            ::close(programSide);
        ::close(master);
        return error;
    }
    ::cfmakeraw(&settings);
    settings.c_cflag |= CLOCAL | CREAD;
    platform::RetryOnInterrupt([&] { return ::tcsetattr(programSide, TCSANOW, &settings); });
    path = name;
    return ERROR_SUCCESS;
}

} // namespace

namespace platform {

HANDLE OpenPseudoTerminal(std::string& programSidePath) {
    programSidePath.clear();
    int master = -1;
    int programSide = -1;
    std::string path;
    if (DWORD error = OpenPair(master, programSide, path); error != ERROR_SUCCESS) {
        SetLastError(error);
        return INVALID_HANDLE_VALUE;
    }
    int wakeDescriptor = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (wakeDescriptor < 0) {
        SetLastError(Win32ErrorFromErrno(errno));
        ::close(programSide);
        ::close(master);
        return INVALID_HANDLE_VALUE;
    }
    auto port = std::make_shared<SerialPort>(
        std::make_unique<PseudoTerminalMaster>(master, programSide, wakeDescriptor),
        GENERIC_READ | GENERIC_WRITE);
    if (DWORD error = port->Start(); error != ERROR_SUCCESS) {
        SetLastError(error);
        return INVALID_HANDLE_VALUE;
    }
    HANDLE handle = InsertHandle(port);
    port->SetHandle(handle);
    programSidePath = path;
    return handle;
}

} // namespace platform
