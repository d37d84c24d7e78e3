#include "framework/PopupMenu.h"

namespace framework {

PopupMenu::PopupMenu() : menu(CreatePopupMenu()) {}

PopupMenu::~PopupMenu() {
    if (menu != nullptr) {
        DestroyMenu(menu);
    }
}

bool PopupMenu::AddItem(UINT command, const char* text, UINT flags) {
    return AppendMenuA(menu, flags & ~MF_SEPARATOR, command, text) != FALSE;
}

bool PopupMenu::AddSeparator() {
    return AppendMenuA(menu, MF_SEPARATOR, 0, nullptr) != FALSE;
}

int PopupMenu::Choose(HWND owner, Point at, UINT alignment) {
    return static_cast<int>(Track(owner, at, alignment | TPM_RETURNCMD));
}

bool PopupMenu::Show(HWND owner, Point at, UINT alignment) {
    return Track(owner, at, alignment & ~TPM_RETURNCMD) != FALSE;
}

BOOL PopupMenu::Track(HWND owner, Point at, UINT flags) {
    isTrackingFinished = false;
    const BOOL result = TrackPopupMenu(menu, flags, at.x, at.y, 0, owner, nullptr);
    isTrackingFinished = true;
    return result;
}

} // namespace framework
