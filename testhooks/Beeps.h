#pragma once

// Every MessageBeep and Beep the process makes, as a test hears them.

#include "platform/user/Sound.h"

#include <vector>

namespace testhooks {

using platform::BeepRecord;

// The calls since the process started or since the last ClearBeeps, oldest first.
std::vector<BeepRecord> Beeps();
void ClearBeeps();

} // namespace testhooks
