#include "framework/PlainString.h"

#include "framework/MemoryManager.h"

#include <cstring>

namespace framework {

namespace {
thread_local char scratchCharacter;
} // namespace

PlainString::PlainString(const char* text) {
    Assign(text);
}

PlainString::PlainString(const PlainString& other) {
    Assign(other.buffer);
}

PlainString& PlainString::operator=(const PlainString& other) {
    if (this != &other) {
        Assign(other.buffer);
    }
    return *this;
}

PlainString::~PlainString() {
    Clear();
}

void PlainString::Clear() {
    MemoryManager::Instance().Free(buffer);
    buffer = nullptr;
    capacity = 0;
    length = 0;
}

const char* PlainString::CStr() const {
    return buffer ? buffer : "";
}

void PlainString::Reserve(int32_t count) {
    const int32_t need = count + 1;
    if (need > capacity) {
        const int32_t newCapacity = (need / Granularity + 1) * Granularity;
        buffer = static_cast<char*>(MemoryManager::Instance().Reallocate(buffer, newCapacity));
        capacity = newCapacity;
    }
}

PlainString& PlainString::Assign(const char* text) {
    const int32_t count = text ? static_cast<int32_t>(std::strlen(text)) : 0;
    if (count == 0) {
        Clear();
        return *this;
    }
    if (text == buffer) {
        return *this;
    }
    Reserve(count);
    std::memmove(buffer, text, count);
    length = count;
    buffer[length] = '\0';
    return *this;
}

PlainString& PlainString::Append(char character) {
    return InsertChar(character, 0);
}

PlainString& PlainString::InsertChar(char character, int32_t position) {
    if (position < 1) {
        position += length + 1;
    }
    if (position < 1) {
        position = 1;
    }
    if (position > length + 1) {
        position = length + 1;
    }
    Reserve(length + 1);
    std::memmove(buffer + position, buffer + position - 1, length - position + 1);
    buffer[position - 1] = character;
    ++length;
    buffer[length] = '\0';
    return *this;
}

char& PlainString::At(int32_t position) {
    if (position < 1 || position > length) {
        scratchCharacter = '\0';
        return scratchCharacter;
    }
    return buffer[position - 1];
}

} // namespace framework
