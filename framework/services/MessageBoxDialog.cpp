#include "framework/services/MessageBoxDialog.h"

namespace framework {

namespace {

bool AsksQuestion(uint32_t type) {
    return (type & 4) != 0 || (type & 3) == 3;
}

} // namespace

MessageBoxDialog::MessageBoxDialog(Window* owner, const char* text, const char* caption, uint32_t type)
    : Dialog(owner, TemplateId), text(text), caption(caption), type(type) {
    SetFrameFlags(FrameCentre);
}

LRESULT MessageBoxDialog::OnInitDialog(MessageRecord& record) {
    SetWindowTextA(Handle(), caption.CStr());
    SetDlgItemTextA(Handle(), TextId, text.CStr());
    ShowIcon();
    if (!AsksQuestion(type)) {
        ShowWindow(GetDlgItem(Handle(), YesToAllId), SW_HIDE);
        ShowWindow(GetDlgItem(Handle(), NoId), SW_HIDE);
    }
    return 1; // the default button takes the focus
}

void MessageBoxDialog::ShowIcon() {
    HWND icon = GetDlgItem(Handle(), IconId);
    LPCSTR name = nullptr;
    switch (type & MB_ICONMASK) {
    case MB_ICONHAND:
        name = IDI_HAND;
        break;
    case MB_ICONQUESTION:
        name = IDI_QUESTION;
        break;
    case MB_ICONEXCLAMATION:
        name = IDI_EXCLAMATION;
        break;
    case MB_ICONINFORMATION:
        name = IDI_ASTERISK;
        break;
    default:
        break;
    }
    if (name == nullptr) {
        ShowWindow(icon, SW_HIDE);
        return;
    }
    SendMessageA(icon, STM_SETICON, reinterpret_cast<WPARAM>(LoadIconA(nullptr, name)), 0);
}

LRESULT MessageBoxDialog::OnOK() {
    result = MessageBoxResult{IDYES, 0};
    return 0;
}

LRESULT MessageBoxDialog::OnCancel() {
    result = MessageBoxResult{IDNO, 1};
    return 0;
}

LRESULT MessageBoxDialog::OnCommand(MessageRecord& record) {
    const int id = LOWORD(record.wParam);
    if (HIWORD(record.wParam) != BN_CLICKED || (id != YesToAllId && id != NoId) ||
        reinterpret_cast<HWND>(record.lParam) != GetDlgItem(Handle(), id)) {
        return 0;
    }
    result = id == YesToAllId ? MessageBoxResult{IDYES, 1} : MessageBoxResult{IDNO, 0};
    PostMessageA(Handle(), WM_CLOSE, 0, 0);
    return 1;
}

} // namespace framework
