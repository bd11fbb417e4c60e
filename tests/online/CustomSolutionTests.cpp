// The custom solution carried out against a sandbox of files, folders, registry values,
// a browser helper object and running helper processes, with a backup that records what
// it is asked to keep (or refuses, so that nothing may be removed).

#include "core/BackupFile.h"
#include "core/Md5.h"
#include "framework/Handles.h"
#include "online/CustomSolution.h"
#include "online/SystemSnapshot.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

namespace {

constexpr wchar_t kValueKey[] = L"Software\\VelmoraSolutionTest";
constexpr wchar_t kHelperObjectsKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Browser Helper Objects";
constexpr wchar_t kClassId[] = L"{5E1A7F00-0000-4000-8000-00000000A001}";

class CRecordingBackup final : public ISolutionBackup {
public:
    explicit CRecordingBackup(bool keeps) : m_keeps(keeps) {}
    bool SaveRegistryEntry(std::int32_t action, const CRegistryItem& item) override
    {
        if (m_keeps)
            lines.push_back(FormatBackupLine(action, item));
        return m_keeps;
    }
    bool PreserveFile(const std::wstring& path) override
    {
        if (m_keeps)
            files.push_back(path);
        return m_keeps;
    }
    std::vector<std::wstring> lines;
    std::vector<std::wstring> files;

private:
    bool m_keeps;
};

bool Exists(const std::wstring& path)
{
    return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void WriteFile(const std::wstring& path, const char* text)
{
    UniqueHandle file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    DWORD written = 0;
    ASSERT_TRUE(file && ::WriteFile(file.get(), text, static_cast<DWORD>(strlen(text)), &written, nullptr));
}

std::vector<DWORD> ProcessIdsOf(const std::vector<PROCESS_INFORMATION>& processes)
{
    std::vector<DWORD> ids;
    for (const PROCESS_INFORMATION& process : processes)
        ids.push_back(process.dwProcessId);
    return ids;
}

// Files, folders, registry values and suspended helper processes, removed again at the end.
class Sandbox : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::wstring temp(MAX_PATH, L'\0');
        temp.resize(::GetTempPathW(MAX_PATH, temp.data()));
        root = temp + L"velmora-solution-" + std::to_wstring(::GetCurrentProcessId());
        ASSERT_TRUE(::CreateDirectoryW(root.c_str(), nullptr));
        ASSERT_TRUE(::CreateDirectoryW((root + L"\\dir").c_str(), nullptr));
        ASSERT_TRUE(::CreateDirectoryW((root + L"\\dir\\sub").c_str(), nullptr));
        WriteFile(root + L"\\loose.txt", "loose");
        WriteFile(root + L"\\dir\\a.txt", "a");
        WriteFile(root + L"\\dir\\sub\\b.txt", "b");
        WriteFile(root + L"\\fake.dll", "not a library");
        ASSERT_NE(RegCreate(HKEY_CURRENT_USER, kValueKey), nullptr);
        SetString(HKEY_CURRENT_USER, kValueKey, L"Adware", L"C:\\adware.exe");
        const DWORD count = 7;
        ::RegSetKeyValueW(HKEY_CURRENT_USER, kValueKey, L"Count", REG_DWORD, &count, sizeof(count));
        helperObject = std::wstring(kHelperObjectsKey) + L"\\" + kClassId;
        ASSERT_NE(RegCreate(HKEY_LOCAL_MACHINE, helperObject), nullptr);
        SetString(HKEY_LOCAL_MACHINE, helperObject, L"NoExplorer", L"1");
        const std::wstring server = std::wstring(L"CLSID\\") + kClassId + L"\\InprocServer32";
        ASSERT_NE(RegCreate(HKEY_CLASSES_ROOT, server), nullptr);
        SetString(HKEY_CLASSES_ROOT, server, L"", root + L"\\fake.dll");
        std::wstring self(MAX_PATH, L'\0');
        self.resize(::GetModuleFileNameW(nullptr, self.data(), MAX_PATH));
        helperPath = root + L"\\SolnHelper.exe";
        ASSERT_TRUE(::CopyFileW(self.c_str(), helperPath.c_str(), FALSE));
        for (int i = 0; i < 2; ++i) {
            STARTUPINFOW startup{};
            startup.cb = sizeof(startup);
            PROCESS_INFORMATION process{};
            std::wstring commandLine = L"\"" + helperPath + L"\"";
            ASSERT_TRUE(::CreateProcessW(helperPath.c_str(), commandLine.data(), nullptr, nullptr, FALSE,
                                         CREATE_SUSPENDED, nullptr, nullptr, &startup, &process))
                << "error " << ::GetLastError();
            helpers.push_back(process);
        }
    }

