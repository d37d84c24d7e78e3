#pragma once

#include <cstdint>

namespace framework {

// A short ordered list of 32-bit values: a doubly linked list with a cursor that remembers the node
// last reached, so that walking the list by index costs one step per call.
class ValueList {
public:
    struct Node {
        Node* next;
        Node* previous;
        int32_t value;
    };

    ValueList() = default;
    ValueList(const ValueList&) = delete;
    ValueList& operator=(const ValueList&) = delete;
    ~ValueList() { Clear(); }

    int32_t Count() const { return count; }
    int32_t CursorIndex() const { return cursorIndex; }

    Node* SeekIndex(int32_t index);
    int32_t& At(int32_t index);
    int32_t IndexOf(int32_t value, int32_t from = 0);
    int32_t InsertAt(int32_t value, int32_t index = -1);
    bool AddUnique(int32_t value);
    int32_t RemoveAt(int32_t index);
    void Clear();

private:
    Node* head = nullptr;
    Node* tail = nullptr;
    Node* cursor = nullptr;
    int32_t cursorIndex = -1;
    int32_t count = 0;
};

} // namespace framework
