#pragma once

#include "framework/MessageRecord.h"
#include "framework/PointerArray.h"

#include <cstdint>

namespace framework {

class Window;

// The framework's keyboard shortcuts, kept by the application. Each binds a key with modifiers to a
// command id of a window object; every key message that reaches a framework window is offered here
// first. A match sends the command as an accelerator command, and the key-up and character
// messages of the same key press are swallowed. Shortcuts are suspended while a menu is open or a
// modal dialog runs (suspensions nest) and removed with their window. A second list forwards copies
// of key messages typed into other windows.
class Shortcuts {
public:
    enum Modifier : int { ModifierAlt = 1, ModifierCtrl = 2, ModifierShift = 4 };
    // A shortcut with this command id stays active through menus and modal dialogs.
    static constexpr int32_t AlwaysActiveId = 1802;
    using CancelOperation = void (*)(void* context);

    Shortcuts();
    Shortcuts(const Shortcuts&) = delete;
    Shortcuts& operator=(const Shortcuts&) = delete;
    ~Shortcuts();

    bool AddShortcut(Window* window, int32_t id, uint8_t key, int modifiers);
    int SuspendShortcuts(Window* window);
    int ResumeShortcuts(Window* window);
    bool RemoveShortcuts(Window* window);
    void AddKeyForwarding(Window* target, Window* receiver);
    int RemoveKeyForwarding(Window* window);
    void SetCancelBinding(uint8_t key, int modifiers, CancelOperation operation, void* context);
    void ClearCancelBinding() { cancelOperation = nullptr; }

    bool HandleKeyDown(MessageRecord& record);
    bool HandleKeyUpOrChar(MessageRecord& record, bool isChar);
    LRESULT ForwardKey(MessageRecord& record, bool isChar);

    int32_t Count() const { return shortcuts.Count(); }
    int32_t PressedCount() const { return pressed.Count(); }

private:
    struct Shortcut;
    struct Forwarding;

    static int HeldModifiers(const MessageRecord& record);
    bool Suspend(Shortcut& shortcut);
    bool Resume(Shortcut& shortcut);

    PointerArray shortcuts;
    PointerArray pressed;
    PointerArray forwardings;
    uint8_t cancelKey = 0;
    int cancelModifiers = 0;
    CancelOperation cancelOperation = nullptr;
    void* cancelContext = nullptr;
};

} // namespace framework
