#pragma once

#include "framework/Dialog.h"
#include "framework/services/FrameworkResourceIds.h"
#include "framework/services/MessageBoxes.h"

namespace framework {

// The framework's own message box, from template 1015: an icon, the text and four buttons, of
// which the second and the fourth answer for all the questions still to come. Id 1 answers Yes,
// 1239 Yes to all, 1238 No, and 2 (or closing the box) No to all.
//
// The icon follows the type's icon bits. A box whose type asks no question (OK, OK/Cancel,
// Abort/Retry/Ignore) shows only the first and the last button.
class MessageBoxDialog : public Dialog {
public:
    static constexpr int32_t TemplateId = IDD_MESSAGE_BOX;
    static constexpr int32_t IconId = IDC_MESSAGE_BOX_ICON;
    static constexpr int32_t TextId = IDC_MESSAGE_BOX_TEXT;
    static constexpr int32_t YesToAllId = IDC_MESSAGE_BOX_YES_TO_ALL;
    static constexpr int32_t NoId = IDC_MESSAGE_BOX_NO;

    MessageBoxDialog(Window* owner, const char* text, const char* caption, uint32_t type);

    const MessageBoxResult& Result() const { return result; }

    LRESULT OnInitDialog(MessageRecord& record) override;
    LRESULT OnOK() override;
    LRESULT OnCancel() override;
    LRESULT OnCommand(MessageRecord& record) override;

private:
    void ShowIcon();

    String text;
    String caption;
    uint32_t type;
    // Closing the box without a button counts as No to all.
    MessageBoxResult result{IDNO, 1};
};

} // namespace framework
