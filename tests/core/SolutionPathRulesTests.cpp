// The spellings a remote solution may use to name a path, and which of them are refused
// before the machine is asked anything.

#include "core/SolutionPathRules.h"

#include <gtest/gtest.h>

TEST(SolutionPathRules, EverySpellingOfAPathIsClassified)
{
    const struct {
        const wchar_t* path;
        PathSpelling spelling;
        bool root;
    } cases[] = {
        {L"C:\\adware\\tool.exe", PathSpelling::DriveAbsolute, false},
        {L"c:/adware/tool.exe", PathSpelling::DriveAbsolute, false},
        {L"C:\\vlmacc\\..", PathSpelling::DriveAbsolute, false},  // a root only once made full
        {L"C:", PathSpelling::Relative, true},
        {L"C:\\", PathSpelling::DriveAbsolute, true},
        {L"C:/", PathSpelling::DriveAbsolute, true},
        {L"C:\\.", PathSpelling::DriveAbsolute, true},
        {L"C:\\\\..\\.", PathSpelling::DriveAbsolute, true},
        {L"C:adware", PathSpelling::Relative, false},
        {L"adware\\tool.exe", PathSpelling::Relative, false},
        {L"\\windows", PathSpelling::Relative, false},
        {L"", PathSpelling::Relative, false},
        {L"1:\\x", PathSpelling::Relative, false},
        {L"\\\\?\\C:\\", PathSpelling::DeviceOrUnc, false},
        {L"\\\\.\\C:", PathSpelling::DeviceOrUnc, false},
        {L"\\??\\C:\\windows", PathSpelling::DeviceOrUnc, false},
        {L"\\\\server\\share\\x", PathSpelling::DeviceOrUnc, false},
        {L"//server/share/x", PathSpelling::DeviceOrUnc, false},
        {L"C:\\x\\file.txt:stream", PathSpelling::Unusable, false},
        {L"C:\\x\\*.dll", PathSpelling::Unusable, false},
        {L"C:\\x\\a?b", PathSpelling::Unusable, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ClassifyPathSpelling(c.path), c.spelling) << c.path;
        EXPECT_EQ(IsVolumeRoot(c.path), c.root) << c.path;
    }
}

TEST(SolutionPathRules, ContainmentGoesByWholeComponentsInAnyCase)
{
    const struct {
        const wchar_t* path;
        const wchar_t* folder;
        bool within;
    } cases[] = {
        {L"C:\\Windows", L"C:\\windows", true},
        {L"C:\\WINDOWS\\system32\\x.dll", L"C:\\Windows\\", true},
        {L"C:\\Windows2", L"C:\\Windows", false},
        {L"C:\\Win", L"C:\\Windows", false},
        {L"C:\\anything", L"C:\\", true},
        {L"D:\\Windows", L"C:\\Windows", false},
        {L"c:/program files/velmora/backup", L"C:\\Program Files\\Velmora", true},
        {L"C:\\ÀRCHIVIO\\x", L"C:\\àrchivio", true},
        {L"C:\\x", L"", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PathIsWithin(c.path, c.folder), c.within) << c.path << L" in " << c.folder;
    EXPECT_TRUE(SamePath(L"C:\\Program Files\\", L"c:/PROGRAM FILES"));
    EXPECT_TRUE(SamePath(L"C:", L"C:\\"));
    EXPECT_EQ(WithoutLongPathPrefix(L"\\\\?\\C:\\x"), L"C:\\x");
    EXPECT_EQ(WithoutLongPathPrefix(L"\\\\?\\UNC\\server\\share"), L"\\\\server\\share");
    EXPECT_EQ(WithoutLongPathPrefix(L"C:\\x"), L"C:\\x");
}

TEST(SolutionPathRules, SystemCriticalProcessesInAnyCase)
{
    for (const wchar_t* name : {L"smss.exe", L"WININIT.EXE", L"winlogon.exe", L"csrss.exe", L"LSASS.exe",
                                L"services.exe", L"svchost.exe"})
        EXPECT_TRUE(IsSystemCriticalProcess(name)) << name;
    for (const wchar_t* name : {L"adware.exe", L"svchost.exe.exe", L"lsass", L""})
        EXPECT_FALSE(IsSystemCriticalProcess(name)) << name;
}
