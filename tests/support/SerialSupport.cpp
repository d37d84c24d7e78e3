#include "support/SerialSupport.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <unistd.h>

namespace testsupport {

Watchdog::Watchdog(std::chrono::seconds limit) {
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = test != nullptr ? std::string(test->test_suite_name()) + "." + test->name() : "?";
    thread = std::thread([this, limit, name] {
        std::unique_lock lock(mutex);
        if (!finished.wait_for(lock, limit, [this] { return isFinished; })) {
            std::fprintf(stderr, "watchdog: %s still running after %lld s\n", name.c_str(),
                         static_cast<long long>(limit.count()));
            std::abort();
        }
    });
}

Watchdog::~Watchdog() {
    {
        std::lock_guard lock(mutex);
        isFinished = true;
    }
    finished.notify_all();
    thread.join();
}

PseudoTerminal::PseudoTerminal() {
    master = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    char name[128] = {};
    if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0 ||
        ::ptsname_r(master, name, sizeof name) != 0) {
        ADD_FAILURE() << "no pseudo-terminal: errno " << errno;
        Close();
        return;
    }
    slavePath = name;
}

PseudoTerminal::~PseudoTerminal() {
    Close();
}

void PseudoTerminal::Write(const std::string& bytes) {
    std::size_t done = 0;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (done < bytes.size() && std::chrono::steady_clock::now() < deadline) {
        ssize_t put = ::write(master, bytes.data() + done, bytes.size() - done);
        if (put > 0)
            done += static_cast<std::size_t>(put);
        else
            ::usleep(1000);
    }
    EXPECT_EQ(done, bytes.size()) << "the far end could not write everything";
}

std::string PseudoTerminal::ReadAtLeast(std::size_t count, int timeoutMs) {
    std::string received;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (received.size() < count) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline -
                                                                          std::chrono::steady_clock::now());
        if (left.count() <= 0)
            break;
        pollfd watched{master, POLLIN, 0};
        if (::poll(&watched, 1, static_cast<int>(left.count())) <= 0)
            continue;
        char buffer[4096];
        ssize_t got = ::read(master, buffer, sizeof buffer);
        if (got > 0)
            received.append(buffer, static_cast<std::size_t>(got));
        else if (got == 0 || (errno != EAGAIN && errno != EINTR))
            break;
    }
    return received;
}

std::string PseudoTerminal::ReadFor(int milliseconds) {
    return ReadAtLeast(static_cast<std::size_t>(-1), milliseconds);
}

termios PseudoTerminal::Settings() const {
    termios settings{};
    EXPECT_EQ(::tcgetattr(master, &settings), 0);
    return settings;
}

void PseudoTerminal::Close() {
    if (master >= 0)
        ::close(master);
    master = -1;
}

PortHandle::PortHandle(const std::string& name)
    : handle(CreateFileA(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr)),
      openError(GetLastError()) {}

PortHandle::~PortHandle() {
    Close();
}

BOOL PortHandle::Close() {
    if (handle == INVALID_HANDLE_VALUE)
        return FALSE;
    BOOL isClosed = CloseHandle(handle);
    handle = INVALID_HANDLE_VALUE;
    return isClosed;
}

LineStatus Status(HANDLE port) {
    LineStatus result;
    result.isDone = ClearCommError(port, &result.errors, &result.status);
    result.lastError = result.isDone ? 0 : GetLastError();
    return result;
}

DCB State(HANDLE port) {
    DCB block{};
    EXPECT_TRUE(GetCommState(port, &block)) << "GetCommState failed: " << GetLastError();
    return block;
}

void SetImmediateReads(HANDLE port) {
    SetTimeouts(port, MAXDWORD, 0, 0);
}

void SetTimeouts(HANDLE port, DWORD interval, DWORD multiplier, DWORD constant) {
    COMMTIMEOUTS timeouts{interval, multiplier, constant, 0, 0};
    EXPECT_TRUE(SetCommTimeouts(port, &timeouts)) << GetLastError();
}

std::string ReadPort(HANDLE port, DWORD count) {
    std::string bytes(count, '\0');
    DWORD got = 0;
    EXPECT_TRUE(ReadFile(port, bytes.data(), count, &got, nullptr)) << "ReadFile failed: " << GetLastError();
    bytes.resize(got);
    return bytes;
}

BOOL WritePort(HANDLE port, const std::string& bytes, DWORD* written) {
    DWORD count = 0;
    BOOL isDone = WriteFile(port, bytes.data(), static_cast<DWORD>(bytes.size()), &count, nullptr);
    if (written != nullptr)
        *written = count;
    return isDone;
}

double SecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

std::string Pattern(std::size_t length) {
    std::string bytes(length, '\0');
    for (std::size_t index = 0; index < length; ++index)
        bytes[index] = static_cast<char>(0x20 + index % 95);
    return bytes;
}

std::string SystemText(DWORD code) {
    char text[256] = {};
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, text,
                   sizeof text, nullptr);
    return text;
}

// Every call on a port whose device has gone fails with the same readable code, at once.
void ExpectEveryCallFails(HANDLE port) {
    auto start = std::chrono::steady_clock::now();
    char buffer[16];
    DWORD count = 0;
    DCB block{};
    COMMTIMEOUTS timeouts{};
    DWORD lines = 0;
    const std::pair<const char*, BOOL> calls[] = {
        {"ClearCommError", Status(port).isDone},
        {"ReadFile", ReadFile(port, buffer, sizeof buffer, &count, nullptr)},
        {"WriteFile", WriteFile(port, "x", 1, &count, nullptr)},
        {"GetCommState", GetCommState(port, &block)},
        {"SetCommState", (block = DCB{}, block.BaudRate = 9600, block.ByteSize = 8, block.XonChar = 1,
                          SetCommState(port, &block))},
        {"SetCommTimeouts", SetCommTimeouts(port, &timeouts)},
        {"PurgeComm", PurgeComm(port, PURGE_TXCLEAR | PURGE_RXCLEAR)},
        {"SetupComm", SetupComm(port, 4000, 1000)},
        {"EscapeCommFunction", EscapeCommFunction(port, SETDTR)},
        {"GetCommModemStatus", GetCommModemStatus(port, &lines)},
    };
    for (const auto& [name, isDone] : calls)
        EXPECT_FALSE(isDone) << name;
    SetLastError(0);
    EXPECT_FALSE(ClearCommError(port, nullptr, nullptr));
    EXPECT_EQ(GetLastError(), ERROR_DEVICE_NOT_CONNECTED);
    EXPECT_EQ(SystemText(GetLastError()), "The device is not connected.\r\n");
    EXPECT_LT(SecondsSince(start), 0.5) << "a gone device answers at once";
}

} // namespace testsupport
