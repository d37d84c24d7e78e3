#pragma once

// Little-endian fields appended to a byte buffer, as the BMP and ICO headers lay them out.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace artwork {

class ByteWriter {
public:
    explicit ByteWriter(std::vector<uint8_t>& bytes) : bytes(bytes) {}

    void Byte(uint32_t value) { bytes.push_back(static_cast<uint8_t>(value)); }
    void Word(uint32_t value) {
        Byte(value);
        Byte(value >> 8);
    }
    void Dword(uint32_t value) {
        Word(value);
        Word(value >> 16);
    }
    void PadTo(size_t multiple) {
        while (bytes.size() % multiple != 0)
            bytes.push_back(0);
    }
    size_t Size() const { return bytes.size(); }

private:
    std::vector<uint8_t>& bytes;
};

} // namespace artwork
