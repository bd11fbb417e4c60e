// The start-up decisions: single instance, elevation and "-scan", with the system's
// answers given by the test (Wine always reports an elevated Windows 6.1).

#include "ui/CorvaneApp.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class ScriptedHost : public IStartupHost {
public:
    bool vista = true;
    bool elevated = true;
    bool anotherInstance = false;
    // The other instance's window is found at this look (0: the first); it ends, giving
    // up the mutex, at this wait (-1: never).
    int windowAtLook = 0;
    int endsAtWait = -1;
    std::vector<std::wstring> calls;

    bool IsVistaOrLater() override { return vista; }
    bool IsProcessElevated() override { return elevated; }
    void RelaunchElevated(const std::wstring& parameters) override { calls.push_back(L"relaunch [" + parameters + L"]"); }
    bool AnotherInstanceRuns() override { return anotherInstance; }
    bool BringFirstInstanceToFront() override
    {
        const bool found = m_looks++ == windowAtLook;
        calls.push_back(found ? L"front" : L"no window");
        return found;
    }
    bool WaitForOtherInstanceToEnd(DWORD) override
    {
        const bool ended = m_waits++ == endsAtWait;
        calls.push_back(ended ? L"ended" : L"still runs");
        return ended;
    }
    void RunMainWindow(bool scanAtStart) override
    {
        calls.push_back(scanAtStart ? L"main window with scan" : L"main window");
    }

private:
    int m_looks = 0;
    int m_waits = 0;
};

using Calls = std::vector<std::wstring>;

TEST(StartUp, OnlyTheExactCommandLineScanScansAtStart)
{
    EXPECT_TRUE(IsScanCommandLine(L"-scan"));
    for (const wchar_t* other : {L"", L"-Scan", L"-SCAN", L" -scan", L"-scan ", L"-scan -x", L"/scan", L"scan",
                                 L"\"-scan\""})
        EXPECT_FALSE(IsScanCommandLine(other)) << "command line [" << other << "]";
}

TEST(StartUp, MutexNameCarriesTheUserExceptOnWindowsNt4)
{
    EXPECT_EQ(SingleInstanceMutexName(6, L"root"), L"Global\\MutexCorvaneroot");
    EXPECT_EQ(SingleInstanceMutexName(5, L"Mario Rossi"), L"Global\\MutexCorvaneMario Rossi");
    EXPECT_EQ(SingleInstanceMutexName(6, L""), L"Global\\MutexCorvane") << "no user name: the bare prefix";
    EXPECT_EQ(SingleInstanceMutexName(4, L"root"), L"MutexCorvane");
}

TEST(StartUp, FirstInstanceRunsTheMainWindowWhenElevatedOrBeforeVista)
{
    ScriptedHost elevated;
    RunStartup(L"-scan", elevated);
    EXPECT_EQ(elevated.calls, Calls{L"main window with scan"});

    ScriptedHost beforeVista;
    beforeVista.vista = false;
    beforeVista.elevated = false;
    RunStartup(L"-scan", beforeVista);
    EXPECT_EQ(beforeVista.calls, Calls{L"main window with scan"});

    ScriptedHost plain;
    RunStartup(L"-scan -now", plain);
    EXPECT_EQ(plain.calls, Calls{L"main window"});
}

TEST(StartUp, FirstInstanceWithoutElevationRestartsItselfKeepingOnlyScan)
{
    ScriptedHost scan;
    scan.elevated = false;
    RunStartup(L"-scan", scan);
    EXPECT_EQ(scan.calls, Calls{L"relaunch [-scan]"});

    ScriptedHost other;
    other.elevated = false;
    RunStartup(L"-Scan", other);
    EXPECT_EQ(other.calls, Calls{L"relaunch []"});
}

TEST(StartUp, SecondInstanceBringsTheFirstToTheFrontAndNeverRunsAWindow)
{
    ScriptedHost second;
    second.anotherInstance = true;
    RunStartup(L"-scan", second);
    EXPECT_EQ(second.calls, Calls{L"front"});

    ScriptedHost notElevated;
    notElevated.anotherInstance = true;
    notElevated.elevated = false;
    RunStartup(L"-scan", notElevated);
    EXPECT_EQ(notElevated.calls, (Calls{L"relaunch []", L"front"})) << "the scan request is not passed on";
}

// A launch that meets the other instance before its window exists, or after it is gone,
// still ends with a window on the screen: the other one's, or its own.
TEST(StartUp, SecondInstanceWaitsForTheFirstOnesWindowOrItsEnd)
{
    ScriptedHost starting;
    starting.anotherInstance = true;
    starting.windowAtLook = 2;
    RunStartup(L"", starting);
    EXPECT_EQ(starting.calls, (Calls{L"no window", L"still runs", L"no window", L"still runs", L"front"}));

    ScriptedHost ending;
    ending.anotherInstance = true;
    ending.windowAtLook = -1;
    ending.endsAtWait = 1;
    RunStartup(L"-scan", ending);
    EXPECT_EQ(ending.calls,
              (Calls{L"no window", L"still runs", L"no window", L"ended", L"main window with scan"}));

    ScriptedHost hung;
    hung.anotherInstance = true;
    hung.windowAtLook = -1;
    RunStartup(L"", hung);
    ASSERT_FALSE(hung.calls.empty());
    EXPECT_EQ(hung.calls.back(), L"still runs") << "the wait is bounded and runs no second window";
}

}  // namespace
