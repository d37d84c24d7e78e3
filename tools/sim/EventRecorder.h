#pragma once

// The record of a run: one line per read or write on the cable, time-stamped from the start of
// the run, so a test or a user can see exactly what went each way and when. Also keeps the record
// when no file was asked for, as a no-op.

#include <chrono>
#include <fstream>
#include <string>

namespace simulator {

enum class Direction { Transmitted, Received };

class EventRecorder {
public:
    EventRecorder();

    // Starts writing to path; false when the file cannot be created.
    bool Open(const std::string& path);
    void Record(Direction direction, const std::string& bytes);

    // 0x20 to 0x7E as themselves, every other byte as [hh].
    static std::string Printable(const std::string& bytes);

private:
    std::chrono::steady_clock::time_point start;
    std::ofstream file;
};

} // namespace simulator
