#include "framework/StoredValues.h"

#include "framework/Archive.h"

namespace framework {

void StoredText::Serialise(Archive& archive) {
    archive.TransferText(text);
    archive.EndObject();
}

void StoredRect::Serialise(Archive& archive) {
    archive.TransferBlock16(&rect);
    archive.EndObject();
}

void StoredColour::Serialise(Archive& archive) {
    uint32_t value = colour.Value();
    archive.TransferDword(value);
    colour = Colour(value);
    archive.EndObject();
}

void StoredTextList::Serialise(Archive& archive) {
    archive.TransferTextList(texts);
    archive.EndObject();
}

void StoredValueList::Serialise(Archive& archive) {
    int32_t count = values.Count();
    archive.TransferDword(count);
    if (archive.IsReading()) {
        values.Clear();
        for (int32_t i = 0; i < count && archive.CanRead(4); ++i) {
            int32_t value = 0;
            archive.TransferDword(value);
            values.InsertAt(value);
        }
    } else {
        for (int32_t i = 0; i < count; ++i) {
            archive.TransferDword(values.At(i));
        }
    }
    archive.EndObject();
}

} // namespace framework
