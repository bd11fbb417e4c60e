#pragma once
// The list in the per-section window: one 60-pixel row per problem of the section, with
// its check box, summary and the reason or subject wrapped at backslashes. A click
// anywhere in a row flips the problem's choice and highlights the row. It borrows the
// infos of the results list and owns none.

#include "ui/ResultListBase.h"
#include "ui/ScanResultInfo.h"

#include <span>

class CSectionResultsContainer : public CResultListBase {
public:
    static constexpr int kRowHeight = 60;
    static constexpr COLORREF kEvenRow = RGB(244, 246, 209);
    static constexpr COLORREF kOddRow = RGB(255, 255, 255);
    static constexpr COLORREF kClickedRow = RGB(219, 225, 102);
    // Where the problem's text wraps, in row coordinates.
    static constexpr RECT kDetailArea{25, 20, 410, 55};

    CSectionResultsContainer();

    // Shows these problems; no row highlighted, scrolled to the top.
    void Fill(std::span<CScanResultInfo> problems);

    [[nodiscard]] std::span<CScanResultInfo> Problems() const { return m_problems; }
    // The row clicked last, -1 before the first click.
    [[nodiscard]] int GetClickedRow() const { return m_clickedRow; }
    // What a click in the row does.
    void ToggleProblem(int row);
    [[nodiscard]] int RowCount() const override { return static_cast<int>(m_problems.size()); }
    void ToggleRow(int row) override { ToggleProblem(row); }

protected:
    [[nodiscard]] int RowHeight() const override { return kRowHeight; }
    [[nodiscard]] bool IsRowChosen(int row) const override;
    [[nodiscard]] std::wstring ListName() const override { return L"Errori della sezione"; }
    [[nodiscard]] std::wstring RowName(int row) const override;
    void DrawRows(HDC dc, int clientHeight) override;
    void OnContentClick(POINT content) override;

private:
    void DrawRow(HDC dc, int row, int top);
    void RedrawRow(int row);

    std::span<CScanResultInfo> m_problems;
    int m_clickedRow = -1;
    UniqueGdiObject<HFONT> m_summaryFont;
    UniqueGdiObject<HFONT> m_detailFont;
};
