// Reads arbitrary bytes as the installation's settings file, as a positional QOR.CFG file and as a
// private-profile file: every reader must survive any content, and a write-back must read back.
#include "FuzzInput.h"

#include "framework/CurrentFolder.h"
#include "framework/services/ProfileFile.h"
#include "framework/services/ProgramPaths.h"
#include "platform/Windows.h"

#include <cstdlib>
#include <cstring>

using namespace framework;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string path = fuzzing::WriteInputFile("profile", data, size);

    // The framework's own reader and writer.
    String main, cnc("stale");
    {
        ProfileFile profile{String(path.c_str())};
        profile.AddItem("PROGRAM PATHS", "MAIN", &main, "");
        profile.AddItem("PROGRAM PATHS", "CNC", &cnc, "none");
        profile.ReadItems();
        main.Append("/x");
        profile.WriteItems();
        String again;
        ProfileFile check{String(path.c_str())};
        check.AddItem("PROGRAM PATHS", "MAIN", &again, "");
        check.ReadItems();
        String expected(main);
        expected.Trim();
        if (!again.Equals(expected)) {
            std::abort(); // a written key must read back
        }
    }

    // The positional file, found through the environment variable.
    fuzzing::WriteInputFile("profile", data, size);
    setenv("QOR.CFG", path.c_str(), 1);
    {
        ProgramPaths paths;
        paths.Init("");
        for (int32_t id = 0; id <= 21; ++id) {
            paths.GetPath(id);
        }
    }

    // The platform's private-profile reader, with a buffer too small for most values.
    char buffer[80];
    GetPrivateProfileStringA("Port Settings", "port", "COM1", buffer, sizeof buffer, path.c_str());
    GetPrivateProfileStringA(nullptr, nullptr, "", buffer, 16, path.c_str());
    GetPrivateProfileStringA("Files", nullptr, "", buffer, sizeof buffer, path.c_str());
    GetPrivateProfileIntA("Log", "write log", 0, path.c_str());
    if (std::memchr(buffer, 0, sizeof buffer) == nullptr) {
        std::abort(); // results are always terminated
    }
    return 0;
}
