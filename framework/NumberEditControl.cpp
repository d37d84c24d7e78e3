#include "framework/NumberEditControl.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>

namespace framework {

NumberEditControl::NumberEditControl(Window* dialog, int32_t id, int32_t* variable, int32_t lower,
                                     int32_t upper)
    : Control(dialog, id, Binding(variable, lower, upper), EN_SETFOCUS, EN_KILLFOCUS) {
    SetControlClassName(EditBoxClassName);
    AdoptIfReady();
}

std::optional<double> NumberEditControl::ParseNumber(const String& text) {
    String trimmed(text);
    trimmed.Trim();
    if (trimmed.IsEmpty()) {
        return std::nullopt;
    }
    const char* first = trimmed.CStr();
    const char* last = first + trimmed.Length();
    double value = 0;
    const auto [end, error] = std::from_chars(first, last, value, std::chars_format::general);
    if (error != std::errc() || end != last || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

std::optional<double> NumberEditControl::Value() {
    if (Handle() == nullptr) {
        return std::nullopt;
    }
    return ParseNumber(GetText());
}

bool NumberEditControl::FitsVariable(double value) const {
    const double rounded = std::round(value);
    return rounded >= std::numeric_limits<int32_t>::min() && rounded <= std::numeric_limits<int32_t>::max();
}

void NumberEditControl::Load() {
    const int32_t* variable = GetBinding().Integer();
    if (variable == nullptr || Handle() == nullptr) {
        return;
    }
    String text;
    text.SetInt(*variable);
    SetWindowTextA(Handle(), text.CStr());
    if (upDown != nullptr) {
        SendMessageA(upDown, UDM_SETPOS32, 0, *variable);
    }
}

bool NumberEditControl::IsValid() {
    if (GetBinding().Integer() == nullptr || Handle() == nullptr) {
        return true;
    }
    const std::optional<double> value = Value();
    return value && GetBinding().Accepts(*value) && FitsVariable(*value);
}

void NumberEditControl::Store() {
    int32_t* variable = GetBinding().Integer();
    if (variable == nullptr || !IsValid()) {
        return;
    }
    if (const std::optional<double> value = Value()) {
        *variable = static_cast<int32_t>(std::lround(*value));
    }
}

void NumberEditControl::Step(int32_t delta) {
    if (Handle() == nullptr) {
        return;
    }
    const Binding& binding = GetBinding();
    const std::optional<double> current = Value();
    double next = current && FitsVariable(*current) ? std::round(*current) + delta : binding.Lower();
    if (binding.HasLimits()) {
        next = std::clamp(next, binding.Lower(), binding.Upper());
    }
    String text;
    text.SetInt(static_cast<int32_t>(next));
    SetWindowTextA(Handle(), text.CStr());
    Send(EM_SETSEL, static_cast<WPARAM>(text.Length()), text.Length());
}

// The up/down control of a field sits beside it in the same parent and names it as its buddy.
HWND NumberEditControl::FindUpDown() const {
    HWND parent = GetParent(Handle());
    for (HWND sibling = parent ? GetWindow(parent, GW_CHILD) : nullptr; sibling != nullptr;
         sibling = GetWindow(sibling, GW_HWNDNEXT)) {
        char name[32] = "";
        GetClassNameA(sibling, name, sizeof name);
        if (lstrcmpiA(name, UPDOWN_CLASSA) == 0 &&
            reinterpret_cast<HWND>(SendMessageA(sibling, UDM_GETBUDDY, 0, 0)) == Handle()) {
            return sibling;
        }
    }
    return nullptr;
}

void NumberEditControl::OnAdopted() {
    upDown = FindUpDown();
    const Binding& binding = GetBinding();
    if (upDown != nullptr && binding.HasLimits()) {
        SendMessageA(upDown, UDM_SETRANGE32, static_cast<WPARAM>(static_cast<int32_t>(binding.Lower())),
                     static_cast<LPARAM>(static_cast<int32_t>(binding.Upper())));
    }
    Load();
}

// The edit's own scroll arrow reports to the edit itself; the up arrow counts up.
LRESULT NumberEditControl::OnMessage(MessageRecord& record) {
    if (record.message != WM_VSCROLL || record.lParam != 0 || upDown != nullptr) {
        return 0;
    }
    const WORD request = LOWORD(record.wParam);
    if (request == SB_LINEUP) {
        Step(1);
    } else if (request == SB_LINEDOWN) {
        Step(-1);
    }
    return 1;
}

// An up/down control with UDS_ARROWKEYS takes the keys itself; otherwise the field does.
LRESULT NumberEditControl::OnKeyDown(MessageRecord& record) {
    if (upDown != nullptr || record.message != WM_KEYDOWN) {
        return 0;
    }
    if (record.wParam == VK_UP || record.wParam == VK_DOWN) {
        Step(record.wParam == VK_UP ? 1 : -1);
        return 1;
    }
    return 0;
}

} // namespace framework
