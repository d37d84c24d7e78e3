#include "framework/services/TextEntry.h"

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
    archive.TransferTextList(translations);
    archive.EndObject();
}

} // namespace framework
