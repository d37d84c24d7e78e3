#include "tools/sim/EventRecorder.h"

#include <cstdio>

namespace simulator {

EventRecorder::EventRecorder() : start(std::chrono::steady_clock::now()) {}

bool EventRecorder::Open(const std::string& path) {
    file.open(path, std::ios::binary | std::ios::trunc);
    return file.good();
}

void EventRecorder::Record(Direction direction, const std::string& bytes) {
    if (!file.is_open() || bytes.empty())
        return;
    auto elapsed =
        std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start);
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%lld.%06lld", static_cast<long long>(elapsed.count() / 1'000'000),
                  static_cast<long long>(elapsed.count() % 1'000'000));
    file << stamp << (direction == Direction::Transmitted ? " TX " : " RX ") << Printable(bytes) << '\n';
    // Flushed at once, so that the record is complete up to a crash or a kill.
    file.flush();
}

std::string EventRecorder::Printable(const std::string& bytes) {
    std::string text;
    for (unsigned char byte : bytes) {
        if (byte >= 0x20 && byte <= 0x7E) {
            text += static_cast<char>(byte);
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "[%02X]", byte);
            text += escaped;
        }
    }
    return text;
}

} // namespace simulator
