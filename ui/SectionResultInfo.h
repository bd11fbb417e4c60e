#pragma once
// One section row of the results list: the section, how many problems it holds and where
// they start in the problem list, whether the row's check box is ticked and whether the
// mouse is over its details icon.

#include <windows.h>

// The severity bar for a section with this many problems: 252 up to 30, 253 up to 60,
// 254 up to 90, 255 up to 120, 256 above; 0 (no bar) for none.
[[nodiscard]] UINT SeverityBitmapFor(int count);

class CSectionResultInfo {
public:
    [[nodiscard]] UINT SeverityBitmap() const { return SeverityBitmapFor(Count); }

    int Count = 0;
    int Section = 0;
    int Row = 0;
    int FirstIndex = 0;
    bool Selected = true;
    bool Hot = false;
};
