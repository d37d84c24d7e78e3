#include "platform/serial/AttachedLines.h"

#include "platform/kernel/Errors.h"

#include <atomic>

namespace platform {

namespace {

std::atomic<AttachedLines*> attached{nullptr};

} // namespace

void SetAttachedLines(AttachedLines* lines) {
    attached.store(lines);
}

bool IsLineAttached(const std::string& portKey) {
    AttachedLines* lines = attached.load();
    return lines != nullptr && lines->Has(portKey);
}

std::unique_ptr<SerialDevice> OpenAttachedLine(const std::string& portKey, DWORD& error) {
    AttachedLines* lines = attached.load();
    if (lines == nullptr) {
        error = ERROR_FILE_NOT_FOUND;
        return nullptr;
    }
    return lines->Open(portKey, error);
}

} // namespace platform
