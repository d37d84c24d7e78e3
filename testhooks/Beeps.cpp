#include "testhooks/Beeps.h"

#include <mutex>

namespace testhooks {

namespace {

std::mutex beepsMutex;
std::vector<BeepRecord> recorded;

void Record(const BeepRecord& beep) {
    std::lock_guard lock(beepsMutex);
    recorded.push_back(beep);
}

// Listening starts with the process of any test that links this file.
const bool isListening = [] {
    platform::SetBeepListener(Record);
    return true;
}();

} // namespace

std::vector<BeepRecord> Beeps() {
    std::lock_guard lock(beepsMutex);
    return recorded;
}

void ClearBeeps() {
    std::lock_guard lock(beepsMutex);
    recorded.clear();
}

} // namespace testhooks
