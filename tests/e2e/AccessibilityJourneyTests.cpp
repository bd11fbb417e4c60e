// What assistive software in another process reads from the running program: the section
// boxes of the main window as check boxes with their names and states.

#include "framework/Handles.h"
#include "res/resource.h"
#include "tests/controls/AccessibleReading.h"
#include "tests/e2e/Driver.h"
#include "tests/e2e/ProgramTexts.h"

#include <gtest/gtest.h>

namespace {

using namespace journey;

TEST(Accessibility, AnotherProcessReadsTheSectionBoxes)
{
    const ComInitializer com;
    e2e::RunningProgram program;
    ASSERT_TRUE(program.Start());
    const HWND window = e2e::WaitForWindow(kMainTitle, 30000);
    ASSERT_NE(window, nullptr) << "the main window did not appear";
    ASSERT_TRUE(program.WaitForInputIdle(30000));
    const HWND box = ::GetDlgItem(window, IDC_SECTION_BOX_0);
    ::SendMessageW(::GetDlgItem(window, IDC_SECTION_BOX_1), BM_SETCHECK, BST_UNCHECKED, 0);

    const AccessibleReading first = ReadAccessible(box);
    EXPECT_EQ(first.role, ROLE_SYSTEM_CHECKBUTTON);
    EXPECT_EQ(first.name, L"ActiveX / OLE");
    EXPECT_TRUE(first.state & STATE_SYSTEM_CHECKED);
    const AccessibleReading second = ReadAccessible(::GetDlgItem(window, IDC_SECTION_BOX_1));
    EXPECT_EQ(second.name, L"Percorsi di programma");
    EXPECT_FALSE(second.state & STATE_SYSTEM_CHECKED);
    EXPECT_EQ(ReadAccessible(::GetDlgItem(window, IDC_MAIN_SCAN)).role, ROLE_SYSTEM_PUSHBUTTON);

    e2e::AskToExit(window);
    DWORD exitCode = 0;
    EXPECT_TRUE(program.WaitForExit(15000, exitCode));
}

}  // namespace
