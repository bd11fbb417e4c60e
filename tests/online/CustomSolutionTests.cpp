// The custom solution carried out against a sandbox of files, folders, registry values,
// a browser helper object and running helper processes, with a backup that records what
// it is asked to keep (or refuses, so that nothing may be removed); and the solution
// against every spelling of the system's and the program's own folders.

#include "core/BackupFile.h"
#include "core/Md5.h"
#include "engine/BackupRestore.h"
#include "engine/FileSystem.h"
#include "framework/Handles.h"
#include "online/CustomSolution.h"
#include "online/SolutionPathGuard.h"
#include "online/SystemSnapshot.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <map>
#include <optional>
#include <memory>
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
    bool PreserveFile(HANDLE, const std::wstring& path) override
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

// Every entry in folder (and with deep, below it) with its size; links are not entered.
std::map<std::wstring, std::int64_t> ListingOf(const std::wstring& folder, bool deep = false)
{
    std::map<std::wstring, std::int64_t> listing;
    WIN32_FIND_DATAW found{};
    UniqueFindHandle search(::FindFirstFileW((folder + L"\\*").c_str(), &found));
    if (!search)
        return listing;
    do {
        const std::wstring name = found.cFileName;
        if (name == L"." || name == L"..")
            continue;
        const std::wstring path = folder + L"\\" + name;
        listing[path] = (static_cast<std::int64_t>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
        if (deep && (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
            !(found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
            listing.merge(ListingOf(path, true));
    } while (::FindNextFileW(search.get(), &found));
    return listing;
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
        ASSERT_NE(RegCreate(HKEY_LOCAL_MACHINE, Server()), nullptr);
        SetString(HKEY_LOCAL_MACHINE, Server(), L"", root + L"\\fake.dll");
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
        ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, (std::wstring(L"Software\\Classes\\CLSID\\") + kClassId).c_str());
        for (const wchar_t* file : {L"\\loose.txt", L"\\dir\\a.txt", L"\\dir\\sub\\b.txt", L"\\dir\\locked.txt",
                                    L"\\fake.dll", L"\\probe.dll", L"\\SolnHelper.exe"}) {
            ::SetFileAttributesW((root + file).c_str(), FILE_ATTRIBUTE_NORMAL);
            ::DeleteFileW((root + file).c_str());
        }
        const std::wstring backup = root + L"\\backup";
        for (const std::wstring& found : FindBackupFiles(backup))
            static_cast<void>(DeleteBackupFiles(found));
        for (const std::wstring folder : {L"\\dir\\sub", L"\\dir", L"\\backup", L""})
            ::RemoveDirectoryW((root + folder).c_str());
    }

    static std::wstring Server()
    {
        return std::wstring(L"Software\\Classes\\CLSID\\") + kClassId + L"\\InprocServer32";
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

    [[nodiscard]] ProtectedPlaces Places() const { return ThisMachinesProtectedPlaces(root + L"\\backup"); }

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
    CCustomSolution solution(Places());
    solution.Parse(Commands());
    ASSERT_TRUE(solution.IsParsed());
    const std::vector<DWORD> ids = ProcessIdsOf(helpers);
    std::vector<std::wstring> expectedActions = {
        L"1;" + std::to_wstring(ids[0]) + L";SolnHelper.exe", L"1;" + std::to_wstring(ids[1]) + L";SolnHelper.exe",
        L"2;" + root + L"\\loose.txt", L"3;" + root + L"\\dir",
        L"4;HKEY_CURRENT_USER;" + std::wstring(kValueKey) + L";Adware",
        L"4;HKEY_CURRENT_USER;" + std::wstring(kValueKey) + L";Count",
        L"6;" + std::wstring(kClassId) + L";" + root + L"\\fake.dll"};
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
    CCustomSolution solution(Places());
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
    CCustomSolution solution(Places());
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

TEST_F(Sandbox, NothingToDoGivesTheStaffMessage)
{
    CCustomSolution solution(Places());
    solution.Parse(L"2%" + root + L"\\missing.txt;4%HKEY_CURRENT_USER:" + kValueKey +
                   L":Missing;;6%{00000000-0000-0000-0000-000000000000};9%" + root + L"\\loose.txt");
    EXPECT_TRUE(solution.Actions().IsEmpty());
    CRecordingBackup backup(true);
    EXPECT_EQ(solution.Execute(backup), kSolutionStaffMessage);
    EXPECT_TRUE(backup.lines.empty());
}

TEST_F(Sandbox, EverySpellingOfAProtectedPlaceIsRefusedAndTheRestMadeCanonical)
{
    const std::wstring own = GetModuleFolder();
    const std::wstring ownParent = own.substr(0, own.rfind(L'\\'));
    wchar_t windows[MAX_PATH] = {};
    ASSERT_GT(::GetWindowsDirectoryW(windows, MAX_PATH), 0u);
    const std::wstring profile = root.substr(0, root.find(L"\\", root.find(L"\\users\\") + 7));
    const struct {
        std::wstring text;
        std::optional<SolutionRefusal> refusal;
        std::wstring canonical;  // for an accepted path
    } cases[] = {
        {L"C:", SolutionRefusal::VolumeRoot, {}},
        {L"C:\\.", SolutionRefusal::VolumeRoot, {}},
        {L"C:/", SolutionRefusal::VolumeRoot, {}},
        {L"C:\\vlmacc\\..", SolutionRefusal::VolumeRoot, {}},
        {root + L"\\..\\..\\..\\..\\..\\..", SolutionRefusal::VolumeRoot, {}},
        {L"\\\\?\\C:\\", SolutionRefusal::DeviceOrNetwork, {}},
        {L"\\\\?\\" + root + L"\\loose.txt", SolutionRefusal::DeviceOrNetwork, {}},
        {L"\\\\.\\C:", SolutionRefusal::DeviceOrNetwork, {}},
        {L"\\\\server\\share\\x", SolutionRefusal::DeviceOrNetwork, {}},
        {L"Q:\\adware.exe", SolutionRefusal::DeviceOrNetwork, {}},  // no such drive: not a local fixed disk
        {L"loose.txt", SolutionRefusal::NotAbsolute, {}},
        {L"\\windows", SolutionRefusal::NotAbsolute, {}},
        {L"C:windows", SolutionRefusal::NotAbsolute, {}},
        {root + L"\\loose.txt:hidden", SolutionRefusal::UnusableName, {}},
        {windows, SolutionRefusal::SystemFolder, {}},
        {L"C:\\WINDOWS\\system32\\..\\", SolutionRefusal::SystemFolder, {}},
        {L"C:\\windows.", SolutionRefusal::SystemFolder, {}},
        {L"c:/windows/win.ini", SolutionRefusal::SystemFolder, {}},
        {L"C:\\windows\\system32\\kernel32.dll", SolutionRefusal::SystemFolder, {}},
        {L"C:\\Program Files", SolutionRefusal::SystemFolder, {}},
        {L"C:\\users", SolutionRefusal::SystemFolder, {}},
        {profile, SolutionRefusal::SystemFolder, {}},
        {own + L"\\.", SolutionRefusal::ProgramFolder, {}},
        {own + L"\\online_tests.exe", SolutionRefusal::ProgramFolder, {}},
        {ownParent, SolutionRefusal::ProgramFolder, {}},
        {root + L"\\backup\\20260101_0000.dat", SolutionRefusal::ProgramFolder, {}},
        {root, SolutionRefusal::ProgramFolder, {}},  // it holds the backup folder
        {root + L"/DIR/./sub/../A.TXT", std::nullopt, root + L"\\dir\\a.txt"},
        {root + L"\\dir\\", std::nullopt, root + L"\\dir"},
        {L"C:\\Program Files\\Adware\\tool.exe", std::nullopt, L"C:\\Program Files\\Adware\\tool.exe"},
    };
    const CSolutionPathGuard guard(Places());
    for (const auto& c : cases) {
        const CheckedPath checked = guard.Check(c.text);
        EXPECT_EQ(checked.refusal, c.refusal) << c.text << L" -> " << checked.path;
        if (!c.refusal) {
            EXPECT_EQ(checked.path, c.canonical) << c.text;
        }
    }

    // The walk goes by identity: a protected folder met below is refused whatever its name.
    ProtectedPlaces places;
    places.own = {root + L"\\dir\\sub"};
    const CSolutionPathGuard walled(places);
    EXPECT_EQ(walled.Check(root + L"\\dir").refusal, SolutionRefusal::ProgramFolder);
    EXPECT_EQ(walled.CheckWalk(root + L"\\dir"), SolutionRefusal::ReachesProtected);
    EXPECT_EQ(walled.CheckWalk(root), SolutionRefusal::ReachesProtected);
    EXPECT_EQ(guard.CheckWalk(root + L"\\dir"), std::nullopt);
}

// A solution mixing hostile commands with two legitimate ones, run with the real backup:
// the system, the program's folder and its backups stay as they were, and the backup
// the run wrote brings the legitimate files back.
TEST_F(Sandbox, HostileSolutionTouchesNothingProtectedAndItsBackupRestores)
{
    const std::wstring own = GetModuleFolder();
    wchar_t windows[MAX_PATH] = {};
    ASSERT_GT(::GetWindowsDirectoryW(windows, MAX_PATH), 0u);
    const std::wstring self = GetModulePath();
    const std::wstring ownName = self.substr(self.rfind(L'\\') + 1);
    // An earlier backup that must survive.
    ASSERT_TRUE(::CreateDirectoryW((root + L"\\backup").c_str(), nullptr));
    WriteFile(root + L"\\backup\\20200101_0000.dat", "");
    const std::wstring ownRespelled = own + L"\\..\\" + own.substr(own.rfind(L'\\') + 1) + L"\\.";
    const std::vector<std::wstring> folders = {L"C:\\.", L"C:\\vlmacc\\..", L"C:", L"C:/", L"\\\\?\\C:\\",
                                               L"\\\\server\\share\\x", L"vlmacc", windows, L"C:\\WINDOWS\\.",
                                               ownRespelled, own + L"\\.", root + L"\\backup", root, L"C:\\users"};
    const std::vector<std::wstring> files = {L"C:\\windows\\win.ini", L"\\\\?\\C:\\windows\\win.ini", self,
                                             root + L"\\backup\\20200101_0000.dat", L"win.ini"};
    std::wstring hostile;
    for (const std::wstring& folder : folders)
        hostile += L"3%" + folder + L";";
    for (const std::wstring& file : files)
        hostile += L"2%" + file + L";";
    hostile += L"5%C:\\windows\\system32\\kernel32.dll;1%services.exe;1%" + ownName + L";";
    const std::wstring legitimate = L"2%" + root + L"\\loose.txt;3%" + root + L"\\dir;";

    const auto windowsBefore = ListingOf(windows, true);
    const auto topBefore = ListingOf(L"C:");
    const auto ownBefore = ListingOf(own);
    const auto backupsBefore = ListingOf(root + L"\\backup");
    ASSERT_FALSE(windowsBefore.empty());

    CCustomSolution solution(Places());
    solution.Parse(hostile + legitimate);
    ASSERT_EQ(solution.Actions().GetSize(), 2);
    EXPECT_EQ(solution.Actions()[0], L"2;" + root + L"\\loose.txt");
    EXPECT_EQ(solution.Actions()[1], L"3;" + root + L"\\dir");
    // The backup is closed, as at the end of a run, before it is restored.
    auto backup = std::make_unique<CRepairBackupForSolution>(root + L"\\backup");
    const std::wstring report = solution.Execute(*backup);
    const std::wstring backupPath = backup->Path();
    backup.reset();
    for (const wchar_t* refused :
         {L"Comando rifiutato: C:\\. (è la radice", L"Comando rifiutato: vlmacc (non è un percorso completo)",
          L"Comando rifiutato: services.exe (è un processo di sistema)", L"è Velmora stessa)"})
        EXPECT_NE(report.find(refused), std::wstring::npos) << refused;
    EXPECT_NE(report.find(L"File = " + root + L"\\loose.txt has been deleted"), std::wstring::npos) << report;
    EXPECT_NE(report.find(L"Folder deleted: " + root + L"\\dir\r\n"), std::wstring::npos) << report;

    EXPECT_EQ(ListingOf(windows, true), windowsBefore);
    EXPECT_EQ(ListingOf(L"C:"), topBefore);
    EXPECT_EQ(ListingOf(own), ownBefore);
    for (const auto& [path, size] : backupsBefore)
        EXPECT_TRUE(Exists(path)) << path;
    EXPECT_TRUE(HelpersRunning());
    EXPECT_FALSE(Exists(root + L"\\loose.txt"));
    EXPECT_FALSE(Exists(root + L"\\dir"));

    ASSERT_FALSE(backupPath.empty());
    ASSERT_EQ(RestoreBackupFile(backupPath, root + L"\\log.dat"), RestoreOutcome::Restored);
    EXPECT_EQ(GetFileLength(root + L"\\loose.txt"), 5);
    EXPECT_EQ(GetFileLength(root + L"\\dir\\a.txt"), 1);
    EXPECT_EQ(GetFileLength(root + L"\\dir\\sub\\b.txt"), 1);
}

// A library where a standard user writes is kept and deleted, its own code never run.
TEST_F(Sandbox, ALibraryAUserCouldHavePlacedNeverRunsElevated)
{
    const std::wstring library = root + L"\\probe.dll";
    ASSERT_TRUE(::CopyFileW((GetModuleFolder() + L"\\solution_probe.dll").c_str(), library.c_str(), TRUE));
    CCustomSolution solution(Places());
    solution.Parse(L"5%" + library);
    CRecordingBackup refusing(false);
    EXPECT_EQ(solution.Execute(refusing), L"Dll = " + library + L" was not deleted.\r\n");
    EXPECT_TRUE(Exists(library));
    CRecordingBackup keeping(true);
    EXPECT_EQ(solution.Execute(keeping), L"Dll = " + library +
                                             L" could not be unregistered because it was not registered.\r\nDll = " +
                                             library + L" has been deleted.\r\n");
    EXPECT_EQ(keeping.files, std::vector<std::wstring>{library});
    EXPECT_FALSE(Exists(library));
    EXPECT_FALSE(Exists(library + L".loaded")) << "its code ran";
    EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, kValueKey, L"Unregistered"));
}

// The machine's class names its library through a variable the user sets, in the user's
// profile: the library is kept and deleted without being loaded, and the helper object's
// key goes after its backup line.
TEST_F(Sandbox, ABrowserHelperInTheUsersProfileIsRemovedWithoutLoadingIt)
{
    const std::wstring appData = ExpandEnv(L"%APPDATA%");
    const std::wstring folderName = L"velmora-helper-" + std::to_wstring(::GetCurrentProcessId());
    const std::wstring folder = appData + L"\\" + folderName;
    const std::wstring library = folder + L"\\helper.dll";
    ASSERT_TRUE(::CreateDirectoryW(folder.c_str(), nullptr));
    ASSERT_TRUE(::CopyFileW((GetModuleFolder() + L"\\solution_probe.dll").c_str(), library.c_str(), TRUE));
    const std::wstring named = L"%APPDATA%\\" + folderName + L"\\helper.dll";
    ::RegSetKeyValueW(HKEY_LOCAL_MACHINE, Server().c_str(), L"", REG_EXPAND_SZ, named.c_str(),
                      static_cast<DWORD>((named.size() + 1) * sizeof(wchar_t)));
    const auto size = GetFileLength(library);

    CCustomSolution solution(Places());
    solution.Parse(L"6%" + std::wstring(kClassId));
    ASSERT_EQ(solution.Actions().GetSize(), 1);
    EXPECT_EQ(solution.Actions()[0], L"6;" + std::wstring(kClassId) + L";" + library);
    auto backup = std::make_unique<CRepairBackupForSolution>(root + L"\\backup");
    const std::wstring report = solution.Execute(*backup);
    const std::wstring backupPath = backup->Path();
    backup.reset();
    EXPECT_EQ(report, L"Dll = " + library + L" could not be unregistered because it was not registered.\r\nDll = " +
                          library + L" has been deleted.\r\nBHO = " + kClassId + L" has been removed\r\n");
    const bool loaded = Exists(library + L".loaded");
    const bool gone = !Exists(library);
    const bool keyGone = !RegKeyExistsForTest(helperObject);
    ASSERT_FALSE(backupPath.empty());
    const RestoreOutcome restored = RestoreBackupFile(backupPath, root + L"\\log.dat");
    const auto restoredSize = GetFileLength(library);
    ::DeleteFileW((library + L".loaded").c_str());
    ::DeleteFileW(library.c_str());
    ::RemoveDirectoryW(folder.c_str());
    EXPECT_FALSE(loaded) << "the library was loaded";
    EXPECT_TRUE(gone);
    EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, kValueKey, L"Unregistered"));
    EXPECT_TRUE(keyGone);
    // What the backup kept brings both back.
    EXPECT_EQ(restored, RestoreOutcome::Restored);
    EXPECT_EQ(restoredSize, size);
    EXPECT_TRUE(RegKeyExistsForTest(helperObject));
}

