#include "tools/sim/PortHolder.h"

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <sys/sysmacros.h>

namespace simulator {

// A line of /proc/locks reads "1: FLOCK  ADVISORY  WRITE 4711 00:19:5 0 EOF": the file is the
// filesystem's device, major and minor in hexadecimal, and the inode.
bool IsPortHeld(const std::string& path) {
    struct stat node {};
    if (::stat(path.c_str(), &node) != 0)
        return false;
    std::ostringstream wanted;
    wanted << std::hex << major(node.st_dev) << ':' << minor(node.st_dev) << ':' << std::dec << node.st_ino;
    std::ifstream locks("/proc/locks");
    for (std::string line; std::getline(locks, line);) {
        std::istringstream fields(line);
        std::string number, kind, mode, access, holder, file;
        if (!(fields >> number >> kind >> mode >> access >> holder >> file) || kind != "FLOCK")
            continue;
        // The kernel writes the device as two hex digits at least ("00:19"); the wanted form has
        // no leading zeros, so both are compared without them.
        std::istringstream parts(file);
        std::string majorPart, minorPart, inodePart;
        if (!std::getline(parts, majorPart, ':') || !std::getline(parts, minorPart, ':') ||
            !std::getline(parts, inodePart))
            continue;
        std::ostringstream seen;
        seen << std::hex << std::strtoul(majorPart.c_str(), nullptr, 16) << ':'
             << std::strtoul(minorPart.c_str(), nullptr, 16) << ':' << inodePart;
        if (seen.str() == wanted.str())
            return true;
    }
    return false;
}

} // namespace simulator
