#pragma once

// The text profile an operator writes for a first run of the real program in a test: COM1 at
// 115,200 baud 8N1 with the flow control given (none unless told) and no transmit delay, the
// folder's nc/ for uploads and downloads, and the activity log in the folder. The program reads
// it from TOLVA_WINDIR=<folder>/config.

#include "support/TempFolder.h"

#include <filesystem>
#include <string>

namespace testsupport {

inline void WriteFirstRunProfile(const testsupport::TempFolder& folder, const std::string& profile,
                                 const std::string& flowControl = "None") {
    std::filesystem::create_directories(folder / "nc");
    std::filesystem::create_directories(folder / "config");
    folder.Write("config/" + profile + ".INI",
                 "[Port Settings]\nport=COM1\nbaudrate=115200\nparity=None\ndatabits=8\nstopbits=1\n"
                 "flow control=" +
                     flowControl + "\ntransmit delay=0\n[Files]\nupload path=" + (folder / "nc/") +
                     "\ndownload path=" + (folder / "nc/") +
                     "\nfile extension=T3\n[Log]\nlog file=" + (folder / "activity.log") + "\nwrite log=1\n");
}

} // namespace testsupport
