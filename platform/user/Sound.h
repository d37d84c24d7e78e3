#pragma once

// MessageBeep and Beep. Where the SDL display runs and an audio device opens, a tone is played
// through it: a sine of the given frequency and length for Beep, a short tone per message-box
// type for MessageBeep. The call queues the tone and returns at once; with the null display, or
// when no device opens, nothing is heard and nothing waits.

#include "platform/WinTypes.h"

BOOL MessageBeep(UINT uType);
// Frequencies from 37 to 32767 Hz, as Win32 accepts them; others fail.
BOOL Beep(DWORD dwFreq, DWORD dwDuration);

namespace platform {

struct BeepRecord {
    bool isMessageBeep; // MessageBeep, else Beep
    UINT type;          // MessageBeep's type
    DWORD frequency;    // Beep's frequency and duration in milliseconds
    DWORD duration;
};

// Who hears of every MessageBeep and Beep beside the speaker, on the calling thread: a harness
// that records them. Null for none.
using BeepListener = void (*)(const BeepRecord& beep);
void SetBeepListener(BeepListener listener);

} // namespace platform
