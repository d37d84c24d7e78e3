#pragma once

#include "app/CommsWindow.h"

namespace app {

// The main window for the TOLVA controller family: the controller asks for programs with text
// requests, so the engine it drives is the controller's protocol; its programs are ".T3" files
// and a download starts two seconds after the request.
class TolvaWindow : public CommsWindow {
public:
    static constexpr const char* DefaultProfile = "TOLVA";

    TolvaWindow(framework::Window* parent, const framework::String& profileName);

protected:
    std::unique_ptr<engine::TransferEngine> CreateEngine() override;
};

} // namespace app
