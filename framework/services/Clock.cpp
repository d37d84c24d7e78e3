#include "framework/services/Clock.h"

#include "framework/services/Dictionary.h"
#include "platform/Windows.h"

namespace framework {

namespace {

constexpr int32_t FallbackText = 251;
constexpr int BufferSize = 256;

using Formatter = int (*)(LCID, DWORD, const SYSTEMTIME*, LPCSTR, LPSTR, int);

bool FormatNow(Formatter format, String& out) {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    out = Dictionary::Instance().Text(FallbackText);
    char buffer[BufferSize];
    if (format(LOCALE_USER_DEFAULT, 0, &now, nullptr, buffer, sizeof buffer) == 0) {
        return false;
    }
    out = buffer;
    return true;
}

} // namespace

bool Clock::DateText(String& out) const {
    return FormatNow(GetDateFormatA, out);
}

bool Clock::TimeText(String& out) const {
    return FormatNow(GetTimeFormatA, out);
}

} // namespace framework
