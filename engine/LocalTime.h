#pragma once
// The local time now, as the numbers the engine's date texts and file names use.

#include "core/CalendarTime.h"

[[nodiscard]] CalendarTime LocalCalendarTime();
