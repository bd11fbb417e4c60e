// The two result lists: rows built from the problem list, counts and severity bars,
// clicks (check boxes, details icons, rows, below the last row), hover, scrolling by bar
// and wheel, painting, and the per-section window's "Salva" and "Annulla".

#include "res/resource.h"
#include "tests/ui/ResultTestSupport.h"
#include "ui/ResultListBase.h"
#include "ui/ScanResultContainer.h"
#include "ui/SectionResultDialog.h"
#include "ui/SectionResultsContainer.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

constexpr int kSectionRow = CScanResultContainer::kRowHeight;
constexpr int kProblemRow = CSectionResultsContainer::kRowHeight;
constexpr RECT kResultsListPlace{40, 182, 40 + 454, 182 + 176};
constexpr RECT kSectionListPlace{50, 140, 50 + 430, 140 + 252};

// The middle of a row's hit area, in client coordinates of an unscrolled list.
POINT CheckBoxPoint(int row) { return {11, row * kSectionRow + 16}; }
POINT DetailsIconPoint(int row) { return {207, row * kSectionRow + 17}; }

struct OpenedSection {
    HWND owner = nullptr;
    int firstListIndex = -1;
    size_t count = 0;
    std::wstring name;
};

// A results list in a host window, whose details icon records instead of opening.
class ResultsListTest : public testing::Test {
protected:
    void Open(const CErrorListEx& problems)
    {
        ASSERT_TRUE(list.CreateIn(host.Get(), IDC_RESULTS_LIST, kResultsListPlace));
        found = list.Fill(problems);
        list.SetSectionOpener([this](HWND owner, std::span<CScanResultInfo> problems, const std::wstring& name) {
            opened.push_back({owner, problems.empty() ? -1 : problems.front().ListIndex, problems.size(), name});
        });
    }
    HWND Window() const { return list.GetSafeHwnd(); }

    CHostWindow host;
    CScanResultContainer list;
    int found = 0;
    std::vector<OpenedSection> opened;
};

// --- arithmetic ------------------------------------------------------------------------

TEST(ResultListArithmetic, ScrollPositionsStayBetweenTopAndLastPage)
{
    EXPECT_EQ(ClampScrollPosition(-5, 1000, 200), 0);
    EXPECT_EQ(ClampScrollPosition(900, 1000, 200), 800);
    EXPECT_EQ(ClampScrollPosition(300, 1000, 200), 300);
    // Content that fits never scrolls.
    EXPECT_EQ(ClampScrollPosition(50, 150, 200), 0);
    EXPECT_EQ(ClampScrollPosition(50, 0, 200), 0);

    EXPECT_EQ(ScrollBarTarget(SB_LINEDOWN, 0, 0, 1000, 200), 60);
    EXPECT_EQ(ScrollBarTarget(SB_LINEUP, 100, 0, 1000, 200), 40);
    EXPECT_EQ(ScrollBarTarget(SB_LINEUP, 30, 0, 1000, 200), 0);
    EXPECT_EQ(ScrollBarTarget(SB_PAGEDOWN, 100, 0, 1000, 200), 300);
    EXPECT_EQ(ScrollBarTarget(SB_PAGEUP, 100, 0, 1000, 200), 0);
    EXPECT_EQ(ScrollBarTarget(SB_PAGEDOWN, 700, 0, 1000, 200), 800);
    EXPECT_EQ(ScrollBarTarget(SB_THUMBTRACK, 0, 437, 1000, 200), 437);
    EXPECT_EQ(ScrollBarTarget(SB_THUMBPOSITION, 0, 5000, 1000, 200), 800);
    EXPECT_EQ(ScrollBarTarget(SB_BOTTOM, 0, 0, 1000, 200), 800);
    EXPECT_EQ(ScrollBarTarget(SB_ENDSCROLL, 123, 0, 1000, 200), 123);
}

