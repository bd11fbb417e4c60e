#include "ui/SectionResultsContainer.h"

#include "res/resource.h"
#include "ui/Looks.h"

namespace {

constexpr COLORREF kRowLine = RGB(128, 128, 128);
constexpr int kRowFillWidth = 430;
constexpr int kRowLineWidth = 600;
constexpr int kSummaryHeight = 14;
constexpr int kDetailHeight = 12;
constexpr POINT kSummaryPlace{25, 5};
constexpr POINT kCheckBoxPlace{5, 18};

}  // namespace

CSectionResultsContainer::CSectionResultsContainer()
    : CResultListBase(IDD_SECTION_RESULTS_CONTAINER, kEvenRow),
      m_summaryFont(CreateListFont(kSummaryHeight, FW_BOLD)),
      m_detailFont(CreateListFont(kDetailHeight, FW_NORMAL))
{
}

void CSectionResultsContainer::Fill(std::span<CScanResultInfo> problems)
{
    BeginFill();
    m_problems = problems;
    m_clickedRow = -1;
    EndFill(static_cast<int>(m_problems.size()) * kRowHeight);
}

void CSectionResultsContainer::ToggleProblem(int row)
{
    if (row < 0 || row >= static_cast<int>(m_problems.size()))
        return;
    m_problems[static_cast<size_t>(row)].Selected = !m_problems[static_cast<size_t>(row)].Selected;
    const int previous = m_clickedRow;
    m_clickedRow = row;
    if (previous >= 0 && previous != row)
        RedrawRow(previous);
    RedrawRow(row);
    NotifyRowChanged(row);
}

bool CSectionResultsContainer::IsRowChosen(int row) const
{
    return row >= 0 && row < RowCount() && m_problems[static_cast<size_t>(row)].Selected;
}

std::wstring CSectionResultsContainer::RowName(int row) const
{
    return row >= 0 && row < RowCount() ? m_problems[static_cast<size_t>(row)].SpokenText() : std::wstring();
}

void CSectionResultsContainer::OnContentClick(POINT content)
{
    if (content.y < 0)
        return;
    ToggleProblem(content.y / kRowHeight);
}

void CSectionResultsContainer::RedrawRow(int row) { RedrawContent(row * kRowHeight, kRowHeight); }

void CSectionResultsContainer::DrawRow(HDC dc, int row, int top)
{
    const CScanResultInfo& info = m_problems[static_cast<size_t>(row)];
    const COLORREF background = row == m_clickedRow ? kClickedRow : (row % 2 != 0 ? kOddRow : kEvenRow);
    const RECT fill{0, top, kRowFillWidth, top + kRowHeight};
    UniqueGdiObject<HBRUSH> brush(::CreateSolidBrush(background));
    ::FillRect(dc, &fill, brush.get());
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, kListText);
    {
        SelectObjectGuard font(dc, m_summaryFont.get());
        const std::wstring& summary = info.Problem.Summary;
        RECT area{kSummaryPlace.x, top + kSummaryPlace.y, kDetailArea.right, top + kDetailArea.top};
        ::DrawTextW(dc, summary.c_str(), static_cast<int>(summary.size()), &area,
                    DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS | DT_NOCLIP);
    }
    {
        SelectObjectGuard font(dc, m_detailFont.get());
        const std::wstring detail = info.DetailText();
        RECT area{kDetailArea.left, top + kDetailArea.top, kDetailArea.right, top + kDetailArea.bottom};
        // Clipped to its box (no DT_NOCLIP): a longer text must not run into the next row.
        ::DrawTextW(dc, detail.c_str(), static_cast<int>(detail.size()), &area, DT_WORDBREAK | DT_NOPREFIX);
    }
    UniqueGdiObject<HPEN> pen(::CreatePen(PS_SOLID, 1, kRowLine));
    {
        SelectObjectGuard selected(dc, pen.get());
        ::MoveToEx(dc, 0, top + kRowHeight - 1, nullptr);
        ::LineTo(dc, kRowLineWidth, top + kRowHeight - 1);
    }
    CResultPictures::Get().DrawCheckBox(dc, kCheckBoxPlace.x, top + kCheckBoxPlace.y, info.Selected);
}

void CSectionResultsContainer::DrawRows(HDC dc, int clientHeight)
{
    for (int row = 0; row < static_cast<int>(m_problems.size()); ++row) {
        const int top = row * kRowHeight - GetScrollPosition();
        if (top >= -kRowHeight && top <= clientHeight + kRowHeight)
            DrawRow(dc, row, top);
    }
}
