#include "framework/Control.h"

#include "framework/Brush.h"

namespace framework {

namespace {

MessageHandler AsHandler(LRESULT (Control::*operation)(MessageRecord&)) {
    return static_cast<MessageHandler>(operation);
}

} // namespace

Control::Control(Window* dialog, int32_t id, const Binding& binding, int gainedCode, int lostCode)
    : Window(dialog), binding(binding), gainedCode(gainedCode), lostCode(lostCode), id(id),
      textColour(GetSysColor(COLOR_BTNTEXT)) {
    SetKind(KindControl);
    WatchParent(true);
}

Control::~Control() {
    WatchParent(false);
    // The item belongs to the dialog's window: the control only lets go of it.
    if (id >= 0) {
        Detach();
    }
}

// The focus handlers and the adoption at WM_INITDIALOG live in the parent's handler table.
void Control::WatchParent(bool watch) {
    Window* dialog = Parent();
    if (dialog == nullptr || id < 0) {
        return;
    }
    auto change = [&](MessageHandler operation, UINT message, int32_t handlerId, UINT code) {
        if (watch) {
            dialog->AddHandler(this, operation, message, handlerId, code);
        } else {
            dialog->RemoveHandler(this, operation, message, handlerId, code);
        }
    };
    change(AsHandler(&Control::HandleInitDialog), WM_INITDIALOG, -1, 0);
    if (gainedCode != NoNotification) {
        change(AsHandler(&Control::HandleFocusGained), WM_COMMAND, id, static_cast<UINT>(gainedCode));
    }
    if (lostCode != NoNotification) {
        change(AsHandler(&Control::HandleFocusLost), WM_COMMAND, id, static_cast<UINT>(lostCode));
    }
}

void Control::SetControlClassName(const char* name) {
    controlClassName = name;
    SetClassName(name);
}

void Control::AdoptIfReady() {
    Window* dialog = Parent();
    if (id < 0 || dialog == nullptr || dialog->Handle() == nullptr) {
        return;
    }
    Adopt(GetDlgItem(dialog->Handle(), id));
}

void Control::Adopt(HWND item) {
    if (item == nullptr) {
        return;
    }
    if (Handle() != item) {
        Detach();
        Subclass(item);
        if (!controlClassName.IsEmpty()) {
            SetClassName(controlClassName.CStr());
        }
    }
    OnAdopted();
}

// The dialog's first message after its controls exist: adopt the item of the new window. The
// result 0 lets the dialog go on with its own initialisation.
LRESULT Control::HandleInitDialog(MessageRecord& record) {
    Adopt(GetDlgItem(record.hwnd, id));
    return 0;
}

LRESULT Control::HandleFocusGained(MessageRecord& record) {
    return OnFocusGained(record);
}

LRESULT Control::HandleFocusLost(MessageRecord& record) {
    return OnFocusLost(record);
}

void Control::SetTextColour(Colour colour) {
    textColour = colour;
    Invalidate();
}

// A control keeps the system's colours until it is given a text colour of its own; then it paints
// its text in that colour on the background its class would have had.
Brush* Control::OnCtlColor(MessageRecord& record) {
    if (Brush* brush = Window::OnCtlColor(record);
        brush != nullptr || textColour == Colour(GetSysColor(COLOR_BTNTEXT))) {
        if (brush != nullptr) {
            SetTextColor(reinterpret_cast<HDC>(record.wParam), textColour.Value());
        }
        return brush;
    }
    const bool isEditLike = record.message == WM_CTLCOLOREDIT || record.message == WM_CTLCOLORLISTBOX;
    const int background = isEditLike ? COLOR_WINDOW : COLOR_BTNFACE;
    auto dc = reinterpret_cast<HDC>(record.wParam);
    SetTextColor(dc, textColour.Value());
    SetBkColor(dc, GetSysColor(background));
    return Brush::SystemColour(background);
}

} // namespace framework
