#pragma once

// What the benchmarks share: a view of the link that shows nothing (port errors and information
// go to standard error), and the processor time of the process.

#include "engine/LinkView.h"

#include <cstdio>
#include <ctime>
#include <functional>
#include <vector>

namespace bench {

class QuietView : public engine::LinkView {
public:
    void SetCaption(const char*) override {}
    void MonitorUpdate(const framework::String&) override {}
    void ShowPortError(const char* step, const char* text) override {
        std::fprintf(stderr, "%s: %s\n", step, text);
    }
    void SetStatusText(const char*) override {}
    void SetProgress(int32_t, int32_t) override {}
    void SetProgressDone(int32_t) override {}
    void SetLamp(Lamp, bool) override {}
    void HideProgressDialogs() override {}
    void EnableTransferButtons() override {}
    void ShowInfo(const char* text) override { std::fprintf(stderr, "info: %s\n", text); }
    void SoundBeep() override {}
    bool ChooseSaveFile(const char*, const framework::String&, const std::vector<FileFilter>&,
                        framework::String&) override {
        return false;
    }
    void SetLogButton(bool) override {}
    void PostToWindowThread(std::function<void()>) override {}
};

inline double ProcessCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

} // namespace bench
