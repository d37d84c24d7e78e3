#include "platform/kernel/Locale.h"

#include "platform/kernel/Errors.h"
#include "platform/kernel/Time.h"

#include <algorithm>
#include <clocale>
#include <cstring>
#include <langinfo.h>
#include <locale.h>
#include <string>

namespace {

// What a strftime conversion becomes in Win32's picture letters.
struct PictureLetters {
    char conversion;
    const char* letters;
};

constexpr PictureLetters datePictures[] = {{'d', "dd"}, {'e', "dd"}, {'m', "MM"}, {'y', "yy"}, {'Y', "yyyy"}};
constexpr PictureLetters timePictures[] = {{'H', "HH"},          {'k', "HH"},      {'I', "hh"}, {'l', "hh"},
                                           {'M', "mm"},          {'S', "ss"},      {'p', "tt"}, {'P', "tt"},
                                           {'r', "hh:mm:ss tt"}, {'T', "HH:mm:ss"}};

// Turns a strftime format into Win32's picture letters; conversions not in the table are dropped.
template <size_t Count> std::string Picture(const char* format, const PictureLetters (&table)[Count]) {
    std::string picture;
    for (const char* c = format; *c != '\0'; ++c) {
        if (*c != '%') {
            picture += *c;
            continue;
        }
        if (*++c == '\0') {
            break;
        }
        for (const PictureLetters& entry : table) {
            if (entry.conversion == *c) {
                picture += entry.letters;
                break;
            }
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
        value = Picture(nl_langinfo_l(D_FMT, user), datePictures);
        break;
    case LOCALE_STIMEFORMAT:
        value = Picture(nl_langinfo_l(T_FMT, user), timePictures);
        if (value.find('t') != std::string::npos) {
            // Keep the locale's own words for morning and afternoon.
            value += std::string("\x01") + nl_langinfo_l(AM_STR, user) + "\x01" + nl_langinfo_l(PM_STR, user);
        }
        break;
    default:
        break;
    }
    freelocale(user);
    return value;
}

// Copies a result the Win32 way: with size 0 the size needed, else the text and its terminator.
int StoreResult(const std::string& value, LPSTR buffer, int size) {
    const int needed = static_cast<int>(value.size()) + 1;
    if (size == 0) {
        return needed;
    }
    if (buffer == nullptr || size < needed) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    std::memcpy(buffer, value.c_str(), needed);
    return needed;
}

std::string Padded(int value, size_t width) {
    std::string text = std::to_string(value);
    return text.size() < width ? std::string(width - text.size(), '0') + text : text;
}

// Expands a picture over a time. Runs of one letter are one field; the run length picks the form.
std::string ExpandPicture(const std::string& picture, const SYSTEMTIME& time, const std::string& am,
                          const std::string& pm) {
    std::string text;
    for (size_t at = 0; at < picture.size();) {
        const char letter = picture[at];
        if (letter == '\'') {
            const size_t end = picture.find('\'', at + 1);
            text += picture.substr(at + 1, (end == std::string::npos ? picture.size() : end) - at - 1);
            at = end == std::string::npos ? picture.size() : end + 1;
            continue;
        }
        size_t run = 1;
        while (at + run < picture.size() && picture[at + run] == letter) {
            ++run;
        }
        const int hour12 = time.wHour % 12 == 0 ? 12 : time.wHour % 12;
        switch (letter) {
        case 'd':
            text += Padded(time.wDay, run >= 2 ? 2 : 1);
            break;
        case 'M':
            text += Padded(time.wMonth, run >= 2 ? 2 : 1);
            break;
        case 'y':
            text += run >= 3 ? Padded(time.wYear, 4) : Padded(time.wYear % 100, run >= 2 ? 2 : 1);
            break;
        case 'H':
            text += Padded(time.wHour, run >= 2 ? 2 : 1);
            break;
        case 'h':
            text += Padded(hour12, run >= 2 ? 2 : 1);
            break;
        case 'm':
            text += Padded(time.wMinute, run >= 2 ? 2 : 1);
            break;
        case 's':
            text += Padded(time.wSecond, run >= 2 ? 2 : 1);
            break;
        case 't': {
            const std::string& word = time.wHour < 12 ? am : pm;
            text += run >= 2 ? word : word.substr(0, 1);
            break;
        }
        default:
            text.append(run, letter);
            break;
        }
        at += run;
    }
    return text;
}

int FormatTimeText(LCTYPE pictureType, const SYSTEMTIME* time, LPCSTR format, LPSTR buffer, int size) {
    if (size < 0 || (size > 0 && buffer == nullptr)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    SYSTEMTIME now{};
    if (time == nullptr) {
        GetLocalTime(&now);
        time = &now;
    } else if (time->wMonth < 1 || time->wMonth > 12 || time->wDay < 1 || time->wDay > 31 ||
               time->wHour > 23 || time->wMinute > 59 || time->wSecond > 59) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::string picture = format != nullptr ? format : LocaleValue(pictureType);
    std::string am = "AM";
    std::string pm = "PM";
    if (const size_t mark = picture.find('\x01'); mark != std::string::npos) {
        const size_t second = picture.find('\x01', mark + 1);
        am = picture.substr(mark + 1, second - mark - 1);
        pm = picture.substr(second + 1);
        picture.resize(mark);
    }
    return StoreResult(ExpandPicture(picture, *time, am, pm), buffer, size);
}

} // namespace

int GetLocaleInfoA(LCID, LCTYPE LCType, LPSTR lpLCData, int cchData) {
    if (LCType != LOCALE_SDECIMAL && LCType != LOCALE_STHOUSAND && LCType != LOCALE_STIME &&
        LCType != LOCALE_SSHORTDATE && LCType != LOCALE_STIMEFORMAT) {
        SetLastError(ERROR_INVALID_FLAGS);
        return 0;
    }
    std::string value = LocaleValue(LCType);
    value.resize(std::min(value.size(), value.find('\x01')));
    return StoreResult(value, lpLCData, cchData);
}

int GetDateFormatA(LCID, DWORD, const SYSTEMTIME* lpDate, LPCSTR lpFormat, LPSTR lpDateStr, int cchDate) {
    return FormatTimeText(LOCALE_SSHORTDATE, lpDate, lpFormat, lpDateStr, cchDate);
}

int GetTimeFormatA(LCID, DWORD, const SYSTEMTIME* lpTime, LPCSTR lpFormat, LPSTR lpTimeStr, int cchTime) {
    return FormatTimeText(LOCALE_STIMEFORMAT, lpTime, lpFormat, lpTimeStr, cchTime);
}
