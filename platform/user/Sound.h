#pragma once

// MessageBeep and Beep. Where the SDL display runs and an audio device opens, a tone is played
// through it: a sine of the given frequency and length for Beep, a short tone per message-box
// type for MessageBeep. The call queues the tone and returns at once; with the null display, or
// when no device opens, nothing is heard and nothing waits. Every call is recorded for tests.

#include "platform/WinTypes.h"

#include <vector>

BOOL MessageBeep(UINT uType);
// Frequencies from 37 to 32767 Hz, as Win32 accepts them; others fail.
BOOL Beep(DWORD dwFreq, DWORD dwDuration);

namespace testhooks {

struct BeepRecord {
    bool isMessageBeep; // MessageBeep, else Beep
    UINT type;          // MessageBeep's type
    DWORD frequency;    // Beep's frequency and duration in milliseconds
    DWORD duration;
};

// The calls since the process started or since the last ClearBeeps, oldest first.
std::vector<BeepRecord> Beeps();
void ClearBeeps();

} // namespace testhooks
