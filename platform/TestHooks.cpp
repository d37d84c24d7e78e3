#include "platform/TestHooks.h"

#include "platform/GdiSurface.h"
#include "platform/UserMessages.h"
#include "platform/UserState.h"
#include "platform/UserWindows.h"

namespace platform::testing {

namespace {

// The surface of the top-level window that holds hwnd, and hwnd's client origin on it.
Surface* SurfaceOf(HWND hwnd, POINT& origin) {
    auto lock = user::UserLock();
    const user::WindowRecord* record = user::FindWindow(hwnd);
    if (record == nullptr) {
        return nullptr;
    }
    const user::WindowRecord* root = record;
    while (const user::WindowRecord* parent = user::FindWindow(root->parent)) {
        root = parent;
    }
    const POINT rootOrigin = user::ClientOriginOnScreen(*root);
    const POINT mine = user::ClientOriginOnScreen(*record);
    origin = POINT{mine.x - rootOrigin.x, mine.y - rootOrigin.y};
    return root->surface;
}

} // namespace

COLORREF ClientPixel(HWND hwnd, int x, int y) {
    POINT origin{};
    Surface* surface = SurfaceOf(hwnd, origin);
    if (surface == nullptr) {
        return 0xFFFFFFFF;
    }
    const SIZE size = SurfaceSize(surface);
    const int px = origin.x + x;
    const int py = origin.y + y;
    if (px < 0 || py < 0 || px >= size.cx || py >= size.cy) {
        return 0xFFFFFFFF;
    }
    int stride = 0;
    const uint8_t* pixels = SurfacePixels(surface, &stride);
    const uint32_t pixel = *reinterpret_cast<const uint32_t*>(pixels + py * stride + px * 4);
    return RGB(static_cast<BYTE>((pixel >> 16) & 0xFF), static_cast<BYTE>((pixel >> 8) & 0xFF),
               static_cast<BYTE>(pixel & 0xFF));
}

bool SnapshotPng(HWND hwnd, const std::string& path) {
    POINT origin{};
    Surface* surface = SurfaceOf(hwnd, origin);
    return surface != nullptr && SaveSurfacePng(surface, path);
}

void PumpMessages() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(message.wParam));
            return;
        }
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

} // namespace platform::testing
