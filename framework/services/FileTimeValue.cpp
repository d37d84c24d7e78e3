#include "framework/services/FileTimeValue.h"

#include "platform/Windows.h"

namespace framework {

FileTimeValue::FileTimeValue(bool now) {
    if (now) {
        SYSTEMTIME local{};
        GetLocalTime(&local);
        SystemTimeToFileTime(&local, &value);
    }
}

int FileTimeValue::Compare(const FileTimeValue& other) const {
    return CompareFileTime(&value, &other.value);
}

} // namespace framework
