#pragma once

#include "app/ImageControl.h"
#include "resources/ResourceIds.h"

namespace app {

// A status lamp: an unlit and a lit picture, off at the start. It repaints only when it is
// switched; the main window switches it only when the wanted state differs.
class LampControl : public ImageControl {
public:
    static constexpr int32_t UnlitImage = IDB_LAMP_UNLIT;
    static constexpr int32_t GreenImage = IDB_LAMP_GREEN;
    static constexpr int32_t RedImage = IDB_LAMP_RED;

    LampControl(framework::Window* dialog, int32_t id, int32_t unlitImage, int32_t litImage);

    bool IsOn() const { return isOn; }
    void SetOn();
    void SetOff();

protected:
    void OnAdopted() override;

private:
    int32_t unlitId;
    int32_t litId;
    int32_t unlitIndex = -1;
    int32_t litIndex = -1;
    bool isOn = false;
};

} // namespace app
