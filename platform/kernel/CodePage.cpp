#include "platform/kernel/CodePage.h"

#include "platform/kernel/Errors.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <string>

namespace {

constexpr UINT windows1252 = 1252;
constexpr char16_t replacementCharacter = 0xFFFD;

// Windows-1252 differs from Latin-1 only in 0x80-0x9F. The five bytes Windows leaves unassigned
// keep their C1 control value, as Windows converts them.
constexpr char16_t windows1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

enum class Encoding { Windows1252, Utf8, Unsupported };

Encoding Resolve(UINT codePage) {
    if (codePage == CP_ACP || codePage == CP_THREAD_ACP || codePage == windows1252)
        return Encoding::Windows1252;
    return codePage == CP_UTF8 ? Encoding::Utf8 : Encoding::Unsupported;
}

char16_t FromWindows1252(unsigned char byte) {
    return byte >= 0x80 && byte < 0xA0 ? windows1252High[byte - 0x80] : static_cast<char16_t>(byte);
}

// The byte for a UTF-16 unit, or -1 when 1252 has none.
int ToWindows1252(char16_t unit) {
    if (unit < 0x80 || (unit >= 0xA0 && unit <= 0xFF))
        return unit;
    const char16_t* found = std::find(std::begin(windows1252High), std::end(windows1252High), unit);
    return found == std::end(windows1252High) ? -1 : 0x80 + static_cast<int>(found - windows1252High);
}

bool IsContinuation(unsigned char byte, unsigned char low = 0x80, unsigned char high = 0xBF) {
    return byte >= low && byte <= high;
}

// The number of bytes a lead byte announces and the range its first continuation byte must fall
// in, which excludes overlong forms, surrogates and values beyond U+10FFFF. Zero for a byte that
// cannot start a sequence.
int SequenceLength(unsigned char lead, unsigned char& low, unsigned char& high) {
    low = 0x80;
    high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF)
        return 2;
    if (lead >= 0xE0 && lead <= 0xEF) {
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
        return 3;
    }
    if (lead >= 0xF0 && lead <= 0xF4) {
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
        return 4;
    }
    return 0;
}

void AppendCodePoint(std::u16string& text, char32_t codePoint) {
    if (codePoint < 0x10000) {
        text += static_cast<char16_t>(codePoint);
        return;
    }
    codePoint -= 0x10000;
    text += static_cast<char16_t>(0xD800 + (codePoint >> 10));
    text += static_cast<char16_t>(0xDC00 + (codePoint & 0x3FF));
}

// One sequence from `at` on; an ill-formed one is replaced by a single U+FFFD for its longest
// valid beginning (the Unicode recommendation), and decoding goes on after it.
bool DecodeUtf8Sequence(const unsigned char* bytes, std::size_t size, std::size_t& at, std::u16string& text) {
    unsigned char lead = bytes[at++];
    if (lead < 0x80) {
        text += lead;
        return true;
    }
    unsigned char low = 0;
    unsigned char high = 0;
    int length = SequenceLength(lead, low, high);
    if (length == 0) {
        text += replacementCharacter;
        return false;
    }
    char32_t codePoint = lead & (0xFF >> (length + 1));
    for (int index = 1; index < length; ++index) {
        if (at >= size || !IsContinuation(bytes[at], index == 1 ? low : 0x80, index == 1 ? high : 0xBF)) {
            text += replacementCharacter;
            return false;
        }
        codePoint = (codePoint << 6) | (bytes[at++] & 0x3F);
    }
    AppendCodePoint(text, codePoint);
    return true;
}

bool DecodeUtf8(const char* input, std::size_t size, std::u16string& text) {
    auto* bytes = reinterpret_cast<const unsigned char*>(input);
    bool isValid = true;
    for (std::size_t at = 0; at < size;)
        isValid = DecodeUtf8Sequence(bytes, size, at, text) && isValid;
    return isValid;
}

void AppendUtf8(std::string& text, char32_t codePoint) {
    if (codePoint < 0x80) {
        text += static_cast<char>(codePoint);
    } else if (codePoint < 0x800) {
        text += static_cast<char>(0xC0 | (codePoint >> 6));
        text += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else if (codePoint < 0x10000) {
        text += static_cast<char>(0xE0 | (codePoint >> 12));
        text += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        text += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else {
        text += static_cast<char>(0xF0 | (codePoint >> 18));
        text += static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F));
        text += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        text += static_cast<char>(0x80 | (codePoint & 0x3F));
    }
}

bool IsHighSurrogate(char16_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}

