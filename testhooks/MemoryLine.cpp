#include "testhooks/MemoryLine.h"

#include "platform/kernel/Errors.h"
#include "platform/serial/AttachedLines.h"
#include "platform/serial/PortMap.h"

#include <algorithm>
#include <map>

namespace {

struct LineRegistry {
    std::mutex mutex;
    std::map<std::string, std::shared_ptr<testhooks::MemoryLine>> lines;
};

LineRegistry& Registry() {
    static LineRegistry registry;
    return registry;
}

std::shared_ptr<testhooks::MemoryLine> FindLine(const std::string& portKey) {
    LineRegistry& registry = Registry();
    std::lock_guard lock(registry.mutex);
    auto found = registry.lines.find(portKey);
    return found == registry.lines.end() ? nullptr : found->second;
}

} // namespace

namespace testhooks {

using namespace platform;

// The port's side of a memory line. It holds the line, so a test that detaches the line while a
// port has it open leaves the port working until it is closed.
class MemoryLineDevice final : public SerialDevice {
public:
    explicit MemoryLineDevice(std::shared_ptr<MemoryLine> line) : line(std::move(line)) {}
    ~MemoryLineDevice() override;

    // One port at a time; an unplugged line is no device at all.
    static std::unique_ptr<SerialDevice> Open(std::shared_ptr<MemoryLine> line, DWORD& error);

    DWORD Configure(const SerialLineSettings& settings) override;
    DWORD Read(BYTE* data, DWORD size, DWORD& got) override;
    DWORD Write(const BYTE* data, DWORD size, DWORD& put) override;
    DWORD OutputQueue(DWORD& count) override;
    DWORD Discard(bool input, bool output) override;
    DWORD ModemStatus(DWORD& lines) override;
    DWORD SetDtr(bool on) override;
    DWORD SetRts(bool on) override;
    DWORD SetBreak(bool on) override;
    DWORD ErrorCounts(SerialErrorCounts& counts) override;
    void Wait(SerialEvents events, SerialDeadline deadline) override;
    void Wake() override;

private:
    using Lock = std::unique_lock<std::mutex>;

    // Runs a change of the line's state under its lock, unless the line was unplugged.
    template <typename Action> DWORD Update(Action change) {
        {
            std::lock_guard lock(line->mutex);
            if (line->isUnplugged)
                return ERROR_DEVICE_NOT_CONNECTED;
            change();
            ++line->changes;
        }
        line->changed.notify_all();
        return ERROR_SUCCESS;
    }

