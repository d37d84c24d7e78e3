#include "support/DeviceServerProcess.h"

#include <arpa/inet.h>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <netinet/in.h>
#include <sstream>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace testsupport {

int FreeLoopbackPort() {
    int descriptor = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    int port = 0;
    if (::bind(descriptor, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        ::getsockname(descriptor, reinterpret_cast<sockaddr*>(&address), &size) == 0)
        port = ntohs(address.sin_port);
    ::close(descriptor);
    return port;
}

// Lines of /proc/net/tcp: "sl local_address rem_address st ...", addresses as hex IP:PORT, state
// 0A for LISTEN.
bool IsListening(int port) {
    for (const char* table : {"/proc/net/tcp", "/proc/net/tcp6"}) {
        std::ifstream lines(table);
        std::string line;
        std::getline(lines, line);
        while (std::getline(lines, line)) {
            std::istringstream fields(line);
            std::string slot, local, remote, state;
            fields >> slot >> local >> remote >> state;
            const std::size_t colon = local.rfind(':');
            if (state == "0A" && colon != std::string::npos &&
                std::stoi(local.substr(colon + 1), nullptr, 16) == port)
                return true;
        }
    }
    return false;
}

bool DeviceServerProcess::Start(const std::string& devicePath, Protocol newProtocol, int newPort) {
    protocol = newProtocol;
    port = newPort != 0 ? newPort : FreeLoopbackPort();
    const std::string program = InstalledProgramPath("ser2net");
    if (program.empty()) {
        problem = "ser2net is not installed (tools/install-deps installs it)";
        return false;
    }
    // ser2net turns each '#' of a -Y string into a line break.
    const std::string accepter = std::string(protocol == Protocol::Raw ? "tcp" : "telnet(rfc2217),tcp") +
                                 ",127.0.0.1," + std::to_string(port);
    const std::string configuration = "connection: &line#  accepter: " + accepter +
                                      "#  connector: serialdev," + devicePath + ",9600n81,local";
    if (!ChildProcess::Start({program,
                              {"-n", "-u", "-P", scratchFolder + "/ser2net-" + std::to_string(port) + ".pid",
                               "-Y", configuration},
                              {},
                              {}})) {
        problem = "ser2net could not be started";
        return false;
    }
    for (int round = 0; round < 250; ++round) {
        if (IsListening(port))
            return true;
        if (!IsRunning())
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    problem = "ser2net does not listen on port " + std::to_string(port) + ": " + StandardError();
    return false;
}

std::string DeviceServerProcess::Address() const {
    return std::string(protocol == Protocol::Raw ? "tcp" : "rfc2217") +
           "://127.0.0.1:" + std::to_string(port);
}

} // namespace testsupport
