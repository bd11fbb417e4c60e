// The scan's cache of file checks against the direct check, on the real (Wine) file
// system: every spelling of a path gets the answer FileExists gives it, whether the
// cache answers from an earlier answer or asks the file system.

#include "ScanHarness.h"

#include "engine/FileSystem.h"
#include "engine/PathCheckCache.h"
#include "framework/Handles.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::wstring ShortPath(const std::wstring& path)
{
    wchar_t buffer[MAX_PATH] = {};
    const DWORD length = ::GetShortPathNameW(path.c_str(), buffer, MAX_PATH);
    return length > 0 && length < MAX_PATH ? std::wstring(buffer, length) : path;
}

void CreateEmptyFile(const std::wstring& path)
{
    UniqueHandle file(::CreateFileW((L"\\\\?\\" + path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(static_cast<bool>(file)) << path;
}

// A folder of files named in many spellings.
class PathSpellings : public testing::Test {
protected:
    void SetUp() override
    {
        m_dir = m_scratch.Path() + L"\\Dir";
        for (const wchar_t* name : {L"Prog.exe", L"LongFileNameHere.exe", L"Help.chm"})
            m_scratch.AddFile(std::wstring(L"Dir\\") + name, "x");
        m_scratch.AddFile(L"Other\\keep.txt", "x");
        m_scratch.AddFile(L"Intl\\Caf\u00e9.exe", "x");
        m_scratch.AddFile(L"Intl\\plain.exe", "x");
        m_deep = m_scratch.Path();
        for (int i = 0; i < 3; ++i) {
            m_deep += L"\\" + std::wstring(90, static_cast<wchar_t>(L'a' + i));
            ASSERT_TRUE(::CreateDirectoryW((L"\\\\?\\" + m_deep).c_str(), nullptr));
        }
        CreateEmptyFile(m_deep + L"\\Deep.exe");
    }

    std::vector<std::wstring> Spellings() const
    {
        const std::wstring& d = m_dir;
        const std::wstring& root = m_scratch.Path();
        std::wstring slashed = d + L"/Help.chm";
        return {
            d + L"\\Prog.exe", d + L"\\prog.EXE", d + L"\\PROG.EXE",
            root + L"\\Other\\..\\Dir\\Prog.exe", root + L"\\Gone\\..\\Dir\\Help.chm", d + L"\\..\\Dir\\Missing.exe",
            d + L"\\.\\Help.chm", slashed, d + L".\\Prog.exe", d + L"\\Prog.exe.", d + L"\\Prog.exe ",
            ShortPath(d + L"\\LongFileNameHere.exe"), ShortPath(d) + L"\\Prog.exe", d + L"\\LONGFI~1.EXE",
            d + L"\\LongFileNameHere.exe", d + L"\\Missing1.exe", d + L"\\missing1.EXE", d + L"\\Missing2.dll",
            d + L"\\*.exe", d + L"\\Pro?.exe", d + L"\\con.exe", d + L"\\Prog.exe:alt.exe",
            root + L"\\Intl\\Caf\u00e9.exe", root + L"\\Intl\\CAF\u00c9.EXE", root + L"\\Intl\\Caf\u00e8.exe",
            root + L"\\Intl\\plain.exe", root + L"\\Intl\\PLAIN.exe", root + L"\\Intl\\gone.exe",
            m_deep + L"\\Deep.exe", m_deep + L"\\deep.EXE", m_deep + L"\\Gone.exe",
            root + L"\\GoneFolder\\a.exe", root + L"\\GoneFolder\\b.exe", L"Q:\\VelmoraNoDrive\\x.exe", d,
            d + L"\\",
        };
    }

    ScratchFolder m_scratch{TempFolder(), L"VelmoraPathChecks"};
    std::wstring m_dir;
    std::wstring m_deep;
};

}  // namespace

TEST_F(PathSpellings, EveryAnswerIsTheDirectCheck)
{
    const std::vector<std::wstring> spellings = Spellings();
    CPathCheckCache cache;
    for (int pass = 0; pass < 2; ++pass)
        for (const std::wstring& path : spellings)
            EXPECT_EQ(cache.Exists(path), FileExists(path)) << "pass " << pass << ": " << testing::PrintToString(path);
    EXPECT_EQ(cache.GetCounts().checks, 2 * static_cast<long>(spellings.size()));
}

TEST_F(PathSpellings, EachPathIsQueriedOnceAndItsAnswerStandsForTheScan)
{
    CPathCheckCache cache;
    const std::wstring other = m_scratch.Path() + L"\\Other";
    std::vector<std::wstring> names;
    for (int i = 0; i < 10; ++i)
        names.push_back(other + L"\\file" + std::to_wstring(i) + L".dll");
    names.push_back(other + L"\\keep.txt");
    for (int pass = 0; pass < 3; ++pass)
        for (const std::wstring& name : names)
            EXPECT_EQ(cache.Exists(name), name.back() == L't') << testing::PrintToString(name);
    EXPECT_EQ(cache.GetCounts().checks, 33);
    EXPECT_EQ(cache.GetCounts().queries, 11);

    // A file that appears or vanishes after its first check keeps its first answer.
    CreateEmptyFile(other + L"\\file0.dll");
    ASSERT_TRUE(::DeleteFileW((other + L"\\keep.txt").c_str()));
    EXPECT_FALSE(cache.Exists(other + L"\\file0.dll"));
    EXPECT_TRUE(cache.Exists(other + L"\\keep.txt"));
    cache.Clear();
    EXPECT_TRUE(cache.Exists(other + L"\\file0.dll"));
    EXPECT_FALSE(cache.Exists(other + L"\\keep.txt"));
}
