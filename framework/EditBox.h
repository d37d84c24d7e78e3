#pragma once

#include "framework/Control.h"

namespace framework {

// An edit box bound to a text. The variable holds lines ended by LF alone, the edit control wants
// CR LF: loading writes every LF that does not follow a CR as CR LF, storing turns every CR LF
// back into LF. A CR on its own is kept in both directions.
class EditBox : public Control {
public:
    EditBox(Window* dialog, int32_t id, String* text = nullptr);

    void Load() override;
    void Store() override;

    // The two line-end rules, for any text.
    static String ToWindowLineEnds(const String& text);
    static String ToStoredLineEnds(const String& text);
};

} // namespace framework
