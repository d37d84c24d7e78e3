#include "engine/ActivityLog.h"

#include "framework/File.h"
#include "framework/services/Clock.h"
#include "platform/Windows.h"

#include <atomic>

namespace engine {

using framework::File;
using framework::String;

namespace {

std::atomic<ActivityLog::TextFunction> timeOverride{nullptr};
std::atomic<ActivityLog::TextFunction> dateOverride{nullptr};

// The open mode that creates a missing file and keeps one that is there.
constexpr uint32_t readWrite = File::ModeRead | File::ModeWrite;

} // namespace

String ActivityLog::FormatLine(const String& programNumber, const String& time, const String& date,
                               const String& statusText) {
    String line;
    line.Format("%8s ", programNumber.CStr());
    // The status text holds a path, which may be longer than one format expansion.
    return line.Append(time).Append(' ').Append(date).Append(' ').Append(statusText).Append("\r\n");
}

bool ActivityLog::Append(const String& path, const String& programNumber, const String& statusText) {
    File file(path);
    if (!file.Open(readWrite, 0, File::NormalAttributes, false)) {
        return false;
    }
    const String line = FormatLine(programNumber, TimeText(), DateText(), statusText);
    file.SeekFromEnd(0);
    file.Write(line.CStr(), static_cast<uint32_t>(line.Length()));
    file.Close();
    return true;
}

String ActivityLog::TimeText() {
    if (TextFunction fixed = timeOverride.load()) {
        return fixed();
    }
    String text;
    framework::Clock().TimeText(text);
    return text;
}

String ActivityLog::DateText() {
    if (TextFunction fixed = dateOverride.load()) {
        return fixed();
    }
    String text;
    framework::Clock().DateText(text);
    return text;
}

void ActivityLog::SetClockTexts(TextFunction time, TextFunction date) {
    timeOverride = time;
    dateOverride = date;
}

} // namespace engine
