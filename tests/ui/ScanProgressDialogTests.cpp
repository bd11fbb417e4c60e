// The scan progress window, driven by the worker's messages as the main window passes
// them on, with a scan service that only records what the window asks of it.

#include "engine/FileSystem.h"
#include "engine/ScanMessages.h"
#include "framework/Handles.h"
#include "res/resource.h"
#include "tests/ui/UiTestSupport.h"
#include "ui/MessageForwarder.h"
#include "ui/ScanProgressDialog.h"
#include "ui/SectionControls.h"
#include "ui/WindowLayout.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

constexpr wchar_t kFinished[] = L"La scansione è stata completata con successo.";
constexpr wchar_t kStoppedByButton[] = L"La scansione è stata interrotta dall’utente.";
constexpr wchar_t kStoppedByClosing[] = L"Il processo di scansione è stato interrotto dall’utente.";

IScanService::Selection AllSections()
{
    IScanService::Selection sections{};
    sections.fill(1);
    return sections;
}

// The animation file the window loads from the program's folder: put there for the
// test when the build did not, and taken away again.
class AnimationFileBesideProgram {
public:
    AnimationFileBesideProgram() : m_path(GetModuleFolder() + L"\\Loading.gif")
    {
        if (::GetFileAttributesW(m_path.c_str()) != INVALID_FILE_ATTRIBUTES)
            return;
        // The source tree is reached through Wine's drive Z:, the Linux root.
        const std::string source = std::string(VELMORA_TEST_DATA) + "/../../res/Loading.gif";
        std::wstring sourcePath = L"Z:" + std::wstring(source.begin(), source.end());
        for (auto& c : sourcePath)
            c = c == L'/' ? L'\\' : c;
        m_copied = ::CopyFileW(sourcePath.c_str(), m_path.c_str(), TRUE) != 0;
    }
    ~AnimationFileBesideProgram()
    {
        if (m_copied)
            ::DeleteFileW(m_path.c_str());
    }

private:
    std::wstring m_path;
    bool m_copied = false;
};

class ScanProgressWindow : public ::testing::Test {
protected:
    void Open(const IScanService::Selection& sections = AllSections())
    {
        scans.hasWorker = false;
        dialog.Prepare(sections);
        ASSERT_TRUE(dialog.Create());
        window = dialog.GetSafeHwnd();
        PumpMessages();
    }

    void Post(UINT message, WPARAM wParam = 0, LPARAM lParam = 0)
    {
        ::PostMessageW(window, message, wParam, lParam);
        PumpMessages();
    }

    void PostItem(const std::wstring& text)
    {
        ASSERT_TRUE(PostText(window, WM_SCAN_ITEM, text));
        PumpMessages();
    }

    [[nodiscard]] int BarPosition() const
    {
        return static_cast<int>(::SendMessageW(::GetDlgItem(window, IDC_PROGRESS_BAR), PBM_GETPOS, 0, 0));
    }

    [[nodiscard]] std::wstring CountText(int section) const
    {
        return ControlText(window, kSectionControls[static_cast<size_t>(section)].count);
    }

    void ClickStop() { ::SendMessageW(::GetDlgItem(window, IDC_PROGRESS_STOP), BM_CLICK, 0, 0); }

    FakeScanService scans;
    PromptRecorder prompts;
    CScanProgressDialog dialog{scans};
    HWND window = nullptr;
};

TEST_F(ScanProgressWindow, StartsTheScanOfTheChosenSectionsAndShowsEveryRow)
{
    IScanService::Selection chosen{};
    chosen[2] = 1;
    chosen[11] = 1;
    Open(chosen);
    ASSERT_EQ(scans.started.size(), 1u);
    EXPECT_EQ(scans.started[0], chosen);
    EXPECT_TRUE(dialog.IsShown());
    for (int section = 0; section < kSectionCount; ++section) {
        EXPECT_EQ(ControlText(window, kSectionControls[static_cast<size_t>(section)].name), SectionName(section));
        EXPECT_EQ(CountText(section), L"(0)");
    }
    EXPECT_EQ(ControlText(window, IDC_PROGRESS_TITLE), L"Scansione del Registro");
    EXPECT_EQ(ControlText(window, IDC_PROGRESS_STOP), L"Stop scansione");
    EXPECT_EQ(ControlText(window, IDC_PROGRESS_ITEM), L"");
    EXPECT_EQ(BarPosition(), 0);
    RECT client{};
    ::GetClientRect(window, &client);
    EXPECT_EQ(client.right, kPanelSkin.width);
    EXPECT_EQ(client.bottom, kPanelSkin.height);
    EXPECT_TRUE(prompts.prompts.empty());
}

