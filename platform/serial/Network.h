#pragma once

// Serial ports served over the network by a serial device server (or ser2net on a PC): the port
// map gives "tcp://HOST:PORT" for a raw byte stream or "rfc2217://HOST:PORT" for a Telnet session
// with Com Port Control (serial/Telnet.h). The port on top (serial/Port.h) paces output
// at the configured line speed and does XON/XOFF itself, exactly as on a local device, so what
// this device adds is the transport:
//  - Opening connects with a time-out of connectTimeout. A refused or timed-out connection, or a
//    host name that cannot be resolved, fails with the Winsock code and its text. An RFC 2217
//    server must agree to Com Port Control and answer the first commands within the same time,
//    else ERROR_NOT_SUPPORTED or ERROR_TIMEOUT; one that closes the connection at once (ser2net
//    does when another client holds the port) gives ERROR_BUSY. So does a raw server that closes
//    within rawSettleTime of the connect.
//  - Settings go out as SET-BAUDRATE, SET-DATASIZE, SET-PARITY, SET-STOPSIZE and SET-CONTROL
//    (outbound flow: none, or hardware for RTS/CTS, since XON/XOFF is the port's), and Configure
//    waits for the server's answers: a value other than the one asked for is a refusal
//    (ERROR_INVALID_PARAMETER), and the old settings are sent back. A raw server keeps its own
//    settings, and Configure only records the speed.
//  - DTR, RTS and break are SET-CONTROL commands, a purge of the input or the output a PURGE-DATA
//    of the server's buffer; the modem lines are those of the server's last NOTIFY-MODEMSTATE (on,
//    until one comes), the error counts those of its NOTIFY-LINESTATE reports. A raw connection
//    has all lines on and no counts.
//  - The output queue is what the socket has not yet taken; the line-speed clock of the port
//    covers what the server still holds.
//  - A connection that closes or fails is a device that has gone: every call but CloseHandle fails
//    with ERROR_DEVICE_NOT_CONNECTED, as for an unplugged adapter, once the data that came before
//    the close has been read. Keep-alive probes and a user time-out notice a server that vanished
//    without closing within about deadPeerTime.
// Exclusive use is the server's business: a device server serves one client per port.

#include "platform/WinTypes.h"
#include "platform/serial/Device.h"

#include <chrono>
#include <memory>
#include <string>

namespace platform {

constexpr std::chrono::milliseconds connectTimeout{3000};
constexpr std::chrono::milliseconds rawSettleTime{100};
constexpr std::chrono::milliseconds deadPeerTime{2000};

// True for an address of the form "tcp://..." or "rfc2217://...", well formed or not.
bool IsNetworkPortAddress(const std::string& address);

// Connects to the device server of a network address. Fails, returning null, with
// ERROR_BAD_NETPATH for an address without host or port, or one of the codes above.
std::unique_ptr<SerialDevice> OpenNetworkDevice(const std::string& address, DWORD& error);

} // namespace platform
