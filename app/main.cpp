// tolva-dnc: the DNC link. Its whole command line, the arguments joined by single blanks, is the
// profile name. With TOLVA_UNATTENDED=1, or when no display can be opened, it runs without a
// screen: message boxes answer themselves and are logged to standard error, each line with the
// syslog level of the box's icon in front when standard error is the journal. SIGINT and SIGTERM
// close the main window as its "Close" button does.

#include "app/RunApplication.h"
#include "framework/Application.h"
#include "framework/PlainString.h"
#include "platform/Windows.h"
#include "resources/ProgramResources.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <pthread.h>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

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

// Whether standard error is the journal's stream, as systemd connects it for a service: it names
// the stream's device and inode in JOURNAL_STREAM.
bool IsStandardErrorTheJournal() {
    const char* value = std::getenv("JOURNAL_STREAM");
    unsigned long long device = 0;
    unsigned long long inode = 0;
    struct stat status {};
    return value != nullptr && std::sscanf(value, "%llu:%llu", &device, &inode) == 2 &&
           fstat(STDERR_FILENO, &status) == 0 && status.st_dev == device && status.st_ino == inode;
}

// Waits for SIGINT or SIGTERM on a thread of its own and closes the main window then; a signal
// that comes before the window runs is kept until it does.
void WatchSignals(sigset_t signals) {
    int received = 0;
    while (sigwait(&signals, &received) == 0) {
        while (!app::RequestMainWindowClose()) {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
    }
}

} // namespace

int main(int argc, char** argv) {
    // The signals are taken by the watcher alone: blocked here, before any other thread starts.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    std::thread(WatchSignals, signals).detach();
    // A file-size limit makes the write that passes it fail (EFBIG), as a full disk does, and the
    // upload ends with its error instead of the program.
    std::signal(SIGXFSZ, SIG_IGN);

    bool unattended = UnattendedWanted();
    if (unattended && std::getenv("TOLVA_DISPLAY") == nullptr) {
        setenv("TOLVA_DISPLAY", "offscreen", 1);
    }
    if (platform::InitialiseDisplay(platform::DisplayKind::Automatic) == platform::DisplayKind::Null) {
        // No screen: SDL's offscreen driver stands in, and nobody is there to answer boxes.
        unattended = true;
        setenv("TOLVA_DISPLAY", "offscreen", 1);
        platform::InitialiseDisplay(platform::DisplayKind::Automatic);
    }
    resources::RegisterProgramResources();

    int exitCode = 0;
    {
        framework::Application application(GetModuleHandleA(nullptr));
        application.SetUnattended(unattended);
        if (unattended) {
            application.AttachLogStream(stderr, IsStandardErrorTheJournal());
        }
        const framework::PlainString plain(JoinedArguments(argc, argv).c_str());
        const framework::String commandLine(plain.CStr());
        exitCode = app::RunApplication(application, commandLine, SW_SHOWNORMAL);
    }
    platform::ShutdownDisplay();
    return exitCode;
}
