#pragma once

// Lines attached to the process under a port name, ahead of every device map. The program itself
// attaches none; a harness that plays the far end of a cable in the same process (the test
// library's in-memory line) puts its lines here, and CreateFileA then opens them as it opens a
// UART.

#include "platform/WinTypes.h"
#include "platform/serial/Device.h"

#include <memory>
#include <string>

namespace platform {

class AttachedLines {
public:
    virtual ~AttachedLines() = default;
    // Whether a line is attached under a port key ("COM5").
    virtual bool Has(const std::string& portKey) const = 0;
    // The device over the line; null with ERROR_FILE_NOT_FOUND (no line, or unplugged) or
    // ERROR_ACCESS_DENIED (open already).
    virtual std::unique_ptr<SerialDevice> Open(const std::string& portKey, DWORD& error) = 0;
};

// Puts a set of lines ahead of the port map, or none with null. The set outlives its use.
void SetAttachedLines(AttachedLines* lines);

bool IsLineAttached(const std::string& portKey);
std::unique_ptr<SerialDevice> OpenAttachedLine(const std::string& portKey, DWORD& error);

} // namespace platform
