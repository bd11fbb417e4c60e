// The unresolved-problems store: save, clear and reload through the engine, with the
// file, the setting "IgnoredErrorsCount" and the counters.

#include "EngineTestSupport.h"
#include "ScanHarness.h"

#include "core/Utf16Text.h"
#include "engine/IgnoredProblemsStore.h"
#include "engine/Settings.h"
#include "framework/Handles.h"

#include <gtest/gtest.h>

namespace {

const std::wstring kRun = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";

std::wstring Lines(const CErrorListEx& problems)
{
    std::wstring text;
    for (const CError& e : problems)
        text += FormatProblemLine(e);
    return text;
}

class UnresolvedStore : public EngineTest {
protected:
    // Scans the start-up section with three planted problems and keeps only those.
    void ScanPlanted(RegistrySandbox& sandbox)
    {
        sandbox.SetString(HKEY_LOCAL_MACHINE, kRun, L"VelmoraU_a", L"C:\\Nowhere\\VelmoraU\\a.exe");
        sandbox.SetString(HKEY_CURRENT_USER, kRun, L"VelmoraU_b", L"C:\\Nowhere\\VelmoraU\\b.exe");
        sandbox.SetString(HKEY_CURRENT_USER, kRun, L"VelmoraU_c", L"%SystemDrive%\\Nowhere\\VelmoraU\\c.exe",
                          REG_EXPAND_SZ);
        Scan({4});
        KeepOnly(L"VelmoraU");
        ASSERT_EQ(engine.ProblemList().GetSize(), 3);
    }
    const std::wstring file = CIgnoredProblemsStore::FilePath();
};

}  // namespace

TEST_F(UnresolvedStore, SavedProblemsReloadAsTheSameLinesInTheSameOrder)
{
    RegistrySandbox sandbox;
    ScanPlanted(sandbox);
    const std::wstring lines = Lines(engine.ProblemList());
    const std::int32_t ignoredBefore = engine.SectionCounters()[4].Ignored.load();

    // The results window closed without a repair: nothing stays.
    ASSERT_TRUE(engine.SaveUnresolvedProblems({}));
    EXPECT_EQ(engine.ProblemList().GetSize(), 0);
    EXPECT_EQ(ReadBytes(file), utf16::EncodeLe(lines));
    EXPECT_EQ(ReadSetting(L"IgnoredErrorsCount"), L"3");
    EXPECT_EQ(engine.SectionCounters()[4].Ignored.load() - ignoredBefore, 3);

    ASSERT_TRUE(engine.LoadIgnoredProblems());
    EXPECT_EQ(Lines(engine.ProblemList()), lines);
    EXPECT_EQ(engine.GetTotalFound(), 3);
    EXPECT_EQ(engine.SectionCounters()[4].Found.load(), 3);
    EXPECT_EQ(CounterTotal(engine.SectionCounters(), &SectionCounter::Ignored), 0);
    EXPECT_EQ(CounterTotal(engine.SectionCounters(), &SectionCounter::Repaired), 0);
    EXPECT_EQ(engine.ProblemList()[2].Item.Type, static_cast<std::uint32_t>(REG_EXPAND_SZ));

    // Leaving the reloaded list unchanged writes the same bytes again.
    ASSERT_TRUE(engine.SaveUnresolvedProblems({}));
    EXPECT_EQ(ReadBytes(file), utf16::EncodeLe(lines));
}

TEST_F(UnresolvedStore, TickedProblemsStayForTheRepairTheOthersAreStored)
{
    RegistrySandbox sandbox;
    ScanPlanted(sandbox);
    const CErrorListEx scanned = engine.ProblemList();

    ASSERT_TRUE(engine.SaveUnresolvedProblems({true, false, true}));
    ASSERT_EQ(engine.ProblemList().GetSize(), 2);
    EXPECT_EQ(FormatProblemLine(engine.ProblemList()[0]), FormatProblemLine(scanned[0]));
    EXPECT_EQ(FormatProblemLine(engine.ProblemList()[1]), FormatProblemLine(scanned[2]));
    EXPECT_EQ(ReadUtf16(file), FormatProblemLine(scanned[1]));
    EXPECT_EQ(ReadSetting(L"IgnoredErrorsCount"), L"1");

    // Every row ticked: the file is rewritten empty and the count is 0.
    ASSERT_TRUE(engine.SaveUnresolvedProblems({true, true}));
    EXPECT_EQ(engine.ProblemList().GetSize(), 2);
    EXPECT_EQ(ReadBytes(file), std::string());
    EXPECT_EQ(ReadSetting(L"IgnoredErrorsCount"), L"0");

    // A scan that found nothing clears the store.
    WriteBytes(file, utf16::EncodeLe(FormatProblemLine(scanned[1])));
    ASSERT_TRUE(engine.ClearUnresolvedProblems());
    EXPECT_FALSE(Exists(file));
    EXPECT_EQ(ReadSetting(L"IgnoredErrorsCount"), L"0");
    ASSERT_TRUE(engine.LoadIgnoredProblems());
    EXPECT_EQ(engine.ProblemList().GetSize(), 0);
    EXPECT_EQ(engine.GetTotalFound(), 0);
}

TEST_F(UnresolvedStore, UnreadableRecordsAreSkippedAndListOnlyComesFromTheSection)
{
    CError appPath;
    appPath.ErrorType = InvalidValue;
    appPath.Section = 1;  // a list-only section
    appPath.Item.Hive = L"HKEY_LOCAL_MACHINE";
    appPath.Item.SubKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\x.exe";
    CError startup = appPath;
    startup.Section = 4;
    const std::wstring text = FormatProblemLine(appPath) + L"1::2::too few fields::;;\r\n" +
                              FormatProblemLine(startup) + L"1::4::unterminated::x::y::z::w::0::k::n::d::";
    WriteBytes(file, utf16::EncodeLe(text));

    ASSERT_TRUE(engine.LoadIgnoredProblems());
    ASSERT_EQ(engine.ProblemList().GetSize(), 2);
    EXPECT_TRUE(engine.ProblemList()[0].ListOnly);
    EXPECT_FALSE(engine.ProblemList()[1].ListOnly);
    EXPECT_EQ(engine.SectionCounters()[1].Found.load(), 1);
    EXPECT_EQ(engine.SectionCounters()[4].Found.load(), 1);
}

TEST_F(UnresolvedStore, ASaveThatFailsStillDropsTheUntickedAndCountsWhatTheFileHolds)
{
    RegistrySandbox sandbox;
    ScanPlanted(sandbox);
    const CErrorListEx scanned = engine.ProblemList();
    // The file from an earlier save holds two problems and is held open by another
    // program that does not let it be replaced.
    const std::wstring old = FormatProblemLine(scanned[0]) + FormatProblemLine(scanned[1]);
    WriteBytes(file, utf16::EncodeLe(old));
    UniqueHandle holder(::CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(holder);

    EXPECT_FALSE(engine.SaveUnresolvedProblems({false, true, false}));
    holder.reset();
    // The unticked problems never reach the repair, the old file is whole, and the
    // count tells what it really holds.
    ASSERT_EQ(engine.ProblemList().GetSize(), 1);
    EXPECT_EQ(FormatProblemLine(engine.ProblemList()[0]), FormatProblemLine(scanned[1]));
    EXPECT_EQ(ReadUtf16(file), old);
    EXPECT_EQ(ReadSetting(L"IgnoredErrorsCount"), L"2");
}
