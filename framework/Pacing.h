#pragma once
// The process-wide pacing switch: the deliberate pauses of the scan and the repair
// happen only while it is on. The shipped program has it on; tests, benchmarks and
// the console driver turn it off (VELMORA_NO_PAUSE=1, or the driver's --no-pause).

#include <windows.h>

[[nodiscard]] bool PacingEnabled();
void SetPacingEnabled(bool enabled);

// Sleeps for the given time only while pacing is on.
void PacedSleep(DWORD milliseconds);
