#include "framework/services/Timer.h"

#include "framework/Application.h"

namespace framework {

Timer::Timer(Callback callback, DWORD interval, bool startNow)
    : callback(std::move(callback)), interval(interval), start(Application::Now()) {
    if (startNow) {
        Start(false);
    }
}

Timer::~Timer() {
    Stop();
}

bool Timer::Start(bool fireNow) {
    bool added = false;
    Application* application = Application::Instance();
    if (application != nullptr && !application->HasTimer(this)) {
        application->AddTimer(this);
        added = true;
    }
    if (fireNow) {
        Expire();
    } else {
        start = Application::Now();
    }
    return added;
}

bool Timer::Stop() {
    Application* application = Application::Instance();
    if (application == nullptr || !application->HasTimer(this)) {
        return false;
    }
    application->RemoveTimer(this);
    return true;
}

bool Timer::IsActive() const {
    const Application* application = Application::Instance();
    return application != nullptr && application->HasTimer(this);
}

void Timer::Restart() {
    start = Application::Now();
}

void Timer::Expire() {
    start = Application::Now();
    if (callback) {
        callback();
    }
}

void OneShotTimer::Expire() {
    Stop();
    Timer::Expire();
}

} // namespace framework
