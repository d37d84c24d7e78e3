#include "platform/serial/Network.h"

#include "platform/kernel/Errors.h"
#include "platform/kernel/SystemCalls.h"
#include "platform/serial/Telnet.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <mutex>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

using platform::ComPortAnswer;
using platform::TelnetComPortCodec;
using platform::telnet::ComPortCommand;
using Clock = std::chrono::steady_clock;

constexpr const char* rawScheme = "tcp://";
constexpr const char* telnetScheme = "rfc2217://";
// Line data taken from the socket and not yet read by the port; beyond this the socket is left
// alone, so the server's own flow control holds the far end back.
constexpr std::size_t receivedLimit = 64 * 1024;
// Encoded bytes the socket has not taken yet; Write takes no more line data beyond this.
constexpr std::size_t pendingLimit = 1024;
constexpr unsigned settingsAnswers =
    static_cast<unsigned>(ComPortAnswer::BaudRate) | static_cast<unsigned>(ComPortAnswer::DataSize) |
    static_cast<unsigned>(ComPortAnswer::Parity) | static_cast<unsigned>(ComPortAnswer::StopSize) |
    static_cast<unsigned>(ComPortAnswer::OutboundFlow);

struct NetworkAddress {
    bool usesComPort = false;
    std::string host;
    std::string service;
};

bool StartsWith(const std::string& text, const char* prefix) {
    return text.rfind(prefix, 0) == 0;
}

// HOST:PORT, with an IPv6 host in brackets; a trailing slash is allowed.
bool ParseAddress(const std::string& address, NetworkAddress& parsed) {
    parsed.usesComPort = StartsWith(address, telnetScheme);
    std::string rest = address.substr(parsed.usesComPort ? std::char_traits<char>::length(telnetScheme)
                                                         : std::char_traits<char>::length(rawScheme));
    if (!rest.empty() && rest.back() == '/')
        rest.pop_back();
    std::size_t colon = rest.rfind(':');
    if (colon == std::string::npos || colon == 0 || colon + 1 == rest.size())
        return false;
    parsed.host = rest.substr(0, colon);
    parsed.service = rest.substr(colon + 1);
    if (parsed.host.front() == '[') {
        if (parsed.host.size() < 3 || parsed.host.back() != ']')
            return false;
        parsed.host = parsed.host.substr(1, parsed.host.size() - 2);
    }
    return parsed.service.find_first_not_of("0123456789") == std::string::npos && parsed.service.size() <= 5;
}

DWORD ConnectFailure(int errnoValue) {
    return errnoValue == ETIMEDOUT ? WSAETIMEDOUT : platform::Win32ErrorFromErrno(errnoValue);
}

