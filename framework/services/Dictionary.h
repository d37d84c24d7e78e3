#pragma once

#include "framework/PointerArray.h"
#include "framework/SerialisableObject.h"
#include "framework/String.h"

#include <cstdint>

namespace framework {

class Archive;

// The process-wide language dictionary. Framework texts are referred to by number, and template
// texts carry references such as "^1870" (a caret and a decimal number) that resolve through it.
// All texts of the loaded language live in one pool grown in steps of 8 KiB; an index maps each
// text number to its offset in the pool (plus one; zero means no text). A number without a text is
// not an error: lookups give the empty text or null, and unresolved references stay as written.
//
// Used from the window thread only.
class Dictionary : public SerialisableObject {
public:
    static constexpr uint32_t ClassIdentifier = 15099802;
    static constexpr int32_t PoolStep = 8192;
    static constexpr int32_t LanguageNotSearched = -2;
    static constexpr int32_t LanguageNotFound = -1;
    static constexpr int32_t EditingMode = 0x7FFFFFFF;
    static constexpr int MnemonicSlots = 36;

    Dictionary();
    ~Dictionary() override;
    Dictionary(const Dictionary&) = delete;
    Dictionary& operator=(const Dictionary&) = delete;

    static Dictionary& Instance();

    uint32_t ClassId() const override { return ClassIdentifier; }
    void Serialise(Archive& archive) override { Serialize(archive); }
    void Serialize(Archive& archive);

    const char* Lookup(int32_t number, bool nullIfMissing) const;
    const char* Text(int32_t number) const { return Lookup(number, false); }
    const char* ResolveReference(const char* text, bool nullIfMissing) const;
    bool ExpandReferences(String& text) const;
    static char AssignMnemonic(String& label, uint8_t used[MnemonicSlots]);
    bool AddText(const char* text, int32_t number);
    void Reset(bool withDefaultGroup, bool withLanguages);

    void SetWantedLanguage(const String& language) { wantedLanguage = language; }
    void SetEditingMode() { languageIndex = EditingMode; }
    // Editing: adds a language at the end of the language list.
    void AddLanguage(const char* name) { languages.Add(new String(name)); }
    bool IsEditing() const { return languageIndex == EditingMode; }
    int32_t LanguageIndex() const { return languageIndex; }
    int32_t LanguageCount() const { return languages.Count(); }
    const String* Language(int32_t index) const { return languages.Get<String>(index); }
    int32_t PoolUsed() const { return poolUsed; }
    int32_t PoolCapacity() const { return poolCapacity; }
    PointerArray& Entries() { return entries; }
    PointerArray& Groups() { return groups; }

private:
    void UseBuiltInLanguages();
    void FindWantedLanguage();
    void LoadTexts(Archive& archive);
    void TransferEditedData(Archive& archive);
    void AddDefaultGroup();

    char* pool = nullptr;
    int32_t poolUsed = 0;
    int32_t poolCapacity = 0;
    PointerArray textIndex;
    String wantedLanguage;
    int32_t languageIndex = LanguageNotSearched;
    PointerArray languages;
    PointerArray entries;
    PointerArray groups;
};

} // namespace framework
