// Registry and file functions, the path splitter against the C runtime's, the file
// finder and the repaired-items file, on the real (Wine) registry and file system.

#include "ScanHarness.h"

#include "core/Path.h"
#include "core/Utf16Text.h"
#include "engine/FileFinder.h"
#include "engine/FileSystem.h"
#include "engine/Registry.h"
#include "engine/Scanners.h"
#include "engine/RepairedItems.h"
#include "framework/File.h"
#include "framework/Handles.h"

#include <shlwapi.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace {

const std::wstring kSandbox = L"Software\\VelmoraTests\\Utility";


}  // namespace

TEST(RegistryFunctions, ReadWriteAndDefaults)
{
    RegistrySandbox sandbox;
    sandbox.CreateKey(HKEY_LOCAL_MACHINE, kSandbox);  // removed afterwards with everything below

    EXPECT_TRUE(RegWriteString(HKEY_LOCAL_MACHINE, kSandbox + L"\\New\\Deep", L"s", L"testo"));
    EXPECT_EQ(RegReadString(HKEY_LOCAL_MACHINE, kSandbox + L"\\New\\Deep", L"s"), L"testo");
    EXPECT_EQ(RegReadString(HKEY_LOCAL_MACHINE, kSandbox + L"\\New\\Deep", L"missing"), L"");
    EXPECT_EQ(RegReadString(HKEY_LOCAL_MACHINE, kSandbox + L"\\Nope", L"s"), L"");

    EXPECT_TRUE(RegWriteDword(HKEY_LOCAL_MACHINE, kSandbox, L"d", 0));
    EXPECT_EQ(RegReadDword(kSandbox, L"d"), 0u);
    EXPECT_EQ(RegReadDword(kSandbox, L"missing"), 0xFFFFFFFFu);
    EXPECT_TRUE(RegWriteQword(kSandbox, L"q", 0x123456789ull));
    EXPECT_EQ(RegReadQword(kSandbox, L"q"), 0x123456789ull);
    EXPECT_EQ(RegReadQword(kSandbox, L"missing"), ~0ull);
    const unsigned char bytes[3] = {1, 2, 3};
    unsigned char back[3] = {};
    EXPECT_TRUE(RegWriteBinary(kSandbox, L"b", bytes, 3));
    EXPECT_TRUE(RegReadBinary(kSandbox, L"b", back, 3));
    EXPECT_EQ(back[2], 3);
    EXPECT_FALSE(RegReadBinary(kSandbox, L"missing", back, 3));
    // A DWORD read as text: its bytes up to the first zero code unit.
    EXPECT_TRUE(RegWriteDword(HKEY_LOCAL_MACHINE, kSandbox, L"one", 1));
    EXPECT_EQ(RegReadString(HKEY_LOCAL_MACHINE, kSandbox, L"one"), std::wstring(1, wchar_t{1}));

    // 511 characters and the terminator fit in 1024 bytes; one more does not.
    const std::wstring fits(511, L'x');
    EXPECT_TRUE(RegWriteString(HKEY_LOCAL_MACHINE, kSandbox, L"fits", fits));
    EXPECT_EQ(RegReadString(HKEY_LOCAL_MACHINE, kSandbox, L"fits"), fits);
    EXPECT_TRUE(RegWriteString(HKEY_LOCAL_MACHINE, kSandbox, L"long", fits + L"x"));
    EXPECT_EQ(RegReadString(HKEY_LOCAL_MACHINE, kSandbox, L"long"), L"");

    EXPECT_TRUE(RegKeyExists(kSandbox, HKEY_LOCAL_MACHINE));
    EXPECT_FALSE(RegKeyExists(kSandbox + L"\\Nope", HKEY_LOCAL_MACHINE));
    EXPECT_TRUE(RegDeleteValueAt(HKEY_LOCAL_MACHINE, kSandbox, L"d"));
    EXPECT_FALSE(RegDeleteValueAt(HKEY_LOCAL_MACHINE, kSandbox, L"d"));
    EXPECT_FALSE(RegDeleteValueAt(HKEY_LOCAL_MACHINE, kSandbox + L"\\Nope", L"d"));
}

