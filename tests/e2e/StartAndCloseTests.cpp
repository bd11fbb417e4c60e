#include "tests/e2e/Driver.h"
#include "tests/e2e/ProgramTexts.h"

#include <gtest/gtest.h>

namespace {

using namespace journey;

TEST(Program, CarriesItsVersionAndReleaseDate)
{
    const std::wstring& program = e2e::Settings().program;
    EXPECT_EQ(e2e::VersionString(program, L"ProductVersion"), L"3.0.6");
    const std::wstring date = e2e::VersionString(program, L"ReleaseDate");
    ASSERT_EQ(date.size(), 10u);
    EXPECT_EQ(date[2], L'/');
    EXPECT_EQ(date[5], L'/');
}

TEST(Program, ShowsItsWindowAndEndsOnEscape)
{
    e2e::RunningProgram program;
    ASSERT_TRUE(program.Start());
    const HWND window = e2e::WaitForWindow(kMainTitle, 30000);
    ASSERT_NE(window, nullptr) << "the main window did not appear";
    ::Sleep(300);  // let it paint before the picture is taken
    EXPECT_TRUE(e2e::SaveScreenshot(window, L"main-window"));

    e2e::PressKey(window, VK_ESCAPE);
    DWORD exitCode = 1;
    ASSERT_TRUE(program.WaitForExit(15000, exitCode)) << "Escape did not end the program";
    EXPECT_EQ(exitCode, 0u);
}

}  // namespace
