#pragma once

#include "framework/PointerArray.h"
#include "framework/String.h"
#include "framework/ValueList.h"

#include <cstdint>

namespace framework {

// The table of the installation's shared folders, each under a fixed path id (3 main folder,
// 8 NC programs, 12 temporary files, ...). Start-up names the settings file ("QOR.INI"); the first
// request for a path reads the section "PROGRAM PATHS" of that file, completes missing keys with
// defaults below the main folder and writes them back, or falls back to the older positional file
// named by the environment variable "QOR.CFG". A load that finds nothing is reported once, in the
// "Corrupt Installation" box; later requests quietly give empty text.
//
// Window thread only.
class ProgramPaths {
public:
    enum PathId : int32_t {
        MainFolder = 3,
        Projects = 4,
        Parts = 5,
        NcPrograms = 8,
        Database = 9,
        Temporary = 12,
        DxfFiles = 15,
        Filters = 32,
        Remnants = 33,
        Images = 34,
        Reports = 35,
    };
    static constexpr const char* Section = "PROGRAM PATHS";
    static constexpr int CfgLines = 20;

    ProgramPaths();
    ProgramPaths(const ProgramPaths&) = delete;
    ProgramPaths& operator=(const ProgramPaths&) = delete;

    static ProgramPaths& Instance();

    // wantedIds ends with a negative value; null gives the default list. registryValue is not used
    // on this platform.
    void Init(const char* settingsFileName, const int32_t* wantedIds = nullptr, bool useCfgFile = true,
              const char* registryValue = nullptr);
    String GetPath(int32_t id, bool createFolder = false, const char* subPath = nullptr,
                   bool warnIfMissing = false);
    void AddEntry(int32_t id, const String& folder);
    bool IsWanted(int32_t id);
    bool Load();
    bool ReadCfgFile();

    bool IsLoaded() const { return loaded; }
    int32_t EntryCount() const { return entries.Count(); }

private:
    struct PathEntry;

    void SettleCurrentFolder();
    void ReportMissingPaths() const;

    bool loaded = false;
    bool useCfgFile = true;
    String settingsFileName;
    PointerArray entries;
    ValueList wantedIds;
};

} // namespace framework