TEST(RegistryFunctions, KeysAndListings)
{
    RegistrySandbox sandbox;
    sandbox.CreateKey(HKEY_LOCAL_MACHINE, kSandbox);
    EXPECT_TRUE(RegCreateKeyAt(HKEY_LOCAL_MACHINE, kSandbox + L"\\Parent\\Child"));
    // A key that still has subkeys is not deleted.
    EXPECT_FALSE(RegDeleteKeyAt(HKEY_LOCAL_MACHINE, kSandbox + L"\\Parent"));
    EXPECT_TRUE(RegKeyExists(kSandbox + L"\\Parent\\Child", HKEY_LOCAL_MACHINE));
    EXPECT_TRUE(RegDeleteKeyAt(HKEY_LOCAL_MACHINE, kSandbox + L"\\Parent\\Child"));
    EXPECT_TRUE(RegDeleteKeyAt(HKEY_LOCAL_MACHINE, kSandbox + L"\\Parent"));

    RegCreateKeyAt(HKEY_LOCAL_MACHINE, kSandbox + L"\\A");
    RegCreateKeyAt(HKEY_LOCAL_MACHINE, kSandbox + L"\\B");
    const CStringArrayEx subkeys = RegListSubkeys(kSandbox);
    ASSERT_EQ(subkeys.GetSize(), 2);
    EXPECT_EQ(subkeys[0], L"A\r\n");
    EXPECT_EQ(subkeys[1], L"B\r\n");
    EXPECT_EQ(RegListSubkeys(kSandbox + L"\\Nope").GetSize(), 0);

    RegWriteString(HKEY_LOCAL_MACHINE, kSandbox + L"\\A", L"name", L"data");
    const CStringArrayEx lines = RegListValuesHtml(HKEY_LOCAL_MACHINE, kSandbox + L"\\A");
    ASSERT_EQ(lines.GetSize(), 1);
    EXPECT_EQ(lines[0], L"<b>[name]</b>, data\r\n");
    EXPECT_EQ(RegListValuesHtml(HKEY_LOCAL_MACHINE, kSandbox + L"\\Nope").GetSize(), 0);
}

TEST(FileFunctions, OnlyANotFoundAnswerMeansMissing)
{
    // Whatever cannot be looked up is present: an unknown answer is never a problem.
    const std::pair<DWORD, bool> answers[] = {
        {ERROR_ACCESS_DENIED, true},     {ERROR_NOT_READY, true},         {ERROR_BAD_NETPATH, true},
        {ERROR_SHARING_VIOLATION, true}, {ERROR_FILE_NOT_FOUND, false},   {ERROR_PATH_NOT_FOUND, false},
        {ERROR_INVALID_NAME, false},     {ERROR_INVALID_DRIVE, false},
    };
    for (const auto& [error, present] : answers) {
        CFileLookupErrorOverride lookup(error);
        EXPECT_EQ(FileExists(L"C:\\VelmoraT\\gone.exe"), present) << error;
        EXPECT_EQ(NamesMissingFile(L"C:\\VelmoraT\\gone.exe"), !present) << error;
    }
    EXPECT_FALSE(FileExists(L"C:\\VelmoraT\\gone.exe"));
}

