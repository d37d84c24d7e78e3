#include "platform/serial/Pty.h"

#include "platform/kernel/Errors.h"
#include "platform/kernel/Files.h"
#include "platform/kernel/Handles.h"
#include "platform/kernel/SystemCalls.h"
#include "platform/serial/Device.h"
#include "platform/serial/Port.h"
#include "platform/serial/Termios.h"

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <memory>
#include <poll.h>
#include <sys/eventfd.h>
#include <termios.h>
#include <unistd.h>

namespace {

// The master side of a pair. It moves bytes only: the terminal settings are the program side's,
// and a master side that changed them would reconfigure the program's port under its feet.
class PseudoTerminalMaster final : public platform::SerialDevice {
public:
    PseudoTerminalMaster(int master, int programSide, int wakeDescriptor)
        : master(master), programSide(programSide), wakeDescriptor(wakeDescriptor) {}
    ~PseudoTerminalMaster() override {
        ::close(programSide);
        ::close(master);
        ::close(wakeDescriptor);
    }

    DWORD Configure(const platform::SerialLineSettings&) override { return Status(); }
    DWORD Read(BYTE* data, DWORD size, DWORD& got) override;
    DWORD Write(const BYTE* data, DWORD size, DWORD& put) override;
    DWORD OutputQueue(DWORD& count) override {
        count = 0;
        return Status();
    }
    DWORD Discard(bool input, bool output) override;
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
    void Wait(platform::SerialEvents events, platform::SerialDeadline deadline) override;
    void Wake() override { ::eventfd_write(wakeDescriptor, 1); }

private:
    DWORD Status() const { return isGone ? ERROR_DEVICE_NOT_CONNECTED : ERROR_SUCCESS; }
    DWORD Failure(int errnoValue) {
        if (errnoValue == EIO)
            isGone = true;
        return isGone ? ERROR_DEVICE_NOT_CONNECTED : platform::Win32ErrorFromErrno(errnoValue);
    }

    int master;
    int programSide;
    int wakeDescriptor;
    std::atomic<bool> isGone{false};
};

DWORD PseudoTerminalMaster::Read(BYTE* data, DWORD size, DWORD& got) {
    got = 0;
    if (isGone)
        return ERROR_DEVICE_NOT_CONNECTED;
    const int failure = platform::ReadTerminal(master, data, size, got);
    return failure == 0 ? ERROR_SUCCESS : Failure(failure);
}

DWORD PseudoTerminalMaster::Write(const BYTE* data, DWORD size, DWORD& put) {
    put = 0;
    if (isGone)
        return ERROR_DEVICE_NOT_CONNECTED;
    const int failure = platform::WriteTerminal(master, data, size, put);
    return failure == 0 ? ERROR_SUCCESS : Failure(failure);
}

// tcflush on the master flushes the queues as the program's side sees them: input here is what
// the program sent and this side has not read.
DWORD PseudoTerminalMaster::Discard(bool input, bool output) {
    if (isGone)
        return ERROR_DEVICE_NOT_CONNECTED;
    if (!input && !output)
        return ERROR_SUCCESS;
    int queue = input && output ? TCIOFLUSH : input ? TCIFLUSH : TCOFLUSH;
    return ::tcflush(master, queue) == 0 ? ERROR_SUCCESS : Failure(errno);
}

void PseudoTerminalMaster::Wait(platform::SerialEvents events, platform::SerialDeadline deadline) {
    if (isGone)
        return;
    short wanted = 0;
    if (platform::Includes(events, platform::SerialEvents::Input))
        wanted |= POLLIN;
    if (platform::Includes(events, platform::SerialEvents::Room))
        wanted |= POLLOUT;
    pollfd watched[] = {{master, wanted, 0}, {wakeDescriptor, POLLIN, 0}};
    auto left = deadline.Remaining();
    timespec timeout{static_cast<time_t>(left.count() / 1'000'000'000),
                     static_cast<long>(left.count() % 1'000'000'000)};
    if (::ppoll(watched, 2, &timeout, nullptr) <= 0)
        return;
    if (watched[0].revents & (POLLERR | POLLNVAL))
        isGone = true;
    if (watched[1].revents & POLLIN) {
        eventfd_t drained = 0;
        ::eventfd_read(wakeDescriptor, &drained);
    }
}

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
