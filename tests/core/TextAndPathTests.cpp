#include "core/Path.h"
#include "core/PathText.h"
#include "core/TextSplit.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

std::vector<std::wstring> Pieces(std::wstring_view text, std::wstring_view separator)
{
    const CStringArrayEx array = SplitByString(text, separator);
    return {array.begin(), array.end()};
}

}  // namespace

TEST(SplitByString, DropsTextAfterLastSeparatorKeepsEmptyPieces)
{
    using V = std::vector<std::wstring>;
    EXPECT_EQ(Pieces(L"a::b::", L"::"), (V{L"a", L"b"}));
    EXPECT_EQ(Pieces(L"a::b", L"::"), (V{L"a"}));
    EXPECT_EQ(Pieces(L"abc", L"::"), V{});
    EXPECT_EQ(Pieces(L"", L"::"), V{});
    EXPECT_EQ(Pieces(L"::::x::", L"::"), (V{L"", L"", L"x"}));
    EXPECT_EQ(Pieces(L":::", L"::"), (V{L""}));  // the first match wins; one colon is left over
    EXPECT_EQ(Pieces(L"r1;;\r\nr2;;\r\nr3", L";;\r\n"), (V{L"r1", L"r2"}));
    EXPECT_EQ(Pieces(L"a::b", L""), V{});
}

