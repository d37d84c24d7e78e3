#pragma once

#include "framework/PointerArray.h"
#include "framework/SerialisableObject.h"
#include "framework/String.h"

#include <cstdint>

namespace framework {

// One numbered text of the dictionary with its translations, one per language of the dictionary's
// language list (possibly fewer). The base text stands in for a missing translation.
class TextEntry : public SerialisableObject {
public:
    static constexpr uint32_t ClassIdentifier = 15099801;

    TextEntry();

    uint32_t ClassId() const override { return ClassIdentifier; }
    void Serialise(Archive& archive) override;

    // The translation at languageIndex, else the base text, else the empty text.
    const char* TextFor(int32_t languageIndex) const;

    PointerArray translations;
    String baseText;
    String firstNote;
    String secondNote;
    int32_t number = 0;
    int32_t groupNumber = 0;
    uint64_t timeStamp = 0;
};

} // namespace framework
