#pragma once

#include "framework/String.h"

namespace engine {

// The permanent history of transfer outcomes: one line per outcome,
// "%8s %s %s %s" and CR LF with the program number right-aligned in eight characters, the local
// time, the local date and the status text. The file is opened (created when missing), appended
// to and closed for every line, so it can be read or moved between transfers.
class ActivityLog {
public:
    using TextFunction = framework::String (*)();

    // Appends one line; false when the file could not be opened.
    static bool Append(const framework::String& path, const framework::String& programNumber,
                       const framework::String& statusText);
    // The line as it goes into the file.
    static framework::String FormatLine(const framework::String& programNumber, const framework::String& time,
                                        const framework::String& date, const framework::String& statusText);

    // The current local time and date in the user's formats.
    static framework::String TimeText();
    static framework::String DateText();
    // Lets tests fix the time and date; null restores the clock.
    static void SetClockTexts(TextFunction time, TextFunction date);
};

} // namespace engine
