#include "app/SettingsStore.h"

#include "framework/Archive.h"
#include "framework/CurrentFolder.h"
#include "framework/services/ProgramPaths.h"
#include "platform/Windows.h"

namespace app {

using framework::String;

SettingsStore::SettingsStore(engine::CommsSettings& settings)
    : SettingsStore(settings, framework::ProgramPaths::Instance()) {}

SettingsStore::SettingsStore(engine::CommsSettings& settings, framework::ProgramPaths& paths)
    : settings(settings), paths(paths) {}

String SettingsStore::BinaryPath() const {
    String path(framework::CurrentFolder::Get());
    return path.Append(settings.profileName).Append(".INI");
}

int SettingsStore::LoadSettings() {
    framework::Archive archive(BinaryPath(), framework::Archive::DirectionRead, 0, ReadOptions);
    if (archive.ErrorBits() != 0) {
        return 0;
    }
    archive.TransferObject(settings);
    return archive.ErrorBits() == 0 ? 1 : 0;
}

int SettingsStore::SaveSettings() {
    framework::Archive archive(BinaryPath(), framework::Archive::DirectionWrite, 0, WriteOptions);
    if (archive.ErrorBits() != 0) {
        return 0;
    }
    archive.TransferObject(settings);
    archive.Close();
    return archive.ErrorBits() == 0 ? 1 : 0;
}

String SettingsStore::ReadProfileText(const char* section, const char* key, const char* defaultText) const {
    char value[ProfileBufferSize] = {};
    GetPrivateProfileStringA(section, key, defaultText, value, sizeof value, settings.profileFile.CStr());
    return String(value);
}

void SettingsStore::ReadProfileFile() {
    const char* port = "Port Settings";
    settings.port = ReadProfileText(port, "port", "COM1");
    settings.baudRate = ReadProfileText(port, "baudrate", "2400");
    settings.parity = ReadProfileText(port, "parity", "None");
    settings.dataBits = ReadProfileText(port, "databits", "8");
    settings.stopBits = ReadProfileText(port, "stopbits", "1");
    settings.flowControl = ReadProfileText(port, "flow control", "Xon/Xoff");
    // The NC-program folder is fetched before each path key is read, so a first run creates it even
    // when the key is present.
    const String uploadDefault = paths.GetPath(framework::ProgramPaths::NcPrograms, true, nullptr, true);
    settings.uploadPath = ReadProfileText("Files", "upload path", uploadDefault.CStr());
    const String downloadDefault = paths.GetPath(framework::ProgramPaths::NcPrograms, true, nullptr, true);
    settings.downloadPath = ReadProfileText("Files", "download path", downloadDefault.CStr());
    const String extensionDefault(settings.fileExtension);
    settings.fileExtension = ReadProfileText("Files", "file extension", extensionDefault.CStr());
    settings.transmitDelay =
        static_cast<int32_t>(GetPrivateProfileIntA(port, "transmit delay", 2, settings.profileFile.CStr()));
    const String logDefault(settings.logFile);
    settings.logFile = ReadProfileText("Log", "log file", logDefault.CStr());
    settings.writeLog =
        static_cast<int32_t>(GetPrivateProfileIntA("Log", "write log", 0, settings.profileFile.CStr()));
}

void SettingsStore::LoadAtStartUp() {
    settings.profileFile = settings.profileName.Concat(".INI");
    if (LoadSettings() != 1) {
        ReadProfileFile();
    }
    settings.NormalisePaths();
}

} // namespace app
