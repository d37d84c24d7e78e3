#include "app/LampControl.h"

namespace app {

LampControl::LampControl(framework::Window* dialog, int32_t id, int32_t unlitImage, int32_t litImage)
    : ImageControl(dialog, id, unlitImage), unlitId(unlitImage), litId(litImage) {
    AdoptIfReady();
}

void LampControl::OnAdopted() {
    ImageControl::OnAdopted();
    unlitIndex = Register(unlitId);
    litIndex = Register(litId);
    ShowImage(isOn ? litIndex : unlitIndex);
}

void LampControl::SetOn() {
    ShowImage(litIndex);
    isOn = true;
}

void LampControl::SetOff() {
    ShowImage(unlitIndex);
    isOn = false;
}

} // namespace app
