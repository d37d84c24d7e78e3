#pragma once

#include "framework/String.h"
#include "platform/Windows.h"

namespace framework {
class Application;
class SerialisableObject;
} // namespace framework

namespace app {

// The program's run: program paths, class factories, the main window run until it is closed,
// then the application's message loop to its quit message. The command line is the profile name.
int RunApplication(framework::Application& application, const framework::String& commandLine,
                   int showCommand);

// The factory of the main window's stored class: a bare main window without a parent.
framework::SerialisableObject* CreateCommsWindowObject();

// Asks the running main window to close as its "Close" button does; any thread. False when no
// main window runs.
bool RequestMainWindowClose();

} // namespace app
