// Message throughput of the platform's queues, each against a reference measured in the same run:
// posted messages per second against a plain mutex-and-deque queue, cross-thread sends per second
// against a condition-variable ping-pong between two threads, and the processor time an idle
// message loop uses over 2 s (it should be close to none).
#include "platform/Windows.h"

#include <atomic>
#include <benchmark/benchmark.h>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <ctime>
#include <deque>
#include <map>
#include <mutex>
#include <string>
#include <thread>

namespace {

LRESULT Counting(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_USER) {
        return static_cast<LRESULT>(wParam) + 1;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

HWND MakeWindow() {
    static const bool registered = [] {
        WNDCLASSEXA windowClass{};
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = Counting;
        windowClass.lpszClassName = "BenchWindow";
        return RegisterClassExA(&windowClass) != 0;
    }();
    (void)registered;
    return CreateWindowExA(0, "BenchWindow", "", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
}

void PostedMessages(benchmark::State& state) {
    HWND window = MakeWindow();
    MSG message;
    for (auto _ : state) {
        PostMessageA(window, WM_USER, 1, 0);
        GetMessageA(&message, nullptr, 0, 0);
        DispatchMessageA(&message);
    }
    state.SetItemsProcessed(state.iterations());
    DestroyWindow(window);
}

void ReferenceQueue(benchmark::State& state) {
    std::mutex mutex;
    std::condition_variable wake;
    std::deque<MSG> queue;
    for (auto _ : state) {
        {
            std::lock_guard lock(mutex);
            queue.push_back(MSG{nullptr, WM_USER, 1, 0, 0, {}});
        }
        wake.notify_one();
        std::unique_lock lock(mutex);
        wake.wait(lock, [&] { return !queue.empty(); });
        benchmark::DoNotOptimize(queue.front());
        queue.pop_front();
    }
    state.SetItemsProcessed(state.iterations());
}

void CrossThreadSends(benchmark::State& state) {
    std::atomic<HWND> window{nullptr};
    std::atomic<bool> stop{false};
    std::thread owner([&] {
        window = MakeWindow();
        MSG message;
        while (GetMessageA(&message, nullptr, 0, 0)) {
            DispatchMessageA(&message);
        }
        DestroyWindow(window);
    });
    while (window.load() == nullptr) {
        std::this_thread::yield();
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(SendMessageA(window, WM_USER, 1, 0));
    }
    state.SetItemsProcessed(state.iterations());
    PostMessageA(window, WM_QUIT, 0, 0);
    owner.join();
}

void ReferencePingPong(benchmark::State& state) {
    std::mutex mutex;
    std::condition_variable wake;
    int turn = 0; // 1: request waiting, 2: answer waiting, 3: stop
    std::thread answerer([&] {
        std::unique_lock lock(mutex);
        for (;;) {
            wake.wait(lock, [&] { return turn == 1 || turn == 3; });
            if (turn == 3) {
                return;
            }
            turn = 2;
            wake.notify_all();
        }
    });
    for (auto _ : state) {
        std::unique_lock lock(mutex);
        turn = 1;
        wake.notify_all();
        wake.wait(lock, [&] { return turn == 2; });
    }
    {
        std::lock_guard lock(mutex);
        turn = 3;
    }
    wake.notify_all();
    answerer.join();
    state.SetItemsProcessed(state.iterations());
}

BENCHMARK(PostedMessages);
BENCHMARK(ReferenceQueue);
BENCHMARK(CrossThreadSends)->UseRealTime();
BENCHMARK(ReferencePingPong)->UseRealTime();

class RateReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            rates[run.run_name.function_name] = run.counters.count("items_per_second")
                                                    ? static_cast<double>(run.counters.at("items_per_second"))
                                                    : 0.0;
        }
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> rates;
};

double ThreadCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

// Processor time of a message loop that waits 2 s for a message that never comes.
double IdleLoopCpuSeconds() {
    double used = 0;
    std::thread loop([&used] {
        const double start = ThreadCpuSeconds();
        SetTimer(nullptr, 0, 2000, [](HWND, UINT, UINT_PTR id, DWORD) {
            KillTimer(nullptr, id);
            PostQuitMessage(0);
        });
        MSG message;
        while (GetMessageA(&message, nullptr, 0, 0)) {
            DispatchMessageA(&message);
        }
        used = ThreadCpuSeconds() - start;
    });
    loop.join();
    return used;
}

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    RateReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    auto ratio = [&](const char* mine, const char* reference) {
        const double base = reporter.rates[reference];
        return base > 0 ? reporter.rates[mine] / base : 0.0;
    };
    std::printf("posted messages / reference queue: %.2f\n", ratio("PostedMessages", "ReferenceQueue"));
    std::printf("cross-thread sends / reference ping-pong: %.2f\n",
                ratio("CrossThreadSends", "ReferencePingPong"));
    const double idle = IdleLoopCpuSeconds();
    std::printf("idle message loop: %.4f s of processor time over 2 s (%.3f %% of a core)\n", idle,
                idle / 2 * 100);
    benchmark::Shutdown();
    return 0;
}
