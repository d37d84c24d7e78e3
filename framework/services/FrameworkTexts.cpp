#include "framework/services/FrameworkTexts.h"

#include "framework/services/Dictionary.h"

namespace framework {

namespace {

struct BuiltInText {
    int32_t number;
    const char* text;
};

const BuiltInText builtInTexts[] = {
    {47, "OK"},
    {48, "Cancel"},
    {65, "No"},
    {66, "Yes"},
    {240, "The file could not be opened."},
    {244, "Unknown object type"},
    {245, "at position"},
    {246, "Object written at position"},
    {247, "in the wrong direction."},
    {248, "Object read at position"},
    {249, "The file is not of an accepted type."},
    {250, "Several errors occurred."},
    {251, "Error"},
    {252, "File Error"},
    {262, "Error in file"},
    {322, "The file could not be read completely."},
    {325, "The file could not be written completely."},
    {370, "The object lengths are inconsistent: the file is damaged."},
    {1041, "Information"},
    {3819, "Browse for Folder"},
    {4592, "The file ended where an object was expected."},
    {4593, "The file holds Unicode texts, which are not accepted here."},
};

} // namespace

const char* FrameworkText(int32_t number) {
    if (const char* text = Dictionary::Instance().Lookup(number, true)) {
        return text;
    }
    for (const BuiltInText& builtIn : builtInTexts) {
        if (builtIn.number == number) {
            return builtIn.text;
        }
    }
    return "";
}

} // namespace framework
