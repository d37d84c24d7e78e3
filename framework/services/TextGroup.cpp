#include "framework/services/TextGroup.h"

#include "framework/Archive.h"

namespace framework {

TextGroup::TextGroup(int32_t number, const char* name, uint64_t timeStamp)
    : number(number), name(name), timeStamp(timeStamp) {}

void TextGroup::Serialise(Archive& archive) {
    archive.TransferDword(number);
    archive.TransferText(name);
    archive.TransferQword(timeStamp);
    archive.EndObject();
}

} // namespace framework