    void TearDown() override
    {
        for (const PROCESS_INFORMATION& process : helpers) {
            ::TerminateProcess(process.hProcess, 0);
            ::WaitForSingleObject(process.hProcess, 5000);
            ::CloseHandle(process.hThread);
            ::CloseHandle(process.hProcess);
        }
        ::RegDeleteTreeW(HKEY_CURRENT_USER, kValueKey);
        ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, helperObject.c_str());
        ::RegDeleteTreeW(HKEY_CLASSES_ROOT, (std::wstring(L"CLSID\\") + kClassId).c_str());
        for (const wchar_t* file : {L"\\loose.txt", L"\\dir\\a.txt", L"\\dir\\sub\\b.txt", L"\\dir\\locked.txt",
                                    L"\\fake.dll", L"\\SolnHelper.exe"}) {
            ::SetFileAttributesW((root + file).c_str(), FILE_ATTRIBUTE_NORMAL);
            ::DeleteFileW((root + file).c_str());
        }
        for (const wchar_t* folder : {L"\\dir\\sub", L"\\dir", L""})
            ::RemoveDirectoryW((root + folder).c_str());
    }

    static HKEY RegCreate(HKEY parent, const std::wstring& path)
    {
        UniqueHKey key;
        if (::RegCreateKeyExW(parent, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.put(), nullptr) !=
            ERROR_SUCCESS)
            return nullptr;
        return parent;
    }
    static void SetString(HKEY root, const std::wstring& path, const wchar_t* name, const std::wstring& text)
    {
        ::RegSetKeyValueW(root, path.c_str(), name, REG_SZ, text.c_str(),
                          static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    }
    static bool ValueExists(HKEY root, const std::wstring& path, const wchar_t* name)
    {
        return ::RegGetValueW(root, path.c_str(), name, RRF_RT_ANY, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
    }
    static bool RegKeyExistsForTest(const std::wstring& path)
    {
        UniqueHKey key;
        return ::RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, key.put()) == ERROR_SUCCESS;
    }
    [[nodiscard]] bool HelpersRunning() const
    {
        for (const PROCESS_INFORMATION& process : helpers) {
            if (::WaitForSingleObject(process.hProcess, 0) != WAIT_TIMEOUT)
                return false;
        }
        return true;
    }
    [[nodiscard]] std::wstring Commands() const
    {
        return L"1%SolnHelper.exe;1%solnhelper.exe;2%" + root + L"\\loose.txt;;3%" + root + L"\\dir;" +
               L"4%HKEY_CURRENT_USER:" + kValueKey + L":Adware;4%HKEY_CURRENT_USER:" + kValueKey + L":Count;" +
               L"4%HKEY_CURRENT_USER:" + kValueKey + L":;4%HKEY_CLASSES_ROOT:" + kValueKey + L":Adware;" +
               L"2%" + root + L"\\missing.txt;6%" + kClassId + L";3%";
    }

    std::wstring root;
    std::wstring helperObject;
    std::wstring helperPath;
    std::vector<PROCESS_INFORMATION> helpers;
};

}  // namespace

