#pragma once

// ser2net, the serial device server of Debian, as a child process of a test or a benchmark: it
// serves one device (a pseudo-terminal, in the tests) on a free loopback port, as a raw TCP stream
// or as Telnet with RFC 2217 Com Port Control, the way a device server on the shop floor serves a
// machine's RS-232 line. Start returns once the daemon listens.

#include "support/ChildProcess.h"

#include <chrono>
#include <string>

namespace testsupport {

class DeviceServerProcess : public ChildProcess {
public:
    enum class Protocol { Raw, ComPortControl };

    explicit DeviceServerProcess(const std::string& scratchFolder)
        : ChildProcess(scratchFolder, "ser2net"), scratchFolder(scratchFolder) {}

    // Serves devicePath on port (0: a free one). False, with the reason in Problem(), when ser2net
    // is not installed, did not start or does not listen within five seconds.
    bool Start(const std::string& devicePath, Protocol protocol, int port = 0);
    int Port() const { return port; }
    // "rfc2217://127.0.0.1:N" or "tcp://127.0.0.1:N", as the port map takes it.
    std::string Address() const;
    const std::string& Problem() const { return problem; }

private:
    std::string scratchFolder;
    Protocol protocol = Protocol::ComPortControl;
    int port = 0;
    std::string problem;
};

// A loopback TCP port nobody listens on now.
int FreeLoopbackPort();
// Whether something listens on the loopback TCP port (from /proc/net/tcp).
bool IsListening(int port);

} // namespace testsupport
