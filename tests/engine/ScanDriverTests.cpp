// The scan worker: section order and ordinals, the posted messages, the repaired-items
// filter, counters and cancellation.

#include "ScanHarness.h"

#include "engine/EngineMessages.h"
#include "framework/Pacing.h"

#include <algorithm>

#include <gtest/gtest.h>

namespace {

const std::wstring kRun = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const std::wstring kHelp = L"Software\\Microsoft\\Windows\\Help";

ReceivedMessage Msg(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) { return {message, wParam, lParam, {}}; }

class ScanDriver : public testing::Test {
protected:
    void SetUp() override { SetPacingEnabled(false); }
};

}  // namespace

TEST_F(ScanDriver, NothingSelectedPostsOnlyFinished)
{
    ScanRun run;
    RunScan(Sections({}), run);
    EXPECT_EQ(run.messages, std::vector<ReceivedMessage>{Msg(WM_SCAN_FINISHED)});
    EXPECT_EQ(run.problems.GetSize(), 0);
}

TEST_F(ScanDriver, SelectedSectionsCountOrdinalsInNumberOrder)
{
    RegistrySandbox sandbox;
    sandbox.SetString(HKEY_LOCAL_MACHINE, kHelp, L"VelmoraT_help.chm", L"C:\\Nowhere\\VelmoraT\\help.chm");
    ScanRun run;
    RunScan(Sections({10, 3}), run);

    // Without an interval every problem posts its section's count so far.
    std::vector<ReceivedMessage> expected = {Msg(WM_SCAN_SECTION_STARTED, 3, 0)};
    for (LPARAM n = 1; n <= run.problems.FilterBySection(3).GetSize(); ++n)
        expected.push_back(Msg(WM_SCAN_PROBLEM_FOUND, 3, n));
    expected.push_back(Msg(WM_SCAN_SECTION_DONE, 3, 0));
    expected.push_back(Msg(WM_SCAN_SECTION_STARTED, 10, 1));
    for (LPARAM n = 1; n <= run.problems.FilterBySection(10).GetSize(); ++n)
        expected.push_back(Msg(WM_SCAN_PROBLEM_FOUND, 10, n));
    expected.push_back(Msg(WM_SCAN_SECTION_DONE, 10, 1));
    expected.push_back(Msg(WM_SCAN_FINISHED));
    EXPECT_EQ(run.WithoutItems(), expected);

    // Problems come in section order, and each section's counter matches its problems.
    ASSERT_GE(run.problems.GetSize(), 1);
    EXPECT_EQ(run.problems[0].Section, 3);
    for (int s = 0; s < kSectionCount; ++s)
        EXPECT_EQ(run.counters[static_cast<std::size_t>(s)].Found.load(), run.problems.FilterBySection(s).GetSize());

    const std::vector<std::wstring> items = run.ItemTexts();
    EXPECT_NE(std::find(items.begin(), items.end(),
                        L"HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\Help\\VelmoraT_help.chm"),
              items.end());
}

TEST_F(ScanDriver, StartupSectionAnnouncesBothRoots)
{
    RegistrySandbox sandbox;
    sandbox.SetString(HKEY_LOCAL_MACHINE, kRun, L"VelmoraT_machine", L"C:\\Nowhere\\VelmoraT\\machine.exe");
    sandbox.SetString(HKEY_CURRENT_USER, kRun, L"VelmoraT_user", L"C:\\Nowhere\\VelmoraT\\user.exe");
    ScanRun run;
    RunScan(Sections({4}), run);

    const std::vector<ReceivedMessage> expected = {
        Msg(WM_SCAN_SECTION_STARTED, 4, 0), Msg(WM_SCAN_PROBLEM_FOUND, 4, 1), Msg(WM_SCAN_SECTION_STARTED, 4, 0),
        Msg(WM_SCAN_PROBLEM_FOUND, 4, 2),   Msg(WM_SCAN_SECTION_DONE, 4, 0),  Msg(WM_SCAN_FINISHED)};
    EXPECT_EQ(run.WithoutItems(), expected);
    ASSERT_EQ(run.problems.GetSize(), 2);
    EXPECT_EQ(run.problems[0].Item.Hive, L"HKEY_LOCAL_MACHINE");
    EXPECT_EQ(run.problems[1].Item.Hive, L"HKEY_CURRENT_USER");
    EXPECT_EQ(run.problems[1].Item.Root, kRootCurrentUser);
    EXPECT_EQ(run.counters[4].Found.load(), 2);

    // Items are announced before they are examined, each with its root name.
    const std::vector<ReceivedMessage>& all = run.messages;
    ASSERT_EQ(all.size(), 8u);
    EXPECT_EQ(all[1], (ReceivedMessage{WM_SCAN_ITEM, 0, 0, L"HKEY_LOCAL_MACHINE\\" + kRun + L"\\VelmoraT_machine"}));
    EXPECT_EQ(all[4], (ReceivedMessage{WM_SCAN_ITEM, 0, 0, L"HKEY_CURRENT_USER\\" + kRun + L"\\VelmoraT_user"}));
}

