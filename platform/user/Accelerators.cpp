#include "platform/user/Accelerators.h"

#include "platform/kernel/Errors.h"
#include "platform/user/Messages.h"

#include <mutex>
#include <set>
#include <vector>

namespace {

struct AcceleratorTable {
    std::vector<ACCEL> entries;
};

std::mutex tablesMutex;
std::set<AcceleratorTable*>& Tables() {
    static auto* tables = new std::set<AcceleratorTable*>;
    return *tables;
}

bool Matches(const ACCEL& entry, const MSG& message) {
    const bool isKeyDown = message.message == WM_KEYDOWN || message.message == WM_SYSKEYDOWN;
    const bool isChar = message.message == WM_CHAR || message.message == WM_SYSCHAR;
    if (entry.fVirt & FVIRTKEY) {
        if (!isKeyDown || entry.key != (message.wParam & 0xFF)) {
            return false;
        }
        // Virtual-key entries name every modifier: the keys held must be exactly those.
        const bool shift = GetKeyState(VK_SHIFT) < 0;
        const bool control = GetKeyState(VK_CONTROL) < 0;
        const bool alt = (message.lParam & (1 << 29)) != 0;
        return shift == ((entry.fVirt & FSHIFT) != 0) && control == ((entry.fVirt & FCONTROL) != 0) &&
               alt == ((entry.fVirt & FALT) != 0);
    }
    // Character entries match the character typed, with Alt as given.
    const bool alt = (message.lParam & (1 << 29)) != 0;
    return isChar && entry.key == (message.wParam & 0xFFFF) && alt == ((entry.fVirt & FALT) != 0);
}

} // namespace

HACCEL CreateAcceleratorTableA(LPACCEL paccel, int cAccel) {
    if (paccel == nullptr || cAccel <= 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    auto* table = new AcceleratorTable{std::vector<ACCEL>(paccel, paccel + cAccel)};
    std::lock_guard lock(tablesMutex);
    Tables().insert(table);
    return reinterpret_cast<HACCEL>(table);
}

BOOL DestroyAcceleratorTable(HACCEL hAccel) {
    auto* table = reinterpret_cast<AcceleratorTable*>(hAccel);
    std::lock_guard lock(tablesMutex);
    if (Tables().erase(table) == 0) {
        return FALSE;
    }
    delete table;
    return TRUE;
}

int TranslateAcceleratorA(HWND hWnd, HACCEL hAccTable, LPMSG lpMsg) {
    if (lpMsg == nullptr || hWnd == nullptr) {
        return 0;
    }
    WORD command = 0;
    bool found = false;
    {
        std::lock_guard lock(tablesMutex);
        auto* table = reinterpret_cast<AcceleratorTable*>(hAccTable);
        if (Tables().count(table) == 0) {
            SetLastError(ERROR_INVALID_HANDLE);
            return 0;
        }
        for (const ACCEL& entry : table->entries) {
            if (Matches(entry, *lpMsg)) {
                command = entry.cmd;
                found = true;
                break;
            }
        }
    }
    if (!found) {
        return 0;
    }
    SendMessageA(hWnd, WM_COMMAND, MAKEWPARAM(command, 1), 0);
    return 1;
}
