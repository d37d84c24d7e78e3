#include "platform/UserStandardClasses.h"

#include "platform/UserButton.h"
#include "platform/UserComboBox.h"
#include "platform/UserDialog.h"
#include "platform/UserEdit.h"
#include "platform/UserListBox.h"
#include "platform/UserMenus.h"
#include "platform/UserScrollBar.h"
#include "platform/UserStatic.h"
#include "platform/UserTreeView.h"
#include "platform/UserUpDown.h"

namespace platform::user {

namespace {

// One line per class; keep the names as Win32 spells them, lookups fold case.
const StandardClass standardClasses[] = {
    {"ScrollBar", ScrollBarControlProc, CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW, sizeof(void*), nullptr},
    {"ListBox", ListBoxProcedure, CS_DBLCLKS | CS_PARENTDC, sizeof(void*), nullptr},
    {"ComboBox", ComboBoxProcedure, CS_DBLCLKS | CS_PARENTDC | CS_HREDRAW | CS_VREDRAW, sizeof(void*), nullptr},
    {"ComboLBox", ListBoxProcedure, CS_DBLCLKS | CS_SAVEBITS, sizeof(void*), nullptr},
    {UPDOWN_CLASSA, UpDownProcedure, CS_HREDRAW | CS_VREDRAW, sizeof(void*), nullptr},
    {WC_TREEVIEWA, TreeViewProcedure, CS_DBLCLKS, sizeof(void*), nullptr},
    {"#32770", DefDlgProcA, CS_DBLCLKS | CS_SAVEBITS, DLGWINDOWEXTRA, nullptr},
    {"Button", ButtonProcedure, CS_DBLCLKS | CS_PARENTDC | CS_HREDRAW | CS_VREDRAW, sizeof(void*), nullptr},
    {"Edit", EditProcedure, CS_DBLCLKS | CS_PARENTDC, sizeof(void*), IDC_IBEAM},
    {"Static", StaticProcedure, CS_DBLCLKS | CS_PARENTDC, sizeof(void*), nullptr},
    {"#32768", MenuWindowProcedure, CS_DBLCLKS | CS_SAVEBITS, 0, nullptr},
    {nullptr, nullptr, 0, 0, nullptr}, // end marker, keeps the table valid while it is empty
};

} // namespace

std::span<const StandardClass> StandardClasses() {
    return {standardClasses, std::size(standardClasses) - 1};
}

} // namespace platform::user