TEST(ResultListArithmetic, WheelMovesWholeLineStepsOrOnePage)
{
    // One notch with the usual three lines is one step of 60 pixels.
    EXPECT_EQ(WheelScrollDistance(120, 3, 176), -60);
    EXPECT_EQ(WheelScrollDistance(-120, 3, 176), 60);
    EXPECT_EQ(WheelScrollDistance(-360, 3, 176), 180);
    EXPECT_EQ(WheelScrollDistance(120, 6, 176), -120);
    // Fewer lines than three, or a turn finer than a notch, still moves one step.
    EXPECT_EQ(WheelScrollDistance(120, 1, 176), -60);
    EXPECT_EQ(WheelScrollDistance(40, 3, 176), -60);
    EXPECT_EQ(WheelScrollDistance(0, 3, 176), 60);
    EXPECT_EQ(WheelScrollDistance(-120, 0, 176), 60);
    EXPECT_EQ(WheelScrollDistance(120, WHEEL_PAGESCROLL, 176), -176);
    EXPECT_EQ(WheelScrollDistance(-240, WHEEL_PAGESCROLL, 252), 252);
}

TEST(ResultListArithmetic, SeverityBarsChangeAfterEveryThirtyProblems)
{
    EXPECT_EQ(SeverityBitmapFor(0), 0u);
    EXPECT_EQ(SeverityBitmapFor(-3), 0u);
    EXPECT_EQ(SeverityBitmapFor(1), static_cast<UINT>(IDB_SEVERITY_1));
    EXPECT_EQ(SeverityBitmapFor(30), static_cast<UINT>(IDB_SEVERITY_1));
    EXPECT_EQ(SeverityBitmapFor(31), static_cast<UINT>(IDB_SEVERITY_2));
    EXPECT_EQ(SeverityBitmapFor(60), static_cast<UINT>(IDB_SEVERITY_2));
    EXPECT_EQ(SeverityBitmapFor(61), static_cast<UINT>(IDB_SEVERITY_3));
    EXPECT_EQ(SeverityBitmapFor(90), static_cast<UINT>(IDB_SEVERITY_3));
    EXPECT_EQ(SeverityBitmapFor(91), static_cast<UINT>(IDB_SEVERITY_4));
    EXPECT_EQ(SeverityBitmapFor(120), static_cast<UINT>(IDB_SEVERITY_4));
    EXPECT_EQ(SeverityBitmapFor(121), static_cast<UINT>(IDB_SEVERITY_5));
    EXPECT_EQ(SeverityBitmapFor(250), static_cast<UINT>(IDB_SEVERITY_5));
    EXPECT_TRUE(CResultPictures::Get().IsLoaded());
}

TEST(ResultListArithmetic, DetailTextWrapsPathsAtTheirBackslashes)
{
    CError value = MakeProblem(2, 0);
    value.Reason = L"The value in HKLM\\Software\\X  contains an invalid path C:\\A\\b.wav";
    EXPECT_EQ(CScanResultInfo(value, 0, 0).DetailText(),
              L"The value in HKLM\\ Software\\ X  contains an invalid path C:\\ A\\ b.wav");
    CError key = value;
    key.ErrorType = EmptyKey;
    key.Reason = L"Empty key HKCU\\A";
    EXPECT_EQ(CScanResultInfo(key, 0, 0).DetailText(), L"Empty key HKCU\\ A");
    // A shortcut shows its own path, not the reason.
    CError shortcut;
    shortcut.ErrorType = MissingShortcut;
    shortcut.Subject = L"C:\\Links\\Gone.lnk";
    shortcut.Reason = L"unused";
    EXPECT_EQ(CScanResultInfo(shortcut, 0, 0).DetailText(), L"C:\\ Links\\ Gone.lnk");
}

// --- the results list ------------------------------------------------------------------

