#pragma once

#include <cstdint>

namespace framework {

// A growable array of pointers that may own its elements. Slots grow and shrink in steps of the
// granularity (32 unless the owner sets another). An owning array is given the deleter of its
// element type and destroys elements when they are removed with destroy set, or on Clear.
// Indexes outside the array never fail: At hands out a scratch slot reset to null on every call.
class PointerArray {
public:
    using Deleter = void (*)(void* element);
    static constexpr int32_t DefaultGranularity = 32;

    explicit PointerArray(Deleter deleter = nullptr, int32_t granularity = DefaultGranularity);
    PointerArray(const PointerArray&) = delete;
    PointerArray& operator=(const PointerArray&) = delete;
    ~PointerArray();

    // The deleter for an owning array of T.
    template <class T> static void DeleteAs(void* element) { delete static_cast<T*>(element); }

    int32_t Count() const { return count; }
    int32_t Capacity() const { return capacity; }
    bool Owns() const { return deleter != nullptr; }
    void SetGranularity(int32_t slots) { granularity = slots < 1 ? DefaultGranularity : slots; }

    void SetCount(int32_t newCount);
    void* InsertAt(void* item, int32_t index = -1);
    void* Add(void* item) { return InsertAt(item, -1); }
    void* RemoveAt(int32_t index, bool destroy = true);
    int32_t Remove(const void* item);
    int32_t IndexOf(const void* item) const;
    void*& At(int32_t index);
    void* At(int32_t index) const;
    template <class T> T* Get(int32_t index) const { return static_cast<T*>(At(index)); }
    void Clear();

private:
    void** data = nullptr;
    int32_t capacity = 0;
    int32_t granularity;
    int32_t count = 0;
    Deleter deleter;
};

} // namespace framework