TEST_F(Sandbox, EveryActionRemovesWithAWayBackAndReportsEachItem)
{
    WriteFile(root + L"\\dir\\locked.txt", "kept");
    ASSERT_TRUE(::SetFileAttributesW((root + L"\\dir\\locked.txt").c_str(), FILE_ATTRIBUTE_READONLY));
    CCustomSolution solution;
    solution.Parse(Commands());
    ASSERT_TRUE(solution.IsParsed());
    const std::vector<DWORD> ids = ProcessIdsOf(helpers);
    std::vector<std::wstring> expectedActions = {
        L"1;" + std::to_wstring(ids[0]) + L";SolnHelper.exe", L"1;" + std::to_wstring(ids[1]) + L";SolnHelper.exe",
        L"2;" + root + L"\\loose.txt", L"3;" + root + L"\\dir",
        L"4;HKEY_CURRENT_USER;" + std::wstring(kValueKey) + L";Adware",
        L"4;HKEY_CURRENT_USER;" + std::wstring(kValueKey) + L";Count", L"6;" + std::wstring(kClassId)};
    std::vector<std::wstring> actions;
    for (std::ptrdiff_t i = 0; i < solution.Actions().GetSize(); ++i)
        actions.push_back(solution.Actions()[i]);
    // Toolhelp lists processes in no promised order.
    if (actions.size() >= 2 && actions[0] != expectedActions[0])
        std::swap(actions[0], actions[1]);
    EXPECT_EQ(actions, expectedActions);

    CRecordingBackup backup(true);
    const std::wstring report = solution.Execute(backup);
    const std::wstring dir = root + L"\\dir";
    const std::wstring where = std::wstring(L"HKEY_CURRENT_USER\\") + kValueKey;
    EXPECT_NE(report.find(L"Process = SolnHelper.exe has been killed\r\nProcess = SolnHelper.exe has been killed\r\n"),
              std::wstring::npos);
    for (const std::wstring& line :
         {L"File = " + root + L"\\loose.txt has been deleted\r\n", L"Folder deleted: " + dir + L"\\a.txt\r\n",
          L"Folder deleted: " + dir + L"\\sub\\b.txt\r\nFolder deleted: " + dir + L"\\sub\r\n",
          L"Folder was not deleted: " + dir + L"\\locked.txt\r\n", L"Folder was not deleted: " + dir + L"\r\n",
          L"Registry Item = " + where + L" /Adware has been deleted\r\n",
          L"Registry Item = " + where + L" /Count has been deleted\r\n",
          L"Dll = " + root + L"\\fake.dll could not be unregistered because it was not registered.\r\nDll = " + root +
              L"\\fake.dll has been deleted.\r\nBHO = " + kClassId + L" has been removed\r\n"})
        EXPECT_NE(report.find(line), std::wstring::npos) << line;

    for (const PROCESS_INFORMATION& process : helpers)
        EXPECT_EQ(::WaitForSingleObject(process.hProcess, 5000), WAIT_OBJECT_0);
    EXPECT_FALSE(Exists(root + L"\\loose.txt"));
    EXPECT_FALSE(Exists(dir + L"\\sub"));
    EXPECT_TRUE(Exists(dir + L"\\locked.txt"));
    EXPECT_FALSE(Exists(root + L"\\fake.dll"));
    EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, kValueKey, L"Adware"));
    EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, kValueKey, L"Count"));
    EXPECT_FALSE(RegKeyExistsForTest(helperObject));

    const std::vector<std::wstring> expectedLines = {
        L"1::HKEY_CURRENT_USER::REG_SZ::" + std::wstring(kValueKey) + L"::ValueName=Adware::C:\\adware.exe::;;\r\n",
        L"1::HKEY_CURRENT_USER::REG_DWORD::" + std::wstring(kValueKey) + L"::ValueName=Count::7::;;\r\n",
        L"2::HKEY_LOCAL_MACHINE::REG_SZ::" + helperObject + L"::ValueName=::::;;\r\n",
        L"1::HKEY_LOCAL_MACHINE::REG_SZ::" + helperObject + L"::ValueName=NoExplorer::1::;;\r\n"};
    EXPECT_EQ(backup.lines, expectedLines);
    EXPECT_EQ(backup.files.size(), 5u);  // loose.txt, a.txt, b.txt, locked.txt and the DLL
}

TEST_F(Sandbox, NothingIsRemovedThatCouldNotBeKept)
{
    CCustomSolution solution;
    solution.Parse(Commands());
    CRecordingBackup refusing(false);
    const std::wstring report = solution.Execute(refusing);
    EXPECT_NE(report.find(L"File = " + root + L"\\loose.txt was not deleted\r\n"), std::wstring::npos);
    EXPECT_NE(report.find(L"Registry Item =  HKEY_CURRENT_USER\\" + std::wstring(kValueKey) + L" /Adware was not deleted"),
              std::wstring::npos);
    EXPECT_NE(report.find(L"Dll = " + root + L"\\fake.dll was not deleted.\r\n"), std::wstring::npos);
    EXPECT_NE(report.find(L"BHO = " + std::wstring(kClassId) + L" was not removed\r\n"), std::wstring::npos);
    for (const wchar_t* file : {L"\\loose.txt", L"\\dir\\a.txt", L"\\dir\\sub\\b.txt", L"\\fake.dll"})
        EXPECT_TRUE(Exists(root + file)) << file;
    EXPECT_TRUE(ValueExists(HKEY_CURRENT_USER, kValueKey, L"Adware"));
    EXPECT_TRUE(RegKeyExistsForTest(helperObject));
}

