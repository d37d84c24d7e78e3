#pragma once

#include "framework/File.h"
#include "framework/String.h"

#include <cstdint>
#include <memory>

namespace engine {

// The time-stamped trace of one working period: one line per record,
// "hh:mm:ss.ssssss (+d.dddddd) text" and CR LF, with the time since the log was started and the
// time since the record before. The file is written in binary mode and replaced at each start.
//
// Which records are written (suppression of repeats, forced records) is the engine's business;
// this class only stamps and writes. Not thread-safe: the engine calls it under its lock.
class TraceLog {
public:
    // A record line may not be longer than one format expansion of the framework; longer texts
    // are written as several records of at most this many characters.
    static constexpr int32_t RecordTextLimit = framework::String::FormatLimit - 32;

    using ClockFunction = double (*)();

    explicit TraceLog(ClockFunction clock = nullptr);

    // Creates the file (replacing one that exists) and starts the clock; false when it cannot.
    bool Create(const framework::String& path);
    bool IsOpen() const;
    void Write(const framework::String& text);
    // True once a record could not be written whole (a full disk, say); later records are still
    // tried.
    bool HasFailed() const { return hasFailed; }
    void Close();

    // The record line for a time since the start and since the previous record.
    static framework::String FormatRecord(double sinceStart, double sincePrevious, const char* text);

private:
    void WriteOne(const framework::String& text);

    ClockFunction clock;
    std::unique_ptr<framework::File> file;
    bool hasFailed = false;
    double startTime = 0.0;
    double previousRecordTime = 0.0;
};

} // namespace engine
