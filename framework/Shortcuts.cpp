#include "framework/Shortcuts.h"

#include "framework/Window.h"

namespace framework {

struct Shortcuts::Shortcut {
    int32_t suspendCount = 1;
    bool isActive = false;
    int32_t id;
    uint8_t key;
    int modifiers;
    Window* window;
};

struct Shortcuts::Forwarding {
    Window* target;
    Window* receiver;
    int32_t suspendCount = 0;
};

namespace {
// The Alt state a key message carries in its context bit.
constexpr LPARAM AltContextBit = 1 << 29;
constexpr LPARAM ReleaseBit = static_cast<LPARAM>(1u << 31);
} // namespace

Shortcuts::Shortcuts()
    : shortcuts(PointerArray::DeleteAs<Shortcut>), pressed(nullptr),
      forwardings(PointerArray::DeleteAs<Forwarding>) {}

Shortcuts::~Shortcuts() = default;

bool Shortcuts::Suspend(Shortcut& shortcut) {
    const bool wasActive = shortcut.isActive;
    ++shortcut.suspendCount;
    shortcut.isActive = false;
    if (wasActive) {
        pressed.Remove(&shortcut);
    }
    return wasActive;
}

bool Shortcuts::Resume(Shortcut& shortcut) {
    if (shortcut.suspendCount > 0 && --shortcut.suspendCount == 0) {
        shortcut.isActive = true;
        return true;
    }
    return false;
}

bool Shortcuts::AddShortcut(Window* window, int32_t id, uint8_t key, int modifiers) {
    if (window == nullptr) {
        return false;
    }
    auto* shortcut = new Shortcut{1, false, id, key, modifiers, window};
    shortcuts.Add(shortcut);
    return Resume(*shortcut);
}

int Shortcuts::SuspendShortcuts(Window* window) {
    int deactivated = 0;
    for (int32_t i = 0; i < shortcuts.Count(); ++i) {
        Shortcut* shortcut = shortcuts.Get<Shortcut>(i);
        if ((window == nullptr || shortcut->window == window) && shortcut->id != AlwaysActiveId) {
            deactivated += Suspend(*shortcut) ? 1 : 0;
        }
    }
    for (int32_t i = 0; i < forwardings.Count(); ++i) {
        Forwarding* forwarding = forwardings.Get<Forwarding>(i);
        if (window == nullptr || forwarding->target == window) {
            ++forwarding->suspendCount;
        }
    }
    return deactivated;
}

int Shortcuts::ResumeShortcuts(Window* window) {
    int activated = 0;
    for (int32_t i = 0; i < shortcuts.Count(); ++i) {
        Shortcut* shortcut = shortcuts.Get<Shortcut>(i);
        if (window == nullptr || shortcut->window == window) {
            activated += Resume(*shortcut) ? 1 : 0;
        }
    }
    for (int32_t i = 0; i < forwardings.Count(); ++i) {
        Forwarding* forwarding = forwardings.Get<Forwarding>(i);
        if ((window == nullptr || forwarding->target == window) && forwarding->suspendCount > 0) {
            --forwarding->suspendCount;
        }
    }
    return activated;
}

bool Shortcuts::RemoveShortcuts(Window* window) {
    bool removed = false;
    for (int32_t i = shortcuts.Count() - 1; i >= 0; --i) {
        Shortcut* shortcut = shortcuts.Get<Shortcut>(i);
        if (window == nullptr || shortcut->window == window) {
            if (shortcut->isActive) {
                Suspend(*shortcut);
            }
            pressed.Remove(shortcut);
            shortcuts.RemoveAt(i, true);
            removed = true;
        }
    }
    return removed;
}

void Shortcuts::AddKeyForwarding(Window* target, Window* receiver) {
    if (target != nullptr && receiver != nullptr) {
        forwardings.Add(new Forwarding{target, receiver, 0});
    }
}

int Shortcuts::RemoveKeyForwarding(Window* window) {
    int removed = 0;
    for (int32_t i = forwardings.Count() - 1; i >= 0; --i) {
        if (forwardings.Get<Forwarding>(i)->target == window) {
            forwardings.RemoveAt(i, true);
            ++removed;
        }
    }
    return removed;
}

void Shortcuts::SetCancelBinding(uint8_t key, int modifiers, CancelOperation operation, void* context) {
    cancelKey = key;
    cancelModifiers = modifiers;
    cancelOperation = operation;
    cancelContext = context;
}

int Shortcuts::HeldModifiers(const MessageRecord& record) {
    int modifiers = 0;
    if (GetAsyncKeyState(VK_SHIFT) < 0) {
        modifiers |= ModifierShift;
    }
    if (record.lParam & AltContextBit) {
        modifiers |= ModifierAlt;
    }
    if (GetAsyncKeyState(VK_CONTROL) < 0) {
        modifiers |= ModifierCtrl;
    }
    return modifiers;
}

bool Shortcuts::HandleKeyDown(MessageRecord& record) {
    const uint8_t key = static_cast<uint8_t>(record.wParam & 0xFF);
    const int modifiers = HeldModifiers(record);
    if (cancelOperation != nullptr && key == cancelKey && modifiers == cancelModifiers) {
        cancelOperation(cancelContext);
        return true;
    }
    bool matched = false;
    for (int32_t i = shortcuts.Count() - 1; i >= 0; --i) {
        Shortcut* shortcut = shortcuts.Get<Shortcut>(i);
        if (shortcut == nullptr || !shortcut->isActive || shortcut->key != key ||
            shortcut->modifiers != modifiers || shortcut->window == nullptr) {
            continue;
        }
        matched = true;
        if (pressed.IndexOf(shortcut) < 0) {
            pressed.Add(shortcut);
        }
        Window* window = shortcut->window;
        MessageRecord command{window->Handle(), 0,
                              static_cast<WPARAM>(static_cast<uint32_t>(shortcut->id) | 0x10000), WM_COMMAND};
        if (window->Dispatch(command) != 0) {
            break;
        }
    }
    return matched;
}

bool Shortcuts::HandleKeyUpOrChar(MessageRecord& record, bool isChar) {
    int key = static_cast<int>(record.wParam & 0xFF);
    if (isChar) {
        const SHORT scan = VkKeyScanA(static_cast<CHAR>(record.wParam));
        if (scan == -1) {
            return false;
        }
        key = scan & 0xFF;
    }
    for (int32_t i = 0; i < pressed.Count();) {
        auto* shortcut = static_cast<Shortcut*>(pressed.At(i));
        if (shortcuts.IndexOf(shortcut) < 0) {
            pressed.RemoveAt(i, false); // its window has gone
            continue;
        }
        if (shortcut->isActive && shortcut->key == key) {
            if (record.lParam & ReleaseBit) {
                pressed.RemoveAt(i, false);
            }
            return true;
        }
        ++i;
    }
    return false;
}

LRESULT Shortcuts::ForwardKey(MessageRecord& record, bool isChar) {
    bool withoutAlt = (record.lParam & AltContextBit) == 0;
    if (isChar) {
        const SHORT scan = VkKeyScanA(static_cast<CHAR>(record.wParam));
        withoutAlt = scan != -1 && ((scan >> 8) & 4) == 0;
    }
    if (!withoutAlt) {
        return 0;
    }
    for (int32_t i = 0; i < forwardings.Count(); ++i) {
        const Forwarding* forwarding = forwardings.Get<Forwarding>(i);
        if (forwarding->suspendCount != 0 || forwarding->receiver->Handle() == record.hwnd) {
            continue;
        }
        if (const LRESULT result = forwarding->receiver->Send(record.message, record.wParam, record.lParam)) {
            return result;
        }
    }
    return 0;
}

} // namespace framework