TEST_F(ScanProgressWindow, BarFollowsTheSectionNumberNotTheNumberOfSectionsDone)
{
    Open();
    const std::vector<int> expected{8, 16, 25, 33, 41, 50, 58, 66, 75, 83, 91, 100};
    for (int section = 0; section < kSectionCount; ++section) {
        Post(WM_SCAN_SECTION_STARTED, section, section);
        Post(WM_SCAN_SECTION_DONE, section, section);
        EXPECT_EQ(BarPosition(), expected[static_cast<size_t>(section)]) << "after section " << section;
        EXPECT_EQ(SectionProgressPosition(section), expected[static_cast<size_t>(section)]);
    }

    CScanProgressDialog onlyLast{scans};
    IScanService::Selection lastOnly{};
    lastOnly[11] = 1;
    onlyLast.Prepare(lastOnly);
    ASSERT_TRUE(onlyLast.Create());
    ::PostMessageW(onlyLast.GetSafeHwnd(), WM_SCAN_SECTION_STARTED, 11, 0);
    ::PostMessageW(onlyLast.GetSafeHwnd(), WM_SCAN_SECTION_DONE, 11, 0);
    PumpMessages();
    EXPECT_EQ(::SendMessageW(::GetDlgItem(onlyLast.GetSafeHwnd(), IDC_PROGRESS_BAR), PBM_GETPOS, 0, 0), 100);
}

TEST_F(ScanProgressWindow, ShowsEachSectionsLatestProblemCount)
{
    Open();
    Post(WM_SCAN_SECTION_STARTED, 2, 0);
    for (const LPARAM foundSoFar : {1, 3})
        Post(WM_SCAN_PROBLEM_FOUND, 2, foundSoFar);
    EXPECT_EQ(CountText(2), L"(3)");
    Post(WM_SCAN_SECTION_DONE, 2, 0);
    Post(WM_SCAN_SECTION_STARTED, 7, 1);
    Post(WM_SCAN_PROBLEM_FOUND, 7, 1);
    EXPECT_EQ(CountText(7), L"(1)");
    EXPECT_EQ(CountText(2), L"(3)");
    EXPECT_EQ(dialog.GetSectionProblemCount(), 1);

    // Section numbers outside 0..11 come from nowhere the window knows: they change nothing.
    for (const WPARAM bad : {WPARAM{12}, WPARAM{0x7FFFFFFF}, ~WPARAM{0}}) {
        Post(WM_SCAN_SECTION_STARTED, bad, 0);
        Post(WM_SCAN_PROBLEM_FOUND, bad, 5);
        Post(WM_SCAN_SECTION_DONE, bad, 0);
    }
    Post(WM_SCAN_PROBLEM_FOUND, 7, -1);
    EXPECT_EQ(dialog.GetSectionProblemCount(), 1);
    EXPECT_EQ(BarPosition(), 25);  // section 2's position, set above
    EXPECT_TRUE(dialog.IsShown());
}

TEST_F(ScanProgressWindow, ShowsItemsOfUpToSeventyCharactersWholeAndCutsLongerOnes)
{
    Open();
    const std::wstring seventy(70, L'a');
    PostItem(seventy);
    EXPECT_EQ(ControlText(window, IDC_PROGRESS_ITEM), seventy);
    const std::wstring seventyOne = std::wstring(70, L'b') + L"c";
    PostItem(seventyOne);
    EXPECT_EQ(ControlText(window, IDC_PROGRESS_ITEM), std::wstring(70, L'b') + L"..");
    PostItem(L"");
    EXPECT_EQ(ControlText(window, IDC_PROGRESS_ITEM), L"");
    EXPECT_EQ(ShortenItemText(std::wstring(500, L'x')).size(), 72u);
}

TEST_F(ScanProgressWindow, MarksTheRowBeingScannedWithTheAnimation)
{
    AnimationFileBesideProgram file;
    Open();
    const HWND animation = ::GetDlgItem(window, IDC_PROGRESS_ANIMATION);
    ASSERT_TRUE(::IsWindowVisible(animation)) << "Loading.gif did not load";
    for (const int section : {0, 5, 6, 11}) {
        Post(WM_SCAN_SECTION_STARTED, section, 0);
        RECT place{};
        ::GetWindowRect(animation, &place);
        ::MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&place), 2);
        const POINT expected = AnimationPlace(section);
        EXPECT_EQ(place.left, expected.x) << "section " << section;
        EXPECT_EQ(place.top, expected.y) << "section " << section;
        EXPECT_EQ(place.right - place.left, 21);
        EXPECT_EQ(place.bottom - place.top, 21);
        EXPECT_TRUE(::IsWindowVisible(animation));
        Post(WM_SCAN_SECTION_DONE, section, 0);
        EXPECT_FALSE(::IsWindowVisible(animation));
    }
    EXPECT_EQ(AnimationPlace(5).x, 25);
    EXPECT_EQ(AnimationPlace(5).y, 325);
    EXPECT_EQ(AnimationPlace(6).x, 275);
    EXPECT_EQ(AnimationPlace(6).y, 225);
}