TEST_F(ResultsListTest, FillMakesOneRowPerSectionWithItsCountAndBar)
{
    Open(MakeProblems({{2, 30}, {4, 31}, {11, 1}}));
    EXPECT_EQ(found, 62);
    ASSERT_EQ(list.Sections().size(), 3u);
    const auto& rows = list.Sections();
    EXPECT_EQ(rows[0].Section, 2);
    EXPECT_EQ(rows[0].Count, 30);
    EXPECT_EQ(rows[0].FirstIndex, 0);
    EXPECT_EQ(rows[0].SeverityBitmap(), static_cast<UINT>(IDB_SEVERITY_1));
    EXPECT_EQ(rows[1].Section, 4);
    EXPECT_EQ(rows[1].Count, 31);
    EXPECT_EQ(rows[1].FirstIndex, 30);
    EXPECT_EQ(rows[1].SeverityBitmap(), static_cast<UINT>(IDB_SEVERITY_2));
    EXPECT_EQ(rows[2].Row, 2);
    EXPECT_EQ(rows[2].FirstIndex, 61);
    for (const CSectionResultInfo& row : rows) {
        EXPECT_TRUE(row.Selected);
        EXPECT_FALSE(row.Hot);
    }
    ASSERT_EQ(list.Results().size(), 62u);
    EXPECT_EQ(list.Results()[30].ListIndex, 30);
    EXPECT_EQ(list.Results()[30].RowInSection, 0);
    EXPECT_EQ(list.Results()[60].RowInSection, 30);
    EXPECT_EQ(list.Results()[60].Section, 4);
    EXPECT_TRUE(std::all_of(list.Results().begin(), list.Results().end(),
                            [](const CScanResultInfo& info) { return info.Selected; }));
    EXPECT_EQ(list.GetContentHeight(), 3 * kSectionRow);
    EXPECT_EQ(list.ChosenForRepair(), std::vector<bool>(62, true));
}

TEST_F(ResultsListTest, RowsNeverReachIntoAnotherSectionsProblems)
{
    // Problems of one section that are not together make a row each; neither row claims
    // problems of the section between them.
    Open(MakeProblems({{3, 2}, {5, 1}, {3, 1}}));
    ASSERT_EQ(list.Sections().size(), 3u);
    EXPECT_EQ(list.Sections()[0].Count, 2);
    EXPECT_EQ(list.Sections()[2].Section, 3);
    EXPECT_EQ(list.Sections()[2].Count, 1);
    EXPECT_EQ(list.Sections()[2].FirstIndex, 3);
    EXPECT_EQ(list.Results()[3].RowInSection, 0);
    list.ToggleRow(0);
    EXPECT_EQ(list.ChosenForRepair(), (std::vector<bool>{false, false, true, true}));
    EXPECT_TRUE(list.RowProblems(7).empty());
    EXPECT_TRUE(list.RowProblems(-1).empty());
}

TEST_F(ResultsListTest, RefillingStartsAfreshAtTheTop)
{
    Open(MakeProblems({{0, 1}, {1, 1}, {2, 1}, {3, 1}, {4, 1}, {5, 1}, {6, 1}, {7, 1}}));
    list.ScrollTo(100);
    list.ToggleRow(1);
    ASSERT_EQ(list.GetScrollPosition(), 100);
    EXPECT_EQ(list.Fill(MakeProblems({{9, 2}})), 2);
    EXPECT_EQ(list.GetScrollPosition(), 0);
    ASSERT_EQ(list.Sections().size(), 1u);
    EXPECT_TRUE(list.Sections()[0].Selected);
    EXPECT_EQ(list.ChosenForRepair(), (std::vector<bool>{true, true}));
    EXPECT_EQ(list.Fill(CErrorListEx()), 0);
    EXPECT_TRUE(list.Sections().empty());
    EXPECT_EQ(list.GetContentHeight(), 0);
}

TEST_F(ResultsListTest, CheckBoxClickChoosesOrDropsTheWholeSection)
{
    Open(MakeProblems({{2, 3}, {7, 4}, {11, 2}}));
    Click(Window(), CheckBoxPoint(1).x, CheckBoxPoint(1).y);
    EXPECT_FALSE(list.Sections()[1].Selected);
    EXPECT_EQ(list.ChosenForRepair(), (std::vector<bool>{true, true, true, false, false, false, false, true, true}));
    EXPECT_TRUE(opened.empty());

    // Problems chosen one by one meanwhile all follow the row again.
    list.RowProblems(1)[2].Selected = true;
    Click(Window(), CheckBoxPoint(1).x, CheckBoxPoint(1).y);
    EXPECT_TRUE(list.Sections()[1].Selected);
    EXPECT_EQ(list.ChosenForRepair(), std::vector<bool>(9, true));
    EXPECT_EQ(::GetFocus(), Window()) << "the list takes the focus, for the wheel";
}

