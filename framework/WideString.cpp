#include "framework/WideString.h"

#include "framework/MemoryManager.h"
#include "platform/Windows.h"

namespace framework {

WideString::WideString(const char* text) {
    if (text == nullptr || *text == '\0') {
        return;
    }
    // The first call counts the code units, terminator included; the second converts.
    const int needed = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    if (needed <= 0) {
        return;
    }
    buffer = static_cast<char16_t*>(MemoryManager::Instance().Allocate(needed * sizeof(char16_t)));
    count = MultiByteToWideChar(CP_ACP, 0, text, -1, reinterpret_cast<LPWSTR>(buffer), needed);
    if (count <= 0) {
        Clear();
    }
}

WideString::~WideString() {
    Clear();
}

void WideString::Clear() {
    MemoryManager::Instance().Free(buffer);
    buffer = nullptr;
    count = 0;
}

} // namespace framework
