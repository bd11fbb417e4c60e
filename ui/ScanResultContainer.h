#pragma once
// The list in the results window: one 35-pixel row per section that has problems, with
// its check box (choose or drop all the section's problems), name, count, details icon
// (opens the section's problems one by one) and severity bar. It owns the infos of all
// problems; the per-section windows borrow them.

#include "core/ProblemRecord.h"
#include "ui/ResultListBase.h"
#include "ui/ScanResultInfo.h"
#include "ui/SectionResultInfo.h"

#include <functional>
#include <span>
#include <string>
#include <vector>

class CScanResultContainer : public CResultListBase {
public:
    static constexpr int kRowHeight = 35;
    static constexpr COLORREF kBackground = RGB(238, 238, 238);
    // Hit areas in row coordinates (left, top, right, bottom).
    static constexpr RECT kCheckBoxArea{5, 10, 18, 23};
    static constexpr RECT kDetailsIconArea{200, 10, 216, 26};

    // Shows the problems of one section row in a window of their own, modally.
    using SectionOpener =
        std::function<void(HWND owner, std::span<CScanResultInfo> problems, const std::wstring& sectionName)>;

    CScanResultContainer();

    // Rebuilds the rows from the problem list: one info per problem, all chosen, and a
    // row for every run of problems of the same section (the scan and the store keep a
    // section's problems together). A row counts the problems of its run, so it never
    // reaches into another section's problems whatever the counters say. Scrolls back
    // to the top. Returns the number of problems.
    int Fill(const CErrorListEx& problems);

    [[nodiscard]] const std::vector<CScanResultInfo>& Results() const { return m_results; }
    [[nodiscard]] const std::vector<CSectionResultInfo>& Sections() const { return m_sections; }
    // For each problem, in list order: whether it stays chosen for repair.
    [[nodiscard]] std::vector<bool> ChosenForRepair() const;
    // The problems of a row; empty for a row that does not exist.
    [[nodiscard]] std::span<CScanResultInfo> RowProblems(int row);

    [[nodiscard]] int RowCount() const override { return static_cast<int>(m_sections.size()); }
    // What a click on the row's check box does: the row and all its problems flip.
    void ToggleRow(int row) override;
    // What a click on the row's details icon does.
    void OpenRow(int row) override;
    // Replaces the per-section window (tests); the default shows CSectionResultDialog.
    void SetSectionOpener(SectionOpener opener) { m_opener = std::move(opener); }

    // The row whose details icon is under the pointer, -1 for none.
    [[nodiscard]] int GetHotRow() const;

protected:
    [[nodiscard]] int RowHeight() const override { return kRowHeight; }
    [[nodiscard]] bool IsRowChosen(int row) const override;
    [[nodiscard]] std::wstring ListName() const override;
    [[nodiscard]] std::wstring RowName(int row) const override;
    [[nodiscard]] bool RowsOpen() const override { return true; }
    void DrawRows(HDC dc, int clientHeight) override;
    void OnContentClick(POINT content) override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    void DrawRow(HDC dc, const CSectionResultInfo& row, int top);
    [[nodiscard]] int RowAt(int contentY) const;
    [[nodiscard]] bool IsOverDetailsIcon(POINT content, int& row) const;
    void OnMouseMove(POINT client);
    void SetHotRow(int row);
    void RedrawRow(int row);

    std::vector<CScanResultInfo> m_results;
    std::vector<CSectionResultInfo> m_sections;
    SectionOpener m_opener;
    UniqueGdiObject<HFONT> m_font;
    bool m_trackingLeave = false;
};
