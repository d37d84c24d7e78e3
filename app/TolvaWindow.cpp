#include "app/TolvaWindow.h"

#include "engine/ControllerProtocol.h"

namespace app {

TolvaWindow::TolvaWindow(framework::Window* parent, const framework::String& profileName)
    : CommsWindow(parent) {
    engine::CommsSettings& defaults = Settings();
    defaults.fileExtension = "T3";
    defaults.transmitDelay = 2;
    defaults.profileName = profileName.IsEmpty() ? framework::String(DefaultProfile) : profileName;
}

std::unique_ptr<engine::TransferEngine> TolvaWindow::CreateEngine() {
    return std::make_unique<engine::ControllerProtocol>(Settings(), *this);
}

} // namespace app
