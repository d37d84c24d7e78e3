#include "platform/Windows.h"
#include "platform/serial/Termios.h"
#include "support/PlatformSupport.h"
#include "support/SerialSupport.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

using testsupport::AttachedLine;
using testsupport::PortHandle;
using testsupport::PseudoTerminal;
using testsupport::RunInChildProcess;
using testsupport::ScopedEnvironment;
using testsupport::TemporaryFolder;
using testsupport::WritePort;
using testsupport::WriteWholeFile;

// Every test works in a Windows directory of its own, with no port variables in the environment.
class KernelSerialPortMapTest : public ::testing::Test {
protected:
    void WriteProfile(const std::string& content) { WriteWholeFile(folder.PathOf("platform.ini"), content); }

    // Bytes written through the port reach the terminal: the port is that terminal.
    void ExpectPortReaches(const std::string& name, PseudoTerminal& terminal) {
        PortHandle port(name);
        ASSERT_TRUE(port.IsValid()) << name << ": " << port.OpenError();
        EXPECT_TRUE(WritePort(port.Get(), "ping"));
        EXPECT_EQ(terminal.ReadAtLeast(4, 1000), "ping") << name;
    }

    TemporaryFolder folder;
    ScopedEnvironment windowsDirectory{"TOLVA_WINDIR", folder.Path()};
    ScopedEnvironment com3{"COM3", std::nullopt};
    ScopedEnvironment com4{"COM4", std::nullopt};
    ScopedEnvironment com12{"COM12", std::nullopt};
    PseudoTerminal terminal;
};

TEST(KernelSerialPortKeyTest, PortNamesAreComOneToNineAndTheDevicePathForm) {
    const std::pair<const char*, const char*> names[] = {
        {"COM1", "COM1"},
        {"com9", "COM9"},
        {"Com3:", "COM3"},
        {"\\\\.\\COM12", "COM12"},
        {"//./com3", "COM3"},
        {"\\\\.\\COM1", "COM1"},
        {"\\\\.\\COM256", "COM256"},
        {"COM10", ""},
        {"COM0", ""},
        {"\\\\.\\COM0", ""},
        {"\\\\.\\COM01", ""},
        {"COMX", ""},
        {"COM1.TXT", ""},
        {"COM3::", ""},
        {"\\\\?\\COM3", ""},
        {"LPT1", ""},
        {"C:\\COM1", ""},
        {"", ""},
    };
    for (const auto& [name, key] : names)
        EXPECT_EQ(platform::SerialPortKey(name), key) << name;
    EXPECT_EQ(platform::SerialPortKey(nullptr), "");
}

TEST_F(KernelSerialPortMapTest, EnvironmentVariableMapsAPort) {
    ScopedEnvironment mapped("COM3", terminal.SlavePath());
    platform::SerialPortMapping mapping = platform::MapSerialPort("COM3");
    EXPECT_EQ(mapping.source, platform::SerialPortSource::Environment);
    EXPECT_EQ(mapping.device, terminal.SlavePath());
    ExpectPortReaches("COM3", terminal);
    ExpectPortReaches("com3:", terminal);
    ExpectPortReaches("\\\\.\\COM3", terminal);
}

TEST_F(KernelSerialPortMapTest, PlatformProfileMapsAPortAndTheEnvironmentWins) {
    PseudoTerminal other;
    WriteProfile("[Ports]\nCOM4=" + terminal.SlavePath() + "\nCOM12=" + terminal.SlavePath() + "\n");
    EXPECT_EQ(platform::MapSerialPort("COM4").source, platform::SerialPortSource::Profile);
    ExpectPortReaches("COM4", terminal);
    ExpectPortReaches("\\\\.\\COM12", terminal);
    EXPECT_EQ(platform::MapSerialPort("COM12").device, terminal.SlavePath())
        << "the map knows COM12 by its key";

    ScopedEnvironment mapped("COM4", other.SlavePath());
    EXPECT_EQ(platform::MapSerialPort("COM4").device, other.SlavePath());
    ExpectPortReaches("COM4", other);
    ScopedEnvironment empty("COM4", "");
    EXPECT_EQ(platform::MapSerialPort("COM4").device, terminal.SlavePath())
        << "an empty variable maps nothing";
}

TEST_F(KernelSerialPortMapTest, TerminalPathOpensAsAPortAsItStands) {
    ExpectPortReaches(terminal.SlavePath(), terminal);
    PortHandle port(terminal.SlavePath());
    ASSERT_TRUE(port.IsValid());
    DCB block{};
    EXPECT_TRUE(GetCommState(port.Get(), &block));
}

TEST_F(KernelSerialPortMapTest, NonTerminalsAreNoPorts) {
    EXPECT_FALSE(platform::IsSerialTerminalPath("/dev/null"));
    EXPECT_FALSE(platform::IsSerialTerminalPath("/dev/tty")) << "the program's own terminal is never a port";
    EXPECT_FALSE(platform::IsSerialTerminalPath("/dev/ptmx"));
    EXPECT_FALSE(platform::IsSerialTerminalPath(folder.Path().c_str()));
    EXPECT_TRUE(platform::IsSerialTerminalPath(terminal.SlavePath().c_str()));
    ScopedEnvironment mapped("COM3", "/dev/null");
    PortHandle port("COM3");
    EXPECT_FALSE(port.IsValid());
    EXPECT_EQ(port.OpenError(), ERROR_FILE_NOT_FOUND) << "a port that maps to a non-terminal is missing";
}

