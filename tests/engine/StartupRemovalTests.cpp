// Removal of a start-up entry against the real registry and a real backup folder: it
// happens only to the entry shown, only after its backup line is on disk, and the line
// brings back exactly what was removed.

#include "core/BackupFile.h"
#include "engine/StartupEntries.h"
#include "tests/engine/EngineTestSupport.h"
#include "tests/engine/ScanHarness.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

namespace {

constexpr wchar_t kName[] = L"VelmoraR_entry";

std::optional<size_t> PositionOf(const std::wstring& name)
{
    const CRegistryItemListEx entries = ReadStartupEntries();
    for (int i = 0; i < entries.GetSize(); ++i)
        if (entries[i].ValueName == name)
            return static_cast<size_t>(i);
    return std::nullopt;
}

std::vector<std::wstring> BackupsIn(const std::wstring& folder)
{
    std::vector<std::wstring> paths;
    WIN32_FIND_DATAW found{};
    UniqueFindHandle find(::FindFirstFileW((folder + L"\\*.dat").c_str(), &found));
    if (!find)
        return paths;
    do
        paths.push_back(folder + L"\\" + found.cFileName);
    while (::FindNextFileW(find.get(), &found));
    return paths;
}

TEST(StartupRemoval, RemovesOnlyTheEntryShownAndOnlyWithItsBackupLine)
{
    struct Case {
        const char* name;
        DWORD type;
        std::wstring data;
        const wchar_t* shownName;  // the row the user saw
        bool folderUsable;
        StartupRemoval outcome;
        std::size_t storedUnits = 0;  // when set: the data's first units as they are, without a terminator
    };
    const std::wstring withNul(L"C:\\x.exe\0tail\0", 14);
    const std::vector<Case> cases = {
        {"plain command", REG_SZ, L"\"C:\\Tools\\t.exe\" /tray", kName, true, StartupRemoval::Removed},
        {"expandable command", REG_EXPAND_SZ, L"%ProgramFiles%\\t.exe", kName, true, StartupRemoval::Removed},
        {"another entry now at that row", REG_SZ, L"C:\\t.exe", L"VelmoraR_other", true,
         StartupRemoval::NotPresent},
        {"data the backup cannot carry", REG_SZ, L"C:\\t.exe ::x", kName, true, StartupRemoval::NoBackup},
        {"no backup folder", REG_SZ, L"C:\\t.exe", kName, false, StartupRemoval::NoBackup},
        // The list shows both as "C:\x.exe"; no backup line could bring back what is stored.
        {"embedded NUL", REG_SZ, withNul, kName, true, StartupRemoval::NoBackup, withNul.size()},
        // What follows in memory is not NUL either, or the registry would count the
        // terminator in by itself.
        {"no terminator", REG_SZ, L"C:\\x.exeQ", kName, true, StartupRemoval::NoBackup, 8},
    };
    wchar_t temp[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, temp);
    const std::wstring root = std::wstring(temp) + L"velmora-startup-" + std::to_wstring(::GetCurrentProcessId());
    ::CreateDirectoryW(root.c_str(), nullptr);
    for (const Case& c : cases) {
        RegistrySandbox sandbox;
        if (c.storedUnits != 0)
            sandbox.SetRaw(HKEY_CURRENT_USER, kStartupRunKey, kName, c.type, c.data.data(),
                           static_cast<DWORD>(c.storedUnits * sizeof(wchar_t)));
        else
            sandbox.SetString(HKEY_CURRENT_USER, kStartupRunKey, kName, c.data, c.type);
        // A file where the folder should be: no backup can be created in it.
        const std::wstring folder = root + L"\\backup";
        if (!c.folderUsable)
            WriteBytes(folder, "x");
        const std::optional<size_t> position = PositionOf(kName);
        ASSERT_TRUE(position) << c.name;
        CRegistryItem shown;
        shown.Root = kRootCurrentUser;
        shown.SubKey = kStartupRunKey;
        shown.ValueName = c.shownName;

        EXPECT_EQ(CStartupEntries(folder).Remove(*position, shown), c.outcome) << c.name;
        const bool removed = c.outcome == StartupRemoval::Removed;
        EXPECT_EQ(PositionOf(kName).has_value(), !removed) << c.name;
        if (c.folderUsable) {
            const std::vector<std::wstring> backups = BackupsIn(folder);
            ASSERT_EQ(backups.size(), removed ? 1u : 0u) << c.name << ": a backup only for what was removed";
            if (removed) {
                CRegistryItem entry = shown;
                entry.Type = c.type;
                entry.Hive = L"HKEY_CURRENT_USER";
                entry.ValueData = c.data;
                EXPECT_EQ(ReadUtf16(backups.front()), FormatBackupLine(RestoreValue, entry)) << c.name;
                ::DeleteFileW(backups.front().c_str());
            }
            ::RemoveDirectoryW(folder.c_str());
        } else {
            ::DeleteFileW(folder.c_str());
        }
        EXPECT_EQ(CStartupEntries(folder).Remove(99999, shown), StartupRemoval::NotPresent) << "a row past the end";
    }
    ::RemoveDirectoryW(root.c_str());
}

}  // namespace
