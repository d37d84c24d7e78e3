#include "framework/ValueList.h"

#include "framework/MemoryManager.h"

namespace framework {

namespace {
thread_local int32_t scratchValue;
} // namespace

ValueList::Node* ValueList::SeekIndex(int32_t index) {
    if (index < 0 || index >= count) {
        return nullptr;
    }
    if (index == 0 || cursor == nullptr) {
        cursor = head;
        cursorIndex = 0;
    }
    if (index == count - 1) {
        cursor = tail;
        cursorIndex = count - 1;
    }
    while (cursorIndex < index) {
        cursor = cursor->next;
        ++cursorIndex;
    }
    while (cursorIndex > index) {
        cursor = cursor->previous;
        --cursorIndex;
    }
    return cursor;
}

int32_t& ValueList::At(int32_t index) {
    Node* node = SeekIndex(index);
    if (node == nullptr) {
        scratchValue = 0;
        return scratchValue;
    }
    return node->value;
}

int32_t ValueList::IndexOf(int32_t value, int32_t from) {
    if (from < 0) {
        from = 0;
    }
    for (Node* node = SeekIndex(from); node != nullptr; node = node->next, ++cursorIndex) {
        if (node->value == value) {
            cursor = node;
            return cursorIndex;
        }
    }
    // The walk ran past the tail; leave the cursor on a real node.
    cursor = nullptr;
    cursorIndex = -1;
    return -1;
}

int32_t ValueList::InsertAt(int32_t value, int32_t index) {
    Node* node = static_cast<Node*>(MemoryManager::Instance().Allocate(sizeof(Node)));
    node->value = value;
    if (index < 0 || index >= count) {
        index = count;
        node->next = nullptr;
        node->previous = tail;
    } else {
        Node* before = SeekIndex(index);
        node->next = before;
        node->previous = before->previous;
    }
    (node->previous ? node->previous->next : head) = node;
    (node->next ? node->next->previous : tail) = node;
    ++count;
    cursor = node;
    cursorIndex = index;
    return count;
}

bool ValueList::AddUnique(int32_t value) {
    if (IndexOf(value, 0) >= 0) {
        return false;
    }
    InsertAt(value, -1);
    return true;
}

int32_t ValueList::RemoveAt(int32_t index) {
    if (count == 0) {
        return 0;
    }
    if (index < 0 || index >= count) {
        index = count - 1;
    }
    Node* node = SeekIndex(index);
    (node->previous ? node->previous->next : head) = node->next;
    (node->next ? node->next->previous : tail) = node->previous;
    if (node->next != nullptr) {
        cursor = node->next;
    } else {
        cursor = node->previous;
        cursorIndex = index - 1;
    }
    MemoryManager::Instance().Free(node);
    --count;
    return count;
}

void ValueList::Clear() {
    for (Node* node = head; node != nullptr;) {
        Node* next = node->next;
        MemoryManager::Instance().Free(node);
        node = next;
    }
    head = tail = cursor = nullptr;
    cursorIndex = -1;
    count = 0;
}

} // namespace framework
