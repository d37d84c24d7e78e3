#pragma once

namespace engine {

// The current time in seconds from the performance counter, for the pacing pauses and the trace
// log's time stamps; the millisecond tick count in whole seconds when the counter is missing.
double HighResSeconds();

// Waits until HighResSeconds() reaches the given time. The pause is as exact as a busy wait but
// sleeps through all of it except the last stretch, so a long character or line delay does not
// keep a processor busy. Every sleep is a thread wait point, so a suspension can take hold in a
// pause.
void PauseUntil(double until);

// One step of a pause towards the given time, for a pause that looks at something between steps:
// sleeps until the last stretch before the time, but at most for the given number of seconds.
// Inside the last stretch it returns at once, so that the caller's loop spins to the exact time.
void PauseTowards(double until, double longest);

} // namespace engine
