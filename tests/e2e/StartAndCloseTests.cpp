#include "res/resource.h"
#include "tests/e2e/Driver.h"
#include "tests/e2e/ProgramTexts.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

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

TEST(Program, EnterAndEscapeNeverEndIt)
{
    const std::optional<std::wstring> trayOnClose =
        e2e::ReadRegistryString(HKEY_LOCAL_MACHINE, kSettingsKey, L"ShowInTaskbarOnClose");
    e2e::WriteRegistryString(HKEY_LOCAL_MACHINE, kSettingsKey, L"ShowInTaskbarOnClose", L"true");
    e2e::RunningProgram program;
    ASSERT_TRUE(program.Start());
    const HWND window = e2e::WaitForWindow(kMainTitle, 30000);
    ASSERT_NE(window, nullptr) << "the main window did not appear";
    ASSERT_TRUE(program.WaitForInputIdle(30000));
    EXPECT_TRUE(e2e::SaveScreenshot(window, L"main-window"));

    // Tab from the fourth section box to the fifth, as the keyboard would, then Enter: the
    // box the focus went to (its mark showing) is pressed, and the program goes on.
    const HWND fourth = ::GetDlgItem(window, IDC_SECTION_BOX_3);
    const HWND fifth = ::GetDlgItem(window, IDC_SECTION_BOX_4);
    ::PostMessageW(window, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(fourth), TRUE);
    e2e::PressKey(fourth, VK_TAB);
    e2e::PressKey(fifth, VK_RETURN);
    EXPECT_TRUE(e2e::WaitUntil([&] { return ::SendMessageW(fifth, BM_GETCHECK, 0, 0) == BST_UNCHECKED; }, 15000))
        << "Enter did not press the focused box";
    EXPECT_EQ(::SendMessageW(fourth, BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_TRUE(e2e::SaveScreenshot(window, L"main-window-keyboard-focus"));

    // Escape hides the window as the close button does; without that setting it does nothing.
    e2e::PressKey(window, VK_ESCAPE);
    EXPECT_TRUE(e2e::WaitUntil([&] { return !::IsWindowVisible(window); }, 15000)) << "Escape did not hide";
    ::PostMessageW(window, WM_COMMAND, MAKEWPARAM(ID_TRAY_OPEN, BN_CLICKED), 0);
    ASSERT_TRUE(e2e::WaitUntil([&] { return ::IsWindowVisible(window) != FALSE; }, 15000));
    e2e::WriteRegistryString(HKEY_LOCAL_MACHINE, kSettingsKey, L"ShowInTaskbarOnClose", L"false");
    e2e::PressKey(window, VK_ESCAPE);
    ASSERT_TRUE(e2e::WaitForMessageLoop(window, 15000));
    EXPECT_TRUE(::IsWindowVisible(window));
    DWORD exitCode = 99;
    EXPECT_FALSE(program.WaitForExit(500, exitCode)) << "Enter or Escape ended the program";

    e2e::AskToExit(window);
    ASSERT_TRUE(program.WaitForExit(15000, exitCode)) << "\"Esci\" did not end the program";
    EXPECT_EQ(exitCode, 1u);
    if (trayOnClose)
        e2e::WriteRegistryString(HKEY_LOCAL_MACHINE, kSettingsKey, L"ShowInTaskbarOnClose", *trayOnClose);
    else
        e2e::DeleteRegistryValue(HKEY_LOCAL_MACHINE, kSettingsKey, L"ShowInTaskbarOnClose");
}

}  // namespace
