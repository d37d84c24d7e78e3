#include "framework/SystemErrorText.h"

#include "platform/Windows.h"

namespace framework {

String SystemErrorText(uint32_t errorCode) {
    char text[512] = {};
    const DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                        errorCode, 0, text, sizeof text, nullptr);
    String result;
    if (length == 0) {
        return result.Format("System error %u.", errorCode);
    }
    result.Assign(text);
    while (result.Length() > 0 &&
           (result.At(result.Length()) == '\n' || result.At(result.Length()) == '\r')) {
        result.DropRight(1);
    }
    return result;
}

} // namespace framework