TEST_F(ScanDriver, RepairedItemsAreNeitherAddedCountedNorAnnounced)
{
    RegistrySandbox sandbox;
    sandbox.SetString(HKEY_LOCAL_MACHINE, kRun, L"VelmoraT_fixed", L"C:\\Nowhere\\VelmoraT\\fixed.exe");
    sandbox.SetString(HKEY_LOCAL_MACHINE, kRun, L"VelmoraT_other", L"C:\\Nowhere\\VelmoraT\\other.exe");
    CRegistryItemListEx repaired;
    CRegistryItem fixed;
    fixed.Root = kRootLocalMachine;
    fixed.Hive = L"anything";
    fixed.Type = 4;
    fixed.SubKey = kRun;
    fixed.ValueName = L"VelmoraT_fixed";
    repaired.Add(fixed);
    CRegistryItem otherCase = fixed;  // the key path differs in case only: no match
    otherCase.SubKey = L"software\\Microsoft\\Windows\\CurrentVersion\\Run";
    otherCase.ValueName = L"VelmoraT_other";
    repaired.Add(otherCase);

    ScanRun run;
    RunScan(Sections({4}), run, &repaired);
    ASSERT_EQ(run.problems.GetSize(), 1);
    EXPECT_EQ(run.problems[0].Item.ValueName, L"VelmoraT_other");
    EXPECT_EQ(run.counters[4].Found.load(), 1);
    const auto found = std::count_if(run.messages.begin(), run.messages.end(),
                                     [](const ReceivedMessage& m) { return m.message == WM_SCAN_PROBLEM_FOUND; });
    EXPECT_EQ(found, 1);
}

TEST_F(ScanDriver, CancelDuringFirstSectionPostsNothingMore)
{
    // So many classes that section 0 is still running when the stop arrives.
    RegistrySandbox sandbox;
    for (int i = 0; i < 3000; ++i)
        sandbox.SetString(HKEY_CLASSES_ROOT, L"CLSID\\{VelmoraT-Cancel-" + std::to_wstring(i) + L"}", L"AppID",
                          L"{VelmoraT-Missing-AppID}");

    CErrorListEx problems;
    SectionCounters counters;
    CMessageSink sink(&CarriesText);
    CRegistryScanThread thread(Sections({0, 1, 2}), ScanTarget{&problems, &counters, nullptr, sink.Target()});
    ASSERT_TRUE(thread.Start());
    EXPECT_TRUE(thread.IsRunning());
    EXPECT_TRUE(sink.WaitFor(WM_SCAN_ITEM, 60000));
    thread.RequestStop();
    thread.WaitForEnd();
    sink.Drain();

    EXPECT_FALSE(thread.IsRunning());
    DWORD exitCode = 0;
    ::GetExitCodeThread(thread.GetThreadHandle(), &exitCode);
    EXPECT_EQ(exitCode, 1u);
    ASSERT_FALSE(sink.messages.empty());
    EXPECT_EQ(sink.messages.front(), Msg(WM_SCAN_SECTION_STARTED, 0, 0));
    for (const ReceivedMessage& m : sink.messages) {
        EXPECT_NE(m.message, WM_SCAN_SECTION_DONE);
        EXPECT_NE(m.message, WM_SCAN_FINISHED);
        EXPECT_FALSE(m.message == WM_SCAN_SECTION_STARTED && m.wParam != 0);
    }
    EXPECT_LT(problems.GetSize(), 3000);
    EXPECT_EQ(counters[0].Found.load(), problems.GetSize());
}

