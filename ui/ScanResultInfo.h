#pragma once
// One problem as the result lists show it: a copy of the problem, where it stands in the
// engine's problem list and in its section, and whether the user chose it for repair.

#include "core/ProblemRecord.h"

#include <string>

class CScanResultInfo {
public:
    CScanResultInfo() = default;
    CScanResultInfo(const CError& problem, int listIndex, int rowInSection)
        : Problem(problem), ListIndex(listIndex), Section(problem.Section), RowInSection(rowInSection)
    {
    }

    // The text under the problem's summary: the reason for a registry value or key, the
    // subject otherwise, with a space after every backslash so that long registry and
    // file paths wrap at their backslashes.
    [[nodiscard]] std::wstring DetailText() const;
    // The summary and that text as written, for assistive software.
    [[nodiscard]] std::wstring SpokenText() const;

    CError Problem;
    int ListIndex = 0;
    int Section = 0;
    int RowInSection = 0;
    bool Selected = true;

private:
    [[nodiscard]] const std::wstring& DetailSource() const;
};
