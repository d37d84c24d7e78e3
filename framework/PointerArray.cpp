#include "framework/PointerArray.h"

#include "framework/MemoryManager.h"

#include <cstring>

namespace framework {

namespace {
thread_local void* scratchSlot;
} // namespace

PointerArray::PointerArray(Deleter deleter, int32_t granularity)
    : granularity(granularity < 1 ? DefaultGranularity : granularity), deleter(deleter) {}

PointerArray::~PointerArray() {
    Clear();
}

void PointerArray::SetCount(int32_t newCount) {
    if (newCount <= 0) {
        MemoryManager::Instance().Free(data);
        data = nullptr;
        capacity = 0;
        count = 0;
        return;
    }
    const int32_t newCapacity = (newCount / granularity + 1) * granularity;
    if (newCapacity != capacity) {
        data = static_cast<void**>(MemoryManager::Instance().Reallocate(data, newCapacity * sizeof(void*)));
        if (newCapacity > capacity) {
            std::memset(data + capacity, 0, (newCapacity - capacity) * sizeof(void*));
        }
        capacity = newCapacity;
    }
    if (newCount > count) {
        std::memset(data + count, 0, (newCount - count) * sizeof(void*));
    }
    count = newCount;
}

void* PointerArray::InsertAt(void* item, int32_t index) {
    if (index < 0 || index > count) {
        index = count;
    }
    SetCount(count + 1);
    std::memmove(data + index + 1, data + index, (count - 1 - index) * sizeof(void*));
    data[index] = item;
    return item;
}

void* PointerArray::RemoveAt(int32_t index, bool destroy) {
    if (count == 0) {
        return nullptr;
    }
    if (index < 0 || index >= count) {
        index = count - 1;
    }
    void* element = data[index];
    std::memmove(data + index, data + index + 1, (count - 1 - index) * sizeof(void*));
    SetCount(count - 1);
    if (deleter != nullptr && destroy && element != nullptr) {
        deleter(element);
        return nullptr;
    }
    return element;
}

int32_t PointerArray::IndexOf(const void* item) const {
    for (int32_t i = 0; i < count; ++i) {
        if (data[i] == item) {
            return i;
        }
    }
    return -1;
}

int32_t PointerArray::Remove(const void* item) {
    const int32_t index = IndexOf(item);
    if (index >= 0) {
        RemoveAt(index, false);
    }
    return index;
}

void*& PointerArray::At(int32_t index) {
    if (index < 0 || index >= count) {
        scratchSlot = nullptr;
        return scratchSlot;
    }
    return data[index];
}

void* PointerArray::At(int32_t index) const {
    return (index < 0 || index >= count) ? nullptr : data[index];
}

void PointerArray::Clear() {
    if (deleter != nullptr) {
        // Last to first, and each slot emptied before its element goes, so that a destructor that
        // looks at the array never meets a destroyed element.
        for (int32_t i = count - 1; i >= 0; --i) {
            if (void* element = data[i]) {
                data[i] = nullptr;
                deleter(element);
            }
        }
    }
    SetCount(0);
}

} // namespace framework