    std::shared_ptr<MemoryLine> line;
    // The line's change count when the last Wait returned (under the line's lock): a change that
    // comes between two waits, a wake-up among them, ends the next one at once, as a wake-up
    // descriptor that stays readable until drained would.
    unsigned long long seenChanges = 0;
};

MemoryLineDevice::~MemoryLineDevice() {
    // Closing a port drops its outputs, as the UART driver does on the last close.
    {
        std::lock_guard lock(line->mutex);
        line->isOpen = false;
        line->isDtrOn = false;
        line->isRtsOn = false;
        line->isBreakOn = false;
        ++line->changes;
    }
    line->changed.notify_all();
}

std::unique_ptr<SerialDevice> MemoryLineDevice::Open(std::shared_ptr<MemoryLine> line, DWORD& error) {
    std::lock_guard lock(line->mutex);
    if (line->isUnplugged || line->isOpen) {
        error = line->isUnplugged ? ERROR_FILE_NOT_FOUND : ERROR_ACCESS_DENIED;
        return nullptr;
    }
    line->isOpen = true;
    auto device = std::make_unique<MemoryLineDevice>(line);
    device->seenChanges = line->changes;
    return device;
}

DWORD MemoryLineDevice::Configure(const SerialLineSettings& settings) {
    return Update([&] { line->settings = settings; });
}

DWORD MemoryLineDevice::Read(BYTE* data, DWORD size, DWORD& got) {
    got = 0;
    std::lock_guard lock(line->mutex);
    if (line->isUnplugged)
        return ERROR_DEVICE_NOT_CONNECTED;
    got = static_cast<DWORD>(std::min<std::size_t>(size, line->toPort.size()));
    std::copy_n(line->toPort.begin(), got, data);
    line->toPort.erase(line->toPort.begin(), line->toPort.begin() + got);
    return ERROR_SUCCESS;
}

// Each byte leaves one character time after the one before it, or at once on an idle line.
DWORD MemoryLineDevice::Write(const BYTE* data, DWORD size, DWORD& put) {
    put = 0;
    {
        std::lock_guard lock(line->mutex);
        if (line->isUnplugged)
            return ERROR_DEVICE_NOT_CONNECTED;
        auto now = MemoryLine::Clock::now();
        line->AdvanceLocked(now);
        std::size_t room = line->bufferSize - std::min<std::size_t>(line->bufferSize, line->inFlight.size());
        put = static_cast<DWORD>(std::min<std::size_t>(size, room));
        auto characterTime = CharacterTime(line->settings);
        for (DWORD index = 0; index < put; ++index) {
            line->lineFreeAt = std::max(line->lineFreeAt, now) + characterTime;
            line->inFlight.push_back({data[index], line->lineFreeAt});
        }
        line->acceptedCount += put;
        ++line->changes;
    }
    line->changed.notify_all();
    return ERROR_SUCCESS;
}

DWORD MemoryLineDevice::OutputQueue(DWORD& count) {
    count = 0;
    std::lock_guard lock(line->mutex);
    if (line->isUnplugged)
        return ERROR_DEVICE_NOT_CONNECTED;
    auto now = MemoryLine::Clock::now();
    line->AdvanceLocked(now);
    count = static_cast<DWORD>(line->inFlight.size());
    // The character the transmitter has begun to send is on the wire, not in the driver's queue.
    if (count > 0 && line->inFlight.front().arrival - CharacterTime(line->settings) <= now)
        --count;
    return ERROR_SUCCESS;
}

DWORD MemoryLineDevice::Discard(bool input, bool output) {
    return Update([&] {
        if (input)
            line->toPort.clear();
        if (output) {
            line->inFlight.clear();
            line->lineFreeAt = MemoryLine::Clock::now();
        }
    });
}

DWORD MemoryLineDevice::ModemStatus(DWORD& lines) {
    lines = 0;
    std::lock_guard lock(line->mutex);
    if (line->isUnplugged)
        return ERROR_DEVICE_NOT_CONNECTED;
    lines = (line->isCtsOn ? MS_CTS_ON : 0) | (line->isDsrOn ? MS_DSR_ON : 0) |
            (line->isRingOn ? MS_RING_ON : 0) | (line->isRlsdOn ? MS_RLSD_ON : 0);
    return ERROR_SUCCESS;
}

DWORD MemoryLineDevice::SetDtr(bool on) {
    return Update([&] { line->isDtrOn = on; });
}

DWORD MemoryLineDevice::SetRts(bool on) {
    return Update([&] { line->isRtsOn = on; });
}

DWORD MemoryLineDevice::SetBreak(bool on) {
    return Update([&] { line->isBreakOn = on; });
}

DWORD MemoryLineDevice::ErrorCounts(SerialErrorCounts& counts) {
    std::lock_guard lock(line->mutex);
    if (line->isUnplugged)
        return ERROR_DEVICE_NOT_CONNECTED;
    counts = line->errorCounts;
    return ERROR_SUCCESS;
}

// Time passing frees room on the line without anyone calling in, so a wait for room also ends
// when the next byte in flight arrives.
void MemoryLineDevice::Wait(SerialEvents events, SerialDeadline deadline) {
    Lock lock(line->mutex);
    for (;;) {
        auto now = MemoryLine::Clock::now();
        line->AdvanceLocked(now);
        bool hasInput = Includes(events, SerialEvents::Input) && !line->toPort.empty();
        bool hasRoom = Includes(events, SerialEvents::Room) && line->inFlight.size() < line->bufferSize;
        if (hasInput || hasRoom || line->isUnplugged || line->changes != seenChanges ||
            deadline.HasPassed()) {
            seenChanges = line->changes;
            return;
        }
        SerialDeadline until = deadline;
        if (Includes(events, SerialEvents::Room) && !line->inFlight.empty())
            until = until.Earlier(SerialDeadline::At(line->inFlight.front().arrival));
        line->changed.wait_until(lock, until.When());
    }
}

void MemoryLineDevice::Wake() {
    {
        std::lock_guard lock(line->mutex);
        ++line->changes;
    }
    line->changed.notify_all();
}

namespace {

// The memory lines as the port map and CreateFileA see them, attached to the process with the
// first line a test puts behind a port name.
class MemoryLines final : public platform::AttachedLines {
public:
    bool Has(const std::string& portKey) const override { return FindLine(portKey) != nullptr; }
    std::unique_ptr<SerialDevice> Open(const std::string& portKey, DWORD& error) override {
        std::shared_ptr<MemoryLine> line = FindLine(portKey);
        error = ERROR_SUCCESS;
        if (line == nullptr) {
            error = ERROR_FILE_NOT_FOUND;
            return nullptr;
        }
        return MemoryLineDevice::Open(std::move(line), error);
    }
};

} // namespace

MemoryLine::MemoryLine(DWORD bufferSize) : bufferSize(bufferSize == 0 ? 1 : bufferSize) {}

void MemoryLine::NoteChange() {
    ++changes;
    changed.notify_all();
}

void MemoryLine::AdvanceLocked(Clock::time_point now) const {
    while (!inFlight.empty() && inFlight.front().arrival <= now) {
        arrived += static_cast<char>(inFlight.front().byte);
        inFlight.pop_front();
    }
}

std::string MemoryLine::TakeArrived() {
    std::lock_guard lock(mutex);
    AdvanceLocked(Clock::now());
    std::string taken;
    taken.swap(arrived);
    return taken;
}

std::string MemoryLine::WaitForArrived(std::size_t count, DWORD timeoutMs) {
    SerialDeadline deadline = SerialDeadline::AfterMilliseconds(timeoutMs);
    std::unique_lock lock(mutex);
    for (;;) {
        AdvanceLocked(Clock::now());
        if (arrived.size() >= count || deadline.HasPassed())
            break;
        SerialDeadline until =
            inFlight.empty() ? deadline : deadline.Earlier(SerialDeadline::At(inFlight.front().arrival));
        changed.wait_until(lock, until.When());
    }
    std::string taken;
    taken.swap(arrived);
    return taken;
}

std::size_t MemoryLine::AcceptedCount() const {
    std::lock_guard lock(mutex);
    return acceptedCount;
}

std::size_t MemoryLine::InFlightCount() const {
    std::lock_guard lock(mutex);
    AdvanceLocked(Clock::now());
    return inFlight.size();
}

void MemoryLine::Send(const std::string& bytes) {
    std::lock_guard lock(mutex);
    toPort.insert(toPort.end(), bytes.begin(), bytes.end());
    NoteChange();
}

void MemoryLine::SetCts(bool isOn) {
    std::lock_guard lock(mutex);
    isCtsOn = isOn;
    NoteChange();
}

void MemoryLine::SetDsr(bool isOn) {
    std::lock_guard lock(mutex);
    isDsrOn = isOn;
    NoteChange();
}

void MemoryLine::SetRlsd(bool isOn) {
    std::lock_guard lock(mutex);
    isRlsdOn = isOn;
    NoteChange();
}

void MemoryLine::SetRing(bool isOn) {
    std::lock_guard lock(mutex);
    isRingOn = isOn;
    NoteChange();
}

bool MemoryLine::IsDtrOn() const {
    std::lock_guard lock(mutex);
    return isDtrOn;
}

bool MemoryLine::IsRtsOn() const {
    std::lock_guard lock(mutex);
    return isRtsOn;
}

bool MemoryLine::IsBreakOn() const {
    std::lock_guard lock(mutex);
    return isBreakOn;
}

void MemoryLine::RaiseErrors(DWORD errors) {
    std::lock_guard lock(mutex);
    errorCounts.overrun += (errors & CE_OVERRUN) ? 1 : 0;
    errorCounts.bufferOverrun += (errors & CE_RXOVER) ? 1 : 0;
    errorCounts.parity += (errors & CE_RXPARITY) ? 1 : 0;
    errorCounts.frame += (errors & CE_FRAME) ? 1 : 0;
    errorCounts.breaks += (errors & CE_BREAK) ? 1 : 0;
    NoteChange();
}

void MemoryLine::Unplug() {
    std::lock_guard lock(mutex);
    isUnplugged = true;
    toPort.clear();
    NoteChange();
}

bool MemoryLine::IsOpen() const {
    std::lock_guard lock(mutex);
    return isOpen;
}

SerialLineSettings MemoryLine::Settings() const {
    std::lock_guard lock(mutex);
    return settings;
}

std::shared_ptr<MemoryLine> AttachMemoryLine(const std::string& portName, DWORD bufferSize) {
    static MemoryLines lines;
    platform::SetAttachedLines(&lines);
    auto line = std::make_shared<MemoryLine>(bufferSize);
    std::string key = platform::SerialPortKey(portName.c_str());
    LineRegistry& registry = Registry();
    std::lock_guard lock(registry.mutex);
    registry.lines[key.empty() ? portName : key] = line;
    return line;
}

void DetachMemoryLine(const std::string& portName) {
    std::string key = platform::SerialPortKey(portName.c_str());
    LineRegistry& registry = Registry();
    std::lock_guard lock(registry.mutex);
    registry.lines.erase(key.empty() ? portName : key);
}

} // namespace testhooks
