#pragma once
// Resource numbers of the pictures the controls load themselves. A program that uses the
// controls links a resource script that defines these pictures under these numbers (the
// program's resource header includes this file), so they are chosen here alone.

// Check-box strip: eight 13 x 13 frames side by side, magenta transparent (see CheckBox.h).
#define IDB_CHECKBOX_STRIP 197
