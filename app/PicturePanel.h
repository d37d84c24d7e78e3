#pragma once

#include "framework/StaticControl.h"
#include "resources/ResourceIds.h"

namespace framework {
class TextView;
}

namespace app {

class PictureWindow;

// The panel of the main window that shows either the machine's picture or the data monitor, a
// text view of the last 5,000 lines that passed the port.
class PicturePanel : public framework::StaticControl {
public:
    static constexpr int32_t PictureId = IDB_MACHINE;
    static constexpr int32_t MonitorCapacity = 5000;

    PicturePanel(framework::Window* dialog, int32_t id);

    // Shows the data monitor (true) or the picture.
    void ShowMonitor(bool monitor);
    bool IsMonitorShown() const;
    // New monitor text: appended while the monitor is shown, else the monitor is emptied.
    void AddMonitorLine(const char* text);
    framework::TextView* Monitor() const { return monitor; }
    PictureWindow* Picture() const { return picture; }

protected:
    void OnAdopted() override;

private:
    PictureWindow* picture = nullptr;       // owned as a child object
    framework::TextView* monitor = nullptr; // owned as a child object
};

} // namespace app
