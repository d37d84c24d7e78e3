#pragma once

#include "framework/Dialog.h"
#include "resources/ResourceIds.h"

namespace app {

// One of the main window's two transfer progress dialogs ("Receiving NC File", "Sending NC
// File"): modeless and hidden, it refuses to close until the main window itself is closing.
class ProgressDialog : public framework::Dialog {
public:
    static constexpr int32_t ReceivingTemplate = IDD_RECEIVING;
    static constexpr int32_t SendingTemplate = IDD_SENDING;

    ProgressDialog(framework::Window* owner, int32_t templateId, const bool& ownerClosing)
        : Dialog(owner, templateId), ownerClosing(ownerClosing) {}

    LRESULT OnClose(framework::MessageRecord& record) override { return ownerClosing ? 0 : 1; }
    // Neither button may end the dialog while the main window runs.
    LRESULT OnOK() override { return ownerClosing ? 0 : 1; }
    LRESULT OnCancel() override { return ownerClosing ? 0 : 1; }

private:
    const bool& ownerClosing;
};

} // namespace app