TEST(FileFunctions, ExistenceExpansionAndModulePath)
{
    ScratchFolder scratch(TempFolder(), L"VelmoraUtilFiles");
    const std::wstring file = scratch.AddFile(L"a.txt", "12345");
    EXPECT_TRUE(FileExists(file));
    EXPECT_TRUE(FileExists(scratch.Path()));
    EXPECT_FALSE(FileExists(scratch.Path() + L"\\missing.txt"));
    EXPECT_EQ(GetFileLength(file), 5);
    EXPECT_EQ(GetFileLength(scratch.Path() + L"\\missing.txt"), -1);

    // An existing file whose path has 260 characters or more is still found.
    std::wstring deep = L"\\\\?\\" + scratch.Path();
    for (int i = 0; i < 4; ++i) {
        deep += L"\\" + std::wstring(80, static_cast<wchar_t>(L'a' + i));
        ASSERT_TRUE(::CreateDirectoryW(deep.c_str(), nullptr));
    }
    const std::wstring longFile = deep.substr(4) + L"\\long.exe";
    UniqueHandle handle(::CreateFileW((L"\\\\?\\" + longFile).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(static_cast<bool>(handle));
    handle.reset();
    ASSERT_GE(longFile.size(), 260u);
    EXPECT_TRUE(FileExists(longFile));
    EXPECT_FALSE(FileExists(deep.substr(4) + L"\\gone.exe"));

    // Wildcards are never a pattern: a folder holding "a.txt" has no "*.txt" or "a.tx?".
    EXPECT_FALSE(FileExists(scratch.Path() + L"\\*.txt"));
    EXPECT_FALSE(FileExists(scratch.Path() + L"\\a.tx?"));
    EXPECT_FALSE(FileExists(L"Q:\\VelmoraNoDrive\\x.exe"));

    ::SetEnvironmentVariableW(L"VELMORA_TEST_VAR", L"C:\\Espanso");
    EXPECT_EQ(ExpandEnv(L"%VELMORA_TEST_VAR%\\x.exe"), L"C:\\Espanso\\x.exe");
    EXPECT_EQ(ExpandEnv(L"%VELMORA_UNSET_VAR%\\x"), L"%VELMORA_UNSET_VAR%\\x");

    const std::wstring module = GetModulePath();
    EXPECT_EQ(GetFileNamePart(module), L"engine_tests.exe");
    EXPECT_EQ(GetModuleFolder() + L"\\engine_tests.exe", module);
    EXPECT_EQ(GetFileNamePart(L"plain"), L"plain");
    EXPECT_EQ(GetFileNamePart(L"C:\\dir\\"), L"");
}

TEST(PathSplitter, AgreesWithTheRuntimeSplitter)
{
    const wchar_t* texts[] = {L"C:\\Programmi\\app.exe", L"\"C:\\Programmi\\app.exe\"", L"dir/sub/file.tar.gz",
                              L"C:", L"C:file.txt", L"\\\\server\\share\\x.lnk", L".profile", L"name.",
                              L"C:\\dir.d\\noext", L"a\\", L"\\:x.y", L"x", L"C:/mixed\\seps/f.lnk"};
    for (const wchar_t* text : texts) {
        SCOPED_TRACE(testing::Message() << "path index " << (&text - texts));
        wchar_t unquoted[MAX_PATH];
        lstrcpynW(unquoted, text, MAX_PATH);
        PathUnquoteSpacesW(unquoted);
        wchar_t drive[3], dir[256], name[256], ext[256];
        _wsplitpath(unquoted, drive, dir, name, ext);
        std::wstring directory = dir;
        for (wchar_t& c : directory)
            if (c == L'/')
                c = L'\\';
        std::wstring extension = ext;
        std::erase(extension, L'.');

        const CPath path(text);
        EXPECT_EQ(path.Drive, drive);
        EXPECT_EQ(path.Directory, directory);
        EXPECT_EQ(path.FileName, name);
        EXPECT_EQ(path.Extension, extension);
    }
}

namespace {

struct FinderLog {
    std::vector<std::pair<int, std::wstring>> events;
    int stopAfterEntries = -1;
};

void LogCallback(CFileFinder& finder, int code, void* user)
{
    auto* log = static_cast<FinderLog*>(user);
    log->events.emplace_back(code, code == CFileFinder::kSearchingFolder
                                       ? finder.CurrentFolder()
                                       : finder.Found[finder.Found.GetSize() - 1]);
    if (code == CFileFinder::kEntryFound && --log->stopAfterEntries == 0)
        finder.StopRequested = true;
}

}  // namespace

TEST(FileFinder, DeepestFoldersFirstAndStopEndsEverything)
{
    ScratchFolder scratch(TempFolder(), L"VelmoraFinder");
    const std::wstring root = scratch.Path() + L"\\";
    // One folder per level, so the expected order does not depend on how the file
    // system orders siblings.
    scratch.AddFile(L"top.lnk");
    scratch.AddFile(L"top.txt");
    scratch.AddFile(L"a\\folder.lnk\\b\\deep.lnk");

    FinderLog log;
    CFileFinder finder;
    finder.SetCallback(&LogCallback, &log);
    EXPECT_EQ(finder.FindFiles(scratch.Path(), L"*.lnk", true), 3);
    const std::vector<std::pair<int, std::wstring>> expected = {
        {2, root + L"a\\folder.lnk\\b\\"},
        {0, root + L"a\\folder.lnk\\b\\deep.lnk"},
        {2, root + L"a\\folder.lnk\\"},
        {2, root + L"a\\"},
        {0, root + L"a\\folder.lnk\\"},
        {2, root},
        {0, root + L"top.lnk"},
    };
    EXPECT_EQ(log.events, expected);
    ASSERT_EQ(finder.Found.GetSize(), 3);
    EXPECT_EQ(finder.Found[0], root + L"a\\folder.lnk\\b\\deep.lnk");

    // Not cleared between searches; with KeepAll off only the latest entry stays.
    EXPECT_EQ(finder.FindFiles(root, L"*.lnk", false), 4);
    finder.KeepAll = false;
    EXPECT_EQ(finder.FindFiles(root, L"*.lnk", true), 1);

    // A stop request from inside the deepest folder ends the search at every depth,
    // and holds for a later search until the owner clears it.
    FinderLog stopping;
    stopping.stopAfterEntries = 1;
    CFileFinder stopped;
    stopped.SetCallback(&LogCallback, &stopping);
    EXPECT_EQ(stopped.FindFiles(root, L"*.lnk", true), 1);
    EXPECT_EQ(stopping.events.size(), 2u);
    EXPECT_TRUE(stopped.StopRequested);
    EXPECT_EQ(stopped.FindFiles(root, L"*.txt", false), 1);
    EXPECT_EQ(stopping.events.size(), 2u);
    stopped.StopRequested = false;
    EXPECT_EQ(stopped.FindFiles(root, L"*.txt", false), 2);
}

TEST(FileFinder, MatchesAsTheFileSystemDoes)
{
    ScratchFolder scratch(TempFolder(), L"VelmoraFinderMasks");
    for (const wchar_t* name : {L"a.LNK", L"b.lnk.txt", L"c.txt", L"Shortcut With Long Name.lnkx", L"sub.lnk\\x.txt"})
        scratch.AddFile(name);
    const std::wstring root = scratch.Path() + L"\\";
    for (const wchar_t* mask : {L"*.lnk", L"?.txt", L"*", L"*.?nk", L"B*", L"*.t*t", L"sub.lnk", L"none"}) {
        std::vector<std::wstring> listed;
        CFileFind find;
        for (bool more = find.FindFile(root + mask); more; more = find.FindNextFile())
            if (!find.IsDots())
                listed.push_back(find.GetFilePath() + (find.IsDirectory() ? L"\\" : L""));
        CFileFinder finder;
        finder.FindFiles(scratch.Path(), mask, false);
        std::vector<std::wstring> found;
        for (std::ptrdiff_t i = 0; i < finder.Found.GetSize(); ++i)
            found.push_back(finder.Found[i]);
        std::sort(listed.begin(), listed.end());
        std::sort(found.begin(), found.end());
        EXPECT_EQ(found, listed) << testing::PrintToString(std::wstring(mask));
    }
}

TEST(FileFinder, WalksTreesDeeperThanTheOldPathLimit)
{
    ScratchFolder scratch(TempFolder(), L"VelmoraFinderDeep");
    std::wstring deep = scratch.Path();
    for (int level = 0; level < 150; ++level) {
        deep += L"\\dd";
        ASSERT_TRUE(::CreateDirectoryW((L"\\\\?\\" + deep).c_str(), nullptr)) << level;
    }
    ASSERT_GT(deep.size(), 400u);
    UniqueHandle(::CreateFileW((L"\\\\?\\" + deep + L"\\bottom.lnk").c_str(), GENERIC_WRITE, 0, nullptr,
                               CREATE_ALWAYS, 0, nullptr));
    scratch.AddFile(L"top.lnk");

    CFileFinder finder;
    EXPECT_EQ(finder.FindFiles(scratch.Path(), L"*.lnk", true), 2);
    ASSERT_EQ(finder.Found.GetSize(), 2);
    EXPECT_EQ(finder.Found[0], deep + L"\\bottom.lnk");
    EXPECT_EQ(finder.Found[1], scratch.Path() + L"\\top.lnk");
}

TEST(FileFinder, DoesNotEnterLinkedFolders)
{
    ScratchFolder scratch(TempFolder(), L"VelmoraFinderLinks");
    scratch.AddFile(L"real\\inside.lnk");
    const std::wstring link = scratch.Path() + L"\\loop";
    // A link back to the searched folder would make a naive walk endless.
    if (!::CreateSymbolicLinkW(link.c_str(), scratch.Path().c_str(), SYMBOLIC_LINK_FLAG_DIRECTORY))
        GTEST_SKIP() << "symbolic links cannot be created here (error " << ::GetLastError() << ")";
    CFileFinder finder;
    EXPECT_EQ(finder.FindFiles(scratch.Path(), L"*.lnk", true), 1);
    EXPECT_EQ(finder.Found[0], scratch.Path() + L"\\real\\inside.lnk");
    ::RemoveDirectoryW(link.c_str());
}

class RepairedItemsFile : public testing::Test {
protected:
    void SetUp() override
    {
        wchar_t old[1024];
        const DWORD length = ::GetEnvironmentVariableW(L"APPDATA", old, 1024);
        m_oldAppData.assign(old, length);
        ::SetEnvironmentVariableW(L"APPDATA", m_scratch.Path().c_str());
    }
    void TearDown() override { ::SetEnvironmentVariableW(L"APPDATA", m_oldAppData.c_str()); }

    ScratchFolder m_scratch{TempFolder(), L"VelmoraAppData"};
    std::wstring m_oldAppData;
};

TEST_F(RepairedItemsFile, MissingFileGivesEmptyListAndCreatesFolder)
{
    EXPECT_EQ(CRepairedItems::FilePath(), m_scratch.Path() + L"\\Velmora\\log.dat");
    CRepairedItems items;
    items.Add(CRegistryItem{});
    EXPECT_TRUE(items.Load());
    EXPECT_EQ(items.GetSize(), 0);
    EXPECT_TRUE(FileExists(m_scratch.Path() + L"\\Velmora"));
    EXPECT_FALSE(FileExists(CRepairedItems::FilePath()));
}

TEST_F(RepairedItemsFile, SaveWritesUtf16WithoutBomAndLoadReadsItBack)
{
    CRepairedItems items;
    CRegistryItem item;
    item.Root = kRootClassesRoot;
    item.Hive = L"HKEY_CLASSES_ROOT";
    item.Type = 1;
    item.SubKey = L"CLSID\\{\u00e8}";
    item.ValueName = L"AppID";
    item.ValueData = L"not stored";
    items.Add(item);
    ASSERT_TRUE(items.Save());

    std::string bytes;
    ASSERT_TRUE(CFile::ReadAll(CRepairedItems::FilePath(), bytes));
    EXPECT_EQ(bytes, utf16::EncodeLe(L"HKEY_CLASSES_ROOT::REG_SZ::CLSID\\{\u00e8}::ValueName=AppID::;;\r\n"));

    CRepairedItems loaded;
    ASSERT_TRUE(loaded.Load());
    ASSERT_EQ(loaded.GetSize(), 1);
    EXPECT_TRUE(loaded.Contains(item));
    EXPECT_EQ(loaded[0].ValueData, L"");
}

TEST_F(RepairedItemsFile, LoadSkipsMalformedRecordsAndAcceptsBom)
{
    CRepairedItems folderMaker;
    ASSERT_TRUE(folderMaker.Load());
    const std::wstring text = L"\uFEFFHKEY_USERS::REG_SZ::k1::ValueName=v1::;;\r\n"
                              L"only::two;;\r\n"
                              L"HKEY_CURRENT_USER::REG_DWORD::k2::ValueName=v2::;;\r\n"
                              L"HKEY_CURRENT_USER::REG_SZ::k3::ValueName=unterminated::";
    ASSERT_TRUE(CFile::WriteAll(CRepairedItems::FilePath(), utf16::EncodeLe(text)));
    CRepairedItems items;
    ASSERT_TRUE(items.Load());
    ASSERT_EQ(items.GetSize(), 2);
    EXPECT_EQ(items[0].Root, kRootUsers);
    EXPECT_EQ(items[0].SubKey, L"k1");
    EXPECT_EQ(items[1].Type, 4u);
    EXPECT_EQ(items[1].ValueName, L"v2");
}
