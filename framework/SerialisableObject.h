#pragma once

#include <cstdint>

namespace framework {

class Archive;

// An object that can be stored in an Archive. Serialise transfers the object's fields in a fixed
// order, in either direction (the archive decides whether each field is read or written), and
// closes the object's block with Archive::EndObject.
class SerialisableObject {
public:
    virtual ~SerialisableObject() = default;
    virtual uint32_t ClassId() const = 0;
    virtual void Serialise(Archive& archive) = 0;
};

} // namespace framework
