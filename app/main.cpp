// tolva-dnc: the DNC link. Its whole command line, the arguments joined by single blanks, is the
// profile name. With TOLVA_UNATTENDED=1, or when no screen can be opened, it runs without one:
// message boxes answer themselves and are logged to standard error, each line with the syslog
// level of the box's icon in front when standard error is the journal. A request to end from
// outside (SIGINT and SIGTERM on Linux, WM_CLOSE on Windows) closes the main window as its "Close"
// button does.

#include "app/RunApplication.h"
#include "framework/Application.h"
#include "framework/PlainString.h"
#include "platform/Extras.h"
#include "platform/Windows.h"
#include "resources/ProgramResources.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

std::string JoinedArguments(int argc, char** argv) {
    std::string line;
    for (int index = 1; index < argc; ++index) {
        if (index > 1) {
            line += ' ';
        }
        line += argv[index];
    }
    return line;
}

bool UnattendedWanted() {
    const char* value = std::getenv("TOLVA_UNATTENDED");
    return value != nullptr && std::strcmp(value, "1") == 0;
}

} // namespace

int main(int argc, char** argv) {
    platform::WatchEndRequests(app::RequestMainWindowClose);
    const platform::Screen wanted =
        UnattendedWanted() ? platform::Screen::Offscreen : platform::Screen::Shown;
    // Without a screen nobody is there to answer boxes.
    const bool unattended = platform::StartDisplay(wanted) == platform::Screen::Offscreen;
    resources::RegisterProgramResources();

    int exitCode = 0;
    {
        framework::Application application(GetModuleHandleA(nullptr));
        application.SetUnattended(unattended);
        if (unattended) {
            application.AttachLogStream(stderr, platform::IsStandardErrorTheJournal());
        }
        const framework::PlainString plain(JoinedArguments(argc, argv).c_str());
        const framework::String commandLine(plain.CStr());
        exitCode = app::RunApplication(application, commandLine, SW_SHOWNORMAL);
    }
    platform::StopDisplay();
    return exitCode;
}
