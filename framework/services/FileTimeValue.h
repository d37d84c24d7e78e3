#pragma once

#include "platform/Windows.h"

namespace framework {

// One moment in file-time units (100 ns since 1601), local time, for ordering events.
class FileTimeValue {
public:
    // With `now` the present local time; without, zero.
    explicit FileTimeValue(bool now = false);

    // -1, 0 or 1 as this moment lies before, at or after the other.
    int Compare(const FileTimeValue& other) const;
    const FILETIME& Value() const { return value; }

private:
    FILETIME value{0, 0};
};

} // namespace framework
