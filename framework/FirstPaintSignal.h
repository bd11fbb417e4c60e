#pragma once
// Tells whoever started this process and waits for it (the restarter after an update, the
// start benchmark) that the main window is on the screen, painted. Call it once.

void SignalFirstPaint();
