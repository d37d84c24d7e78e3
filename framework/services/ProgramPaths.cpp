#include "framework/services/ProgramPaths.h"

#include "framework/CurrentFolder.h"
#include "framework/File.h"
#include "framework/Path.h"
#include "framework/services/FrameworkTexts.h"
#include "framework/services/MessageBoxes.h"
#include "framework/services/ProfileFile.h"
#include "platform/Windows.h"

#include <initializer_list>

namespace framework {

struct ProgramPaths::PathEntry {
    int32_t id;
    String folder;
};

namespace {

struct KeyDefault {
    int32_t id;
    const char* key;
    const char* belowMain;
};

const KeyDefault keyDefaults[] = {
    {ProgramPaths::MainFolder, "MAIN", ""},
    {ProgramPaths::Projects, "PROJECT", "/drawings"},
    {ProgramPaths::Parts, "PARTS", "/parts"},
    {ProgramPaths::NcPrograms, "CNC", "/cnc"},
    {ProgramPaths::Database, "DATABASE", "/database"},
    {ProgramPaths::DxfFiles, "DXF", "/dxfs"},
    {ProgramPaths::Filters, "FILTERS", "/filters"},
    {ProgramPaths::Remnants, "REMNANTS", "/remnants"},
    {ProgramPaths::Images, "IMAGES", "/images"},
    {ProgramPaths::Reports, "REPORTS", "/mis"},
};

const KeyDefault& KeyOf(int32_t id) {
    for (const KeyDefault& entry : keyDefaults) {
        if (entry.id == id) {
            return entry;
        }
    }
    return keyDefaults[0];
}

// Index into the per-load value table, which follows keyDefaults.
int KeyIndex(int32_t id) {
    return static_cast<int>(&KeyOf(id) - keyDefaults);
}

// The default wanted list, which is also the order in which the keys are read.
constexpr int32_t defaultWanted[] = {3, 4, 9, 15, 5, 8, 32, 33, 34, 35};
constexpr int32_t completionOrder[] = {9, 4, 15, 5, 8, 33, 34, 35, 32};

} // namespace

ProgramPaths::ProgramPaths() : entries(PointerArray::DeleteAs<PathEntry>) {
    for (int32_t id : defaultWanted) {
        wantedIds.InsertAt(id);
    }
}

ProgramPaths& ProgramPaths::Instance() {
    static ProgramPaths instance;
    return instance;
}

void ProgramPaths::Init(const char* fileName, const int32_t* wanted, bool useCfg, const char* registryValue) {
    settingsFileName = fileName;
    // The registry is not consulted on this platform: a registry value never leads to the file, so
    // the program's own folder is tried next.
    (void)registryValue;
    SettleCurrentFolder();
    useCfgFile = useCfg;
    wantedIds.Clear();
    if (wanted == nullptr) {
        for (int32_t id : defaultWanted) {
            wantedIds.InsertAt(id);
        }
        return;
    }
    for (const int32_t* id = wanted; *id >= 0; ++id) {
        wantedIds.InsertAt(*id);
    }
}

void ProgramPaths::SettleCurrentFolder() {
    if (settingsFileName.IsEmpty() || PathExists(CurrentFolder::Get().Concat(settingsFileName))) {
        return;
    }
    char modulePath[1024] = {};
    if (GetModuleFileNameA(nullptr, modulePath, sizeof modulePath) == 0) {
        return;
    }
    String programFolder = PathDirectory(modulePath);
    NormaliseFolder(programFolder);
    if (PathExists(programFolder.Concat(settingsFileName))) {
        CurrentFolder::Set(programFolder);
    }
}

void ProgramPaths::AddEntry(int32_t id, const String& folder) {
    String normalised(folder);
    NormaliseFolder(normalised);
    normalised.DropRight(1);
    entries.Add(new PathEntry{id, normalised});
}

bool ProgramPaths::IsWanted(int32_t id) {
    return wantedIds.IndexOf(id, 0) >= 0;
}

bool ProgramPaths::ReadCfgFile() {
    char name[MAX_PATH] = {};
    const DWORD length = GetEnvironmentVariableA("QOR.CFG", name, sizeof name);
    File file(String(length > 0 && length < sizeof name ? name : "C:/QOR.CFG"), File::ModeRead);
    if (!file.IsOpen()) {
        return false;
    }
    String line;
    for (int32_t number = 1; number <= CfgLines && !file.AtEnd(); ++number) {
        file.ReadLine(line, '\n', 32, 255);
        const int32_t equals = line.Find('=', 1);
        if (equals == line.Length()) {
            continue;
        }
        if (equals > 0) {
            line.Keep(equals + 1, line.Length());
        }
        if (!line.Trim().IsEmpty()) {
            AddEntry(number, line);
        }
    }
    return true;
}

bool ProgramPaths::Load() {
    entries.Clear();
    loaded = false;
    if (settingsFileName.IsEmpty()) {
        ReadCfgFile();
        loaded = true;
        return entries.Count() > 0;
    }
    ProfileFile profile(CurrentFolder::Get().Concat(settingsFileName));
    String values[sizeof keyDefaults / sizeof keyDefaults[0]];
    for (int32_t id : defaultWanted) {
        if (IsWanted(id)) {
            profile.AddItem(Section, KeyOf(id).key, &values[KeyIndex(id)], "");
        }
    }
    profile.ReadItems();

    String& main = values[KeyIndex(MainFolder)];
    if (main.IsEmpty() && !useCfgFile) {
        main = CurrentFolder::Get();
    }
    bool changed = false;
    if (!main.IsEmpty()) {
        AddEntry(MainFolder, main);
        loaded = true;
        for (int32_t id : completionOrder) {
            if (!IsWanted(id)) {
                continue;
            }
            String& value = values[KeyIndex(id)];
            if (value.IsEmpty()) {
                value = GetPath(MainFolder).Concat(KeyOf(id).belowMain);
                changed = true;
            }
            AddEntry(id, value);
        }
    } else if (useCfgFile && ReadCfgFile()) {
        loaded = true;
        for (int32_t id : {MainFolder, Projects, Database, DxfFiles, Parts, NcPrograms}) {
            values[KeyIndex(id)] = GetPath(id);
        }
        for (int32_t id : {Remnants, Filters, Images, Reports}) {
            values[KeyIndex(id)] = GetPath(MainFolder).Concat(KeyOf(id).belowMain);
        }
        changed = true;
    }
    char temporary[MAX_PATH] = {};
    if (GetTempPathA(sizeof temporary, temporary) > 0) {
        AddEntry(Temporary, temporary);
    }
    if (loaded && changed) {
        profile.WriteItems();
    }
    loaded = true;
    return entries.Count() > 0;
}

void ProgramPaths::ReportMissingPaths() const {
    String text("Unable to locate Program Paths");
    if (!settingsFileName.IsEmpty()) {
        text.AppendFormat(" in\n\n%s%s", CurrentFolder::Get().CStr(), settingsFileName.CStr());
    } else {
        text.Append("\n\nQOR.CFG=[DRIVE:\\PATH\\FILE] must be set up to point to your QOR.CFG file");
    }
    ShowMessage(nullptr, text.CStr(), "Corrupt Installation", MB_ICONINFORMATION);
}

String ProgramPaths::GetPath(int32_t id, bool createFolder, const char* subPath, bool warnIfMissing) {
    if (!loaded && !Load()) {
        ReportMissingPaths();
        return String();
    }
    const PathEntry* found = nullptr;
    for (int32_t i = 0; i < entries.Count() && found == nullptr; ++i) {
        const auto* entry = entries.Get<PathEntry>(i);
        found = entry->id == id ? entry : nullptr;
    }
    if (found == nullptr) {
        return String();
    }
    String result(found->folder);
    if (createFolder && !PathExists(result)) {
        File folder(result.Concat("/"));
        folder.CreateFolders(false);
    }
    if (subPath != nullptr) {
        result.Append('/').Append(subPath);
        if (warnIfMissing && !PathExists(result)) {
            ShowMessage(nullptr, result.CStr(), FrameworkText(240), MB_ICONHAND);
        }
    }
    return result;
}

} // namespace framework
