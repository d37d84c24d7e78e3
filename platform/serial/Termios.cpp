#include "platform/serial/Termios.h"

#include "platform/kernel/Errors.h"
#include "platform/kernel/SystemCalls.h"
#include "platform/serial/TerminalDevice.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <linux/serial.h>
#include <poll.h>
#include <sstream>
#include <string>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <termios.h>
#include <unistd.h>
#include <vector>

namespace {

struct StandardSpeed {
    DWORD baudRate;
    speed_t code;
};

constexpr StandardSpeed standardSpeeds[] = {
    {50, B50},           {75, B75},           {110, B110},         {134, B134},         {150, B150},
    {200, B200},         {300, B300},         {600, B600},         {1200, B1200},       {1800, B1800},
    {2400, B2400},       {4800, B4800},       {9600, B9600},       {19200, B19200},     {38400, B38400},
    {57600, B57600},     {115200, B115200},   {230400, B230400},   {460800, B460800},   {500000, B500000},
    {576000, B576000},   {921600, B921600},   {1000000, B1000000}, {1152000, B1152000}, {1500000, B1500000},
    {2000000, B2000000}, {2500000, B2500000}, {3000000, B3000000}, {3500000, B3500000}, {4000000, B4000000},
};

const StandardSpeed* FindStandardSpeed(DWORD baudRate) {
    auto found = std::find_if(std::begin(standardSpeeds), std::end(standardSpeeds),
                              [baudRate](const StandardSpeed& speed) { return speed.baudRate == baudRate; });
    return found == std::end(standardSpeeds) ? nullptr : found;
}

tcflag_t SizeFlag(BYTE byteSize) {
    switch (byteSize) {
    case 5:
        return CS5;
    case 6:
        return CS6;
    case 7:
        return CS7;
    default:
        return CS8;
    }
}

// Mark parity is odd "stick" parity and space parity even stick parity (CMSPAR).
tcflag_t ParityFlags(BYTE parity) {
    switch (parity) {
    case ODDPARITY:
        return PARENB | PARODD;
    case EVENPARITY:
        return PARENB;
    case MARKPARITY:
        return PARENB | PARODD | CMSPAR;
    case SPACEPARITY:
        return PARENB | CMSPAR;
    default:
        return 0;
    }
}

void ApplyFraming(termios& settings, const platform::SerialLineSettings& line) {
    ::cfmakeraw(&settings);
    settings.c_cflag &= ~(CSIZE | CSTOPB | PARENB | PARODD | CMSPAR | CRTSCTS);
    settings.c_cflag |= CREAD | CLOCAL | HUPCL | SizeFlag(line.byteSize) | ParityFlags(line.parity);
    if (line.stopBits != ONESTOPBIT)
        settings.c_cflag |= CSTOPB;
    if (line.usesRtsCtsFlow)
        settings.c_cflag |= CRTSCTS;
    settings.c_iflag &= ~(IXON | IXOFF | IXANY | INPCK | IGNPAR | PARMRK);
    if (line.checksParity)
        settings.c_iflag |= INPCK;
    settings.c_cc[VMIN] = 1;
    settings.c_cc[VTIME] = 0;
}

// Errors that mean the device is no longer there: a hung-up terminal gives EIO, some USB serial
// drivers ENODEV or ENXIO after the adapter is pulled.
bool IsHangUp(int errnoValue) {
    return errnoValue == EIO || errnoValue == ENODEV || errnoValue == ENXIO || errnoValue == EPIPE;
}

// Drivers without modem lines or counters say so with ENOTTY, some with EINVAL.
bool IsUnsupported(int errnoValue) {
    return errnoValue == ENOTTY || errnoValue == EINVAL;
}

class TermiosDevice final : public platform::TerminalDevice {
public:
    TermiosDevice(int descriptor, int wakeDescriptor)
        : TerminalDevice(descriptor, wakeDescriptor, IsHangUp, POLLHUP | POLLERR | POLLNVAL) {}
    ~TermiosDevice() override;

    DWORD Configure(const platform::SerialLineSettings& settings) override;
    bool IsReadCostly() const override { return true; }
    DWORD OutputQueue(DWORD& count) override;
    DWORD ModemStatus(DWORD& lines) override;
    // A terminal device has no event for a modem line's change; a pseudo-terminal has no lines.
    bool SignalsModemChanges() const override { return !hasModemLines; }
    DWORD SetDtr(bool on) override;
    DWORD SetRts(bool on) override;
    DWORD SetBreak(bool on) override;
    DWORD ErrorCounts(platform::SerialErrorCounts& counts) override;

private:
    DWORD Control(unsigned long request, int line);
    DWORD ApplySpeed(const termios& previous, DWORD baudRate);

