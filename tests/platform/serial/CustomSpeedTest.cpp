// Speeds without a Bnnn constant. The far end reads them back through the kernel's termios2,
// whose header clashes with the C library's <termios.h>, so this file uses the kernel's alone and
// does without the serial tests' fixtures, which need the C library's.

#include "platform/Windows.h"
#include "testhooks/MemoryLine.h"

#include <asm/ioctls.h>
#include <asm/termbits.h>
#include <cstdlib>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

extern "C" int ioctl(int descriptor, unsigned long request, ...);

namespace {

HANDLE OpenPort(const char* name) {
    return CreateFileA(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
}

BOOL SetSpeed(HANDLE port, DWORD speed) {
    DCB block{};
    GetCommState(port, &block);
    block.BaudRate = speed;
    return SetCommState(port, &block);
}

TEST(KernelSerialCustomSpeedTest, Win32SpeedsWithoutALinuxConstantReachThePseudoTerminal) {
    int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    char name[128] = {};
    ASSERT_GE(master, 0);
    ASSERT_EQ(::grantpt(master) | ::unlockpt(master) | ::ptsname_r(master, name, sizeof name), 0);
    HANDLE port = OpenPort(name);
    ASSERT_NE(port, INVALID_HANDLE_VALUE) << GetLastError();
    for (DWORD speed : {CBR_14400, CBR_56000, CBR_128000, CBR_256000, CBR_9600}) {
        EXPECT_TRUE(SetSpeed(port, speed)) << speed;
        DCB block{};
        ASSERT_TRUE(GetCommState(port, &block));
        EXPECT_EQ(block.BaudRate, speed);
        termios2 applied{};
        ASSERT_EQ(::ioctl(master, TCGETS2, &applied), 0);
        EXPECT_EQ(applied.c_ospeed, speed);
    }
    CloseHandle(port);
    ::close(master);
}

TEST(KernelSerialCustomSpeedTest, AnySpeedReachesTheMemoryLine) {
    auto line = testhooks::AttachMemoryLine("COM4");
    HANDLE port = OpenPort("COM4");
    ASSERT_NE(port, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(SetSpeed(port, 31250));
    EXPECT_EQ(line->Settings().baudRate, 31250u);
    CloseHandle(port);
    testhooks::DetachMemoryLine("COM4");
}

} // namespace
