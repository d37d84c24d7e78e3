#include "engine/CommsSettings.h"

#include "framework/Archive.h"
#include "framework/ClassRegistry.h"
#include "framework/Path.h"

namespace engine {

CommsSettings CommsSettings::ForController() {
    CommsSettings settings;
    settings.fileExtension = "T3";
    settings.transmitDelay = 2;
    return settings;
}

void CommsSettings::RegisterClass() {
    framework::ClassRegistry::RegisterClass(
        []() -> framework::SerialisableObject* { return new CommsSettings; }, ClassIdentifier);
}

void CommsSettings::Serialise(framework::Archive& archive) {
    archive.TransferText(port);
    archive.TransferText(baudRate);
    archive.TransferText(parity);
    archive.TransferText(dataBits);
    archive.TransferText(stopBits);
    archive.TransferText(flowControl);
    archive.TransferText(uploadPath);
    archive.TransferText(downloadPath);
    archive.TransferText(fileExtension);
    archive.TransferDword(transmitDelay);
    archive.TransferText(logFile);
    archive.TransferDword(writeLog);
    archive.TransferDword(charDelay);
    archive.TransferDword(lineDelay);
    archive.TransferDword(sendStartCode);
    archive.TransferDword(sendEndCode);
    archive.TransferByte(startCode);
    archive.TransferByte(endCode);
    archive.TransferText(logSavePath);
    archive.EndObject();
}

void CommsSettings::NormalisePaths() {
    framework::NormaliseFolder(uploadPath);
    framework::NormaliseFolder(downloadPath);
}

} // namespace engine
