#pragma once

#include <cstdint>

namespace framework {

// A UTF-16 copy of a text in the ANSI code page, for the few system calls that need one.
class WideString {
public:
    WideString() = default;
    explicit WideString(const char* text);
    WideString(const WideString&) = delete;
    WideString& operator=(const WideString&) = delete;
    ~WideString();

    void Clear();
    // The code units, NUL-terminated; null when empty.
    const char16_t* Buffer() const { return buffer; }
    // Code units including the terminator; 0 when empty.
    int32_t Count() const { return count; }

private:
    char16_t* buffer = nullptr;
    int32_t count = 0;
};

} // namespace framework