namespace {

// A value planted where no solution may remove anything, with the spelling a solution
// names its key by.
struct RefusedPlace {
    HKEY root;
    const wchar_t* hive;
    std::wstring key;
    std::wstring spelled;
    std::wstring value = L"VelmoraProbe";
};

std::optional<std::pair<DWORD, std::vector<BYTE>>> ValueBytes(HKEY root, const std::wstring& key,
                                                              const std::wstring& name)
{
    DWORD type = 0;
    DWORD size = 0;
    if (::RegGetValueW(root, key.c_str(), name.c_str(), RRF_RT_ANY | RRF_NOEXPAND, &type, nullptr, &size) !=
        ERROR_SUCCESS)
        return std::nullopt;
    std::vector<BYTE> bytes(size);
    if (::RegGetValueW(root, key.c_str(), name.c_str(), RRF_RT_ANY | RRF_NOEXPAND, &type, bytes.data(), &size) !=
        ERROR_SUCCESS)
        return std::nullopt;
    bytes.resize(size);
    return std::make_pair(type, bytes);
}

// The topmost key on the way to key that does not exist yet; empty when key exists.
std::wstring FirstMissingKey(HKEY root, const std::wstring& key)
{
    for (std::size_t end = key.find(L'\\');; end = key.find(L'\\', end + 1)) {
        const std::wstring part = key.substr(0, end);
        UniqueHKey opened;
        if (::RegOpenKeyExW(root, part.c_str(), 0, KEY_READ, opened.put()) != ERROR_SUCCESS)
            return part;
        if (end == std::wstring::npos)
            return {};
    }
}

}  // namespace

