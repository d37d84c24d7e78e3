#pragma once

#include "framework/Control.h"

#include <optional>

namespace framework {

// An edit box for a whole number bound to an integer, with an optional range (both limits 0: no
// range). The content is read as a real number and checked against the limits as one, so "999.5"
// is refused by a 0..999 field rather than cut down to 999; an accepted value is stored rounded to
// the nearest whole number. Empty or non-numeric text is invalid.
//
// Stepping by 1, kept within the range: through an up/down control (msctls_updown32) whose buddy
// is this edit when the dialog has one, which then gets the field's range; otherwise through the
// edit's own vertical scroll arrow (WS_VSCROLL), and the Up and Down keys. Stepping from text that
// is not a number starts at the lower limit.
class NumberEditControl : public Control {
public:
    NumberEditControl(Window* dialog, int32_t id, int32_t* variable, int32_t lower = 0, int32_t upper = 0);

    void Load() override;
    bool IsValid() override;
    void Store() override;

    // The content as a number, or nothing when it is not one.
    std::optional<double> Value();
    // Moves the value by delta, kept within the range.
    void Step(int32_t delta);
    // The up/down control that steps this field, or null.
    HWND UpDown() const { return upDown; }

    LRESULT OnMessage(MessageRecord& record) override;
    LRESULT OnKeyDown(MessageRecord& record) override;

    // Reads a whole text as a finite real number: blanks around it are allowed, nothing else.
    static std::optional<double> ParseNumber(const String& text);

protected:
    void OnAdopted() override;

private:
    HWND FindUpDown() const;
    bool FitsVariable(double value) const;

    HWND upDown = nullptr;
};

} // namespace framework
