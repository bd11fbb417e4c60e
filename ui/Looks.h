#pragma once
// The colours and label looks the windows share, so the brand reads the same everywhere.

#include <windows.h>

struct LabelLook {
    COLORREF color;
    int points;
    int weight;
};

inline constexpr COLORREF kBrandBlue = RGB(13, 91, 153);
inline constexpr COLORREF kBlack = RGB(0, 0, 0);
inline constexpr COLORREF kWhite = RGB(255, 255, 255);
// Rows of the result lists and the count of problems they show.
inline constexpr COLORREF kListText = RGB(45, 54, 63);
inline constexpr COLORREF kCountRed = RGB(152, 2, 9);

// A window's heading, and a section's name in the lists of sections.
inline constexpr LabelLook kTitleLook{kBrandBlue, 14, FW_NORMAL};
inline constexpr LabelLook kSectionNameLook{kBrandBlue, 10, FW_NORMAL};