TEST_F(KernelSerialPortMapTest, MissingDeviceIsFileNotFound) {
    ScopedEnvironment mapped("COM3", folder.PathOf("ttyUSB7"));
    PortHandle port("COM3");
    EXPECT_FALSE(port.IsValid());
    EXPECT_EQ(port.OpenError(), ERROR_FILE_NOT_FOUND);
}

TEST_F(KernelSerialPortMapTest, UnmappedPortBeyondTheDefaultDevicesIsFileNotFound) {
    ScopedEnvironment com9("COM9", std::nullopt);
    if (platform::DefaultSerialDevices().size() >= 9)
        GTEST_SKIP() << "this machine has nine serial devices";
    EXPECT_EQ(platform::MapSerialPort("COM9").source, platform::SerialPortSource::None);
    PortHandle port("COM9");
    EXPECT_FALSE(port.IsValid());
    EXPECT_EQ(port.OpenError(), ERROR_FILE_NOT_FOUND);
}

TEST_F(KernelSerialPortMapTest, UnmappedPortsTakeTheDefaultDevicesInOrder) {
    ScopedEnvironment com1("COM1", std::nullopt);
    ScopedEnvironment com2("COM2", std::nullopt);
    std::vector<std::string> devices = platform::DefaultSerialDevices();
    for (std::size_t index = 0; index < devices.size() && index < 2; ++index) {
        std::string name = "COM" + std::to_string(index + 1);
        platform::SerialPortMapping mapping = platform::MapSerialPort(name);
        EXPECT_EQ(mapping.source, platform::SerialPortSource::Default) << name;
        EXPECT_EQ(mapping.device, devices[index]) << name;
    }
}

TEST_F(KernelSerialPortMapTest, DefaultOrderIsFittedUartsThenUsbThenAcmByNumber) {
    std::string dev = folder.PathOf("dev");
    std::string sys = folder.PathOf("sys");
    std::filesystem::create_directories(dev);
    for (const char* name : {"ttyS0", "ttyS1", "ttyS2", "ttyS10", "ttyUSB10", "ttyUSB1", "ttyUSB0", "ttyACM0",
                             "ttySTM0", "ttyUSB", "ttyAMA0", "tty1"})
        WriteWholeFile(dev + "/" + name, "");
    // ttyS1 is a port the kernel made for a UART that is not fitted; ttyS2 has no type, and its
    // node is no device, so the driver cannot vouch for it either.
    const std::pair<const char*, const char*> types[] = {{"ttyS0", "4"}, {"ttyS1", "0"}, {"ttyS10", "4\n"}};
    for (const auto& [name, type] : types) {
        std::filesystem::create_directories(sys + "/class/tty/" + name);
        WriteWholeFile(sys + "/class/tty/" + name + "/type", type);
    }
    std::vector<std::string> expected = {dev + "/ttyS0",   dev + "/ttyS10",   dev + "/ttyUSB0",
                                         dev + "/ttyUSB1", dev + "/ttyUSB10", dev + "/ttyACM0"};
    EXPECT_EQ(platform::DefaultSerialDevices(sys, dev), expected);
    EXPECT_TRUE(platform::DefaultSerialDevices(sys, folder.PathOf("none")).empty());
}

TEST_F(KernelSerialPortMapTest, MemoryLineWinsOverEveryOtherMapping) {
    ScopedEnvironment mapped("COM3", terminal.SlavePath());
    AttachedLine line("COM3");
    EXPECT_EQ(platform::MapSerialPort("COM3").source, platform::SerialPortSource::Attached);
    PortHandle port("COM3");
    ASSERT_TRUE(port.IsValid());
    EXPECT_TRUE(WritePort(port.Get(), "mem"));
    EXPECT_EQ(line->WaitForArrived(3, 1000), "mem");
}

TEST_F(KernelSerialPortMapTest, PortInUseIsAccessDeniedUntilClosed) {
    ScopedEnvironment mapped("COM3", terminal.SlavePath());
    PortHandle first("COM3");
    ASSERT_TRUE(first.IsValid());
    HANDLE shared = CreateFileA("COM3", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_EQ(shared, INVALID_HANDLE_VALUE) << "share modes do not make a port shareable";
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    PortHandle byPath(terminal.SlavePath());
    EXPECT_FALSE(byPath.IsValid());
    EXPECT_EQ(byPath.OpenError(), ERROR_ACCESS_DENIED);
    int childResult = RunInChildProcess([] {
        HANDLE port =
            CreateFileA("COM3", GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        return port == INVALID_HANDLE_VALUE && GetLastError() == ERROR_ACCESS_DENIED ? 0 : 1;
    });
    EXPECT_EQ(childResult, 0) << "another process, root or not, is kept out";
    first.Close();
    PortHandle again("COM3");
    EXPECT_TRUE(again.IsValid()) << again.OpenError();
}

TEST_F(KernelSerialPortMapTest, MemoryLineInUseIsAccessDenied) {
    AttachedLine line("COM4");
    PortHandle first("COM4");
    ASSERT_TRUE(first.IsValid());
    PortHandle second("COM4");
    EXPECT_FALSE(second.IsValid());
    EXPECT_EQ(second.OpenError(), ERROR_ACCESS_DENIED);
}

// Taken as a file in the current folder, where there is none of that name.
TEST_F(KernelSerialPortMapTest, PlainComTenIsAFileNameAsInWin32) {
    ScopedEnvironment mapped("COM10", terminal.SlavePath());
    PortHandle port("COM10");
    EXPECT_FALSE(port.IsValid());
    EXPECT_EQ(port.OpenError(), ERROR_FILE_NOT_FOUND);
}

} // namespace