    std::atomic<bool> hasModemLines{true};
    std::atomic<bool> hasErrorCounts{true};
};

TermiosDevice::~TermiosDevice() {
    ::ioctl(descriptor, TIOCNXCL);
}

DWORD TermiosDevice::Configure(const platform::SerialLineSettings& settings) {
    if (isGone)
        return ERROR_DEVICE_NOT_CONNECTED;
    termios previous{};
    if (::tcgetattr(descriptor, &previous) != 0)
        return Failure(errno);
    termios wanted = previous;
    ApplyFraming(wanted, settings);
    const StandardSpeed* speed = FindStandardSpeed(settings.baudRate);
    // A custom speed goes in after the framing; until then the line keeps the speed it had.
    speed_t code = speed != nullptr ? speed->code : ::cfgetospeed(&previous);
    ::cfsetispeed(&wanted, code);
    ::cfsetospeed(&wanted, code);
    if (platform::RetryOnInterrupt([&] { return ::tcsetattr(descriptor, TCSANOW, &wanted); }) != 0)
        return Failure(errno);
    return ApplySpeed(previous, settings.baudRate);
}

// The driver writes back the speed it could set; anything else than the one asked for is a
// refusal, and the old settings go back in.
DWORD TermiosDevice::ApplySpeed(const termios& previous, DWORD baudRate) {
    const StandardSpeed* speed = FindStandardSpeed(baudRate);
    int failure = 0;
    if (speed == nullptr) {
        failure = platform::SetCustomSpeed(descriptor, baudRate);
    } else {
        termios applied{};
        if (::tcgetattr(descriptor, &applied) != 0)
            failure = errno;
        else if (::cfgetospeed(&applied) != speed->code)
            failure = EINVAL;
    }
    if (failure == 0)
        return ERROR_SUCCESS;
    if (IsHangUp(failure))
        return Failure(failure);
    platform::RetryOnInterrupt([&] { return ::tcsetattr(descriptor, TCSANOW, &previous); });
    return ERROR_INVALID_PARAMETER;
}

// Pseudo-terminals always say 0 here; the port's line-speed clock covers for them.
DWORD TermiosDevice::OutputQueue(DWORD& count) {
    count = 0;
    if (isGone)
        return ERROR_DEVICE_NOT_CONNECTED;
    int queued = 0;
    if (::ioctl(descriptor, TIOCOUTQ, &queued) != 0)
        return IsUnsupported(errno) ? ERROR_SUCCESS : Failure(errno);
    count = static_cast<DWORD>(std::max(queued, 0));
    return ERROR_SUCCESS;
}

DWORD TermiosDevice::ModemStatus(DWORD& lines) {
    lines = MS_CTS_ON | MS_DSR_ON | MS_RLSD_ON;
    if (isGone)
        return ERROR_DEVICE_NOT_CONNECTED;
    if (!hasModemLines)
        return ERROR_SUCCESS;
    int status = 0;
    if (::ioctl(descriptor, TIOCMGET, &status) != 0) {
        if (!IsUnsupported(errno))
            return Failure(errno);
        hasModemLines = false;
        return ERROR_SUCCESS;
    }
    lines = ((status & TIOCM_CTS) ? MS_CTS_ON : 0) | ((status & TIOCM_DSR) ? MS_DSR_ON : 0) |
            ((status & TIOCM_RNG) ? MS_RING_ON : 0) | ((status & TIOCM_CAR) ? MS_RLSD_ON : 0);
    return ERROR_SUCCESS;
}

DWORD TermiosDevice::Control(unsigned long request, int line) {
    if (isGone)
        return ERROR_DEVICE_NOT_CONNECTED;
    if (!hasModemLines)
        return ERROR_SUCCESS;
    if (::ioctl(descriptor, request, &line) != 0) {
        if (!IsUnsupported(errno))
            return Failure(errno);
        hasModemLines = false;
    }
    return ERROR_SUCCESS;
}

DWORD TermiosDevice::SetDtr(bool on) {
    return Control(on ? TIOCMBIS : TIOCMBIC, TIOCM_DTR);
}

DWORD TermiosDevice::SetRts(bool on) {
    return Control(on ? TIOCMBIS : TIOCMBIC, TIOCM_RTS);
}

DWORD TermiosDevice::SetBreak(bool on) {
    if (isGone)
        return ERROR_DEVICE_NOT_CONNECTED;
    if (::ioctl(descriptor, on ? TIOCSBRK : TIOCCBRK) != 0 && !IsUnsupported(errno))
        return Failure(errno);
    return ERROR_SUCCESS;
}

DWORD TermiosDevice::ErrorCounts(platform::SerialErrorCounts& counts) {
    counts = {};
    if (isGone)
        return ERROR_DEVICE_NOT_CONNECTED;
    if (!hasErrorCounts)
        return ERROR_SUCCESS;
    serial_icounter_struct driverCounts{};
    if (::ioctl(descriptor, TIOCGICOUNT, &driverCounts) != 0) {
        if (!IsUnsupported(errno))
            return Failure(errno);
        hasErrorCounts = false;
        return ERROR_SUCCESS;
    }
    counts.overrun = static_cast<DWORD>(driverCounts.overrun);
    counts.bufferOverrun = static_cast<DWORD>(driverCounts.buf_overrun);
    counts.parity = static_cast<DWORD>(driverCounts.parity);
    counts.frame = static_cast<DWORD>(driverCounts.frame);
    counts.breaks = static_cast<DWORD>(driverCounts.brk);
    return ERROR_SUCCESS;
}

DWORD OpenFailure(int errnoValue) {
    switch (errnoValue) {
    case ENOENT:
    case ENXIO:
    case ENODEV:
    case ENOTDIR:
        return ERROR_FILE_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EBUSY:
        return ERROR_ACCESS_DENIED;
    default:
        return platform::Win32ErrorFromErrno(errnoValue);
    }
}

// Lines of /proc/tty/drivers end with the major number, the minor number or range, and the type.
bool DriverServesDevice(const std::string& line, unsigned deviceMajor, unsigned deviceMinor) {
    std::istringstream fields(line);
    std::vector<std::string> words;
    for (std::string word; fields >> word;)
        words.push_back(word);
    if (words.size() < 4)
        return false;
    const std::string& type = words.back();
    if (type != "serial" && type != "pty:slave")
        return false;
    unsigned major = static_cast<unsigned>(std::strtoul(words[words.size() - 3].c_str(), nullptr, 10));
    const std::string& minors = words[words.size() - 2];
    std::size_t dash = minors.find('-');
    unsigned first = static_cast<unsigned>(std::strtoul(minors.c_str(), nullptr, 10));
    unsigned last = dash == std::string::npos
                        ? first
                        : static_cast<unsigned>(std::strtoul(minors.c_str() + dash + 1, nullptr, 10));
    return major == deviceMajor && deviceMinor >= first && deviceMinor <= last;
}

} // namespace