// Values under every place Windows needs to start or to let anyone log on, and the
// program's own, named in every spelling, stay byte for byte; the one allowed Run value
// goes after its backup line and comes back with the restore.
TEST_F(Sandbox, RegistryPlacesWindowsNeedsStayAndTheAllowedValueComesBack)
{
    const std::wstring run = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
    const std::wstring winNt = L"Software\\Microsoft\\Windows NT\\CurrentVersion\\";
    const std::vector<RefusedPlace> places = {
        {HKEY_LOCAL_MACHINE, L"HKEY_LOCAL_MACHINE", L"SYSTEM\\CurrentControlSet\\Control\\Session Manager",
         L"system\\\\ControlSet001\\Control\\SESSION MANAGER\\"},
        {HKEY_LOCAL_MACHINE, L"HKEY_LOCAL_MACHINE", L"SYSTEM\\CurrentControlSet\\Control\\Lsa",
         L"SYSTEM\\CurrentControlSet\\Control\\lsa"},
        {HKEY_LOCAL_MACHINE, L"HKEY_LOCAL_MACHINE", L"SYSTEM\\CurrentControlSet\\Services\\VelmoraProbe",
         L"\\SYSTEM\\CurrentControlSet\\Services\\VelmoraProbe"},
        {HKEY_LOCAL_MACHINE, L"HKEY_LOCAL_MACHINE", L"SAM\\VelmoraProbe", L"sam\\VelmoraProbe"},
        {HKEY_LOCAL_MACHINE, L"HKEY_LOCAL_MACHINE", L"SECURITY\\VelmoraProbe", L"Security\\VelmoraProbe\\"},
        {HKEY_LOCAL_MACHINE, L"HKEY_LOCAL_MACHINE", L"HARDWARE\\DESCRIPTION\\System",
         L"hardware\\description\\system"},
        {HKEY_LOCAL_MACHINE, L"HKEY_LOCAL_MACHINE", L"BCD00000000\\VelmoraProbe", L"bcd00000000\\VelmoraProbe"},
        {HKEY_LOCAL_MACHINE, L"HKEY_LOCAL_MACHINE", winNt + L"Winlogon",
         L"SOFTWARE\\Wow6432Node\\Microsoft\\Windows NT\\CurrentVersion\\WINLOGON"},
        {HKEY_LOCAL_MACHINE, L"HKEY_LOCAL_MACHINE", winNt + L"Windows", winNt + L"Windows\\\\"},
        {HKEY_LOCAL_MACHINE, L"HKEY_LOCAL_MACHINE", L"Software\\Policies\\VelmoraProbe",
         L"software\\policies\\VelmoraProbe"},
        {HKEY_LOCAL_MACHINE, L"HKEY_LOCAL_MACHINE",
         L"Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\VelmoraProbe",
         L"Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\VelmoraProbe"},
        {HKEY_CURRENT_USER, L"HKEY_CURRENT_USER", winNt + L"Winlogon", winNt + L"Winlogon"},
        {HKEY_CURRENT_USER, L"HKEY_CURRENT_USER", L"Software\\Policies\\VelmoraProbe",
         L"Software\\Policies\\VelmoraProbe"},
        {HKEY_CURRENT_USER, L"HKEY_CURRENT_USER",
         L"Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\VelmoraProbe",
         L"Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\VelmoraProbe"},
        {HKEY_USERS, L"HKEY_USERS", L".DEFAULT\\Software\\VelmoraProbe", L".default\\Software\\VelmoraProbe"},
        {HKEY_USERS, L"HKEY_USERS", L"S-1-5-18\\Software\\VelmoraProbe", L"S-1-5-18\\Software\\VelmoraProbe"},
        {HKEY_USERS, L"HKEY_USERS", L"S-1-5-19\\Software\\VelmoraProbe", L"S-1-5-19\\Software\\VelmoraProbe"},
        {HKEY_USERS, L"HKEY_USERS", L"S-1-5-20\\Software\\VelmoraProbe", L"S-1-5-20\\Software\\VelmoraProbe"},
        {HKEY_LOCAL_MACHINE, L"HKEY_LOCAL_MACHINE", L"Software\\Velmora", L"Software\\Velmora"},
        {HKEY_CURRENT_USER, L"HKEY_CURRENT_USER", run, run, L"Velmora"},
    };
    std::vector<std::wstring> madeKeys;  // per place, the topmost key made here; empty when it was there
    std::wstring commands;
    for (const RefusedPlace& place : places) {
        ASSERT_FALSE(ValueBytes(place.root, place.key, place.value)) << place.key;
        madeKeys.push_back(FirstMissingKey(place.root, place.key));
        ASSERT_NE(RegCreate(place.root, place.key), nullptr) << place.key;
        SetString(place.root, place.key, place.value.c_str(), L"C:\\needed.exe");
        commands += L"4%" + std::wstring(place.hive) + L":" + place.spelled + L":" + place.value + L";";
    }
    SetString(HKEY_CURRENT_USER, run, L"VelmoraTestAdware", L"C:\\adware.exe");
    commands += L"4%HKEY_CURRENT_USER:" + run + L":VelmoraTestAdware";
    std::vector<std::pair<DWORD, std::vector<BYTE>>> before;
    for (const RefusedPlace& place : places)
        before.push_back(*ValueBytes(place.root, place.key, place.value));

    CCustomSolution solution(Places());
    solution.Parse(commands);
    auto backup = std::make_unique<CRepairBackupForSolution>(root + L"\\backup");
    const std::wstring report = solution.Execute(*backup);
    const std::wstring backupPath = backup->Path();
    backup.reset();
    std::vector<std::optional<std::pair<DWORD, std::vector<BYTE>>>> after;
    for (const RefusedPlace& place : places)
        after.push_back(ValueBytes(place.root, place.key, place.value));
    const bool adwareGone = !ValueExists(HKEY_CURRENT_USER, run, L"VelmoraTestAdware");
    const RestoreOutcome restored =
        backupPath.empty() ? RestoreOutcome::Failed : RestoreBackupFile(backupPath, root + L"\\log.dat");
    const auto adwareBack = ValueBytes(HKEY_CURRENT_USER, run, L"VelmoraTestAdware");
    ::RegDeleteKeyValueW(HKEY_CURRENT_USER, run.c_str(), L"VelmoraTestAdware");
    for (std::size_t i = 0; i < places.size(); ++i) {
        if (!madeKeys[i].empty())
            ::RegDeleteTreeW(places[i].root, madeKeys[i].c_str());
        else
            ::RegDeleteKeyValueW(places[i].root, places[i].key.c_str(), places[i].value.c_str());
    }

    for (std::size_t i = 0; i < places.size(); ++i)
        EXPECT_EQ(after[i], before[i]) << places[i].key;
    std::size_t refusals = 0;
    for (std::size_t at = report.find(L"Comando rifiutato: "); at != std::wstring::npos;
         at = report.find(L"Comando rifiutato: ", at + 1))
        ++refusals;
    EXPECT_EQ(refusals, places.size()) << report;
    EXPECT_NE(report.find(L"Registry Item = HKEY_CURRENT_USER\\" + run + L" /VelmoraTestAdware has been deleted"),
              std::wstring::npos)
        << report;
    EXPECT_TRUE(adwareGone);
    EXPECT_EQ(restored, RestoreOutcome::Restored);
    ASSERT_TRUE(adwareBack);
    const std::wstring data(reinterpret_cast<const wchar_t*>(adwareBack->second.data()),
                            adwareBack->second.size() / sizeof(wchar_t));
    EXPECT_EQ(data, std::wstring(L"C:\\adware.exe", 14));
}

TEST_F(Sandbox, CopiesStopAtTheRunsBoundsAndWhatIsNotCopiedStays)
{
    const struct {
        SolutionBackupLimits limits;
        std::vector<std::wstring> gone;
        std::vector<std::wstring> kept;
    } cases[] = {
        // No disk has this much room to spare.
        {{1ULL << 40, ~0ULL >> 1}, {}, {L"\\loose.txt", L"\\dir\\a.txt", L"\\dir\\sub\\b.txt"}},
        // loose.txt (5 bytes) and a.txt (1) fit in 6; b.txt would pass them.
        {{6, 0}, {L"\\loose.txt", L"\\dir\\a.txt"}, {L"\\dir\\sub\\b.txt", L"\\dir"}},
    };
    for (const auto& c : cases) {
        CCustomSolution solution(Places());
        solution.Parse(L"2%" + root + L"\\loose.txt;3%" + root + L"\\dir");
        CRepairBackupForSolution backup(root + L"\\backup", c.limits);
        static_cast<void>(solution.Execute(backup));
        for (const std::wstring& file : c.gone)
            EXPECT_FALSE(Exists(root + file)) << file;
        for (const std::wstring& file : c.kept)
            EXPECT_TRUE(Exists(root + file)) << file;
    }
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