TEST(TextHelpers, RemoveAllAndParseDecimal)
{
    EXPECT_EQ(RemoveAll(L"ValueName=xValueName=", L"ValueName="), L"x");
    EXPECT_EQ(RemoveAll(L"ValueNValueName=ame=", L"ValueName="), L"ValueName=");  // one pass, as Replace does
    EXPECT_EQ(ParseDecimal(L"42"), 42);
    EXPECT_EQ(ParseDecimal(L"\t\n -7x"), -7);
    EXPECT_EQ(ParseDecimal(L"+"), 0);
    EXPECT_EQ(ParseDecimal(L"abc"), 0);
    EXPECT_EQ(ParseDecimal(L"- 5"), 0);
    EXPECT_EQ(ParseDecimal(L"99999999999999999999"), std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(ParseDecimal(L"-2147483648"), std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(ParseDecimal(L"-99999999999"), std::numeric_limits<std::int32_t>::min());
}

TEST(CPathSplit, QuotedAbsolutePath)
{
    CPath p(L"\"C:\\Programmi\\app.exe\"");
    EXPECT_EQ(p.Text, L"\"C:\\Programmi\\app.exe\"");
    EXPECT_EQ(p.Drive, L"C:");
    EXPECT_EQ(p.Directory, L"\\Programmi\\");
    EXPECT_EQ(p.FileName, L"app");
    EXPECT_EQ(p.Extension, L"exe");
    EXPECT_FALSE(p.IsRelative);
    EXPECT_EQ(p.FullPath(), L"C:\\Programmi\\app.exe");
}

TEST(CPathSplit, RelativeWithSlashesAndTwoDots)
{
    CPath p(L"dir/sub/file.tar.gz");
    EXPECT_EQ(p.Drive, L"");
    EXPECT_EQ(p.Directory, L"dir\\sub\\");
    EXPECT_TRUE(p.IsRelative);
    EXPECT_EQ(p.FileName, L"file.tar");
    EXPECT_EQ(p.Extension, L"gz");
    EXPECT_EQ(p.FullPath(), L"dir\\sub\\file.tar.gz");
}

TEST(CPathSplit, SplitterCornerCases)
{
    struct Case {
        const wchar_t* text;
        const wchar_t *drive, *dir, *name, *ext;
        bool relative;
        const wchar_t* full;
    };
    const Case cases[] = {
        {L"", L"", L"", L"", L"", false, L""},
        {L"\"\"", L"", L"", L"", L"", false, L""},
        {L"\"", L"", L"", L"", L"", false, L""},
        {L"C:", L"C:", L"", L"", L"", false, L"C:"},
        {L"C:file.txt", L"C:", L"", L"file", L"txt", false, L"C:file.txt"},
        {L"C:\\dir.d\\noext", L"C:", L"\\dir.d\\", L"noext", L"", false, L"C:\\dir.d\\noext"},
        {L"\\\\server\\share\\x.lnk", L"", L"\\\\server\\share\\", L"x", L"lnk", false, L"\\\\server\\share\\x.lnk"},
        {L".profile", L"", L"", L"", L"profile", false, L".profile"},
        {L"name.", L"", L"", L"name", L"", false, L"name"},
        {L"\"C:\\a b\\c.lnk", L"", L"\"C:\\a b\\", L"c", L"lnk", true, L"\"C:\\a b\\c.lnk"},
        {L"a\\", L"", L"a\\", L"", L"", true, L"a\\"},
    };
    for (const Case& c : cases) {
        CPath p(c.text);
        SCOPED_TRACE(testing::Message() << "text index " << (&c - cases));
        EXPECT_EQ(p.Drive, c.drive);
        EXPECT_EQ(p.Directory, c.dir);
        EXPECT_EQ(p.FileName, c.name);
        EXPECT_EQ(p.Extension, c.ext);
        EXPECT_EQ(p.IsRelative, c.relative);
        EXPECT_EQ(p.FullPath(), c.full);
    }
}

TEST(CPathSplit, LongPathsAreNotCut)
{
    const std::wstring path = L"C:\\" + std::wstring(300, L'd') + L"\\x.lnk";
    CPath p(path);
    EXPECT_EQ(p.FullPath(), path);
}

TEST(PathText, TheFourTextTests)
{
    EXPECT_EQ(NormaliseSystemRoot(L"\\SystemRoot\\System32\\X.DLL"), L"%systemroot%\\system32\\x.dll");
    EXPECT_TRUE(BeginsWithSystemRoot(L"\\SYSTEMROOT\\a.dll"));
    EXPECT_FALSE(BeginsWithSystemRoot(L"\\SystemRootX\\a.dll"));
    EXPECT_FALSE(BeginsWithSystemRoot(L"C:\\SystemRoot\\a.dll"));

    EXPECT_TRUE(IsSingleFilePath(L"C:\\Programmi\\Tool\\tool.exe"));
    EXPECT_FALSE(IsSingleFilePath(L"C:\\Programmi\\Tool\\tool.exe,0"));
    EXPECT_FALSE(IsSingleFilePath(L"C:\\x.exe;y"));
    EXPECT_FALSE(IsSingleFilePath(L"{8E6F2A1B-0000}.exe"));
    EXPECT_FALSE(IsSingleFilePath(L"C:\\Programmi\\Tool"));
    EXPECT_FALSE(IsSingleFilePath(L"C:\\v1.2\\tool.exe"));

    EXPECT_TRUE(IsInstallerCommand(L"C:\\Windows\\system32\\rundll32.exe"));
    EXPECT_TRUE(IsInstallerCommand(L"msiexec.exe /x"));
    EXPECT_FALSE(IsInstallerCommand(L"C:\\Windows\\system32\\RUNDLL32.EXE"));
    EXPECT_FALSE(IsInstallerCommand(L"MsiExec.exe /x"));

    EXPECT_TRUE(HasKnownExtension(L"C:\\Fonts\\X.TTF"));
    for (const wchar_t* ext : {L".exe", L".dll", L".txt", L".ttf", L".chm", L".wav", L".jpg", L".bmp", L".xml"})
        EXPECT_TRUE(HasKnownExtension(std::wstring(L"a") + ext)) << ext;
    EXPECT_TRUE(HasKnownExtension(L".exe"));
    EXPECT_FALSE(HasKnownExtension(L"exe"));
    EXPECT_FALSE(HasKnownExtension(L"C:\\x.exe /min"));
    EXPECT_FALSE(HasKnownExtension(L"C:\\x.link"));
    EXPECT_FALSE(HasKnownExtension(L"C:\\x.png"));
    EXPECT_FALSE(HasKnownExtension(L"C:\\x.jpeg"));
}

// What a search for "*.lnk" may bring back through short names.
TEST(PathText, ExtensionOfASearchResult)
{
    EXPECT_TRUE(HasExtension(L"C:\\Menu\\Tool.LNK", L".lnk"));
    EXPECT_FALSE(HasExtension(L"C:\\Menu\\Tool.lnkx", L".lnk"));
    EXPECT_FALSE(HasExtension(L"C:\\Menu\\Toollnk", L".lnk"));
    EXPECT_FALSE(HasExtension(L"nk", L".lnk"));
}
