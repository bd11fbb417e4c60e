// What assistive software in another process reads from the running program: the section
// boxes of the main window as check boxes with their names and states.

#include "framework/Handles.h"
#include "res/resource.h"
#include "tests/e2e/Driver.h"
#include "tests/e2e/ProgramTexts.h"

#include <gtest/gtest.h>

#include <oleacc.h>

#include <string>

namespace {

using namespace journey;

struct Reading {
    long role = 0;
    std::wstring name;
    long state = 0;
};

Reading Read(HWND control)
{
    Reading reading;
    ComPtr<IAccessible> object;
    if (FAILED(::AccessibleObjectFromWindow(control, static_cast<DWORD>(OBJID_CLIENT), IID_IAccessible,
                                            object.put_void())) ||
        !object)
        return reading;
    VARIANT self{};
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    VARIANT value{};
    if (object->get_accRole(self, &value) == S_OK && value.vt == VT_I4)
        reading.role = value.lVal;
    if (object->get_accState(self, &value) == S_OK && value.vt == VT_I4)
        reading.state = value.lVal;
    BSTR name = nullptr;
    if (object->get_accName(self, &name) == S_OK && name) {
        reading.name = name;
        ::SysFreeString(name);
    }
    return reading;
}

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

    const Reading first = Read(box);
    EXPECT_EQ(first.role, ROLE_SYSTEM_CHECKBUTTON);
    EXPECT_EQ(first.name, L"ActiveX / OLE");
    EXPECT_TRUE(first.state & STATE_SYSTEM_CHECKED);
    const Reading second = Read(::GetDlgItem(window, IDC_SECTION_BOX_1));
    EXPECT_EQ(second.name, L"Percorsi di programma");
    EXPECT_FALSE(second.state & STATE_SYSTEM_CHECKED);
    EXPECT_EQ(Read(::GetDlgItem(window, IDC_MAIN_SCAN)).role, ROLE_SYSTEM_PUSHBUTTON);

    e2e::AskToExit(window);
    DWORD exitCode = 0;
    EXPECT_TRUE(program.WaitForExit(15000, exitCode));
}

}  // namespace