bool IsLowSurrogate(char16_t unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

bool EncodeUtf8(const char16_t* units, std::size_t size, std::string& text) {
    bool isValid = true;
    for (std::size_t at = 0; at < size; ++at) {
        char32_t codePoint = units[at];
        if (IsHighSurrogate(units[at]) && at + 1 < size && IsLowSurrogate(units[at + 1])) {
            codePoint = 0x10000 + ((codePoint - 0xD800) << 10) + (units[++at] - 0xDC00);
        } else if (IsHighSurrogate(units[at]) || IsLowSurrogate(units[at])) {
            codePoint = replacementCharacter;
            isValid = false;
        }
        AppendUtf8(text, codePoint);
    }
    return isValid;
}

bool EncodeWindows1252(const char16_t* units, std::size_t size, char defaultChar, std::string& text) {
    bool isDefaultUsed = false;
    for (std::size_t at = 0; at < size; ++at) {
        int byte = ToWindows1252(units[at]);
        isDefaultUsed = isDefaultUsed || byte < 0;
        text += byte < 0 ? defaultChar : static_cast<char>(byte);
    }
    return isDefaultUsed;
}

// Stores a converted text by Win32's rule: a zero size asks for the count, a short buffer fails.
template <typename Text, typename Unit> int StoreResult(const Text& text, Unit* output, int outputSize) {
    if (outputSize == 0)
        return static_cast<int>(text.size());
    if (text.size() > static_cast<std::size_t>(outputSize)) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    std::copy(text.begin(), text.end(), output);
    return static_cast<int>(text.size());
}

int Fail(DWORD error) {
    SetLastError(error);
    return 0;
}

std::size_t InputLength(const char16_t* input, int length) {
    return length == -1 ? std::char_traits<char16_t>::length(input) + 1 : static_cast<std::size_t>(length);
}

} // namespace

UINT GetACP() {
    return windows1252;
}

int MultiByteToWideChar(UINT CodePage, DWORD dwFlags, LPCSTR lpMultiByteStr, int cbMultiByte,
                        LPWSTR lpWideCharStr, int cchWideChar) {
    Encoding page = Resolve(CodePage);
    if (page == Encoding::Unsupported || lpMultiByteStr == nullptr || cbMultiByte == 0 || cbMultiByte < -1 ||
        cchWideChar < 0 || (cchWideChar > 0 && lpWideCharStr == nullptr))
        return Fail(ERROR_INVALID_PARAMETER);
    DWORD allowed = page == Encoding::Utf8 ? MB_ERR_INVALID_CHARS : MB_PRECOMPOSED | MB_ERR_INVALID_CHARS;
    if (dwFlags & ~allowed)
        return Fail(ERROR_INVALID_FLAGS);
    std::size_t size =
        cbMultiByte == -1 ? std::strlen(lpMultiByteStr) + 1 : static_cast<std::size_t>(cbMultiByte);
    std::u16string text;
    if (page == Encoding::Utf8) {
        if (!DecodeUtf8(lpMultiByteStr, size, text) && (dwFlags & MB_ERR_INVALID_CHARS))
            return Fail(ERROR_NO_UNICODE_TRANSLATION);
    } else {
        for (std::size_t at = 0; at < size; ++at)
            text += FromWindows1252(static_cast<unsigned char>(lpMultiByteStr[at]));
    }
    return StoreResult(text, lpWideCharStr, cchWideChar);
}

int WideCharToMultiByte(UINT CodePage, DWORD dwFlags, LPCWSTR lpWideCharStr, int cchWideChar,
                        LPSTR lpMultiByteStr, int cbMultiByte, LPCSTR lpDefaultChar,
                        LPBOOL lpUsedDefaultChar) {
    Encoding page = Resolve(CodePage);
    if (page == Encoding::Unsupported || lpWideCharStr == nullptr || cchWideChar == 0 || cchWideChar < -1 ||
        cbMultiByte < 0 || (cbMultiByte > 0 && lpMultiByteStr == nullptr))
        return Fail(ERROR_INVALID_PARAMETER);
    if (page == Encoding::Utf8 && (lpDefaultChar != nullptr || lpUsedDefaultChar != nullptr))
        return Fail(ERROR_INVALID_PARAMETER);
    DWORD allowed = page == Encoding::Utf8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS | WC_DEFAULTCHAR;
    if (dwFlags & ~allowed)
        return Fail(ERROR_INVALID_FLAGS);
    std::size_t size = InputLength(lpWideCharStr, cchWideChar);
    std::string text;
    if (page == Encoding::Utf8) {
        if (!EncodeUtf8(lpWideCharStr, size, text) && (dwFlags & WC_ERR_INVALID_CHARS))
            return Fail(ERROR_NO_UNICODE_TRANSLATION);
    } else {
        char defaultChar = lpDefaultChar == nullptr ? '?' : *lpDefaultChar;
        bool isDefaultUsed = EncodeWindows1252(lpWideCharStr, size, defaultChar, text);
        if (lpUsedDefaultChar != nullptr)
            *lpUsedDefaultChar = isDefaultUsed ? TRUE : FALSE;
    }
    return StoreResult(text, lpMultiByteStr, cbMultiByte);
}

int lstrcmpiA(LPCSTR lpString1, LPCSTR lpString2) {
    // Null sorts before every string, as in Win32.
    if (lpString1 == nullptr || lpString2 == nullptr) {
        return (lpString1 != nullptr) - (lpString2 != nullptr);
    }
    const auto fold = [](unsigned char c) { return (c >= 'A' && c <= 'Z') ? c + ('a' - 'A') : int(c); };
    for (;; ++lpString1, ++lpString2) {
        const int difference = fold(*lpString1) - fold(*lpString2);
        if (difference != 0 || *lpString1 == '\0') {
            return difference < 0 ? -1 : (difference > 0 ? 1 : 0);
        }
    }
}
