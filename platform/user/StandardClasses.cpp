#include "platform/user/StandardClasses.h"

#include "platform/comctl/TreeView.h"
#include "platform/comctl/UpDown.h"
#include "platform/user/Button.h"
#include "platform/user/ComboBox.h"
#include "platform/user/Dialog.h"
#include "platform/user/Edit.h"
#include "platform/user/ListBox.h"
#include "platform/user/Menus.h"
#include "platform/user/ScrollBar.h"
#include "platform/user/Static.h"

namespace platform::user {

namespace {

// One line per class; keep the names as Win32 spells them, lookups fold case.
const StandardClass standardClasses[] = {
    {"ScrollBar", ScrollBarControlProc, CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW, sizeof(void*), nullptr},
    {"ListBox", ListBoxProcedure, CS_DBLCLKS | CS_PARENTDC, sizeof(void*), nullptr},
    {"ComboBox", ComboBoxProcedure, CS_DBLCLKS | CS_PARENTDC | CS_HREDRAW | CS_VREDRAW, sizeof(void*),
     nullptr},
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
