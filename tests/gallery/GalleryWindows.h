#pragma once

class CPhotographer;

// Opens every window of the program in turn, in each state worth reviewing, and has
// `camera` photograph it; answers every message box on the way.
void PhotographEveryWindow(CPhotographer& camera);
