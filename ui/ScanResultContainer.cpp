#include "ui/ScanResultContainer.h"

#include "core/ScanSections.h"
#include "res/resource.h"
#include "ui/Looks.h"
#include "ui/SectionResultDialog.h"

namespace {

constexpr COLORREF kRowLine = RGB(225, 225, 225);
constexpr int kRowFillWidth = 430;
constexpr int kRowLineWidth = 600;
constexpr int kFontHeight = 15;
constexpr RECT kCountArea{240, 10, 270, 30};
constexpr POINT kNamePlace{25, 10};
constexpr POINT kSeverityPlace{290, 0};

bool InArea(const RECT& area, POINT point, int rowTop)
{
    return point.x >= area.left && point.x < area.right && point.y >= rowTop + area.top &&
           point.y < rowTop + area.bottom;
}

void ShowSectionWindow(HWND owner, std::span<CScanResultInfo> problems, const std::wstring& sectionName)
{
    CSectionResultDialog details(problems, sectionName);
    details.DoModal(owner);
}

}  // namespace

CScanResultContainer::CScanResultContainer()
    : CResultListBase(IDD_SCAN_RESULT_CONTAINER, kBackground),
      m_opener(&ShowSectionWindow),
      m_font(CreateListFont(kFontHeight, FW_BOLD))
{
}

int CScanResultContainer::Fill(const CErrorListEx& problems)
{
    BeginFill();
    m_results.clear();
    m_sections.clear();
    m_results.reserve(static_cast<size_t>(problems.GetSize()));
    int rowInSection = 0;
    for (std::ptrdiff_t index = 0; index < problems.GetSize(); ++index) {
        const CError& problem = problems[index];
        const bool startsGroup = index == 0 || problem.Section != problems[index - 1].Section;
        if (startsGroup) {
            rowInSection = 0;
            CSectionResultInfo row;
            row.Section = problem.Section;
            row.Row = static_cast<int>(m_sections.size());
            row.FirstIndex = static_cast<int>(index);
            m_sections.push_back(row);
        }
        m_results.emplace_back(problem, static_cast<int>(index), rowInSection++);
        ++m_sections.back().Count;
    }
    EndFill(static_cast<int>(m_sections.size()) * kRowHeight);
    return static_cast<int>(m_results.size());
}

std::vector<bool> CScanResultContainer::ChosenForRepair() const
{
    std::vector<bool> chosen;
    chosen.reserve(m_results.size());
    for (const CScanResultInfo& info : m_results)
        chosen.push_back(info.Selected);
    return chosen;
}

std::span<CScanResultInfo> CScanResultContainer::RowProblems(int row)
{
    if (row < 0 || row >= static_cast<int>(m_sections.size()))
        return {};
    const CSectionResultInfo& section = m_sections[static_cast<size_t>(row)];
    return std::span<CScanResultInfo>(m_results).subspan(static_cast<size_t>(section.FirstIndex),
                                                          static_cast<size_t>(section.Count));
}

void CScanResultContainer::ToggleRow(int row)
{
    if (row < 0 || row >= static_cast<int>(m_sections.size()))
        return;
    CSectionResultInfo& section = m_sections[static_cast<size_t>(row)];
    section.Selected = !section.Selected;
    for (CScanResultInfo& info : RowProblems(row))
        info.Selected = section.Selected;
    RedrawRow(row);
    NotifyRowChanged(row);
}

bool CScanResultContainer::IsRowChosen(int row) const
{
    return row >= 0 && row < RowCount() && m_sections[static_cast<size_t>(row)].Selected;
}

// The column headings the results window's background paints over the list.
std::wstring CScanResultContainer::ListName() const { return L"Sezione del Registro, Errori"; }

std::wstring CScanResultContainer::RowName(int row) const
{
    if (row < 0 || row >= RowCount())
        return {};
    const CSectionResultInfo& section = m_sections[static_cast<size_t>(row)];
    return SectionName(section.Section) + L", Errori: " + std::to_wstring(section.Count);
}

void CScanResultContainer::OpenRow(int row)
{
    const std::span<CScanResultInfo> problems = RowProblems(row);
    if (problems.empty() || !m_opener)
        return;
    // The per-section window belongs to the results window, not to this child.
    const HWND owner = m_hWnd ? ::GetAncestor(m_hWnd, GA_ROOT) : nullptr;
    m_opener(owner, problems, SectionName(m_sections[static_cast<size_t>(row)].Section));
}

int CScanResultContainer::GetHotRow() const
{
    for (const CSectionResultInfo& row : m_sections)
        if (row.Hot)
            return row.Row;
    return -1;
}

