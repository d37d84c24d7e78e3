#pragma once

#include "platform/Windows.h"

#include <functional>

namespace framework {

// A periodic callback fired from the application's 100 ms tick once its interval has passed. Each
// interval counts from the last firing, so a timer never fires more often than the tick. A timer
// is registered with the application between Start and Stop and never outlives its registration.
//
// Window thread only.
class Timer {
public:
    using Callback = std::function<void()>;

    Timer(Callback callback, DWORD interval, bool startNow);
    // A timer bound to a member operation of its owner; a null owner fires nothing.
    template <class Owner>
    Timer(Owner* owner, void (Owner::*operation)(), DWORD interval, bool startNow)
        : Timer(owner ? Callback([owner, operation] { (owner->*operation)(); }) : Callback(), interval,
                startNow) {}
    Timer(const Timer&) = delete;
    Timer& operator=(const Timer&) = delete;
    virtual ~Timer();

    bool Start(bool fireNow);
    bool Stop();
    bool IsActive() const;
    void Restart();
    virtual void Expire();

    DWORD Interval() const { return interval; }
    // Whether the interval has passed by the tick count now (tick counts wrap).
    bool IsDue(DWORD now) const { return now - start >= interval; }

private:
    Callback callback;
    DWORD interval;
    DWORD start;
};

// A timer that fires once per Start.
class OneShotTimer : public Timer {
public:
    using Timer::Timer;
    void Expire() override;
};

} // namespace framework
