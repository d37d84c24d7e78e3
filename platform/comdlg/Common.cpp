#include "platform/comdlg/Common.h"

#include "platform/user/DialogTemplateWriter.h"
#include "platform/user/MessageBox.h"

namespace {

// Per thread, as each thread runs its own dialogs.
thread_local DWORD lastError = 0;

} // namespace

DWORD CommDlgExtendedError() {
    return lastError;
}

namespace platform::comdlg {

void SetExtendedError(DWORD code) {
    lastError = code;
}

BOOL Fail(DWORD code) {
    SetExtendedError(code);
    return FALSE;
}

bool RunModal(HINSTANCE instance, const DialogTemplateWriter& layout, HWND owner, DLGPROC procedure,
              void* self) {
    const INT_PTR answer = DialogBoxIndirectParamA(instance, layout.Template(), owner, procedure,
                                                   reinterpret_cast<LPARAM>(self));
    if (answer == -1) {
        Fail(CDERR_DIALOGFAILURE);
        return false;
    }
    return answer == IDOK;
}

} // namespace platform::comdlg
