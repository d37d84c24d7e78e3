#include "tools/sim/ControllerLine.h"

#include <algorithm>
#include <cmath>
#include <thread>

namespace simulator {

namespace {

constexpr char xon = 0x11;
constexpr char xoff = 0x13;
// The port's own queue only has to bridge the gap between two rounds; the controller's buffer
// is the one that overflows.
constexpr DWORD portQueueSize = 65536;
// How long a round sleeps when nothing is due, short against a character time at 115200 baud.
constexpr auto roundPause = std::chrono::microseconds(200);
// Storms: holds of 1 ms to 2 s, bursts of one to five XOFFs.
constexpr double shortestHoldSeconds = 0.001;
constexpr double longestHoldSeconds = 2.0;
constexpr int longestBurst = 5;

BYTE ParityCode(char parity) {
    switch (parity) {
    case 'O':
        return ODDPARITY;
    case 'E':
        return EVENPARITY;
    case 'M':
        return MARKPARITY;
    case 'S':
        return SPACEPARITY;
    default:
        return NOPARITY;
    }
}

// Start bit, data bits, parity bit and stop bits, one and a half counted as two.
std::chrono::nanoseconds CharacterTimeOf(const SimulatorOptions& options) {
    long long bits = 1 + options.dataBits + (options.parity != 'N' ? 1 : 0) + (options.stopBits == 1 ? 1 : 2);
    return std::chrono::nanoseconds(bits * 1'000'000'000LL / options.baudRate);
}

} // namespace

ControllerLine::ControllerLine(const SimulatorOptions& options, EventRecorder& recorder)
    : options(options), recorder(recorder), nextTakeAt(Clock::now()), lastTaken(Clock::now()),
      lastReadAt(Clock::now()), random(options.stormSeed) {}

ControllerLine::~ControllerLine() {
    if (port != INVALID_HANDLE_VALUE)
        CloseHandle(port);
}

std::string ControllerLine::PortError(const char* what) const {
    return std::string(what) + " failed with error " + std::to_string(GetLastError());
}

bool ControllerLine::Open(std::string& path, std::string& error) {
    if (options.source == PortSource::PseudoTerminal) {
        port = platform::OpenPseudoTerminal(path);
    } else {
        path = options.devicePath;
        port = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    }
    if (port == INVALID_HANDLE_VALUE) {
        error = PortError(options.source == PortSource::PseudoTerminal ? "creating a pseudo-terminal"
                                                                       : ("opening " + path).c_str());
        return false;
    }
    portPath = path;
    return Configure(error);
}

bool ControllerLine::Configure(std::string& error) {
    if (!SetupComm(port, portQueueSize, portQueueSize)) {
        error = PortError("SetupComm");
        return false;
    }
    DCB block{};
    block.DCBlength = sizeof block;
    if (!GetCommState(port, &block)) {
        error = PortError("GetCommState");
        return false;
    }
    block.BaudRate = options.baudRate;
    block.ByteSize = static_cast<BYTE>(options.dataBits);
    block.Parity = ParityCode(options.parity);
    block.StopBits = options.stopBits == 1 ? ONESTOPBIT : options.stopBits == 2 ? TWOSTOPBITS : ONE5STOPBITS;
    // The controller honours the link's XOFF while it uploads; its own input flow is simulated
    // on its buffer, not on the port's queue.
    block.fOutX = options.usesXonXoff ? 1 : 0;
    block.fInX = 0;
    if (!SetCommState(port, &block)) {
        error = PortError("SetCommState with the given --baud and --framing");
        return false;
    }
    COMMTIMEOUTS timeouts{MAXDWORD, 0, 0, 0, 0};
    if (!SetCommTimeouts(port, &timeouts)) {
        error = PortError("SetCommTimeouts");
        return false;
    }
    characterTime = CharacterTimeOf(options);
    // FIXME: on a pseudo-terminal a DNC link set to another speed or framing still gets every byte
    // intact; the simulator does not compare the two ends' settings, so such a mismatch, which
    // garbles a real line, goes unnoticed.
    return true;
}

// The write returns once its last byte is handed to the line, and a pseudo-terminal hands it on
// at once, so the record's stamp is the moment the DNC link can read the whole message: what its
// answer is timed from.
bool ControllerLine::Send(const std::string& bytes, std::string& error) {
    DWORD written = 0;
    const bool isWritten =
        WriteFile(port, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
        written == bytes.size();
    recorder.Record(Direction::Transmitted, bytes.substr(0, written));
    if (!isWritten) {
        error = PortError("sending");
        return false;
    }
    return true;
}

bool ControllerLine::Pump(std::string& error) {
    char bytes[4096];
    DWORD got = 0;
    const Clock::time_point previousReadAt = lastReadAt;
    lastReadAt = Clock::now();
    if (!ReadFile(port, bytes, sizeof bytes, &got, nullptr)) {
        error = PortError("receiving");
        return false;
    }
    if (got == 0)
        return true;
    recorder.Record(Direction::Received, std::string(bytes, got));
    // A pseudo-terminal does not say when a byte came, only that it came after the previous read
    // began. A real line would have handed the first of these bytes to an idle controller at that
    // moment at the earliest, so the pace starts again from there: a quiet line saves up no credit,
    // and a simulator that was not scheduled for a while still gives a paced sender the time its
    // bytes spent on the line. A sender that outruns the line sends more than that time carries,
    // and overflows the buffer all the same.
    if (buffer.empty())
        nextTakeAt = std::max(nextTakeAt, previousReadAt);
    buffer.insert(buffer.end(), bytes, bytes + got);
    if (isXoffSent) {
        sinceXoff += got;
        mostSinceXoff = std::max(mostSinceXoff, sinceXoff);
    }
    return true;
}

// Bytes read late (the simulator was not scheduled for a while) came in at the line's pace, and
// the controller took its share of them meanwhile; so the buffer is held to its size only after
// the controller has taken what it could by now. What is still beyond the size is lost.
void ControllerLine::DropOverflow() {
    while (buffer.size() > options.bufferSize) {
        buffer.pop_back();
        ++lostCount;
    }
}

void ControllerLine::TakePaced(Clock::time_point now) {
    while (!buffer.empty() && now >= nextTakeAt) {
        received += buffer.front();
        buffer.pop_front();
        nextTakeAt += characterTime;
        lastTaken = now;
    }
}

void ControllerLine::AllowStorms(bool isAllowed) {
    if (isAllowed && !areStormsAllowed)
        nextStormAt = Clock::now() + NextStormGap();
    areStormsAllowed = isAllowed && options.stormSeed != 0;
}

ControllerLine::Clock::duration ControllerLine::NextStormGap() {
    std::exponential_distribution<double> gap(1000.0 / options.stormGapMs);
    return std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(gap(random)));
}

// A busy controller that is ready again has taken its last byte now, so the idle time that ends
// a download counts from the end of the hold.
bool ControllerLine::UpdateStorm(Clock::time_point now, std::string& error) {
    if (isBusy) {
        if (now < busyUntil)
            return true;
        isBusy = false;
        lastTaken = now;
        nextTakeAt = std::max(nextTakeAt, now);
        nextStormAt = now + NextStormGap();
        return true;
    }
    if (!areStormsAllowed || now < nextStormAt)
        return true;
    std::uniform_int_distribution<int> burst(1, longestBurst);
    std::uniform_real_distribution<double> holdExponent(std::log(shortestHoldSeconds),
                                                        std::log(longestHoldSeconds));
    const int xoffs = burst(random);
    std::string bytes;
    for (int index = 0; index < xoffs; ++index)
        bytes += index == 0 ? std::string(1, xoff) : std::string{xon, xoff};
    isBusy = true;
    if (!isXoffSent)
        sinceXoff = 0;
    isXoffSent = true;
    ++stormCount;
    xoffCount += static_cast<unsigned long long>(xoffs);
    busyUntil = now + std::chrono::duration_cast<Clock::duration>(
                          std::chrono::duration<double>(std::exp(holdExponent(random))));
    return Send(bytes, error);
}

bool ControllerLine::UpdateFlow(std::string& error) {
    if (!options.usesXonXoff || isBusy)
        return true;
    std::size_t level = buffer.size();
    if (!isXoffSent && level > options.bufferSize * 3 / 4) {
        isXoffSent = true;
        sinceXoff = 0;
        ++xoffCount;
        return Send(std::string(1, xoff), error);
    }
    if (isXoffSent && level < options.bufferSize / 4) {
        isXoffSent = false;
        return Send(std::string(1, xon), error);
    }
    return true;
}

bool ControllerLine::Serve(std::string& error) {
    if (!Pump(error))
        return false;
    // What was due before now is taken before a storm may begin now.
    const Clock::time_point now = Clock::now();
    if (!isBusy)
        TakePaced(now);
    if (!UpdateStorm(now, error))
        return false;
    DropOverflow();
    return UpdateFlow(error);
}

bool ControllerLine::ServeUntil(Clock::time_point deadline, const std::function<bool()>& done,
                                std::string& error) {
    for (;;) {
        if (!Serve(error))
            return false;
        if (done())
            return true;
        if (Clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(roundPause);
    }
}

} // namespace simulator
