// The serial link's costs on a pseudo-terminal, against references measured in the same run:
// the processor time of the poll loop on an idle open port over 5 s (against a loop that only
// sleeps 1 ms, the floor of any poll), and the bytes per second of a long write at 9,600 and
// 115,200 baud against the line-speed limit (10 bits a character for 8N1).

#include "bench/QuietView.h"

#include "engine/PortPollThread.h"
#include "engine/SerialLink.h"
#include "platform/Windows.h"
#include "platform/serial/Pty.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <string>
#include <thread>

namespace {

using bench::ProcessCpuSeconds;
using bench::QuietView;

double SleepLoopCpu(double seconds) {
    const double start = ProcessCpuSeconds();
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (std::chrono::steady_clock::now() < end) {
        Sleep(1);
    }
    return ProcessCpuSeconds() - start;
}

double IdlePollCpu(engine::SerialLink& link, double seconds) {
    engine::PortPollThread poller(link);
    const double start = ProcessCpuSeconds();
    poller.Start();
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    poller.Stop(false);
    return ProcessCpuSeconds() - start;
}

// Writes `seconds` worth of bytes from the program side and reads them on the far side.
double WriteRate(HANDLE master, HANDLE program, DWORD baud, double seconds) {
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    GetCommState(program, &dcb);
    dcb.BaudRate = baud;
    SetCommState(program, &dcb);
    SetCommState(master, &dcb);
    const size_t total = static_cast<size_t>(baud / 10 * seconds);
    std::atomic<size_t> received{0};
    std::thread reader([&] {
        char buffer[4096];
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds * 3);
        while (received < total && std::chrono::steady_clock::now() < deadline) {
            DWORD count = 0;
            if (ReadFile(master, buffer, sizeof buffer, &count, nullptr) && count > 0) {
                received += count;
            } else {
                Sleep(1);
            }
        }
    });
    const std::string data(total, 'G');
    const auto start = std::chrono::steady_clock::now();
    DWORD written = 0;
    WriteFile(program, data.data(), static_cast<DWORD>(data.size()), &written, nullptr);
    reader.join();
    const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return static_cast<double>(received.load()) / elapsed;
}

} // namespace

int main() {
    std::string programPath;
    HANDLE master = platform::OpenPseudoTerminal(programPath);
    if (master == INVALID_HANDLE_VALUE) {
        std::fprintf(stderr, "no pseudo-terminal could be opened\n");
        return 1;
    }
    COMMTIMEOUTS immediate{MAXDWORD, 0, 0, 0, 0};
    SetCommTimeouts(master, &immediate);

    engine::CommsSettings settings = engine::CommsSettings::ForController();
    settings.profileName = "BENCH";
    settings.port = programPath.c_str();
    settings.baudRate = "9600";
    settings.parity = "None";
    settings.dataBits = "8";
    settings.stopBits = "1";
    settings.flowControl = "None";
    QuietView view;
    {
        engine::SerialLink link(settings, view);
        link.ApplyPortSettings(false);
        const double floor = SleepLoopCpu(5.0);
        const double poll = IdlePollCpu(link, 5.0);
        std::printf(
            "idle poll loop: %.2f %% of a core over 5 s (a bare 1 ms sleep loop: %.2f %%; ratio %.2f)\n",
            poll / 5.0 * 100, floor / 5.0 * 100, floor > 0 ? poll / floor : 0.0);
    }
    HANDLE program =
        CreateFileA(programPath.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    for (DWORD baud : {9600u, 115200u}) {
        const double rate = WriteRate(master, program, baud, 2.0);
        const double limit = baud / 10.0;
        std::printf("long write at %u baud: %.0f bytes/s, line-speed limit %.0f bytes/s (ratio %.3f)\n", baud,
                    rate, limit, rate / limit);
    }
    CloseHandle(program);
    CloseHandle(master);
    return 0;
}
