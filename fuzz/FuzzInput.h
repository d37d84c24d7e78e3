#pragma once

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <string>
#include <unistd.h>

namespace fuzzing {

// The fuzz input as a real file, so that the code under test reads it through its own file layer.
inline std::string WriteInputFile(const char* tag, const uint8_t* data, size_t size) {
    const std::string path = "/tmp/tolva-fuzz-" + std::string(tag) + "-" + std::to_string(getpid());
    std::ofstream(path, std::ios::binary | std::ios::trunc).write(reinterpret_cast<const char*>(data), size);
    return path;
}

} // namespace fuzzing
