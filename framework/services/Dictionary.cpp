#include "framework/services/Dictionary.h"

#include "framework/Archive.h"
#include "framework/MemoryManager.h"
#include "framework/services/TextEntry.h"
#include "framework/services/TextGroup.h"
#include "platform/Windows.h"

#include <cstdint>
#include <cstring>
#include <utility>

namespace framework {

namespace {

// Text numbers of the framework stay far below this; a larger number in stored data is damage and
// is refused rather than growing the index to match it.
constexpr int32_t MaxTextNumber = 1000000;

const char* const builtInLanguages[] = {"French", "German", "American", "Italian", "Spanish", "Swedish"};

bool IsLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

int MnemonicIndex(char c) {
    if (IsDigit(c)) {
        return 26 + (c - '0');
    }
    return (c >= 'a' && c <= 'z') ? c - 'a' : c - 'A';
}

char MnemonicCharacter(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

uint64_t Now() {
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    return (uint64_t{now.dwHighDateTime} << 32) | now.dwLowDateTime;
}

} // namespace

Dictionary::Dictionary()
    : languages(PointerArray::DeleteAs<String>), entries(PointerArray::DeleteAs<TextEntry>),
      groups(PointerArray::DeleteAs<TextGroup>) {}

Dictionary::~Dictionary() {
    MemoryManager::Instance().Free(pool);
}

Dictionary& Dictionary::Instance() {
    static Dictionary instance;
    return instance;
}

const char* Dictionary::Lookup(int32_t number, bool nullIfMissing) const {
    const auto entry = reinterpret_cast<uintptr_t>(textIndex.At(number));
    if (number < 0 || entry == 0) {
        return nullIfMissing ? nullptr : "";
    }
    return pool + (entry - 1);
}

const char* Dictionary::ResolveReference(const char* text, bool nullIfMissing) const {
    if (text == nullptr || text[0] != '^') {
        return nullIfMissing ? nullptr : "";
    }
    int64_t number = 0;
    for (const char* digit = text + 1; IsDigit(*digit) && number <= MaxTextNumber; ++digit) {
        number = number * 10 + (*digit - '0');
    }
    return Lookup(number > MaxTextNumber ? -1 : static_cast<int32_t>(number), nullIfMissing);
}

bool Dictionary::ExpandReferences(String& text) const {
    String result;
    String rest(text);
    bool replaced = false;
    for (bool firstPass = true;; firstPass = false) {
        const int32_t caret = rest.Find('^', 1);
        if (caret == 0) {
            if (firstPass) {
                return false;
            }
            result.Append(rest);
            break;
        }
        result.Append(rest.CStr(), caret - 1);
        int32_t end = caret + 1;
        while (end <= rest.Length() && IsDigit(rest.At(end))) {
            ++end;
        }
        String reference(rest);
        reference.Keep(caret, end - 1);
        if (end > rest.Length()) {
            rest.Assign(static_cast<const char*>(nullptr));
        } else {
            rest.Keep(end, rest.Length());
        }
        if (const char* found = ResolveReference(reference.CStr(), true)) {
            result.Append(found);
            replaced = true;
        } else {
            result.Append(reference);
        }
    }
    if (!result.IsEmpty()) {
        text = std::move(result);
    }
    return replaced;
}

char Dictionary::AssignMnemonic(String& label, uint8_t used[MnemonicSlots]) {
    // A label that marks its own mnemonic keeps it; the letter is taken from then on.
    for (int32_t position = 1; position < label.Length(); ++position) {
        if (label.At(position) != '&') {
            continue;
        }
        const char next = label.At(position + 1);
        if (next == '&') {
            ++position;
            continue;
        }
        if (IsLetter(next) || IsDigit(next)) {
            used[MnemonicIndex(next)] = static_cast<uint8_t>(MnemonicCharacter(next));
        }
        return 0;
    }
    // Otherwise the first free letter or digit before any accelerator text gets the ampersand.
    int32_t firstCandidate = 0;
    for (int32_t position = 1; position <= label.Length() && label.At(position) != '\t'; ++position) {
        const char c = label.At(position);
        if (!IsLetter(c) && !IsDigit(c)) {
            continue;
        }
        if (firstCandidate == 0) {
            firstCandidate = position;
        }
        if (used[MnemonicIndex(c)] == 0) {
            used[MnemonicIndex(c)] = static_cast<uint8_t>(MnemonicCharacter(c));
            label.InsertChar('&', position);
            return MnemonicCharacter(c);
        }
    }
    if (firstCandidate == 0) {
        return 0;
    }
    const char c = label.At(firstCandidate);
    label.InsertChar('&', firstCandidate);
    return MnemonicCharacter(c);
}

bool Dictionary::AddText(const char* text, int32_t number) {
    if (number < 0 || number > MaxTextNumber || Lookup(number, true) != nullptr) {
        return false;
    }
    if (textIndex.Count() <= number) {
        textIndex.SetCount(number + 1);
    }
    const int32_t length = static_cast<int32_t>(std::strlen(text ? text : "")) + 1;
    const int32_t capacity = ((poolUsed + length) / PoolStep + 1) * PoolStep;
    if (capacity != poolCapacity) {
        pool = static_cast<char*>(MemoryManager::Instance().Reallocate(pool, capacity));
        poolCapacity = capacity;
    }
    textIndex.At(number) = reinterpret_cast<void*>(static_cast<uintptr_t>(poolUsed) + 1);
    std::memcpy(pool + poolUsed, text ? text : "", length);
    poolUsed += length;
    return true;
}

void Dictionary::AddDefaultGroup() {
    groups.Add(new TextGroup(0, "General", Now()));
}

void Dictionary::Reset(bool withDefaultGroup, bool withLanguages) {
    MemoryManager::Instance().Free(pool);
    pool = nullptr;
    poolUsed = 0;
    poolCapacity = 0;
    textIndex.SetCount(0);
    if (!IsEditing()) {
        return;
    }
    entries.Clear();
    if (withDefaultGroup) {
        groups.Clear();
        AddDefaultGroup();
    }
    if (withLanguages) {
        languages.Clear();
    }
}

void Dictionary::UseBuiltInLanguages() {
    languages.Clear();
    for (const char* name : builtInLanguages) {
        languages.Add(new String(name));
    }
}

void Dictionary::FindWantedLanguage() {
    if (languageIndex != LanguageNotSearched) {
        return;
    }
    languageIndex = LanguageNotFound;
    for (int32_t i = 0; i < languages.Count() && !wantedLanguage.IsEmpty(); ++i) {
        if (languages.Get<String>(i)->Equals(wantedLanguage)) {
            languageIndex = i;
            break;
        }
    }
}

void Dictionary::LoadTexts(Archive& archive) {
    int32_t count = 0;
    archive.TransferDword(count);
    // A damaged count must not keep the loop going once the objects run out.
    for (int32_t i = 0; i < count && archive.CanRead(4); ++i) {
        SerialisableObject* object = archive.ReadNewObject();
        if (object == nullptr) {
            break;
        }
        if (auto* entry = dynamic_cast<TextEntry*>(object)) {
            AddText(entry->TextFor(languageIndex), entry->number);
        }
        delete object;
    }
    archive.NextSection();
    count = 0;
    archive.TransferDword(count);
    for (int32_t i = 0; i < count && archive.CanRead(4); ++i) {
        SerialisableObject* group = archive.ReadNewObject();
        if (group == nullptr) {
            break;
        }
        delete group;
    }
    archive.EndObject();
}

void Dictionary::TransferEditedData(Archive& archive) {
    PointerArray* lists[2] = {&entries, &groups};
    for (PointerArray* list : lists) {
        int32_t count = list->Count();
        archive.TransferDword(count);
        if (archive.IsReading()) {
            list->Clear();
            for (int32_t i = 0; i < count && archive.CanRead(4); ++i) {
                SerialisableObject* object = archive.ReadNewObject();
                if (object == nullptr) {
                    break;
                }
                const bool fits = list == &entries ? dynamic_cast<TextEntry*>(object) != nullptr
                                                   : dynamic_cast<TextGroup*>(object) != nullptr;
                if (fits) {
                    list->Add(object);
                } else {
                    delete object;
                }
            }
        } else {
            for (int32_t i = 0; i < count; ++i) {
                archive.TransferObject(*list->Get<SerialisableObject>(i));
            }
        }
        if (list == &entries) {
            archive.NextSection();
        }
    }
    archive.EndObject();
}

void Dictionary::Serialize(Archive& archive) {
    if (archive.IsReading() && archive.FormatVersion() == 1) {
        // The first layout carries no language list and no sections.
        UseBuiltInLanguages();
        FindWantedLanguage();
    } else {
        archive.TransferTextList(languages);
        FindWantedLanguage();
        archive.NextSection();
    }
    if (archive.IsReading() && !IsEditing()) {
        LoadTexts(archive);
    } else {
        TransferEditedData(archive);
    }
}

} // namespace framework