TEST_F(Sandbox, ValuesNoBackupLineCouldBringBackByteForByteStay)
{
    // Read as text, both would pass for "C:\x.exe" and come back shorter or longer.
    const std::wstring withNul(L"C:\\x.exe\0tail\0", 14);
    ::RegSetKeyValueW(HKEY_CURRENT_USER, kValueKey, L"WithNul", REG_SZ, withNul.data(),
                      static_cast<DWORD>(withNul.size() * sizeof(wchar_t)));
    // What follows in memory is not NUL either, or the registry would count the
    // terminator in by itself.
    const std::wstring open = L"C:\\x.exeQ";
    ::RegSetKeyValueW(HKEY_CURRENT_USER, kValueKey, L"Open", REG_SZ, open.data(), 8 * sizeof(wchar_t));
    CCustomSolution solution;
    solution.Parse(L"4%HKEY_CURRENT_USER:" + std::wstring(kValueKey) + L":WithNul;4%HKEY_CURRENT_USER:" + kValueKey +
                   L":Open");
    ASSERT_EQ(solution.Actions().GetSize(), 2);
    CRecordingBackup backup(true);
    const std::wstring report = solution.Execute(backup);
    const std::wstring where = L"Registry Item =  HKEY_CURRENT_USER\\" + std::wstring(kValueKey);
    EXPECT_EQ(report, where + L" /WithNul was not deleted\r\n" + where + L" /Open was not deleted\r\n");
    EXPECT_TRUE(backup.lines.empty());
    EXPECT_TRUE(ValueExists(HKEY_CURRENT_USER, kValueKey, L"WithNul"));
    EXPECT_TRUE(ValueExists(HKEY_CURRENT_USER, kValueKey, L"Open"));
}

TEST_F(Sandbox, NothingToDoGivesTheStaffMessageAndTheProgramNeverRemovesItself)
{
    std::wstring self(MAX_PATH, L'\0');
    self.resize(::GetModuleFileNameW(nullptr, self.data(), MAX_PATH));
    const std::wstring ownName = self.substr(self.find_last_of(L'\\') + 1);
    CCustomSolution solution;
    // Neither the program's own process nor a folder holding it (or a whole drive) is touched.
    solution.Parse(L"1%" + ownName + L";3%" + self.substr(0, self.find_last_of(L'\\')) + L";3%C:\\;3%" +
                   self.substr(0, self.find(L'\\', 3)) + L";2%" + root + L"\\missing.txt;4%HKEY_CURRENT_USER:" +
                   kValueKey + L":Missing;;6%{00000000-0000-0000-0000-000000000000};9%" + root + L"\\loose.txt");
    EXPECT_TRUE(solution.Actions().IsEmpty());
    CRecordingBackup backup(true);
    EXPECT_EQ(solution.Execute(backup).rfind(L"Il nostro staff ha meticolosamente", 0), 0u);
    EXPECT_TRUE(backup.lines.empty());
    EXPECT_TRUE(HelpersRunning());
}

TEST_F(Sandbox, ProgramFileFactsAreReadInBlocks)
{
    const SnapshotProcess facts = ProgramFileFacts(root + L"\\loose.txt");
    EXPECT_EQ(facts.size, 5);
    CMd5 md5;
    md5.Update(reinterpret_cast<const std::uint8_t*>("loose"), 5);
    EXPECT_EQ(facts.md5, md5.FinishHex());
    const SnapshotProcess missing = ProgramFileFacts(root + L"\\missing.exe");
    EXPECT_EQ(missing.size, -1);
    EXPECT_TRUE(missing.md5.empty());
    std::wstring marked;
    const std::wstring plain = BuildSnapshot(marked);
    EXPECT_NE(plain.find(L"\r\nRunning Processes\r\n"), std::wstring::npos);
    EXPECT_NE(marked.find(L"\r\n<b>BHO Items</b>\r\n"), std::wstring::npos);
    EXPECT_NE(plain.find(std::wstring(kClassId) + L"\r\n"), std::wstring::npos);
}
