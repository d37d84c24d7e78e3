#pragma once

#include "platform/Windows.h"

namespace framework {

class Window;

// What every message handler of a window object receives.
struct MessageRecord {
    HWND hwnd;
    LPARAM lParam;
    WPARAM wParam;
    UINT message;
};

// A member operation of a window object that handles a message; 0 means not handled.
using MessageHandler = LRESULT (Window::*)(MessageRecord& record);

// Private messages of the window framework.
constexpr UINT MessageQuery = 0x8039;
constexpr UINT MessagePrivate = 0x8062;
constexpr UINT MessageDeferred = 0x8064;
constexpr UINT MessageDeferToSelf = 0x8066;
constexpr UINT MessageOutOfMemory = 0x8067;
constexpr UINT MessageDeleteChild = 0x8068;

} // namespace framework
