#pragma once

#include "framework/String.h"

#include <cstdint>

namespace framework {

// A growable byte buffer without a virtual table, for the command line and for building text a
// character at a time. Grows in steps of 16 bytes; holds no buffer while empty.
class PlainString {
public:
    static constexpr int32_t Granularity = 16;

    PlainString() = default;
    explicit PlainString(const char* text);
    PlainString(const PlainString& other);
    PlainString& operator=(const PlainString& other);
    ~PlainString();

    void Clear();
    int32_t Length() const { return length; }
    int32_t Capacity() const { return capacity; }
    const char* CStr() const;
    PlainString& Assign(const char* text);
    String ToString() const { return String(CStr()); }
    PlainString& Append(char character);
    PlainString& InsertChar(char character, int32_t position);
    char& At(int32_t position);

private:
    void Reserve(int32_t count);

    char* buffer = nullptr;
    int32_t capacity = 0;
    int32_t length = 0;
};

} // namespace framework
