#include "app/SettingsStore.h"

#include "framework/CurrentFolder.h"
#include "framework/services/ProgramPaths.h"
#include "platform/Windows.h"
#include "support/TempFolder.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>

using app::SettingsStore;
using engine::CommsSettings;
using framework::String;

namespace {

std::string Word(uint32_t value) {
    return std::string(reinterpret_cast<const char*>(&value), 4);
}
std::string Text(const std::string& value) {
    return Word(value.size() + 1) + value + std::string(1, '\0');
}

CommsSettings Sample() {
    CommsSettings settings = CommsSettings::ForController();
    settings.profileName = "TOLVA";
    settings.port = "COM2";
    settings.baudRate = "9600";
    settings.parity = "Even";
    settings.dataBits = "7";
    settings.stopBits = "2";
    settings.flowControl = "Hardware";
    settings.uploadPath = "C:/NC/UP/";
    settings.downloadPath = "C:/NC/DOWN/";
    settings.transmitDelay = 5;
    settings.logFile = "C:/NC/dnc.log";
    settings.writeLog = 1;
    settings.charDelay = 3;
    settings.lineDelay = 250;
    settings.sendStartCode = 1;
    settings.sendEndCode = 1;
    settings.startCode = 17;
    settings.endCode = 3;
    settings.logSavePath = "C:/NC/trace.txt";
    return settings;
}

// The settings file of Sample(), item by item from the layout; the lengths are counted by hand:
// 153 bytes of items, so length B is 153 and length A 157.
std::string GoldenSettingsFile() {
    return Word(17099701) + Word(2410100) + Word(100091201) + Word(157) + Word(153) + Text("COM2") +
           Text("9600") + Text("Even") + Text("7") + Text("2") + Text("Hardware") + Text("C:/NC/UP/") +
           Text("C:/NC/DOWN/") + Text("T3") + Word(5) + Text("C:/NC/dnc.log") + Word(1) + Word(3) +
           Word(250) + Word(1) + Word(1) + std::string("\x11\x03", 2) + Text("C:/NC/trace.txt");
}

const bool registered = [] {
    CommsSettings::RegisterClass();
    return true;
}();

// A profile with its two folders: the application's current folder (binary settings file) and the
// Windows directory (text profile file), and an installation whose NC-program folder is D:/cut/cnc.
class SettingsStoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directories(folder / "current");
        std::filesystem::create_directories(folder / "windows");
        std::filesystem::create_directories(folder / "d");
        framework::CurrentFolder::Set(String((folder / "current").c_str()));
        setenv("TOLVA_WINDIR", (folder / "windows").c_str(), 1);
        platform::SetDriveRoot('D', folder / "d");
        folder.Write("current/QOR.INI", "[PROGRAM PATHS]\r\nMAIN=D:/cut\r\n");
        paths.Init("QOR.INI");
        settings.profileName = "TOLVA";
    }
    void TearDown() override { platform::ResetDriveTable(); }

    void LoadAtStartUp() {
        ::testing::internal::CaptureStderr();
        SettingsStore(settings, paths).LoadAtStartUp();
        shown = ::testing::internal::GetCapturedStderr();
    }

    testsupport::TempFolder folder;
    framework::ProgramPaths paths;
    CommsSettings settings = CommsSettings::ForController();
    std::string shown;
};

} // namespace

TEST_F(SettingsStoreTest, SavedFileMatchesTheGoldenLayout) {
    CommsSettings sample = Sample();
    EXPECT_EQ(SettingsStore(sample, paths).SaveSettings(), 1);
    const std::string written = folder.Read("current/TOLVA.INI");
    EXPECT_EQ(written.size(), 8u + 12u + 153u);
    EXPECT_EQ(written, GoldenSettingsFile());
}

TEST_F(SettingsStoreTest, GoldenFileLoadsIntoEveryField) {
    folder.Write("current/TOLVA.INI", GoldenSettingsFile());
    EXPECT_EQ(SettingsStore(settings, paths).LoadSettings(), 1);
    const CommsSettings expected = Sample();
    EXPECT_STREQ(settings.port.CStr(), "COM2");
    EXPECT_STREQ(settings.flowControl.CStr(), "Hardware");
    EXPECT_STREQ(settings.downloadPath.CStr(), "C:/NC/DOWN/");
    EXPECT_EQ(settings.transmitDelay, 5);
    EXPECT_STREQ(settings.logFile.CStr(), "C:/NC/dnc.log");
    EXPECT_EQ(settings.writeLog, 1);
    EXPECT_EQ(settings.charDelay, 3);
    EXPECT_EQ(settings.lineDelay, 250);
    EXPECT_EQ(settings.startCode, 17);
    EXPECT_EQ(settings.endCode, 3);
    EXPECT_STREQ(settings.logSavePath.CStr(), expected.logSavePath.CStr());
}

