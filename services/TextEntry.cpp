#include "services/TextEntry.h"

#include "framework/Archive.h"

namespace framework {

TextEntry::TextEntry() : translations(PointerArray::DeleteAs<String>) {}

const char* TextEntry::TextFor(int32_t languageIndex) const {
    const String* translation = translations.Get<String>(languageIndex);
    if (translation != nullptr && !translation->IsEmpty()) {
        return translation->CStr();
    }
    return baseText.CStr();
}

void TextEntry::Serialise(Archive& archive) {
    archive.TransferText(baseText);
    archive.TransferText(firstNote);
    archive.TransferText(secondNote);
    archive.NextSection();
    archive.TransferDword(number);
    archive.TransferDword(groupNumber);
    archive.TransferQword(timeStamp);
    archive.NextSection();
    int32_t count = translations.Count();
    archive.TransferDword(count);
    if (archive.IsReading()) {
        translations.Clear();
        // A damaged count must not make the loop run long: every text needs at least its count word.
        for (int32_t i = 0; i < count && archive.CanRead(4); ++i) {
            auto* translation = new String;
            archive.TransferText(*translation);
            translations.Add(translation);
        }
    } else {
        for (int32_t i = 0; i < count; ++i) {
            String* translation = translations.Get<String>(i);
            String empty;
            archive.TransferText(translation ? *translation : empty);
        }
    }
    archive.EndObject();
}

} // namespace framework
