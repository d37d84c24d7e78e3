#include "platform/serial/PortMap.h"

#include "platform/kernel/Environment.h"
#include "platform/kernel/Profiles.h"
#include "platform/kernel/SystemCalls.h"
#include "platform/serial/AttachedLines.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <linux/serial.h>
#include <optional>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {

constexpr const char* profileName = "platform.ini";
constexpr const char* profileSection = "Ports";
constexpr DWORD longestDevicePath = 1024;

bool IsSeparator(char character) {
    return character == '\\' || character == '/';
}

bool StartsWithPortWord(const char* name) {
    return std::toupper(static_cast<unsigned char>(name[0])) == 'C' &&
           std::toupper(static_cast<unsigned char>(name[1])) == 'O' &&
           std::toupper(static_cast<unsigned char>(name[2])) == 'M';
}

// The digits of a port number from 1 up, without a leading zero, as Win32's device links name them.
std::string PortNumber(const char*& cursor) {
    std::string digits;
    if (*cursor < '1' || *cursor > '9')
        return digits;
    while (std::isdigit(static_cast<unsigned char>(*cursor)) && digits.size() < 4)
        digits += *cursor++;
    return digits;
}

// \\.\COMn, the form Win32 needs for ports beyond COM9 and takes for any port.
std::string DevicePathKey(const char* name) {
    if (!IsSeparator(name[0]) || !IsSeparator(name[1]) || name[2] != '.' || !IsSeparator(name[3]) ||
        !StartsWithPortWord(name + 4))
        return {};
    const char* cursor = name + 7;
    std::string digits = PortNumber(cursor);
    return digits.empty() || *cursor != '\0' ? std::string() : "COM" + digits;
}

// COM1 to COM9, the only port names Win32 reserves in every folder, with an optional colon.
std::string DosDeviceKey(const char* name) {
    if (!StartsWithPortWord(name) || name[3] < '1' || name[3] > '9')
        return {};
    bool isEnd = name[4] == '\0' || (name[4] == ':' && name[5] == '\0');
    return isEnd ? std::string("COM") + name[3] : std::string();
}

std::optional<std::string> ProfileDevice(const std::string& key) {
    char value[longestDevicePath];
    DWORD length =
        GetPrivateProfileStringA(profileSection, key.c_str(), "", value, sizeof value, profileName);
    if (length == 0)
        return std::nullopt;
    return std::string(value, length);
}

struct NumberedDevice {
    unsigned number;
    std::string path;
};

// The number after a prefix such as "ttyUSB", or nothing when the rest is not all digits.
std::optional<unsigned> NumberAfter(const std::string& name, const std::string& prefix) {
    if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0 ||
        name.size() - prefix.size() > 6)
        return std::nullopt;
    unsigned number = 0;
    for (std::size_t index = prefix.size(); index < name.size(); ++index) {
        if (!std::isdigit(static_cast<unsigned char>(name[index])))
            return std::nullopt;
        number = number * 10 + static_cast<unsigned>(name[index] - '0');
    }
    return number;
}

std::vector<NumberedDevice> DevicesNamed(const std::string& devRoot, const std::string& prefix) {
    std::vector<NumberedDevice> devices;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(devRoot, error)) {
        std::string name = entry.path().filename().string();
        if (std::optional<unsigned> number = NumberAfter(name, prefix))
            devices.push_back({*number, entry.path().string()});
    }
    std::sort(devices.begin(), devices.end(), [](const NumberedDevice& left, const NumberedDevice& right) {
        return left.number < right.number;
    });
    return devices;
}

// Old kernels have no type attribute; asking the driver means opening the port, which is why
// sysfs is asked first.
bool DriverKnowsUart(const std::string& devicePath) {
    int descriptor = platform::RetryOnInterrupt(
        [&] { return ::open(devicePath.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC); });
    if (descriptor < 0)
        return false;
    serial_struct serial{};
    bool isKnown = ::ioctl(descriptor, TIOCGSERIAL, &serial) == 0 && serial.type != PORT_UNKNOWN;
    ::close(descriptor);
    return isKnown;
}

bool IsFittedUart(const std::string& sysRoot, const NumberedDevice& device) {
    std::ifstream typeFile(sysRoot + "/class/tty/ttyS" + std::to_string(device.number) + "/type");
    int type = PORT_UNKNOWN;
    if (typeFile >> type)
        return type != PORT_UNKNOWN;
    return DriverKnowsUart(device.path);
}

} // namespace

namespace platform {

std::string SerialPortKey(const char* name) {
    if (name == nullptr)
        return {};
    std::string key = DevicePathKey(name);
    return key.empty() ? DosDeviceKey(name) : key;
}

SerialPortMapping MapSerialPort(const std::string& portName) {
    // "COM12" is no name CreateFileA takes as a port, but it is the key the map knows it by.
    std::string key = SerialPortKey(portName.c_str());
    if (key.empty())
        key = SerialPortKey(("\\\\.\\" + portName).c_str());
    if (key.empty())
        return {};
    if (IsLineAttached(key))
        return {std::string(), SerialPortSource::Attached};
    if (std::optional<std::string> value = EnvironmentValue(key.c_str()); value && !value->empty())
        return {*value, SerialPortSource::Environment};
    if (std::optional<std::string> value = ProfileDevice(key))
        return {*value, SerialPortSource::Profile};
    unsigned long number = std::strtoul(key.c_str() + 3, nullptr, 10);
    std::vector<std::string> devices = DefaultSerialDevices();
    if (number >= 1 && number <= devices.size())
        return {devices[number - 1], SerialPortSource::Default};
    return {};
}

std::vector<std::string> DefaultSerialDevices() {
    return DefaultSerialDevices("/sys", "/dev");
}

std::vector<std::string> DefaultSerialDevices(const std::string& sysRoot, const std::string& devRoot) {
    std::vector<std::string> devices;
    for (const NumberedDevice& device : DevicesNamed(devRoot, "ttyS")) {
        if (IsFittedUart(sysRoot, device))
            devices.push_back(device.path);
    }
    for (const char* prefix : {"ttyUSB", "ttyACM"}) {
        for (const NumberedDevice& device : DevicesNamed(devRoot, prefix))
            devices.push_back(device.path);
    }
    return devices;
}

} // namespace platform
