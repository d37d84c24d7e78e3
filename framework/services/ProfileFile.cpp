#include "framework/services/ProfileFile.h"

#include "framework/File.h"
#include "framework/services/FrameworkTexts.h"
#include "framework/services/MessageBoxes.h"

namespace framework {

struct ProfileFile::Item {
    String section;
    String key;
    String* target;
    String defaultText;
};

ProfileFile::ProfileFile(const String& path)
    : path(path), lines(PointerArray::DeleteAs<String>), items(PointerArray::DeleteAs<Item>) {}

void ProfileFile::AddItem(const char* section, const char* key, String* target, const char* defaultText) {
    items.Add(new Item{String(section), String(key), target, String(defaultText)});
}

void ProfileFile::LoadLines() {
    lines.Clear();
    File file(path, File::ModeRead | File::ModeText);
    if (!file.IsOpen()) {
        return;
    }
    while (!file.AtEnd()) {
        auto* line = new String;
        file.ReadLines(*line, 1, true);
        lines.Add(line);
    }
}

bool ProfileFile::SaveLines() {
    int32_t count = lines.Count();
    while (count > 0 && Line(count - 1).IsEmpty()) {
        --count;
    }
    File file(path, File::ModeWrite | File::ModeText);
    if (!file.IsOpen()) {
        ShowMessage(nullptr, path.CStr(), FrameworkText(240), MB_ICONINFORMATION);
        return false;
    }
    // Line by line in text mode, so each ends in CR LF; not through the formatter, which would cut
    // lines longer than its 1,023 characters.
    for (int32_t i = 0; i < count; ++i) {
        file.WriteText(Line(i));
        file.WriteText("\n");
    }
    return true;
}

int32_t ProfileFile::FindSection(const String& section) const {
    String header;
    header.Format("[%s]", section.CStr());
    for (int32_t i = 0; i < lines.Count(); ++i) {
        if (Line(i).Equals(header)) {
            return i;
        }
    }
    return -1;
}

int32_t ProfileFile::FindKey(int32_t sectionLine, const String& key) const {
    for (int32_t i = sectionLine + 1; i < lines.Count() && Line(i).At(1) != '['; ++i) {
        String name(Line(i));
        const int32_t equals = name.Find('=', 1);
        // A line without "=" loses its last character instead, as the format always did.
        name.DropRight(equals > 0 ? name.Length() - equals + 1 : 1);
        if (name.Equals(key)) {
            return i;
        }
    }
    return -1;
}

void ProfileFile::ReadItems() {
    LoadLines();
    for (int32_t i = 0; i < items.Count(); ++i) {
        const Item& item = *items.Get<Item>(i);
        const int32_t section = FindSection(item.section);
        const int32_t key = section < 0 ? -1 : FindKey(section, item.key);
        if (key < 0) {
            *item.target = item.defaultText;
            continue;
        }
        // The value is the text after the first "=", trimmed; a key line without one has none.
        String value(Line(key));
        const int32_t equals = value.Find('=', 1);
        if (equals == 0 || equals == value.Length()) {
            *item.target = String();
        } else {
            *item.target = value.Keep(equals + 1, value.Length()).Trim();
        }
    }
    lines.Clear();
}

void ProfileFile::WriteItem(const Item& item) {
    String line(item.key);
    line.Append('=').Append(*item.target);
    const int32_t section = FindSection(item.section);
    const int32_t key = section < 0 ? -1 : FindKey(section, item.key);
    if (key >= 0) {
        Line(key) = line;
    } else if (section >= 0) {
        lines.InsertAt(new String(line), section + 1);
    } else {
        String header;
        header.Format("[%s]", item.section.CStr());
        lines.InsertAt(new String(line), 0);
        lines.InsertAt(new String(header), 0);
        lines.InsertAt(new String, 0);
    }
}

bool ProfileFile::WriteItems() {
    LoadLines();
    for (int32_t i = 0; i < items.Count(); ++i) {
        WriteItem(*items.Get<Item>(i));
    }
    const bool saved = SaveLines();
    lines.Clear();
    return saved;
}

} // namespace framework