TEST_F(ResultsListTest, DetailsIconOpensTheRowsProblems)
{
    Open(MakeProblems({{2, 3}, {7, 4}, {11, 2}}));
    Click(Window(), DetailsIconPoint(2).x, DetailsIconPoint(2).y);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0].firstListIndex, 7);
    EXPECT_EQ(opened[0].count, 2u);
    EXPECT_EQ(opened[0].name, L"Scorciatoie di programma");
    EXPECT_EQ(opened[0].owner, host.Get()) << "the window opens over the results window, not over the list";
    EXPECT_TRUE(list.Sections()[2].Selected);
}

TEST_F(ResultsListTest, ClicksBesideTheTargetsOrBelowTheLastRowDoNothing)
{
    Open(MakeProblems({{2, 3}, {7, 4}}));
    const std::vector<bool> before = list.ChosenForRepair();
    // Below the last row, the name, the count, the bar, and just outside both targets.
    const POINT misses[] = {{11, 2 * kSectionRow + 16}, {207, 2 * kSectionRow + 17}, {11, 4 * kSectionRow},
                            {100, 16},
                            {255, 16},
                            {350, 16},
                            {4, 16},
                            {18, 16},
                            {216, 17},
                            {207, 9},
                            {207, 26}};
    for (const POINT& miss : misses)
        Click(Window(), miss.x, miss.y);
    EXPECT_EQ(list.ChosenForRepair(), before);
    EXPECT_TRUE(list.Sections()[0].Selected);
    EXPECT_TRUE(list.Sections()[1].Selected);
    EXPECT_TRUE(opened.empty());
}

TEST_F(ResultsListTest, ClicksFollowTheScrollPosition)
{
    Open(MakeProblems({{0, 1}, {1, 1}, {2, 1}, {3, 1}, {4, 1}, {5, 1}, {6, 1}, {7, 1}}));
    ASSERT_GT(list.GetContentHeight(), list.GetPageHeight());
    list.ScrollTo(2 * kSectionRow);
    ASSERT_EQ(list.GetScrollPosition(), 2 * kSectionRow);
    // The first visible row is row 2 now.
    Click(Window(), CheckBoxPoint(0).x, CheckBoxPoint(0).y);
    EXPECT_FALSE(list.Sections()[2].Selected);
    EXPECT_TRUE(list.Sections()[0].Selected);
    Click(Window(), DetailsIconPoint(1).x, DetailsIconPoint(1).y);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0].name, L"Files di Aiuto");
}

