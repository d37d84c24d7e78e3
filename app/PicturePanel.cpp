#include "app/PicturePanel.h"

#include "app/FillingLayout.h"
#include "app/PictureWindow.h"
#include "framework/services/TextView.h"

namespace app {

PicturePanel::PicturePanel(framework::Window* dialog, int32_t id) : StaticControl(dialog, id) {
    AdoptIfReady();
}

void PicturePanel::OnAdopted() {
    StaticControl::OnAdopted();
    if (picture != nullptr) {
        return; // adopted again when the dialog runs again: the children are there
    }
    picture = new PictureWindow(this, new FillingLayout, PictureId);
    monitor = new framework::TextView(this, new FillingLayout, 0, MonitorCapacity, false);
    monitor->Show(SW_HIDE);
    picture->Show(SW_SHOW);
}

void PicturePanel::ShowMonitor(bool shown) {
    if (picture == nullptr || monitor == nullptr) {
        return;
    }
    if (shown) {
        picture->Show(SW_HIDE);
        monitor->Show(SW_SHOW);
    } else {
        monitor->Show(SW_HIDE);
        picture->Show(SW_SHOW);
    }
}

bool PicturePanel::IsMonitorShown() const {
    return monitor != nullptr && (GetWindowLongPtrA(monitor->Handle(), GWL_STYLE) & WS_VISIBLE) != 0;
}

void PicturePanel::AddMonitorLine(const char* text) {
    if (monitor == nullptr) {
        return;
    }
    if (IsMonitorShown()) {
        monitor->AppendText(text);
    } else {
        monitor->Clear();
    }
}

} // namespace app
