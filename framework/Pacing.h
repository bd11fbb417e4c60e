#pragma once
// The process-wide pacing switch: the deliberate pauses of the scan and the repair
// happen only while it is on. The shipped program has it on; tests, benchmarks and
// the console driver turn it off (VELMORA_NO_PAUSE=1, or the driver's --no-pause).

#include <windows.h>

[[nodiscard]] bool PacingEnabled();
void SetPacingEnabled(bool enabled);

// Pauses for the given time only while pacing is on, and ends the pause as soon as
// stopEvent (a manual-reset event; null: none) is signalled, so a stop never waits out
// a pause. True when the pause ended because of the stop.
bool PacedWait(HANDLE stopEvent, DWORD milliseconds);
