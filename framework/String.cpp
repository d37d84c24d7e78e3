#include "framework/String.h"

#include "framework/MemoryManager.h"
#include "framework/NumberSeparators.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <utility>

namespace framework {

namespace {

const char emptyText[1] = {'\0'};

char FoldUpper(char character) {
    return (character >= 'a' && character <= 'z') ? static_cast<char>(character - 'a' + 'A') : character;
}

bool IsDigit(char character) {
    return character >= '0' && character <= '9';
}

int32_t ClampGranularity(int32_t granularity) {
    return granularity < 1 ? String::DefaultGranularity : granularity;
}

// The scratch byte handed out for positions outside the string; it is reset on every such call, so
// whatever a caller writes through it is lost.
thread_local char scratchCharacter;

} // namespace

String::String(int32_t granularity) : granularity(ClampGranularity(granularity)) {}

String::String(const char* text, int32_t granularity) : granularity(ClampGranularity(granularity)) {
    Assign(text);
}

String::String(const String& other, int32_t granularity) : granularity(ClampGranularity(granularity)) {
    Assign(other);
}

String::String(String&& other) noexcept
    : buffer(std::exchange(other.buffer, nullptr)), length(std::exchange(other.length, 0)),
      capacity(std::exchange(other.capacity, 0)), granularity(other.granularity) {}

String& String::operator=(String&& other) noexcept {
    if (this != &other) {
        Release();
        // The buffer was sized by the other string's granularity; keep that step so that the
        // capacity stays a multiple of it.
        buffer = std::exchange(other.buffer, nullptr);
        length = std::exchange(other.length, 0);
        capacity = std::exchange(other.capacity, 0);
        granularity = other.granularity;
    }
    return *this;
}

String::~String() {
    Release();
}

void String::Release() {
    MemoryManager::Instance().Free(buffer);
    buffer = nullptr;
    length = 0;
    capacity = 0;
}

const char* String::CStr() const {
    return buffer ? buffer : emptyText;
}

String& String::Reserve(int32_t count) {
    if (count <= 0) {
        Release();
        return *this;
    }
    const int32_t need = count + 1;
    if (need > capacity) {
        const int32_t newCapacity = (need / granularity + 1) * granularity;
        buffer = static_cast<char*>(MemoryManager::Instance().Reallocate(buffer, newCapacity));
        if (capacity == 0) {
            buffer[0] = '\0';
        }
        capacity = newCapacity;
    }
    return *this;
}

void String::SetLengthAndTerminate(int32_t newLength) {
    if (newLength <= 0) {
        Release();
        return;
    }
    length = newLength;
    buffer[length] = '\0';
}

String& String::Assign(const char* text) {
    if (text != nullptr && text == buffer) {
        return *this;
    }
    const int32_t count = text ? static_cast<int32_t>(std::strlen(text)) : 0;
    if (count == 0) {
        Release();
        return *this;
    }
    Reserve(count);
    std::memmove(buffer, text, count);
    SetLengthAndTerminate(count);
    return *this;
}

String& String::Assign(const String& other) {
    if (&other == this) {
        return *this;
    }
    return Assign(other.buffer);
}

bool String::Resync() {
    if (buffer == nullptr) {
        return false;
    }
    // The caller wrote into the buffer; it can only have used the bytes it was given.
    buffer[capacity - 1] = '\0';
    const int32_t newLength = static_cast<int32_t>(std::strlen(buffer));
    if (newLength == 0) {
        Release();
        return false;
    }
    length = newLength;
    return true;
}

String& String::Append(char character) {
    return Append(&character, 1);
}

String& String::Append(const char* text) {
    if (text == nullptr) {
        return *this;
    }
    return Append(text, static_cast<int32_t>(std::strlen(text)));
}

String& String::Append(const char* bytes, int32_t count) {
    if (bytes == nullptr || count <= 0) {
        return *this;
    }
    // The text may lie inside this string's own buffer, which Reserve may move.
    const bool isOwnText = buffer != nullptr && bytes >= buffer && bytes < buffer + capacity;
    const ptrdiff_t ownOffset = isOwnText ? bytes - buffer : 0;
    Reserve(length + count);
    std::memmove(buffer + length, isOwnText ? buffer + ownOffset : bytes, count);
    SetLengthAndTerminate(length + count);
    return *this;
}

String& String::Append(const String& other) {
    return Append(other.buffer, other.length);
}

String String::Concat(const char* text) const {
    String result(*this);
    result.Append(text);
    return result;
}

String String::Concat(const String& other) const {
    return Concat(other.CStr());
}

String& String::DropRight(int32_t count) {
    if (count < 1) {
        return *this;
    }
    SetLengthAndTerminate(count >= length ? 0 : length - count);
    return *this;
}

bool String::Equals(const String& other) const {
    if (length != other.length) {
        return false;
    }
    for (int32_t i = 0; i < length; ++i) {
        if (FoldUpper(buffer[i]) != FoldUpper(other.buffer[i])) {
            return false;
        }
    }
    return true;
}

bool String::Equals(const char* text) const {
    const char* mine = CStr();
    const char* theirs = text ? text : emptyText;
    for (;; ++mine, ++theirs) {
        const int a = std::tolower(static_cast<unsigned char>(*mine));
        const int b = std::tolower(static_cast<unsigned char>(*theirs));
        if (a != b) {
            return false;
        }
        if (a == 0) {
            return true;
        }
    }
}

char& String::At(int32_t position) {
    if (position < 1 || position > length) {
        scratchCharacter = '\0';
        return scratchCharacter;
    }
    return buffer[position - 1];
}

char String::At(int32_t position) const {
    return (position < 1 || position > length) ? '\0' : buffer[position - 1];
}

String& String::Trim(int mode) {
    if (length == 0) {
        return *this;
    }
    auto isBlank = [](char c) { return c == ' ' || c == '\t'; };
    int32_t first = 0;
    int32_t last = length;
    if (mode <= 0) {
        while (first < last && isBlank(buffer[first])) {
            ++first;
        }
    }
    if (mode >= 0) {
        while (last > first && isBlank(buffer[last - 1])) {
            --last;
        }
    }
    if (first > 0) {
        std::memmove(buffer, buffer + first, last - first);
    }
    SetLengthAndTerminate(last - first);
    return *this;
}

namespace {

// Shared position rules of Keep and Cut: positions below 1 count back from the end, a reversed
// range is swapped, and the end is clamped to the length.
void NormaliseRange(int32_t length, int32_t& from, int32_t& to) {
    if (from < 1) {
        from = length + from < 1 ? 1 : length + from;
    }
    if (to < 1) {
        to = length + to < 1 ? 1 : length + to;
    }
    if (to < from) {
        std::swap(from, to);
    }
    if (to > length) {
        to = length;
    }
}

} // namespace

String& String::Keep(int32_t from, int32_t to) {
    if (length == 0) {
        return *this;
    }
    NormaliseRange(length, from, to);
    if (from > length) {
        from = length;
    }
    const int32_t count = to - from + 1;
    std::memmove(buffer, buffer + from - 1, count);
    SetLengthAndTerminate(count);
    return *this;
}

String String::Cut(int32_t from, int32_t to) {
    String removed;
    if (length == 0) {
        return removed;
    }
    NormaliseRange(length, from, to);
    if (from > length) {
        return removed;
    }
    if (from == 1 && to == length) {
        std::swap(removed.buffer, buffer);
        std::swap(removed.length, length);
        std::swap(removed.capacity, capacity);
        removed.granularity = granularity;
        return removed;
    }
    const int32_t count = to - from + 1;
    removed.Append(buffer + from - 1, count);
    std::memmove(buffer + from - 1, buffer + to, length - to);
    SetLengthAndTerminate(length - count);
    return removed;
}

int32_t String::Find(char character, int32_t start, int direction) const {
    if (start < 1 || start > length) {
        return 0;
    }
    const int step = direction >= 0 ? 1 : -1;
    for (int32_t position = start; position >= 1 && position <= length; position += step) {
        if (buffer[position - 1] == character) {
            return position;
        }
    }
    return 0;
}

int32_t String::FindText(const char* text, int32_t start, bool ignoreCase) const {
    const int32_t textLength = text ? static_cast<int32_t>(std::strlen(text)) : 0;
    if (length == 0 || textLength == 0) {
        return 0;
    }
    if (start < 0) {
        start += length;
    }
    if (start < 1) {
        start = 1;
    }
    for (int32_t position = start; position + textLength - 1 <= length; ++position) {
        int32_t i = 0;
        while (i < textLength && (ignoreCase ? FoldUpper(buffer[position - 1 + i]) == FoldUpper(text[i])
                                             : buffer[position - 1 + i] == text[i])) {
            ++i;
        }
        if (i == textLength) {
            return position;
        }
    }
    return 0;
}

String& String::InsertChar(char character, int32_t position, int32_t count) {
    if (count < 1) {
        return *this;
    }
    if (position < 1) {
        position += length + 1;
    }
    if (position < 1) {
        position = 1;
    }
    if (position > length + 1) {
        position = length + 1;
    }
    const int32_t oldLength = length;
    Reserve(oldLength + count);
    std::memmove(buffer + position - 1 + count, buffer + position - 1, oldLength - position + 1);
    std::memset(buffer + position - 1, character, count);
    SetLengthAndTerminate(oldLength + count);
    return *this;
}

String& String::Format(const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    FormatList(format, arguments);
    va_end(arguments);
    return *this;
}

String& String::AppendFormat(const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    AppendFormatList(format, arguments);
    va_end(arguments);
    return *this;
}

String& String::FormatList(const char* format, va_list arguments) {
    // Expand first: the arguments may point into this string's own text.
    char expansion[FormatLimit + 1] = {};
    if (format != nullptr) {
        std::vsnprintf(expansion, sizeof expansion, format, arguments);
    }
    return Assign(expansion);
}

String& String::AppendFormatList(const char* format, va_list arguments) {
    if (format == nullptr) {
        return *this;
    }
    char expansion[FormatLimit + 1] = {};
    std::vsnprintf(expansion, sizeof expansion, format, arguments);
    return Append(expansion);
}

void String::DropLeft(int32_t count) {
    if (count >= length) {
        Release();
    } else if (count > 0) {
        std::memmove(buffer, buffer + count, length - count);
        SetLengthAndTerminate(length - count);
    }
}

uint32_t String::TakeDigits(bool allowMinus, bool* negative) {
    *negative = false;
    int32_t position = 0;
    if (position < length && (buffer[position] == '+' || (allowMinus && buffer[position] == '-'))) {
        *negative = buffer[position] == '-';
        ++position;
    }
    // Wrapping arithmetic: the value has no overflow check, by design.
    uint32_t value = 0;
    while (position < length && IsDigit(buffer[position])) {
        value = value * 10u + static_cast<uint32_t>(buffer[position] - '0');
        ++position;
    }
    DropLeft(position);
    return value;
}

int32_t String::TakeInt() {
    bool negative = false;
    const uint32_t magnitude = TakeDigits(true, &negative);
    return static_cast<int32_t>(negative ? 0u - magnitude : magnitude);
}

uint32_t String::TakeUnsigned() {
    bool negative = false;
    return TakeDigits(false, &negative);
}

double String::TakeDecimal() {
    const char separator = NumberSeparators::Decimal();
    int32_t position = 0;
    bool negative = false;
    if (position < length && (buffer[position] == '+' || buffer[position] == '-')) {
        negative = buffer[position] == '-';
        ++position;
    }
    // The fraction digits are gathered as a whole number and divided once, which keeps values
    // such as 0.000001 exact to the last bit.
    double value = 0.0;
    double fraction = 0.0;
    double divisor = 0.0; // 0 while reading the integer part
    for (; position < length; ++position) {
        const char character = buffer[position];
        if (IsDigit(character)) {
            if (divisor == 0.0) {
                value = value * 10.0 + (character - '0');
            } else {
                fraction = fraction * 10.0 + (character - '0');
                divisor *= 10.0;
            }
        } else if (character == separator && divisor == 0.0) {
            divisor = 1.0;
        } else {
            break;
        }
    }
    if (divisor > 1.0) {
        value += fraction / divisor;
    }
    DropLeft(position);
    return negative ? -value : value;
}

double String::TakeLength(bool feetInches) {
    if (!feetInches) {
        return TakeDecimal();
    }
    int32_t scan = 0;
    while (scan < length && (IsDigit(buffer[scan]) || buffer[scan] == '-')) {
        ++scan;
    }
    double inches = 0.0;
    if (scan < length && buffer[scan] == '\'') {
        const bool negative = length > 0 && buffer[0] == '-';
        const int32_t feet = TakeInt();
        int32_t skip = 1; // the foot mark
        while (skip < length && buffer[skip] == ' ') {
            ++skip;
        }
        if (skip < length && buffer[skip] == '-') {
            ++skip;
        }
        while (skip < length && buffer[skip] == ' ') {
            ++skip;
        }
        DropLeft(skip);
        const double rest = TakeDecimal();
        inches = feet * 12.0 + (negative ? -rest : rest);
    } else {
        inches = TakeDecimal();
    }
    if (length > 0 && buffer[0] == '"') {
        DropLeft(1);
    }
    return inches;
}

void String::AppendMagnitude(uint64_t magnitude, bool group) {
    const char thousands = group ? NumberSeparators::Thousands() : '\0';
    if (magnitude == 0) {
        Append('0');
        return;
    }
    // Digits by repeated subtraction of the powers of ten, leading zeros skipped; the separator
    // follows the digit of every power 10^(3k), k >= 1, once digits have started.
    bool started = false;
    uint64_t power = 10000000000000000000ull;
    for (int exponent = 19; exponent >= 0; --exponent, power /= 10) {
        char digit = '0';
        while (magnitude >= power) {
            magnitude -= power;
            ++digit;
        }
        started = started || digit != '0';
        if (!started) {
            continue;
        }
        Append(digit);
        if (thousands != '\0' && exponent > 0 && exponent % 3 == 0) {
            Append(thousands);
        }
    }
}

String& String::SetInt(int32_t value, bool group) {
    Release();
    if (value < 0) {
        Append('-');
    }
    const uint64_t magnitude = value < 0 ? static_cast<uint64_t>(-static_cast<int64_t>(value)) : value;
    AppendMagnitude(magnitude, group);
    return *this;
}

String& String::SetDecimal(double value, int minDecimals, int maxDecimals, bool group) {
    maxDecimals = maxDecimals < 0 ? 0 : (maxDecimals > 6 ? 6 : maxDecimals);
    minDecimals = minDecimals < 0 ? 0 : (minDecimals > maxDecimals ? maxDecimals : minDecimals);
    uint64_t scale = 1;
    for (int i = 0; i < maxDecimals; ++i) {
        scale *= 10;
    }
    Release();
    if (!std::isfinite(value)) {
        return Assign(std::isnan(value) ? "nan" : (value < 0 ? "-inf" : "inf"));
    }
    // Rounded to the last decimal shown, in whole units of it; beyond 2^63 units the value has no
    // fraction worth showing.
    const double scaled = std::fabs(value) * static_cast<double>(scale);
    const uint64_t units =
        scaled < 9.2e18 ? static_cast<uint64_t>(std::llround(scaled)) : 9200000000000000000ull;
    uint64_t whole = units / scale;
    uint64_t fraction = units % scale;
    if (value < 0 && units != 0) {
        Append('-');
    }
    AppendMagnitude(whole, group);
    int written = 0;
    for (uint64_t place = scale / 10; place > 0 && (written < minDecimals || fraction != 0); place /= 10) {
        if (written == 0) {
            Append(NumberSeparators::Decimal());
        }
        Append(static_cast<char>('0' + fraction / place));
        fraction %= place;
        ++written;
    }
    return *this;
}

String& String::SetLength(double value, int minDecimals, int maxDecimals, bool group, bool feetInches) {
    if (!feetInches) {
        return SetDecimal(value, minDecimals, maxDecimals, group);
    }
    // Split after rounding, so that 11.9999 inches shown to two decimals becomes a whole foot.
    const int decimals = maxDecimals < 0 ? 0 : (maxDecimals > 6 ? 6 : maxDecimals);
    const double scale = std::pow(10.0, decimals);
    const double magnitude = std::round(std::fabs(value) * scale) / scale;
    const double feet = std::floor(magnitude / 12.0);
    const double inches = magnitude - feet * 12.0;
    Release();
    if (value < 0 && magnitude != 0.0) {
        Append('-');
    }
    if (feet != 0.0) {
        AppendMagnitude(static_cast<uint64_t>(feet), group);
        Append("'-");
    }
    if (inches != 0.0) {
        String inchText;
        inchText.SetDecimal(inches, minDecimals, maxDecimals, false);
        Append(inchText).Append('"');
    }
    if (feet == 0.0 && inches == 0.0) {
        Append("0\"");
    }
    return *this;
}

} // namespace framework
