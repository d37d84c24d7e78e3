#include "framework/ClassRegistry.h"

#include <mutex>
#include <utility>

namespace framework {

namespace {

struct Entry {
    Entry* next;
    uint32_t classId;
    ClassRegistry::Factory factory;
};

std::mutex registryMutex;
Entry* newestEntry = nullptr;

ClassRegistry::Factory FindFactory(uint32_t classId) {
    std::lock_guard lock(registryMutex);
    for (Entry* entry = newestEntry; entry != nullptr; entry = entry->next) {
        if (entry->classId == classId) {
            return entry->factory;
        }
    }
    return nullptr;
}

} // namespace

void ClassRegistry::RegisterClass(Factory factory, uint32_t classId) {
    std::lock_guard lock(registryMutex);
    newestEntry = new Entry{newestEntry, classId, factory};
}

bool ClassRegistry::IsRegistered(uint32_t classId) {
    return FindFactory(classId) != nullptr;
}

SerialisableObject* ClassRegistry::Create(uint32_t classId) {
    const Factory factory = FindFactory(classId);
    return factory ? factory() : nullptr;
}

void ClassRegistry::ClearRegistry() {
    std::lock_guard lock(registryMutex);
    while (newestEntry != nullptr) {
        delete std::exchange(newestEntry, newestEntry->next);
    }
}

} // namespace framework
