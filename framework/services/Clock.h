#pragma once

#include "framework/String.h"

namespace framework {

// The present moment as the user's locale writes it. The object holds nothing: each call reads
// the clock afresh, so the date and the time of one log line are two separate readings.
class Clock {
public:
    // The local date in the user's short date format; false (and the fallback text) on failure.
    bool DateText(String& out) const;
    // The local time in the user's time format; false (and the fallback text) on failure.
    bool TimeText(String& out) const;
};

} // namespace framework