namespace platform {

std::unique_ptr<SerialDevice> OpenTermiosDevice(const std::string& path, DWORD& error) {
    error = ERROR_SUCCESS;
    int descriptor =
        RetryOnInterrupt([&] { return ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC); });
    if (descriptor < 0) {
        error = OpenFailure(errno);
        return nullptr;
    }
    if (!::isatty(descriptor))
        error = ERROR_FILE_NOT_FOUND;
    else if (RetryOnInterrupt([&] { return ::flock(descriptor, LOCK_EX | LOCK_NB); }) != 0)
        error = errno == EWOULDBLOCK ? ERROR_ACCESS_DENIED : Win32ErrorFromErrno(errno);
    int wakeDescriptor = error == ERROR_SUCCESS ? ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC) : -1;
    if (error == ERROR_SUCCESS && wakeDescriptor < 0)
        error = Win32ErrorFromErrno(errno);
    if (error != ERROR_SUCCESS) {
        ::close(descriptor);
        return nullptr;
    }
    ::ioctl(descriptor, TIOCEXCL);
    return std::make_unique<TermiosDevice>(descriptor, wakeDescriptor);
}

bool IsSerialTerminalPath(const char* path) {
    struct stat status {};
    if (path == nullptr || path[0] != '/' || ::stat(path, &status) != 0 || !S_ISCHR(status.st_mode))
        return false;
    std::ifstream drivers("/proc/tty/drivers");
    for (std::string line; std::getline(drivers, line);) {
        if (DriverServesDevice(line, major(status.st_rdev), minor(status.st_rdev)))
            return true;
    }
    return false;
}

} // namespace platform
