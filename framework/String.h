#pragma once

#include <cstdarg>
#include <cstdint>

namespace framework {

// The framework's text: single-byte characters of the ANSI code page, counted, NUL-terminated.
// Positions are 1-based; out-of-range positions and null arguments are absorbed, never reported.
// The buffer grows in steps of the granularity (32 bytes unless asked otherwise), an empty string
// holds no buffer at all, and the capacity is always a multiple of the granularity greater than the
// length. Formatting expands into a 1,024-byte buffer: longer expansions are cut at 1,023 characters.
class String {
public:
    static constexpr int32_t DefaultGranularity = 32;
    static constexpr int32_t FormatLimit = 1023;

    explicit String(int32_t granularity = DefaultGranularity);
    String(const char* text, int32_t granularity = DefaultGranularity);
    String(const String& other, int32_t granularity = DefaultGranularity);
    String(String&& other) noexcept;
    virtual ~String();

    String& operator=(const String& other) { return Assign(other); }
    String& operator=(String&& other) noexcept;
    String& operator=(const char* text) { return Assign(text); }

    const char* CStr() const;
    int32_t Length() const { return length; }
    int32_t Capacity() const { return capacity; }
    int32_t Granularity() const { return granularity; }
    bool IsEmpty() const { return length == 0; }
    // The buffer itself, for callers that write into it and then call Resync; null when empty.
    char* Buffer() { return buffer; }

    String& Reserve(int32_t count);
    String& Assign(const char* text);
    String& Assign(const String& other);
    bool Resync();

    String& Append(char character);
    String& Append(const char* text);
    String& Append(const char* bytes, int32_t count);
    String& Append(const String& other);
    String Concat(const char* text) const;
    String Concat(const String& other) const;
    String& DropRight(int32_t count);

    bool Equals(const String& other) const;
    bool Equals(const char* text) const;
    char& At(int32_t position);
    char At(int32_t position) const;

    // Trim modes: both ends, the end only, the start only.
    enum TrimMode { TrimBoth = 0, TrimEnd = 1, TrimStart = -1 };
    String& Trim(int mode = TrimBoth);
    String& Keep(int32_t from, int32_t to);
    String Cut(int32_t from, int32_t to);
    int32_t Find(char character, int32_t start = 1, int direction = 1) const;
    int32_t FindText(const char* text, int32_t start = 1, bool ignoreCase = false) const;
    String& InsertChar(char character, int32_t position, int32_t count = 1);

    String& Format(const char* format, ...) __attribute__((format(printf, 2, 3)));
    String& AppendFormat(const char* format, ...) __attribute__((format(printf, 2, 3)));
    String& FormatList(const char* format, va_list arguments);
    String& AppendFormatList(const char* format, va_list arguments);

    int32_t TakeInt();
    uint32_t TakeUnsigned();
    double TakeDecimal();
    double TakeLength(bool feetInches);

    String& SetInt(int32_t value, bool group = false);
    String& SetDecimal(double value, int minDecimals, int maxDecimals, bool group = false);
    String& SetLength(double value, int minDecimals, int maxDecimals, bool group, bool feetInches);

private:
    void Release();
    void SetLengthAndTerminate(int32_t newLength);
    void DropLeft(int32_t count);
    void AppendMagnitude(uint64_t magnitude, bool group);
    uint32_t TakeDigits(bool allowMinus, bool* negative);

    char* buffer = nullptr;
    int32_t length = 0;
    int32_t capacity = 0;
    int32_t granularity;
};

} // namespace framework
