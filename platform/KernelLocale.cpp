#include "platform/KernelLocale.h"

#include "platform/KernelErrors.h"

#include <clocale>
#include <cstring>
#include <langinfo.h>
#include <locale.h>
#include <string>

namespace {

// Turns a strftime date format into Win32's picture letters; unknown conversions are dropped.
std::string DatePicture(const char* format) {
    std::string picture;
    for (const char* c = format; *c != '\0'; ++c) {
        if (*c != '%') {
            picture += *c;
            continue;
        }
        switch (*++c) {
        case 'd':
        case 'e':
            picture += "dd";
            break;
        case 'm':
            picture += "MM";
            break;
        case 'y':
            picture += "yy";
            break;
        case 'Y':
            picture += "yyyy";
            break;
        case '\0':
            return picture;
        default:
            break;
        }
    }
    return picture;
}

std::string LocaleValue(LCTYPE type) {
    locale_t user = newlocale(LC_ALL_MASK, "", static_cast<locale_t>(0));
    if (user == static_cast<locale_t>(0)) {
        user = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
    }
    std::string value;
    switch (type) {
    case LOCALE_SDECIMAL:
        value = nl_langinfo_l(RADIXCHAR, user);
        break;
    case LOCALE_STHOUSAND:
        value = nl_langinfo_l(THOUSEP, user);
        break;
    case LOCALE_STIME:
        value = ":";
        break;
    case LOCALE_SSHORTDATE:
        value = DatePicture(nl_langinfo_l(D_FMT, user));
        break;
    default:
        break;
    }
    freelocale(user);
    return value;
}

} // namespace

int GetLocaleInfoA(LCID, LCTYPE LCType, LPSTR lpLCData, int cchData) {
    if (LCType != LOCALE_SDECIMAL && LCType != LOCALE_STHOUSAND && LCType != LOCALE_STIME &&
        LCType != LOCALE_SSHORTDATE) {
        SetLastError(ERROR_INVALID_FLAGS);
        return 0;
    }
    const std::string value = LocaleValue(LCType);
    const int needed = static_cast<int>(value.size()) + 1;
    if (cchData == 0) {
        return needed;
    }
    if (lpLCData == nullptr || cchData < needed) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    std::memcpy(lpLCData, value.c_str(), needed);
    return needed;
}