int CScanResultContainer::RowAt(int contentY) const
{
    if (contentY < 0)
        return -1;
    const int row = contentY / kRowHeight;
    return row < static_cast<int>(m_sections.size()) ? row : -1;
}

bool CScanResultContainer::IsOverDetailsIcon(POINT content, int& row) const
{
    row = RowAt(content.y);
    return row >= 0 && InArea(kDetailsIconArea, content, row * kRowHeight);
}

void CScanResultContainer::OnContentClick(POINT content)
{
    const int row = RowAt(content.y);
    if (row < 0)
        return;
    const int top = row * kRowHeight;
    if (InArea(kDetailsIconArea, content, top))
        OpenRow(row);
    else if (InArea(kCheckBoxArea, content, top))
        ToggleRow(row);
}

void CScanResultContainer::SetHotRow(int row)
{
    for (CSectionResultInfo& section : m_sections) {
        const bool hot = section.Row == row;
        if (section.Hot != hot) {
            section.Hot = hot;
            RedrawRow(section.Row);
        }
    }
}

void CScanResultContainer::OnMouseMove(POINT client)
{
    if (IsBusy())
        return;
    if (!m_trackingLeave) {
        TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE, m_hWnd, 0};
        m_trackingLeave = ::TrackMouseEvent(&track) != FALSE;
    }
    int row = -1;
    const bool over = IsOverDetailsIcon(POINT{client.x, client.y + GetScrollPosition()}, row);
    SetHotRow(over ? row : -1);
    ::SetCursor(::LoadCursorW(nullptr, over ? IDC_HAND : IDC_ARROW));
}

void CScanResultContainer::RedrawRow(int row) { RedrawContent(row * kRowHeight, kRowHeight); }

void CScanResultContainer::DrawRow(HDC dc, const CSectionResultInfo& row, int top)
{
    const RECT fill{0, top, kRowFillWidth, top + kRowHeight};
    UniqueGdiObject<HBRUSH> brush(::CreateSolidBrush(kBackground));
    ::FillRect(dc, &fill, brush.get());
    ::SetBkMode(dc, TRANSPARENT);
    {
        SelectObjectGuard font(dc, m_font.get());
        ::SetTextColor(dc, kListText);
        const std::wstring name = SectionName(row.Section);
        RECT nameArea{kNamePlace.x, top + kNamePlace.y, kDetailsIconArea.left, top + kRowHeight};
        ::DrawTextW(dc, name.c_str(), static_cast<int>(name.size()), &nameArea, DT_SINGLELINE | DT_NOPREFIX);
        ::SetTextColor(dc, kCountRed);
        const std::wstring count = std::to_wstring(row.Count);
        RECT countArea{kCountArea.left, top + kCountArea.top, kCountArea.right, top + kCountArea.bottom};
        ::DrawTextW(dc, count.c_str(), static_cast<int>(count.size()), &countArea,
                    DT_SINGLELINE | DT_RIGHT | DT_NOPREFIX | DT_NOCLIP);
    }
    UniqueGdiObject<HPEN> pen(::CreatePen(PS_SOLID, 1, kRowLine));
    {
        SelectObjectGuard selected(dc, pen.get());
        ::MoveToEx(dc, 0, top + kRowHeight - 1, nullptr);
        ::LineTo(dc, kRowLineWidth, top + kRowHeight - 1);
    }
    const CResultPictures& pictures = CResultPictures::Get();
    pictures.DrawCheckBox(dc, kCheckBoxArea.left, top + kCheckBoxArea.top, row.Selected);
    pictures.DrawDetailsIcon(dc, kDetailsIconArea.left, top + kDetailsIconArea.top);
    pictures.DrawSeverityBar(dc, kSeverityPlace.x, top + kSeverityPlace.y, row.SeverityBitmap());
}

void CScanResultContainer::DrawRows(HDC dc, int clientHeight)
{
    for (const CSectionResultInfo& row : m_sections) {
        const int top = row.Row * kRowHeight - GetScrollPosition();
        if (top >= -kRowHeight && top <= clientHeight + kRowHeight)
            DrawRow(dc, row, top);
    }
}

bool CScanResultContainer::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    switch (message) {
    case WM_MOUSEMOVE:
        OnMouseMove(ListPoint(lParam));
        return true;
    case WM_MOUSELEAVE:
        m_trackingLeave = false;
        SetHotRow(-1);
        return true;
    case WM_SETCURSOR:
        // Keeps the hand over a details icon; elsewhere the class cursor (the arrow).
        if (LOWORD(lParam) == HTCLIENT && GetHotRow() >= 0) {
            ::SetCursor(::LoadCursorW(nullptr, IDC_HAND));
            result = TRUE;
            return true;
        }
        return false;
    default:
        return CResultListBase::OnMessage(message, wParam, lParam, result);
    }
}
