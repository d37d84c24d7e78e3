#pragma once

#include "framework/SerialisableObject.h"
#include "framework/String.h"

#include <cstdint>

namespace framework {

// A named group of dictionary entries; group 0 is "General".
class TextGroup : public SerialisableObject {
public:
    static constexpr uint32_t ClassIdentifier = 18099801;

    TextGroup() = default;
    TextGroup(int32_t number, const char* name, uint64_t timeStamp);

    uint32_t ClassId() const override { return ClassIdentifier; }
    void Serialise(Archive& archive) override;

    int32_t number = 0;
    String name;
    uint64_t timeStamp = 0;
};

} // namespace framework
