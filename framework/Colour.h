#pragma once

#include <cstdint>

namespace framework {

// A colour in the system's layout: red in the low byte, then green, then blue; the high byte 0.
class Colour {
public:
    constexpr Colour() = default;
    constexpr explicit Colour(uint32_t value) : value(value) {}
    constexpr Colour(uint8_t red, uint8_t green, uint8_t blue)
        : value(static_cast<uint32_t>(red) | static_cast<uint32_t>(green) << 8 |
                static_cast<uint32_t>(blue) << 16) {}

    constexpr uint32_t Value() const { return value; }
    constexpr uint8_t Red() const { return value & 0xFF; }
    constexpr uint8_t Green() const { return (value >> 8) & 0xFF; }
    constexpr uint8_t Blue() const { return (value >> 16) & 0xFF; }
    constexpr bool operator==(const Colour&) const = default;

private:
    uint32_t value = 0;
};

} // namespace framework
