#pragma once

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <system_error>

namespace testsupport {

// A fresh folder under the system's temporary folder, removed with everything in it at the end of
// the test.
class TempFolder {
public:
    TempFolder() {
        // A name nobody else holds: create_directory fails on one that exists.
        std::random_device random;
        std::error_code error;
        for (int attempt = 0; attempt < 100 && path.empty(); ++attempt) {
            char name[32];
            std::snprintf(name, sizeof name, "tolva-test-%08x", static_cast<unsigned>(random()));
            const std::filesystem::path candidate = std::filesystem::temp_directory_path(error) / name;
            if (std::filesystem::create_directory(candidate, error)) {
                // Forward slashes on both platforms, as the tests join names with "/".
                path = candidate.generic_string();
            }
        }
    }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& Path() const { return path; }
    std::string operator/(const std::string& name) const { return path + "/" + name; }

    void Write(const std::string& name, const std::string& bytes) const {
        std::ofstream(*this / name, std::ios::binary) << bytes;
    }
    std::string Read(const std::string& name) const {
        std::ifstream in(*this / name, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

private:
    std::string path;
};

} // namespace testsupport
