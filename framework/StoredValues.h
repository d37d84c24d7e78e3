#pragma once

#include "framework/Colour.h"
#include "framework/PointerArray.h"
#include "framework/Rect.h"
#include "framework/SerialisableObject.h"
#include "framework/String.h"
#include "framework/ValueList.h"

#include <cstdint>

namespace framework {

// Small storable values of the framework, so that a program can keep a text, a list of texts, a
// list of numbers, a rectangle or a colour in an archive without a class of its own. Each is one
// object block with one section.

class StoredText : public SerialisableObject {
public:
    static constexpr uint32_t ClassIdentifier = 20039801;
    uint32_t ClassId() const override { return ClassIdentifier; }
    void Serialise(Archive& archive) override;

    String text;
};

class StoredRect : public SerialisableObject {
public:
    static constexpr uint32_t ClassIdentifier = 7129802;
    uint32_t ClassId() const override { return ClassIdentifier; }
    void Serialise(Archive& archive) override;

    Rect rect;
};

class StoredColour : public SerialisableObject {
public:
    static constexpr uint32_t ClassIdentifier = 7079804;
    uint32_t ClassId() const override { return ClassIdentifier; }
    void Serialise(Archive& archive) override;

    Colour colour;
};

class StoredTextList : public SerialisableObject {
public:
    static constexpr uint32_t ClassIdentifier = 2129901;
    StoredTextList() : texts(PointerArray::DeleteAs<String>) {}
    uint32_t ClassId() const override { return ClassIdentifier; }
    void Serialise(Archive& archive) override;

    PointerArray texts;
};

class StoredValueList : public SerialisableObject {
public:
    static constexpr uint32_t ClassIdentifier = 2129902;
    uint32_t ClassId() const override { return ClassIdentifier; }
    void Serialise(Archive& archive) override;

    ValueList values;
};

} // namespace framework