TEST_F(SettingsStoreTest, SaveAndRestartKeepsTheFieldsWithoutProfileKeys) {
    folder.Write("windows/TOLVA.INI", "[Port Settings]\r\nport=COM7\r\n");
    CommsSettings first = Sample();
    ASSERT_EQ(SettingsStore(first, paths).SaveSettings(), 1);
    LoadAtStartUp();
    EXPECT_EQ(shown, "");
    EXPECT_STREQ(settings.port.CStr(), "COM2") << "the binary file wins over the text profile";
    EXPECT_EQ(settings.charDelay, 3);
    EXPECT_EQ(settings.lineDelay, 250);
    EXPECT_EQ(settings.sendStartCode, 1);
    EXPECT_EQ(settings.sendEndCode, 1);
    EXPECT_EQ(settings.startCode, 17);
    EXPECT_EQ(settings.endCode, 3);
    EXPECT_STREQ(settings.logSavePath.CStr(), "C:/NC/trace.txt");
    EXPECT_STREQ(settings.profileFile.CStr(), "TOLVA.INI");
}

TEST_F(SettingsStoreTest, NeitherFileGivesTheDefaults) {
    LoadAtStartUp();
    EXPECT_EQ(shown, "") << "a missing binary file is not reported";
    EXPECT_STREQ(settings.port.CStr(), "COM1");
    EXPECT_STREQ(settings.baudRate.CStr(), "2400");
    EXPECT_STREQ(settings.parity.CStr(), "None");
    EXPECT_STREQ(settings.dataBits.CStr(), "8");
    EXPECT_STREQ(settings.stopBits.CStr(), "1");
    EXPECT_STREQ(settings.flowControl.CStr(), "Xon/Xoff");
    EXPECT_EQ(settings.transmitDelay, 2);
    EXPECT_EQ(settings.writeLog, 0);
    EXPECT_STREQ(settings.fileExtension.CStr(), "T3");
    EXPECT_STREQ(settings.uploadPath.CStr(), "D:/cut/cnc/");
    EXPECT_STREQ(settings.downloadPath.CStr(), "D:/cut/cnc/");
    EXPECT_TRUE(std::filesystem::is_directory(folder / "d/cut/cnc"))
        << "the NC folder is created on a first run";
    EXPECT_EQ(settings.charDelay, 0);
    EXPECT_EQ(settings.startCode, CommsSettings::DefaultStartCode);
    EXPECT_EQ(settings.endCode, CommsSettings::DefaultEndCode);
}

TEST_F(SettingsStoreTest, TextProfileFillsOnlyItsKeys) {
    const std::string hundred(100, 'L');
    folder.Write("windows/TOLVA.INI", "[Port Settings]\r\nbaudrate=9600\r\n[Files]\r\nupload path=C:\\NC\r\n"
                                      "file extension=NC\r\n[Log]\r\nlog file=" +
                                          hundred + "\r\nwrite log=1\r\n");
    LoadAtStartUp();
    EXPECT_STREQ(settings.baudRate.CStr(), "9600");
    EXPECT_STREQ(settings.port.CStr(), "COM1");
    EXPECT_STREQ(settings.parity.CStr(), "None");
    EXPECT_STREQ(settings.uploadPath.CStr(), "C:/NC/") << "normalised after the load";
    EXPECT_STREQ(settings.downloadPath.CStr(), "D:/cut/cnc/");
    EXPECT_STREQ(settings.fileExtension.CStr(), "NC");
    EXPECT_EQ(settings.logFile.Length(), 79) << "the 80-byte buffer cuts long values";
    EXPECT_EQ(settings.writeLog, 1);
    EXPECT_EQ(settings.transmitDelay, 2);
    EXPECT_TRUE(std::filesystem::is_directory(folder / "d/cut/cnc")) << "fetched although the key is present";
}

TEST_F(SettingsStoreTest, EmptyBinaryFileFallsBackSilently) {
    folder.Write("current/TOLVA.INI", "");
    folder.Write("windows/TOLVA.INI", "[Port Settings]\r\nport=COM4\r\n");
    LoadAtStartUp();
    EXPECT_EQ(shown, "");
    EXPECT_STREQ(settings.port.CStr(), "COM4");

    folder.Write("current/TOLVA.INI", Word(17099701) + Word(2410100));
    settings.port = "";
    LoadAtStartUp();
    EXPECT_EQ(shown, "") << "an end of file where the object should start is not reported";
    EXPECT_STREQ(settings.port.CStr(), "COM4");
}

TEST_F(SettingsStoreTest, TextFileInPlaceOfTheBinaryFileIsReportedAndFallsBack) {
    folder.Write("current/TOLVA.INI", "[Port Settings]\r\nport=COM9\r\nbaudrate=4800\r\n");
    folder.Write("windows/TOLVA.INI", "[Port Settings]\r\nport=COM3\r\n");
    LoadAtStartUp();
    EXPECT_NE(shown.find("File Error: Error in file \"" + folder / "current/" + "TOLVA.INI\""),
              std::string::npos)
        << shown;
    EXPECT_STREQ(settings.port.CStr(), "COM3");
    EXPECT_STREQ(settings.baudRate.CStr(), "2400");
}

TEST_F(SettingsStoreTest, UnwritableSettingsFileIsReported) {
    std::filesystem::create_directories(folder / "current/TOLVA.INI"); // a folder where the file should be
    CommsSettings sample = Sample();
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(SettingsStore(sample, paths).SaveSettings(), 0);
    const std::string report = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(report.find("Error 4 - "), std::string::npos) << report;
}