TEST_F(ResultsListTest, DetailsIconTurnsHotUnderThePointer)
{
    Open(MakeProblems({{2, 3}, {7, 4}}));
    MoveMouse(Window(), DetailsIconPoint(1).x, DetailsIconPoint(1).y);
    EXPECT_EQ(list.GetHotRow(), 1);
    EXPECT_TRUE(list.Sections()[1].Hot);
    EXPECT_EQ(::GetCursor(), ::LoadCursorW(nullptr, IDC_HAND));
    MoveMouse(Window(), DetailsIconPoint(0).x, DetailsIconPoint(0).y);
    EXPECT_EQ(list.GetHotRow(), 0);
    EXPECT_FALSE(list.Sections()[1].Hot);
    MoveMouse(Window(), 100, 16);
    EXPECT_EQ(list.GetHotRow(), -1);
    EXPECT_EQ(::GetCursor(), ::LoadCursorW(nullptr, IDC_ARROW));
    MoveMouse(Window(), DetailsIconPoint(1).x, DetailsIconPoint(1).y);
    ::SendMessageW(Window(), WM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(list.GetHotRow(), -1);
}

TEST_F(ResultsListTest, TwoHundredFiftyProblemsMakeOneRowWithTheTopBar)
{
    Open(MakeProblems({{7, 250}}));
    ASSERT_EQ(list.Sections().size(), 1u);
    EXPECT_EQ(list.Sections()[0].Count, 250);
    EXPECT_EQ(list.Sections()[0].SeverityBitmap(), static_cast<UINT>(IDB_SEVERITY_5));
    // One row fits: nothing to scroll.
    TurnWheel(Window(), -120);
    ScrollBar(Window(), SB_PAGEDOWN);
    EXPECT_EQ(list.GetScrollPosition(), 0);
    Click(Window(), CheckBoxPoint(0).x, CheckBoxPoint(0).y);
    EXPECT_EQ(list.ChosenForRepair(), std::vector<bool>(250, false));
}

TEST_F(ResultsListTest, PaintsRowsWithTheirCountsAndPictures)
{
    Open(MakeProblems({{2, 3}, {7, 95}}));
    list.ToggleRow(0);
    const Capture shown = ReadClient(Window());
    ASSERT_FALSE(shown.pixels.empty());
    const COLORREF grey = CScanResultContainer::kBackground;
    EXPECT_EQ(shown.At(150, 3 * kSectionRow), grey) << "below the rows: the list's background";
    // The counts are drawn in dark red, right-aligned before x = 270.
    EXPECT_GT(shown.Count(RGB(152, 2, 9), RECT{240, 10, 271, 30}), 5);
    EXPECT_GT(shown.Count(RGB(152, 2, 9), RECT{240, kSectionRow + 10, 271, kSectionRow + 30}), 5);
    // The row line, and the name in its dark text colour.
    EXPECT_EQ(shown.At(100, kSectionRow - 1), RGB(225, 225, 225));
    EXPECT_GT(shown.Count(RGB(45, 54, 63), RECT{25, 10, 200, 30}), 20);
    // The dropped row shows the empty box (white inside), the ticked one the filled box.
    const COLORREF white = RGB(255, 255, 255);
    const RECT droppedBox{5, 10, 18, 23};
    const RECT tickedBox{5, kSectionRow + 10, 18, kSectionRow + 23};
    EXPECT_GT(shown.Count(white, droppedBox), shown.Count(white, tickedBox) + 30);
    // The section with 95 problems shows more of its bar lit than the one with 3.
    const RECT firstBar{290, 0, 435, 33};
    const RECT secondBar{290, kSectionRow, 435, kSectionRow + 33};
    const COLORREF unlit = shown.At(290 + 140, 17);
    EXPECT_LT(shown.Count(unlit, secondBar), shown.Count(unlit, firstBar));
}

// --- the per-section list --------------------------------------------------------------

class SectionListTest : public testing::Test {
protected:
    void Open(int count)
    {
        infos.clear();
        for (int i = 0; i < count; ++i)
            infos.emplace_back(MakeProblem(7, i), i, i);
        ASSERT_TRUE(list.CreateIn(host.Get(), IDC_SECTION_RESULT_LIST, kSectionListPlace));
        list.Fill(infos);
    }
    HWND Window() const { return list.GetSafeHwnd(); }
    std::vector<bool> Chosen() const
    {
        std::vector<bool> chosen;
        for (const CScanResultInfo& info : infos)
            chosen.push_back(info.Selected);
        return chosen;
    }

    CHostWindow host;
    CSectionResultsContainer list;
    std::vector<CScanResultInfo> infos;
};

TEST_F(SectionListTest, ClickAnywhereInARowFlipsItsProblemAndHighlightsIt)
{
    Open(4);
    EXPECT_EQ(list.GetClickedRow(), -1);
    Click(Window(), 300, 2 * kProblemRow + 45);
    EXPECT_EQ(Chosen(), (std::vector<bool>{true, true, false, true}));
    EXPECT_EQ(list.GetClickedRow(), 2);
    Click(Window(), 8, 0);
    EXPECT_EQ(Chosen(), (std::vector<bool>{false, true, false, true}));
    EXPECT_EQ(list.GetClickedRow(), 0);
    Click(Window(), 8, 1);
    EXPECT_EQ(Chosen(), (std::vector<bool>{true, true, false, true}));
    // Below the last row: nothing.
    Click(Window(), 100, 4 * kProblemRow + 5);
    EXPECT_EQ(Chosen(), (std::vector<bool>{true, true, false, true}));
    EXPECT_EQ(list.GetClickedRow(), 0);
    EXPECT_EQ(::GetFocus(), Window());
}

TEST_F(SectionListTest, RowsAlternateAndTheClickedOneStandsOut)
{
    Open(3);
    Click(Window(), 200, kProblemRow + 30);
    const Capture shown = ReadClient(Window());
    ASSERT_FALSE(shown.pixels.empty());
    EXPECT_EQ(shown.At(420, 3), CSectionResultsContainer::kEvenRow);
    EXPECT_EQ(shown.At(420, kProblemRow + 3), CSectionResultsContainer::kClickedRow);
    EXPECT_EQ(shown.At(420, 2 * kProblemRow + 3), CSectionResultsContainer::kEvenRow);
    EXPECT_EQ(shown.At(100, kProblemRow - 1), RGB(128, 128, 128));
    EXPECT_EQ(shown.At(100, 3 * kProblemRow + 20), CSectionResultsContainer::kEvenRow) << "below the rows";
    // Summary and detail are drawn in the dark text colour.
    EXPECT_GT(shown.Count(RGB(45, 54, 63), RECT{25, 5, 410, 19}), 20);
    EXPECT_GT(shown.Count(RGB(45, 54, 63), RECT{25, 20, 410, 55}), 20);
    Click(Window(), 200, 2 * kProblemRow + 30);
    const Capture after = ReadClient(Window());
    EXPECT_EQ(after.At(420, kProblemRow + 3), CSectionResultsContainer::kOddRow) << "the old highlight is gone";
    EXPECT_EQ(after.At(420, 2 * kProblemRow + 3), CSectionResultsContainer::kClickedRow);
}

TEST_F(SectionListTest, LongPathsWrapInsideTheirBoxAndStayOutOfTheNextRow)
{
    Open(2);
    infos[0].Problem.Reason = L"The value in HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\CLSID\\{00000000-1111-2222-3333-"
                              L"444444444444}\\InprocServer32\\Very\\Deep\\Key\\With\\Many\\Levels\\Below\\It  contains "
                              L"an invalid path C:\\Program Files\\Some Vendor\\Some Product\\Subfolder\\library.dll";
    ::InvalidateRect(Window(), nullptr, FALSE);
    const Capture shown = ReadClient(Window());
    ASSERT_FALSE(shown.pixels.empty());
    const COLORREF ink = RGB(45, 54, 63);
    // Two lines of text inside the box, nothing to the right of it.
    EXPECT_GT(shown.Count(ink, RECT{25, 20, 410, 36}), 20);
    EXPECT_GT(shown.Count(ink, RECT{25, 37, 410, 55}), 20);
    EXPECT_EQ(shown.Count(ink, RECT{411, 20, shown.width, 55}), 0);
    // The next row's background under its own texts is untouched by the long one.
    EXPECT_EQ(shown.Count(ink, RECT{0, kProblemRow, 25, 2 * kProblemRow}), 0);
}

TEST_F(SectionListTest, TwoHundredFiftyRowsScrollByBarAndWheel)
{
    Open(250);
    const int page = list.GetPageHeight();
    ASSERT_EQ(page, 252);
    EXPECT_EQ(list.GetContentHeight(), 250 * kProblemRow);
    const int last = 250 * kProblemRow - page;

    TurnWheel(Window(), -120);
    EXPECT_EQ(list.GetScrollPosition(), 60);
    TurnWheel(Window(), -240);
    EXPECT_EQ(list.GetScrollPosition(), 180);
    TurnWheel(Window(), 120);
    EXPECT_EQ(list.GetScrollPosition(), 120);
    ScrollBar(Window(), SB_PAGEDOWN);
    EXPECT_EQ(list.GetScrollPosition(), 120 + page);
    ScrollBar(Window(), SB_LINEUP);
    EXPECT_EQ(list.GetScrollPosition(), 60 + page);
    ScrollBar(Window(), SB_BOTTOM);
    EXPECT_EQ(list.GetScrollPosition(), last);
    TurnWheel(Window(), -1200);
    EXPECT_EQ(list.GetScrollPosition(), last) << "never past the last page";
    EXPECT_EQ(::GetScrollPos(Window(), SB_VERT), last);

    // The last row can be clicked where it shows.
    Click(Window(), 100, page - 10);
    EXPECT_FALSE(infos[249].Selected);
    EXPECT_EQ(list.GetClickedRow(), 249);

    ScrollBar(Window(), SB_TOP);
    TurnWheel(Window(), 120);
    EXPECT_EQ(list.GetScrollPosition(), 0) << "never above the top";
    Click(Window(), 100, 10);
    EXPECT_FALSE(infos[0].Selected);
}

TEST_F(SectionListTest, WheelOverTheWindowScrollsItsList)
{
    for (int i = 0; i < 20; ++i)
        infos.emplace_back(MakeProblem(4, i), i, i);
    CSectionResultDialog details(infos, L"Avvio di Windows");
    ASSERT_TRUE(details.Create());
    TurnWheel(details.GetSafeHwnd(), -240);
    EXPECT_EQ(details.List().GetScrollPosition(), 120);
    details.EndDialog(IDCANCEL);
}

// --- the per-section window ------------------------------------------------------------

std::vector<CScanResultInfo> FiveProblems()
{
    std::vector<CScanResultInfo> infos;
    for (int i = 0; i < 5; ++i)
        infos.emplace_back(MakeProblem(9, i), 10 + i, i);
    return infos;
}

class SectionWindowTest : public testing::Test {
protected:
    void Open()
    {
        ASSERT_TRUE(window.Create());
        list = window.List().GetSafeHwnd();
        ASSERT_NE(list, nullptr);
    }
    void UntickTwo()
    {
        Click(list, 100, 1 * kProblemRow + 10);
        Click(list, 100, 3 * kProblemRow + 10);
    }
    std::vector<bool> Chosen() const
    {
        std::vector<bool> chosen;
        for (const CScanResultInfo& info : infos)
            chosen.push_back(info.Selected);
        return chosen;
    }
    void Command(int id) { ::SendMessageW(window.GetSafeHwnd(), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }

    std::vector<CScanResultInfo> infos = FiveProblems();
    CSectionResultDialog window{infos, L"Files di disinstallazione"};
    HWND list = nullptr;
    const std::vector<bool> twoUnticked{true, false, true, false, true};
};

TEST_F(SectionWindowTest, ShowsTheSectionAndItsCount)
{
    Open();
    const HWND dialog = window.GetSafeHwnd();
    EXPECT_EQ(ControlText(dialog, IDC_SECTION_RESULT_TITLE), L"Files di disinstallazione");
    EXPECT_EQ(ControlText(dialog, IDC_SECTION_RESULT_COUNT), L"5 Problemi sono stati rilevati in questa sezione.");
    EXPECT_EQ(ControlText(dialog, IDC_SECTION_RESULT_HINT),
              L"Seleziona / Deseleziona manualmente gli errori per una riparazione personalizzata del Registro.");
    EXPECT_EQ(window.List().GetContentHeight(), 5 * kProblemRow);
    EXPECT_EQ(window.List().Problems().data(), infos.data()) << "the window shows the results list's own infos";
    RECT place{};
    ::GetWindowRect(dialog, &place);
    EXPECT_EQ(place.right - place.left, 526);
    EXPECT_EQ(place.bottom - place.top, 481);
    Command(IDC_SECTION_RESULT_SAVE);
}

TEST_F(SectionWindowTest, AnnullaPutsBackTheChoicesItOpenedWith)
{
    infos[4].Selected = false;
    Open();
    UntickTwo();
    Click(list, 100, 4 * kProblemRow + 10);
    EXPECT_EQ(Chosen(), (std::vector<bool>{true, false, true, false, true}));
    Command(IDC_SECTION_RESULT_CANCEL);
    EXPECT_EQ(window.GetSafeHwnd(), nullptr) << "the window closed";
    EXPECT_EQ(Chosen(), (std::vector<bool>{true, true, true, true, false}));
}

TEST_F(SectionWindowTest, SalvaKeepsTheChangedChoices)
{
    Open();
    UntickTwo();
    Command(IDC_SECTION_RESULT_SAVE);
    EXPECT_EQ(window.GetSafeHwnd(), nullptr);
    EXPECT_EQ(Chosen(), twoUnticked);
}

TEST_F(SectionWindowTest, EscapeActsAsAnnullaAndEnterAsSalva)
{
    Open();
    UntickTwo();
    Command(IDCANCEL);
    EXPECT_EQ(window.GetSafeHwnd(), nullptr);
    EXPECT_EQ(Chosen(), std::vector<bool>(5, true));

    Open();
    UntickTwo();
    Command(IDOK);
    EXPECT_EQ(window.GetSafeHwnd(), nullptr);
    EXPECT_EQ(Chosen(), twoUnticked);

    // Closing the window any other way is an "Annulla" too.
    Open();
    Click(list, 100, 10);
    ::SendMessageW(window.GetSafeHwnd(), WM_CLOSE, 0, 0);
    PumpMessages();
    EXPECT_EQ(window.GetSafeHwnd(), nullptr);
    EXPECT_EQ(Chosen(), twoUnticked);
}

}  // namespace
