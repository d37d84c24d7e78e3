#include "platform/UserStandardClasses.h"

#include "platform/UserDialog.h"

namespace platform::user {

namespace {

// One line per class; keep the names as Win32 spells them, lookups fold case.
const StandardClass standardClasses[] = {
    {"#32770", DefDlgProcA, CS_DBLCLKS | CS_SAVEBITS, DLGWINDOWEXTRA, nullptr},
    {nullptr, nullptr, 0, 0, nullptr}, // end marker, keeps the table valid while it is empty
};

} // namespace

std::span<const StandardClass> StandardClasses() {
    return {standardClasses, std::size(standardClasses) - 1};
}

} // namespace platform::user
