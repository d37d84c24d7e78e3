#pragma once

#include "engine/CommsSettings.h"
#include "framework/String.h"

namespace framework {
class ProgramPaths;
}

namespace app {

// The two files of a profile. The binary settings file (the application's current folder, the
// profile name and ".INI") is an archive holding the settings record; it is written at every
// orderly shutdown and read first at start-up. The text profile file (the profile name and ".INI",
// no folder, so looked up in the Windows directory) is read only when the binary file cannot be,
// which makes it the first-run source; the program never writes it.
class SettingsStore {
public:
    static constexpr uint32_t ReadOptions = 514; // a missing file and an empty one are not reported
    static constexpr uint32_t WriteOptions = 0;
    static constexpr int ProfileBufferSize = 80;

    explicit SettingsStore(engine::CommsSettings& settings);
    SettingsStore(engine::CommsSettings& settings, framework::ProgramPaths& paths);

    // 1 when the binary settings file was read without error, else 0.
    int LoadSettings();
    // 1 when the binary settings file was written without error, else 0.
    int SaveSettings();
    framework::String ReadProfileText(const char* section, const char* key, const char* defaultText) const;
    // The start-up load: the binary file, else the text profile file with its defaults; then the
    // transfer folders in folder form.
    void LoadAtStartUp();
    framework::String BinaryPath() const;

private:
    void ReadProfileFile();

    engine::CommsSettings& settings;
    framework::ProgramPaths& paths;
};

} // namespace app