int Milliseconds(Clock::time_point until) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - Clock::now()).count();
    return static_cast<int>(std::clamp<long long>(left, 0, 60'000));
}

// One address tried until the deadline: the descriptor, or -1 with the errno of the failure.
int ConnectTo(const addrinfo& candidate, Clock::time_point until, int& failure) {
    int descriptor = ::socket(candidate.ai_family, candidate.ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC,
                              candidate.ai_protocol);
    if (descriptor < 0) {
        failure = errno;
        return -1;
    }
    failure = 0;
    if (::connect(descriptor, candidate.ai_addr, candidate.ai_addrlen) != 0) {
        failure = errno;
        if (failure == EINPROGRESS) {
            pollfd watched{descriptor, POLLOUT, 0};
            int ready = platform::RetryOnInterrupt([&] { return ::poll(&watched, 1, Milliseconds(until)); });
            socklen_t size = sizeof failure;
            if (ready <= 0)
                failure = ETIMEDOUT;
            else if (::getsockopt(descriptor, SOL_SOCKET, SO_ERROR, &failure, &size) != 0)
                failure = errno;
        }
    }
    if (failure != 0) {
        ::close(descriptor);
        return -1;
    }
    return descriptor;
}

// Small chunks go at once, and a server that vanished without closing is noticed: keep-alive
// probes from a second of silence, and unacknowledged data given up after deadPeerTime.
void TuneSocket(int descriptor) {
    int on = 1;
    int idleSeconds = 1;
    int probes = 1;
    unsigned userTimeout = static_cast<unsigned>(platform::deadPeerTime.count());
    ::setsockopt(descriptor, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    ::setsockopt(descriptor, SOL_SOCKET, SO_KEEPALIVE, &on, sizeof on);
    ::setsockopt(descriptor, IPPROTO_TCP, TCP_KEEPIDLE, &idleSeconds, sizeof idleSeconds);
    ::setsockopt(descriptor, IPPROTO_TCP, TCP_KEEPINTVL, &idleSeconds, sizeof idleSeconds);
    ::setsockopt(descriptor, IPPROTO_TCP, TCP_KEEPCNT, &probes, sizeof probes);
    ::setsockopt(descriptor, IPPROTO_TCP, TCP_USER_TIMEOUT, &userTimeout, sizeof userTimeout);
}

int Connect(const NetworkAddress& address, DWORD& error) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_NUMERICSERV | AI_ADDRCONFIG;
    addrinfo* found = nullptr;
    int lookup = ::getaddrinfo(address.host.c_str(), address.service.c_str(), &hints, &found);
    if (lookup != 0) {
        error = lookup == EAI_SYSTEM ? platform::Win32ErrorFromErrno(errno) : WSAHOST_NOT_FOUND;
        return -1;
    }
    const Clock::time_point until = Clock::now() + platform::connectTimeout;
    int descriptor = -1;
    int failure = ECONNREFUSED;
    for (addrinfo* candidate = found; candidate != nullptr && descriptor < 0; candidate = candidate->ai_next)
        descriptor = ConnectTo(*candidate, until, failure);
    ::freeaddrinfo(found);
    if (descriptor < 0) {
        error = ConnectFailure(failure);
        return -1;
    }
    TuneSocket(descriptor);
    return descriptor;
}

BYTE ParityValue(BYTE parity) {
    using namespace platform::telnet;
    switch (parity) {
    case ODDPARITY:
        return ParityOdd;
    case EVENPARITY:
        return ParityEven;
    case MARKPARITY:
        return ParityMark;
    case SPACEPARITY:
        return ParitySpace;
    default:
        return ParityNone;
    }
}

class NetworkDevice final : public platform::SerialDevice {
public:
    NetworkDevice(int descriptor, int wakeDescriptor, bool usesComPort)
        : descriptor(descriptor), wakeDescriptor(wakeDescriptor), usesComPort(usesComPort) {}
    ~NetworkDevice() override;

    // The handshake after the connect: the Telnet offers and the report masks, or a short look
    // for a raw server that closes at once.
    DWORD Begin();

    DWORD Configure(const platform::SerialLineSettings& settings) override;
    DWORD Read(BYTE* data, DWORD size, DWORD& got) override;
    bool IsReadCostly() const override { return true; }
    DWORD Write(const BYTE* data, DWORD size, DWORD& put) override;
    DWORD OutputQueue(DWORD& count) override;
    DWORD Discard(bool input, bool output) override;
    DWORD ModemStatus(DWORD& lines) override;
    DWORD SetDtr(bool on) override;
    DWORD SetRts(bool on) override;
    DWORD SetBreak(bool on) override;
    DWORD ErrorCounts(platform::SerialErrorCounts& counts) override;
    void Wait(platform::SerialEvents events, platform::SerialDeadline deadline) override;
    void Wake() override;

private:
    using Lock = std::unique_lock<std::mutex>;

    // Gone, or closed by the server with nothing left to read.
    bool IsGoneLocked() const { return isGone || (isClosedByServer && received.empty()); }
    DWORD StateLocked() const { return IsGoneLocked() ? ERROR_DEVICE_NOT_CONNECTED : ERROR_SUCCESS; }
    void FailLocked() { isGone = true; }
    void ReceiveLocked();
    void FlushLocked();
    DWORD ControlLocked(BYTE value);
    void SendSettingsLocked(const platform::SerialLineSettings& settings);
    // Waits for the answers (ComPortAnswer bits) to what was sent, up to the time.
    DWORD AwaitAnswersLocked(unsigned wanted, Clock::time_point until);
    bool IsAnsweredAsAsked(const platform::SerialLineSettings& asked) const;

    const int descriptor;
    const int wakeDescriptor;
    const bool usesComPort;

    std::mutex mutex;
    TelnetComPortCodec codec;
    std::string received;
    std::string pending;
    bool isClosedByServer = false;
    std::atomic<bool> isGone{false};
    platform::SerialLineSettings current;
    bool hasSettings = false;
};

NetworkDevice::~NetworkDevice() {
    ::close(descriptor);
    ::close(wakeDescriptor);
}

void NetworkDevice::ReceiveLocked() {
    BYTE bytes[4096];
    while (!isGone && !isClosedByServer && received.size() < receivedLimit) {
        const ssize_t count =
            platform::RetryOnInterrupt([&] { return ::recv(descriptor, bytes, sizeof bytes, 0); });
        if (count == 0) {
            isClosedByServer = true;
        } else if (count < 0) {
            if (errno != EAGAIN)
                FailLocked();
            break;
        } else if (usesComPort) {
            codec.Receive(bytes, static_cast<std::size_t>(count), received, pending);
        } else {
            received.append(reinterpret_cast<const char*>(bytes), static_cast<std::size_t>(count));
        }
    }
    FlushLocked();
}

void NetworkDevice::FlushLocked() {
    while (!pending.empty() && !isGone) {
        const ssize_t count = platform::RetryOnInterrupt(
            [&] { return ::send(descriptor, pending.data(), pending.size(), MSG_NOSIGNAL | MSG_DONTWAIT); });
        if (count < 0) {
            if (errno != EAGAIN)
                FailLocked();
            return;
        }
        pending.erase(0, static_cast<std::size_t>(count));
    }
}

DWORD NetworkDevice::Begin() {
    Lock lock(mutex);
    const Clock::time_point until =
        Clock::now() + (usesComPort ? platform::connectTimeout : platform::rawSettleTime);
    if (!usesComPort) {
        pollfd watched{descriptor, POLLRDHUP, 0};
        platform::RetryOnInterrupt([&] { return ::poll(&watched, 1, Milliseconds(until)); });
        return (watched.revents & (POLLRDHUP | POLLHUP | POLLERR)) != 0 ? ERROR_BUSY : ERROR_SUCCESS;
    }
    pending += codec.Greeting();
    FlushLocked();
    while (!codec.IsComPortAccepted() && !codec.IsComPortRefused()) {
        pollfd watched{descriptor, POLLIN, 0};
        if (platform::RetryOnInterrupt([&] { return ::poll(&watched, 1, Milliseconds(until)); }) <= 0)
            return ERROR_TIMEOUT;
        ReceiveLocked();
        if (IsGoneLocked())
            return ERROR_BUSY;
    }
    if (codec.IsComPortRefused())
        return ERROR_NOT_SUPPORTED;
    // Errors and breaks, and the levels of the four modem lines. Servers need not confirm masks
    // (ser2net does not), so the round trip that shows the server serves this client is a
    // request for the speed in force (a SET-BAUDRATE of 0).
    TelnetComPortCodec::EncodeCommand(ComPortCommand::SetLineStateMask,
                                      platform::telnet::LineBreak | platform::telnet::LineFraming |
                                          platform::telnet::LineParity | platform::telnet::LineOverrun,
                                      pending);
    TelnetComPortCodec::EncodeCommand(ComPortCommand::SetModemStateMask,
                                      platform::telnet::ModemCarrier | platform::telnet::ModemRing |
                                          platform::telnet::ModemDsr | platform::telnet::ModemCts,
                                      pending);
    TelnetComPortCodec::EncodeBaudRate(0, pending);
    codec.ForgetAnswers();
    DWORD error = AwaitAnswersLocked(static_cast<unsigned>(ComPortAnswer::BaudRate), until);
    return error == ERROR_DEVICE_NOT_CONNECTED ? ERROR_BUSY : error;
}

DWORD NetworkDevice::AwaitAnswersLocked(unsigned wanted, Clock::time_point until) {
    FlushLocked();
    for (;;) {
        ReceiveLocked();
        if (IsGoneLocked())
            return ERROR_DEVICE_NOT_CONNECTED;
        if ((codec.Answered() & wanted) == wanted)
            return ERROR_SUCCESS;
        pollfd watched{descriptor, static_cast<short>(POLLIN | (pending.empty() ? 0 : POLLOUT)), 0};
        if (platform::RetryOnInterrupt([&] { return ::poll(&watched, 1, Milliseconds(until)); }) <= 0)
            return ERROR_TIMEOUT;
    }
}

void NetworkDevice::SendSettingsLocked(const platform::SerialLineSettings& settings) {
    using namespace platform::telnet;
    TelnetComPortCodec::EncodeBaudRate(settings.baudRate, pending);
    TelnetComPortCodec::EncodeCommand(ComPortCommand::SetDataSize, settings.byteSize, pending);
    TelnetComPortCodec::EncodeCommand(ComPortCommand::SetParity, ParityValue(settings.parity), pending);
    TelnetComPortCodec::EncodeCommand(ComPortCommand::SetStopSize,
                                      settings.stopBits == ONESTOPBIT ? StopOne : StopTwo, pending);
    TelnetComPortCodec::EncodeCommand(ComPortCommand::SetControl,
                                      settings.usesRtsCtsFlow ? OutboundHardware : OutboundNone, pending);
}

bool NetworkDevice::IsAnsweredAsAsked(const platform::SerialLineSettings& asked) const {
    using namespace platform::telnet;
    const platform::ComPortSettings& answer = codec.Settings();
    return answer.baudRate == asked.baudRate && answer.dataSize == asked.byteSize &&
           answer.parity == ParityValue(asked.parity) &&
           answer.stopSize == (asked.stopBits == ONESTOPBIT ? StopOne : StopTwo) &&
           answer.outboundFlow == (asked.usesRtsCtsFlow ? OutboundHardware : OutboundNone);
}

DWORD NetworkDevice::Configure(const platform::SerialLineSettings& settings) {
    Lock lock(mutex);
    if (DWORD error = StateLocked(); error != ERROR_SUCCESS)
        return error;
    if (!usesComPort) {
        current = settings;
        return ERROR_SUCCESS;
    }
    codec.ForgetAnswers();
    SendSettingsLocked(settings);
    if (DWORD error = AwaitAnswersLocked(settingsAnswers, Clock::now() + platform::connectTimeout);
        error != ERROR_SUCCESS)
        return error;
    if (!IsAnsweredAsAsked(settings)) {
        if (hasSettings)
            SendSettingsLocked(current);
        FlushLocked();
        return ERROR_INVALID_PARAMETER;
    }
    current = settings;
    hasSettings = true;
    return ERROR_SUCCESS;
}

DWORD NetworkDevice::Read(BYTE* data, DWORD size, DWORD& got) {
    got = 0;
    Lock lock(mutex);
    if (isGone)
        return ERROR_DEVICE_NOT_CONNECTED;
    ReceiveLocked();
    got = static_cast<DWORD>(std::min<std::size_t>(size, received.size()));
    std::copy_n(received.begin(), got, data);
    received.erase(0, got);
    return got > 0 ? ERROR_SUCCESS : StateLocked();
}

DWORD NetworkDevice::Write(const BYTE* data, DWORD size, DWORD& put) {
    put = 0;
    Lock lock(mutex);
    FlushLocked();
    if (DWORD error = StateLocked(); error != ERROR_SUCCESS)
        return error;
    if (codec.IsSuspended() || pending.size() >= pendingLimit)
        return ERROR_SUCCESS;
    put = static_cast<DWORD>(std::min<std::size_t>(size, pendingLimit - pending.size()));
    if (usesComPort)
        codec.EncodeData(data, put, pending);
    else
        pending.append(reinterpret_cast<const char*>(data), put);
    FlushLocked();
    return StateLocked();
}

DWORD NetworkDevice::OutputQueue(DWORD& count) {
    Lock lock(mutex);
    FlushLocked();
    count = static_cast<DWORD>(pending.size());
    return StateLocked();
}

DWORD NetworkDevice::Discard(bool input, bool output) {
    using namespace platform::telnet;
    Lock lock(mutex);
    if (DWORD error = StateLocked(); error != ERROR_SUCCESS)
        return error;
    if (input) {
        ReceiveLocked();
        received.clear();
    }
    if (usesComPort && (input || output)) {
        TelnetComPortCodec::EncodeCommand(ComPortCommand::PurgeData,
                                          input && output ? PurgeBoth
                                          : input         ? PurgeReceived
                                                          : PurgeTransmit,
                                          pending);
        FlushLocked();
    }
    return StateLocked();
}

DWORD NetworkDevice::ModemStatus(DWORD& lines) {
    Lock lock(mutex);
    lines = codec.ModemLines();
    return StateLocked();
}

DWORD NetworkDevice::ControlLocked(BYTE value) {
    if (DWORD error = StateLocked(); error != ERROR_SUCCESS)
        return error;
    if (usesComPort) {
        TelnetComPortCodec::EncodeCommand(ComPortCommand::SetControl, value, pending);
        FlushLocked();
    }
    return StateLocked();
}

DWORD NetworkDevice::SetDtr(bool on) {
    Lock lock(mutex);
    return ControlLocked(on ? platform::telnet::DtrOn : platform::telnet::DtrOff);
}

DWORD NetworkDevice::SetRts(bool on) {
    Lock lock(mutex);
    return ControlLocked(on ? platform::telnet::RtsOn : platform::telnet::RtsOff);
}

DWORD NetworkDevice::SetBreak(bool on) {
    Lock lock(mutex);
    return ControlLocked(on ? platform::telnet::BreakOn : platform::telnet::BreakOff);
}

DWORD NetworkDevice::ErrorCounts(platform::SerialErrorCounts& counts) {
    Lock lock(mutex);
    counts = codec.LineErrors();
    return StateLocked();
}

// Commands from the server arrive among the data, so a wait for input also ends for them; the
// caller reads and finds nothing, and waits again.
void NetworkDevice::Wait(platform::SerialEvents events, platform::SerialDeadline deadline) {
    short wanted = POLLRDHUP;
    {
        Lock lock(mutex);
        if (IsGoneLocked())
            return;
        const bool wantsInput = platform::Includes(events, platform::SerialEvents::Input);
        const bool wantsRoom = platform::Includes(events, platform::SerialEvents::Room);
        const bool hasRoom = !codec.IsSuspended() && pending.size() < pendingLimit;
        if ((wantsInput && !received.empty()) || (wantsRoom && hasRoom))
            return;
        // A suspended server ends its suspension with a command, which comes as input.
        if (wantsInput || (wantsRoom && codec.IsSuspended()))
            wanted |= POLLIN;
        if (!pending.empty())
            wanted |= POLLOUT;
    }
    pollfd watched[] = {{descriptor, wanted, 0}, {wakeDescriptor, POLLIN, 0}};
    if (platform::PollUntil(watched, 2, deadline) <= 0)
        return;
    if (watched[0].revents & (POLLRDHUP | POLLHUP | POLLERR)) {
        // What came before the close is still read; the next calls see the close.
        Lock lock(mutex);
        ReceiveLocked();
        if (watched[0].revents & (POLLHUP | POLLERR))
            FailLocked();
    }
    if (watched[1].revents & POLLIN) {
        eventfd_t drained = 0;
        ::eventfd_read(wakeDescriptor, &drained);
    }
}

void NetworkDevice::Wake() {
    ::eventfd_write(wakeDescriptor, 1);
}

} // namespace

namespace platform {

bool IsNetworkPortAddress(const std::string& address) {
    return StartsWith(address, rawScheme) || StartsWith(address, telnetScheme);
}

std::unique_ptr<SerialDevice> OpenNetworkDevice(const std::string& address, DWORD& error) {
    error = ERROR_SUCCESS;
    NetworkAddress parsed;
    if (!ParseAddress(address, parsed)) {
        error = ERROR_BAD_NETPATH;
        return nullptr;
    }
    int descriptor = Connect(parsed, error);
    if (descriptor < 0)
        return nullptr;
    int wakeDescriptor = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (wakeDescriptor < 0) {
        error = Win32ErrorFromErrno(errno);
        ::close(descriptor);
        return nullptr;
    }
    auto device = std::make_unique<NetworkDevice>(descriptor, wakeDescriptor, parsed.usesComPort);
    if (error = device->Begin(); error != ERROR_SUCCESS)
        return nullptr;
    return device;
}

} // namespace platform
