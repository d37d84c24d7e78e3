#include "platform/ComdlgCommon.h"

namespace {

// Per thread, as each thread runs its own dialogs.
thread_local DWORD lastError = 0;

} // namespace

DWORD CommDlgExtendedError() { return lastError; }

namespace platform::comdlg {

void SetExtendedError(DWORD code) { lastError = code; }

} // namespace platform::comdlg
