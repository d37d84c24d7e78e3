#include "engine/TraceLog.h"

#include "engine/HighResSeconds.h"

namespace engine {

using framework::File;
using framework::String;

TraceLog::TraceLog(ClockFunction clock) : clock(clock ? clock : HighResSeconds) {}

bool TraceLog::Create(const String& path) {
    file = std::make_unique<File>(path, File::ModeWrite, 0, File::NormalAttributes, false);
    if (!file->IsOpen()) {
        file.reset();
        return false;
    }
    startTime = clock();
    previousRecordTime = 0.0;
    return true;
}

bool TraceLog::IsOpen() const {
    return file != nullptr && file->IsOpen();
}

void TraceLog::Close() {
    if (file != nullptr) {
        file->Close();
        file.reset();
    }
}

String TraceLog::FormatRecord(double sinceStart, double sincePrevious, const char* text) {
    const int32_t totalMinutes = static_cast<int32_t>(sinceStart * (1.0 / 60.0));
    const int32_t hours = totalMinutes / 60;
    const int32_t minutes = totalMinutes - hours * 60;
    const double seconds = sinceStart - totalMinutes * 60.0;
    String line;
    line.Format("%02i:%02i:%09.6f (%+09.6f) ", hours, minutes, seconds, sincePrevious);
    return line.Append(text).Append("\r\n");
}

void TraceLog::Write(const String& text) {
    if (!IsOpen()) {
        return;
    }
    if (text.Length() <= RecordTextLimit) {
        WriteOne(text);
        return;
    }
    String rest(text);
    while (!rest.IsEmpty()) {
        const int32_t take = rest.Length() < RecordTextLimit ? rest.Length() : RecordTextLimit;
        WriteOne(rest.Cut(1, take));
    }
}

void TraceLog::WriteOne(const String& text) {
    const double sinceStart = clock() - startTime;
    const double sincePrevious = sinceStart - previousRecordTime;
    previousRecordTime = sinceStart;
    const String line = FormatRecord(sinceStart, sincePrevious, text.CStr());
    const uint32_t length = static_cast<uint32_t>(line.Length());
    if (file->Write(line.CStr(), length) != length) {
        hasFailed = true;
    }
}

} // namespace engine
