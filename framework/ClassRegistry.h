#pragma once

#include <cstdint>

namespace framework {

class SerialisableObject;

// The process-wide table of storable classes: class identifier to factory, so that an archive can
// create the objects it reads. Lookups find the newest registration first.
class ClassRegistry {
public:
    using Factory = SerialisableObject* (*)();

    static void RegisterClass(Factory factory, uint32_t classId);
    static bool IsRegistered(uint32_t classId);
    // A new object of the class, or null when the class is unknown.
    static SerialisableObject* Create(uint32_t classId);
    static void ClearRegistry();
};

} // namespace framework