TEST_F(ScanProgressWindow, FinishFillsTheBarTellsTheUserAndCloses)
{
    // The worker may still count as running for a moment after its last message; a
    // completed scan must never be reported as interrupted because of that.
    scans.scanningAfterStart = true;
    Open();
    int barWhenTold = -1;
    prompts.whileOpen = [&](const RecordedPrompt&) { barWhenTold = BarPosition(); };
    Post(WM_SCAN_FINISHED);
    ASSERT_EQ(prompts.prompts.size(), 1u);
    EXPECT_EQ(prompts.prompts[0].text, kFinished);
    EXPECT_EQ(prompts.prompts[0].title, L"Velmora");
    EXPECT_EQ(barWhenTold, 100);
    EXPECT_FALSE(dialog.IsShown());
    EXPECT_EQ(scans.stops, 0);
}

TEST_F(ScanProgressWindow, StopButtonStopsTellsOnceAndIgnoresWhatTheWorkerPostedBefore)
{
    scans.scanningAfterStart = true;
    Open();
    ASSERT_TRUE(scans.hasWorker);
    // Posted before the stop reached the worker; a real message box would dispatch them.
    ASSERT_TRUE(PostText(window, WM_SCAN_ITEM, L"late item"));
    ::PostMessageW(window, WM_SCAN_FINISHED, 0, 0);
    prompts.whileOpen = [](const RecordedPrompt&) { PumpMessages(); };
    CTextReleaseCounter released;
    ClickStop();
    PumpMessages();
    EXPECT_EQ(prompts.Texts(), std::vector<std::wstring>{kStoppedByButton});
    EXPECT_EQ(scans.stops, 1);
    EXPECT_FALSE(dialog.IsShown());
    EXPECT_EQ(released.Count(), 1) << "the late item's text must be freed";
}

TEST_F(ScanProgressWindow, StopButtonAfterTheWorkerEndedStillTellsTheUser)
{
    Open();
    scans.hasWorker = false;
    ClickStop();
    EXPECT_EQ(prompts.Texts(), std::vector<std::wstring>{kStoppedByButton});
    EXPECT_EQ(scans.stops, 0);
    EXPECT_FALSE(dialog.IsShown());
}

TEST_F(ScanProgressWindow, EscapeAndEnterStopARunningScanWithTheirOwnMessage)
{
    for (const WPARAM command : {WPARAM{IDCANCEL}, WPARAM{IDOK}}) {
        PromptRecorder local;
        scans.scanningAfterStart = true;
        scans.stops = 0;
        Open();
        ::SendMessageW(window, WM_COMMAND, command, 0);
        EXPECT_EQ(local.Texts(), std::vector<std::wstring>{kStoppedByClosing});
        EXPECT_EQ(scans.stops, 1);
        EXPECT_FALSE(dialog.IsShown());
    }

    PromptRecorder quiet;
    scans.scanningAfterStart = false;
    scans.stops = 0;
    Open();
    ::SendMessageW(window, WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(quiet.prompts.empty()) << "a scan that has ended is not interrupted";
    EXPECT_EQ(scans.stops, 0);
    EXPECT_FALSE(dialog.IsShown());
}

TEST_F(ScanProgressWindow, TextsStillQueuedWhenTheWindowClosesAreFreed)
{
    scans.scanningAfterStart = true;
    Open();
    CTextReleaseCounter released;
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(PostText(window, WM_SCAN_ITEM, L"item " + std::to_wstring(i)));
    ::SendMessageW(window, WM_COMMAND, IDCANCEL, 0);
    EXPECT_EQ(released.Count(), 3);
    PumpMessages();
    EXPECT_EQ(released.Count(), 3) << "nothing may be freed twice";
}

TEST_F(ScanProgressWindow, WorkerThatCannotStartClosesTheWindowWithAMessage)
{
    scans.startSucceeds = false;
    dialog.Prepare(AllSections());
    // The window ends during its own set-up, so there is no window to hand back.
    static_cast<void>(dialog.Create());
    PumpMessages();
    EXPECT_EQ(prompts.Texts(), std::vector<std::wstring>{L"Impossibile avviare la scansione."});
    EXPECT_FALSE(dialog.IsShown());
}

}  // namespace
