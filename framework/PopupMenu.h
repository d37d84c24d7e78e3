#pragma once

#include "framework/Rect.h"
#include "platform/Windows.h"

namespace framework {

// A popup menu that owns its menu handle. Showing it runs the system's menu loop, which keeps
// dispatching the thread's messages until the user chooses or dismisses; code running from that
// loop may replace the menu it came from, so the object carries a tracking-finished mark that is
// clear while the menu is up and set once the menu call has returned. The application's
// `SetCurrentPopupMenu` uses the mark to put off deleting a menu that is still being shown.
//
// Window thread only.
class PopupMenu {
public:
    PopupMenu();
    PopupMenu(const PopupMenu&) = delete;
    PopupMenu& operator=(const PopupMenu&) = delete;
    ~PopupMenu();

    HMENU Handle() const { return menu; }
    // A menu that is not being shown counts as finished, so a fresh menu can go at once.
    bool IsTrackingFinished() const { return isTrackingFinished; }

    // Appends an item; `flags` may add MF_GRAYED or MF_CHECKED to the plain string item.
    bool AddItem(UINT command, const char* text, UINT flags = MF_STRING);
    bool AddSeparator();

    // Shows the menu at a point on the screen for the owner window and waits: the chosen
    // command, or 0 when the menu was dismissed.
    int Choose(HWND owner, Point at, UINT alignment = TPM_RIGHTBUTTON);
    // Shows the menu at a point on the screen for the owner window; a chosen command reaches the
    // owner as WM_COMMAND. True when an item was chosen.
    bool Show(HWND owner, Point at, UINT alignment = TPM_RIGHTBUTTON);

private:
    BOOL Track(HWND owner, Point at, UINT flags);

    HMENU menu;
    bool isTrackingFinished = true;
};

} // namespace framework
