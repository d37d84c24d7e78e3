#pragma once

#include "framework/PointerArray.h"
#include "framework/String.h"

namespace framework {

// The framework's reader and writer of an installation settings file in INI form. It works on the
// whole file as a list of trimmed lines and on registered items, each naming a section, a key, a
// target string and a default. Reading applies every item to its target; writing puts every target
// back into the lines (replacing a key in place, adding a new key right after its section line, a
// new section at the top) and saves the file with CR LF line ends. The lines are read afresh for
// every read or write.
class ProfileFile {
public:
    explicit ProfileFile(const String& path);
    ProfileFile(const ProfileFile&) = delete;
    ProfileFile& operator=(const ProfileFile&) = delete;

    void AddItem(const char* section, const char* key, String* target, const char* defaultText);
    void ReadItems();
    // Returns whether the file was saved.
    bool WriteItems();

private:
    struct Item;

    void LoadLines();
    bool SaveLines();
    int32_t FindSection(const String& section) const;
    int32_t FindKey(int32_t sectionLine, const String& key) const;
    void WriteItem(const Item& item);
    String& Line(int32_t index) const { return *lines.Get<String>(index); }

    String path;
    PointerArray lines;
    PointerArray items;
};

} // namespace framework
