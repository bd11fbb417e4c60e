#pragma once
// The controls that stand for the twelve scan sections in the windows: a check box in the
// main window, a name label in both the main and the progress window, a count label in
// the progress window. Their ids are not in section order, hence the table.

#include "core/ScanSections.h"
#include "res/resource.h"

#include <windows.h>

#include <array>

struct SectionControlIds {
    int box;
    int name;
    int count;
};

inline constexpr std::array<SectionControlIds, kSectionCount> kSectionControls{{
    {IDC_SECTION_BOX_0, IDC_SECTION_NAME_0, IDC_SECTION_COUNT_0},
    {IDC_SECTION_BOX_1, IDC_SECTION_NAME_1, IDC_SECTION_COUNT_1},
    {IDC_SECTION_BOX_2, IDC_SECTION_NAME_2, IDC_SECTION_COUNT_2},
    {IDC_SECTION_BOX_3, IDC_SECTION_NAME_3, IDC_SECTION_COUNT_3},
    {IDC_SECTION_BOX_4, IDC_SECTION_NAME_4, IDC_SECTION_COUNT_4},
    {IDC_SECTION_BOX_5, IDC_SECTION_NAME_5, IDC_SECTION_COUNT_5},
    {IDC_SECTION_BOX_6, IDC_SECTION_NAME_6, IDC_SECTION_COUNT_6},
    {IDC_SECTION_BOX_7, IDC_SECTION_NAME_7, IDC_SECTION_COUNT_7},
    {IDC_SECTION_BOX_8, IDC_SECTION_NAME_8, IDC_SECTION_COUNT_8},
    {IDC_SECTION_BOX_9, IDC_SECTION_NAME_9, IDC_SECTION_COUNT_9},
    {IDC_SECTION_BOX_10, IDC_SECTION_NAME_10, IDC_SECTION_COUNT_10},
    {IDC_SECTION_BOX_11, IDC_SECTION_NAME_11, IDC_SECTION_COUNT_11},
}};

// Sections 0-5 form the left column, 6-11 the right one; row = section mod 6.
[[nodiscard]] constexpr bool IsLeftColumn(int section) { return section < kSectionCount / 2; }
[[nodiscard]] constexpr int SectionRow(int section) { return section % (kSectionCount / 2); }
[[nodiscard]] constexpr bool IsSectionNumber(WPARAM value) { return value < static_cast<WPARAM>(kSectionCount); }
