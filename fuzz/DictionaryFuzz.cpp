// Loads arbitrary bytes as stored dictionary data, in loading and in editing mode, and runs the
// reference and mnemonic operations over the texts that arrive.
#include "FuzzInput.h"

#include "framework/Archive.h"
#include "framework/services/Dictionary.h"
#include "framework/services/FrameworkClasses.h"

#include <cstring>

using namespace framework;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool registered = [] {
        RegisterFrameworkClasses();
        return true;
    }();
    (void)registered;
    if (size < 1) {
        return 0;
    }
    const std::string path = fuzzing::WriteInputFile("dictionary", data + 1, size - 1);
    Dictionary dictionary;
    if (data[0] & 1) {
        dictionary.SetEditingMode();
    }
    dictionary.SetWantedLanguage((data[0] & 2) ? "German" : "French");
    Archive archive(String(path.c_str()), Archive::DirectionRead, 0, 0xFFFFFFFF);
    archive.TransferObject(dictionary);

    // The raw bytes as a template text with references and as a menu label.
    const char* bytes = reinterpret_cast<const char*>(data + 1);
    const size_t length = strnlen(bytes, size - 1 > 4096 ? 4096 : size - 1);
    String text;
    text.Append(bytes, static_cast<int32_t>(length));
    dictionary.AddText("expanded", 1);
    String expanded(text);
    dictionary.ExpandReferences(expanded);
    uint8_t used[Dictionary::MnemonicSlots] = {};
    Dictionary::AssignMnemonic(text, used);
    Dictionary::AssignMnemonic(text, used);
    return 0;
}
