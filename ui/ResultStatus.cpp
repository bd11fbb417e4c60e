#include "ui/ResultStatus.h"

#include "res/resource.h"
#include "ui/WindowLayout.h"

#include <array>
#include <cstdint>

namespace {

constexpr WindowSkin kSummarySkin{IDB_SUMMARY_BACKGROUND, 570, 518, 498};
constexpr COLORREF kSectionColor = RGB(19, 155, 175);
constexpr int kFoundX = 320;
constexpr int kRepairedX = 400;
constexpr int kIgnoredX = 480;
constexpr int kNumberWidth = 30;
constexpr int kRowHeight = 21;

int RowTop(int section) { return 122 + 24 * section; }

std::wstring Number(const std::atomic<std::int32_t>& counter) { return std::to_wstring(counter.load()); }

// The column headings the background paints over the numbers.
constexpr std::array<const wchar_t*, 3> kColumns{L"Errori", L"Eliminati", L"Ignorati"};

// Sums in 64 bits: twelve counters near the 32-bit limit must not wrap.
std::wstring Total(const SectionCounters& counters, std::atomic<std::int32_t> SectionCounter::*counter)
{
    std::int64_t total = 0;
    for (const SectionCounter& section : counters)
        total += (section.*counter).load();
    return std::to_wstring(total);
}

}  // namespace

CResultStatus::CResultStatus(const SectionCounters& counters) : CBitmapDialog(IDD_RESULT_STATUS), m_counters(counters)
{
}

BOOL CResultStatus::OnInitDialog()
{
    SetUpSkinnedPanel(*this, kSummarySkin, L"Velmora - Dati di riparazione");
    const ControlPlace titlePlace{40, 30, 250, 30};
    SetUpLabel(m_title, m_hWnd, IDC_STATUS_TITLE, kTitleLook, L"DATI DI RIPARAZIONE", &titlePlace);
    for (int section = 0; section < kSectionCount; ++section)
        SetUpRow(section);
    const LabelLook totalLook{kBrandBlue, 12, FW_BOLD};
    const int totalIds[] = {IDC_STATUS_TOTAL_FOUND, IDC_STATUS_TOTAL_REPAIRED, IDC_STATUS_TOTAL_IGNORED};
    const int totalXs[] = {kFoundX, kRepairedX, kIgnoredX};
    const std::wstring totals[] = {Total(m_counters, &SectionCounter::Found),
                                   Total(m_counters, &SectionCounter::Repaired),
                                   Total(m_counters, &SectionCounter::Ignored)};
    for (size_t i = 0; i < m_totals.size(); ++i) {
        const ControlPlace place{totalXs[i], 410, kNumberWidth, kRowHeight};
        SetUpLabel(m_totals[i], m_hWnd, totalIds[i], totalLook, totals[i], &place);
        m_totals[i].SetAccessibleCaption(std::wstring(L"Riepilogo errori, ") + kColumns[i]);
    }
    SetUpCaptionButton(m_close, m_hWnd, IDC_STATUS_CLOSE, IDB_BUTTON, L"Chiudi", {440, 450, 81, 21});
    return TRUE;
}

void CResultStatus::SetUpRow(int section)
{
    const auto index = static_cast<size_t>(section);
    const SectionCounter& counter = m_counters[index];
    const int top = RowTop(section);
    const LabelLook numberLook{kBlack, 10, FW_NORMAL};
    const ControlPlace namePlace{50, top, 160, kRowHeight};
    const ControlPlace foundPlace{kFoundX, top, kNumberWidth, kRowHeight};
    const ControlPlace repairedPlace{kRepairedX, top, kNumberWidth, kRowHeight};
    const ControlPlace ignoredPlace{kIgnoredX, top, kNumberWidth, kRowHeight};
    SetUpLabel(m_names[index], m_hWnd, IDC_STATUS_NAME_FIRST + section, {kSectionColor, 10, FW_NORMAL},
               SectionName(section), &namePlace);
    SetUpLabel(m_found[index], m_hWnd, IDC_STATUS_FOUND_FIRST + section, numberLook, Number(counter.Found),
               &foundPlace);
    SetUpLabel(m_repaired[index], m_hWnd, IDC_STATUS_REPAIRED_FIRST + section, numberLook, Number(counter.Repaired),
               &repairedPlace);
    SetUpLabel(m_ignored[index], m_hWnd, IDC_STATUS_IGNORED_FIRST + section, numberLook, Number(counter.Ignored),
               &ignoredPlace);
    // A number alone says nothing to someone who cannot see its row and column.
    CXColorStatic* numbers[] = {&m_found[index], &m_repaired[index], &m_ignored[index]};
    for (size_t column = 0; column < kColumns.size(); ++column)
        numbers[column]->SetAccessibleCaption(SectionName(section) + L", " + kColumns[column]);
}

bool CResultStatus::OnCommand(WORD id, WORD code, HWND)
{
    if (id != IDC_STATUS_CLOSE || code != BN_CLICKED)
        return false;
    EndDialog(IDOK);
    return true;
}
