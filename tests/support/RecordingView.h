#pragma once

// A stand-in for the main window in the link tests: it records everything the engine shows
// (caption, status texts, progress, lamps, boxes, monitor text), answers the save dialog as the
// test tells it, and keeps work posted to the window thread until the test's pump runs it.

#include "engine/LinkView.h"

#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

namespace testsupport {

class RecordingView : public engine::LinkView {
public:
    // Run inside the engine's calls, as a window's timer or message loop may run between them:
    // at every caption, and once at the next status text.
    std::function<void()> onCaption;
    std::function<void()> onStatusText;

    void SetCaption(const char* text) override {
        Add(captions, text);
        if (onCaption) {
            onCaption();
        }
    }
    void MonitorUpdate(const framework::String& text) override {
        std::lock_guard lock(mutex);
        monitor += text.CStr();
    }
    void ShowPortError(const char* stepName, const char* text) override {
        Add(boxes, std::string(stepName) + "|" + text);
    }
    void SetStatusText(const char* text) override {
        std::lock_guard lock(mutex);
        // Consecutive repeats are one state on the screen.
        if (statusTexts.empty() || statusTexts.back() != text) {
            statusTexts.push_back(text);
        }
        ++statusWrites;
        if (onStatusText) {
            std::function<void()> hook = std::exchange(onStatusText, nullptr);
            mutex.unlock();
            hook();
            mutex.lock();
        }
    }
    void SetProgress(int32_t total, int32_t done) override {
        std::lock_guard lock(mutex);
        progressTotal = total;
        progressDone = done;
    }
    void SetProgressDone(int32_t done) override {
        std::lock_guard lock(mutex);
        progressDone = done;
    }
    void SetLamp(Lamp lamp, bool isOn) override {
        Add(lampChanges, std::to_string(static_cast<int>(lamp)) + (isOn ? "+" : "-"));
    }
    void HideProgressDialogs() override { Add(events, "hide progress dialogs"); }
    void EnableTransferButtons() override { Add(events, "enable transfer buttons"); }
    void ShowInfo(const char* text) override { Add(infos, text); }
    void SoundBeep() override { Add(events, "beep"); }
    bool ChooseSaveFile(const char* title, const framework::String& initialPath,
                        const std::vector<FileFilter>& filters, framework::String& chosen) override {
        std::lock_guard lock(mutex);
        std::string asked = std::string(title) + "|" + initialPath.CStr();
        for (const FileFilter& filter : filters) {
            asked += std::string("|") + filter.name.CStr() + "|" + filter.pattern.CStr();
        }
        saveDialogs.push_back(asked);
        if (saveAnswer.empty()) {
            return false;
        }
        chosen = saveAnswer.c_str();
        return true;
    }
    void SetLogButton(bool isPressed) override {
        Add(events, isPressed ? "log button pressed" : "log button released");
    }
    void PostToWindowThread(std::function<void()> work) override {
        std::lock_guard lock(mutex);
        posted.push_back(std::move(work));
    }

    // Runs the work posted so far, on the calling (window) thread.
    void RunPosted() {
        for (;;) {
            std::function<void()> work;
            {
                std::lock_guard lock(mutex);
                if (posted.empty()) {
                    return;
                }
                work = std::move(posted.front());
                posted.pop_front();
            }
            work();
        }
    }

    template <class T> T Get(const T& field) {
        std::lock_guard lock(mutex);
        return field;
    }
    std::vector<std::string> StatusTexts() { return Get(statusTexts); }
    // Every status write, repeats included.
    int StatusWrites() { return Get(statusWrites); }
    std::string LastStatus() {
        std::lock_guard lock(mutex);
        return statusTexts.empty() ? std::string() : statusTexts.back();
    }
    std::string Monitor() { return Get(monitor); }
    std::vector<std::string> Boxes() { return Get(boxes); }
    std::vector<std::string> Infos() { return Get(infos); }
    std::vector<std::string> Events() { return Get(events); }
    std::vector<std::string> Captions() { return Get(captions); }
    std::vector<std::string> LampChanges() { return Get(lampChanges); }

    std::mutex mutex;
    std::vector<std::string> captions;
    std::vector<std::string> boxes;
    std::vector<std::string> statusTexts;
    int statusWrites = 0;
    std::vector<std::string> infos;
    std::vector<std::string> events;
    std::vector<std::string> lampChanges;
    std::vector<std::string> saveDialogs;
    std::string saveAnswer;
    std::string monitor;
    int32_t progressTotal = 0;
    int32_t progressDone = 0;
    std::deque<std::function<void()>> posted;

private:
    void Add(std::vector<std::string>& list, const std::string& text) {
        std::lock_guard lock(mutex);
        list.push_back(text);
    }
};

} // namespace testsupport
