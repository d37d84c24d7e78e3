#pragma once

#include "framework/SerialisableObject.h"
#include "framework/String.h"

#include <cstdint>

namespace engine {

// Every communication setting of one profile. The main window holds one record; the port, the
// transfer engine, the controller protocol and the logs read its fields by name. The record is
// also the main window's stored object: its Serialise writes and reads the binary settings file's
// nineteen items in their fixed order.
class CommsSettings : public framework::SerialisableObject {
public:
    static constexpr uint32_t ClassIdentifier = 100091201;
    static constexpr uint8_t DefaultStartCode = 18; // DC2
    static constexpr uint8_t DefaultEndCode = 4;    // EOT

    // The general link's defaults; the controller window changes two of them.
    CommsSettings() = default;
    static CommsSettings ForController();
    // Registers the record's class so that the settings file can be read.
    static void RegisterClass();

    uint32_t ClassId() const override { return ClassIdentifier; }
    void Serialise(framework::Archive& archive) override;
    // Folder form for both transfer folders, as after every load.
    void NormalisePaths();

    framework::String profileFile;
    framework::String profileName;
    framework::String port;
    framework::String baudRate;
    framework::String parity;
    framework::String dataBits;
    framework::String stopBits;
    framework::String flowControl;
    framework::String uploadPath;
    framework::String downloadPath;
    framework::String fileExtension{"DNC"};
    int32_t charDelay = 0;
    int32_t lineDelay = 0;
    int32_t transmitDelay = 0;
    framework::String logFile;
    framework::String logSavePath;
    int32_t writeLog = 0;
    int32_t sendStartCode = 0;
    int32_t sendEndCode = 0;
    uint8_t startCode = DefaultStartCode;
    uint8_t endCode = DefaultEndCode;
};

} // namespace engine
