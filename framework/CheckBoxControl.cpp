#include "framework/CheckBoxControl.h"

namespace framework {

CheckBoxControl::CheckBoxControl(Window* dialog, int32_t id, int32_t* variable)
    : ButtonControl(dialog, id, Binding(variable)) {
    AdoptIfReady();
}

bool CheckBoxControl::IsChecked() const {
    return Send(BM_GETCHECK) == static_cast<LRESULT>(BST_CHECKED);
}

void CheckBoxControl::SetChecked(bool checked) {
    Send(BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED);
}

void CheckBoxControl::Load() {
    const int32_t* variable = GetBinding().Integer();
    if (variable == nullptr || Handle() == nullptr) {
        return;
    }
    const WPARAM state = *variable == 0 ? BST_UNCHECKED : *variable == 2 ? BST_INDETERMINATE : BST_CHECKED;
    Send(BM_SETCHECK, state);
}

void CheckBoxControl::Store() {
    int32_t* variable = GetBinding().Integer();
    if (variable == nullptr || Handle() == nullptr) {
        return;
    }
    *variable = static_cast<int32_t>(Send(BM_GETCHECK));
}

} // namespace framework