TEST_F(ScanDriver, StopDuringAPacedSectionEndsTheScanBeforeTheNextSection)
{
    RegistrySandbox sandbox;
    sandbox.SetString(HKEY_LOCAL_MACHINE, kHelp, L"VelmoraT_pause.chm", L"C:\\Nowhere\\VelmoraT\\pause.chm");
    sandbox.SetString(HKEY_LOCAL_MACHINE, kRun, L"VelmoraT_next", L"C:\\Nowhere\\VelmoraT\\next.exe");
    SetPacingEnabled(true);
    CErrorListEx problems;
    SectionCounters counters;
    CMessageSink sink(&CarriesText);
    ScanTarget target{&problems, &counters, nullptr, sink.Target()};
    target.itemIntervalMs = 0;
    CRegistryScanThread thread(Sections({3, 4}), target);
    ASSERT_TRUE(thread.Start());
    EXPECT_TRUE(sink.WaitFor(WM_SCAN_PROBLEM_FOUND, 60000));
    thread.RequestStop();
    thread.WaitForEnd();
    SetPacingEnabled(false);
    sink.Drain();

    for (const ReceivedMessage& m : sink.messages) {
        EXPECT_NE(m.message, WM_SCAN_SECTION_DONE);
        EXPECT_NE(m.message, WM_SCAN_FINISHED);
        EXPECT_FALSE(m.message != WM_SCAN_ITEM && m.wParam == 4) << "section 4 began after the stop";
        EXPECT_EQ(m.text.find(L"VelmoraT_next"), std::wstring::npos);
    }
    EXPECT_EQ(counters[4].Found.load(), 0);
}

TEST_F(ScanDriver, ItemAndProblemMessagesAreRateLimitedByDefault)
{
    RegistrySandbox sandbox;
    for (int i = 0; i < 2000; ++i)
        sandbox.SetString(HKEY_LOCAL_MACHINE, kHelp, L"VelmoraT_rate" + std::to_wstring(i),
                          L"C:\\Nowhere\\VelmoraT\\rate" + std::to_wstring(i) + L".chm");

    CErrorListEx problems;
    SectionCounters counters;
    CMessageSink sink(&CarriesText);
    CRegistryScanThread thread(Sections({3}), ScanTarget{&problems, &counters, nullptr, sink.Target()});
    ASSERT_TRUE(thread.Start());
    sink.PumpUntilEnded(thread.GetThreadHandle());

    std::vector<std::wstring> items;
    for (const ReceivedMessage& m : sink.messages)
        if (m.message == WM_SCAN_ITEM)
            items.push_back(m.text);
    // The first value is always announced; the rest only as time passes, so a queue
    // never fills with item texts while every other message still arrives.
    ASSERT_FALSE(items.empty());
    EXPECT_EQ(items.front().rfind(L"HKEY_LOCAL_MACHINE\\" + kHelp + L"\\", 0), 0u);
    EXPECT_LT(items.size(), 2000u);
    EXPECT_EQ(sink.messages.back(), Msg(WM_SCAN_FINISHED));
    EXPECT_EQ(std::count(sink.messages.begin(), sink.messages.end(), Msg(WM_SCAN_SECTION_DONE, 3, 0)), 1);

    // Problems likewise, and the last count before the section ends is the whole count.
    std::vector<LPARAM> counts;
    for (const ReceivedMessage& m : sink.messages)
        if (m.message == WM_SCAN_PROBLEM_FOUND)
            counts.push_back(m.lParam);
    ASSERT_FALSE(counts.empty());
    EXPECT_LT(counts.size(), 2000u);
    EXPECT_TRUE(std::is_sorted(counts.begin(), counts.end()));
    EXPECT_EQ(counts.back(), counters[3].Found.load());
    EXPECT_GE(counts.back(), 2000);

    // A receiver that shows no progress gets only the section and finish messages, and
    // the same problems.
    CErrorListEx quietProblems;
    SectionCounters quietCounters;
    CMessageSink quietSink(&CarriesText);
    ScanTarget quiet{&quietProblems, &quietCounters, nullptr, quietSink.Target()};
    quiet.progress = false;
    CRegistryScanThread quietThread(Sections({3}), quiet);
    ASSERT_TRUE(quietThread.Start());
    EXPECT_TRUE(quietSink.PumpUntilEnded(quietThread.GetThreadHandle()));
    const std::vector<ReceivedMessage> expected = {Msg(WM_SCAN_SECTION_STARTED, 3, 0), Msg(WM_SCAN_SECTION_DONE, 3, 0),
                                                   Msg(WM_SCAN_FINISHED)};
    EXPECT_EQ(quietSink.messages, expected);
    EXPECT_EQ(quietProblems.GetSize(), problems.GetSize());
    EXPECT_EQ(quietCounters[3].Found.load(), counters[3].Found.load());
}
