#include "tests/e2e/Driver.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

constexpr wchar_t kMainTitle[] = L"Velmora 2011 | Registry Cleaner";

std::wstring VersionString(const std::wstring& file, const wchar_t* name)
{
    DWORD ignored = 0;
    const DWORD size = ::GetFileVersionInfoSizeW(file.c_str(), &ignored);
    if (size == 0)
        return {};
    std::vector<char> block(size);
    if (!::GetFileVersionInfoW(file.c_str(), 0, size, block.data()))
        return {};
    struct Translation {
        WORD language;
        WORD codePage;
    }* translation = nullptr;
    UINT length = 0;
    if (!::VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation),
                          &length) ||
        length < sizeof(Translation))
        return {};
    wchar_t query[64] = {};
    swprintf(query, 64, L"\\StringFileInfo\\%04x%04x\\%ls", translation->language, translation->codePage, name);
    wchar_t* value = nullptr;
    if (!::VerQueryValueW(block.data(), query, reinterpret_cast<void**>(&value), &length) || !value)
        return {};
    return value;
}

TEST(Program, CarriesItsVersionAndReleaseDate)
{
    const std::wstring& program = e2e::Settings().program;
    EXPECT_EQ(VersionString(program, L"ProductVersion"), L"3.0.6");
    const std::wstring date = VersionString(program, L"ReleaseDate");
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
