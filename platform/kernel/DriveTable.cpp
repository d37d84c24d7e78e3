#include "platform/kernel/DriveTable.h"

#include "platform/kernel/Environment.h"

#include <array>
#include <cctype>
#include <cstdio>
#include <mutex>

namespace {

constexpr std::size_t driveCount = 26;

struct DriveTable {
    std::mutex mutex;
    bool isLoaded = false;
    std::array<std::string, driveCount> roots;
};

DriveTable& Table() {
    static DriveTable table;
    return table;
}

int DriveIndex(char letter) {
    unsigned char c = static_cast<unsigned char>(letter);
    return std::isalpha(c) && c < 0x80 ? std::toupper(c) - 'A' : -1;
}

// Trailing separators go, so that joining never doubles them; the root stays `/`.
std::string TrimmedFolder(std::string folder) {
    for (char& c : folder)
        c = c == '\\' ? '/' : c;
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    return folder;
}

// One `L=folder` entry of TOLVA_DRIVES; `L:=folder` is accepted too.
bool ApplyEntry(DriveTable& table, const std::string& entry) {
    std::size_t equals = entry.find('=');
    if (equals == std::string::npos || equals == 0 || equals > 2 || equals + 1 == entry.size())
        return false;
    if (equals == 2 && entry[1] != ':')
        return false;
    int index = DriveIndex(entry[0]);
    if (index < 0)
        return false;
    table.roots[index] = TrimmedFolder(entry.substr(equals + 1));
    return true;
}

void ApplyEnvironment(DriveTable& table) {
    std::string rest = platform::EnvironmentValue("TOLVA_DRIVES").value_or("");
    while (!rest.empty()) {
        std::size_t semicolon = rest.find(';');
        std::string entry = rest.substr(0, semicolon);
        rest = semicolon == std::string::npos ? "" : rest.substr(semicolon + 1);
        if (!entry.empty() && !ApplyEntry(table, entry))
            std::fprintf(stderr,
                         "TOLVA_DRIVES: ignoring \"%s\" (expected a drive letter, '=' and a folder)\n",
                         entry.c_str());
    }
}

void LoadDefaults(DriveTable& table) {
    table.roots.fill("/");
    ApplyEnvironment(table);
    table.isLoaded = true;
}

DriveTable& LoadedTable(std::unique_lock<std::mutex>& lock) {
    DriveTable& table = Table();
    lock = std::unique_lock(table.mutex);
    if (!table.isLoaded)
        LoadDefaults(table);
    return table;
}

std::string Joined(const std::string& root, const std::string& rest) {
    std::size_t start = rest.find_first_not_of('/');
    if (start == std::string::npos)
        return root;
    return root == "/" ? "/" + rest.substr(start) : root + "/" + rest.substr(start);
}

} // namespace

namespace platform {

bool SetDriveRoot(char letter, const std::string& folder) {
    int index = DriveIndex(letter);
    if (index < 0 || folder.empty())
        return false;
    std::unique_lock<std::mutex> lock;
    LoadedTable(lock).roots[index] = TrimmedFolder(folder);
    return true;
}

std::string DriveRoot(char letter) {
    int index = DriveIndex(letter);
    if (index < 0)
        return {};
    std::unique_lock<std::mutex> lock;
    return LoadedTable(lock).roots[index];
}

void ResetDriveTable() {
    DriveTable& table = Table();
    std::lock_guard lock(table.mutex);
    LoadDefaults(table);
}

std::string NativePath(const char* win32Path) {
    std::string path = win32Path == nullptr ? "" : win32Path;
    for (char& c : path)
        c = c == '\\' ? '/' : c;
    if (path.size() < 2 || path[1] != ':' || DriveIndex(path[0]) < 0)
        return path;
    return Joined(DriveRoot(path[0]), path.substr(2));
}

} // namespace platform
