#pragma once
// The repair summary: for every section how many problems the scan found, how many the
// repair handled and how many the user left unrepaired, with the three totals. It shows
// the counters as they are when it opens; "Chiudi", Enter and Escape close it.

#include "controls/BitmapButtonEx.h"
#include "controls/BitmapDialog.h"
#include "controls/XColorStatic.h"
#include "core/ScanSections.h"

#include <array>

class CResultStatus : public CBitmapDialog {
public:
    explicit CResultStatus(const SectionCounters& counters);

protected:
    BOOL OnInitDialog() override;
    bool OnCommand(WORD id, WORD code, HWND control) override;

private:
    void SetUpRow(int section);

    const SectionCounters& m_counters;

    CXColorStatic m_title;
    std::array<CXColorStatic, kSectionCount> m_names;
    std::array<CXColorStatic, kSectionCount> m_found;
    std::array<CXColorStatic, kSectionCount> m_repaired;
    std::array<CXColorStatic, kSectionCount> m_ignored;
    std::array<CXColorStatic, 3> m_totals;
    CBitmapButtonEx m_close;
};
