// Backup lines, backup file names and the order backups are offered for restore.

#include "core/BackupFile.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

CRegistryItem Value(RootKey root, std::wstring hive, std::uint32_t type, std::wstring key, std::wstring name,
                    std::wstring data)
{
    CRegistryItem item;
    item.Root = root;
    item.Hive = std::move(hive);
    item.Type = type;
    item.SubKey = std::move(key);
    item.ValueName = std::move(name);
    item.ValueData = std::move(data);
    return item;
}

const std::wstring kRun = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";

}  // namespace

TEST(BackupLine, WritesTheSixFieldsAndReadsThemBack)
{
    const CRegistryItem item =
        Value(kRootCurrentUser, L"HKEY_CURRENT_USER", kTypeExpandString, kRun, L"Tool", L"%ProgramFiles%\\T\\t.exe");
    const std::wstring line = FormatBackupLine(RestoreValue, item);
    EXPECT_EQ(line, L"1::HKEY_CURRENT_USER::REG_EXPAND_SZ::" + kRun + L"::ValueName=Tool::%ProgramFiles%\\T\\t.exe::;;\r\n");

    const BackupEntry back = ParseBackupRecord(line.substr(0, line.size() - 4));
    EXPECT_EQ(back.Action, RestoreValue);
    EXPECT_EQ(back.Item.Root, kRootCurrentUser);
    EXPECT_EQ(back.Item.Hive, L"HKEY_CURRENT_USER");
    EXPECT_EQ(back.Item.Type, kTypeExpandString);
    EXPECT_EQ(back.Item.SubKey, kRun);
    EXPECT_EQ(back.Item.ValueName, L"Tool");
    EXPECT_EQ(back.Item.ValueData, L"%ProgramFiles%\\T\\t.exe");
    EXPECT_EQ(back.Item.Tag, 0);

    // A key line: empty value name and data, a type of 0 written as REG_SZ.
    CRegistryItem key = Value(kRootUsers, L"HKEY_USERS", 0, L"S-1-5-18\\A\\B", L"", L"");
    EXPECT_EQ(FormatBackupLine(RestoreKey, key), L"2::HKEY_USERS::REG_SZ::S-1-5-18\\A\\B::ValueName=::::;;\r\n");
}

TEST(BackupLine, ReaderEdgeCases)
{
    // Fewer than six fields (text after the last "::" does not count).
    EXPECT_THROW((void)ParseBackupRecord(L"1::HKEY_USERS::REG_SZ::K::ValueName=N::data"), std::invalid_argument);
    EXPECT_THROW((void)ParseBackupRecord(L""), std::invalid_argument);
    // Unknown hive goes to HKEY_LOCAL_MACHINE but keeps its text; unknown type is REG_SZ;
    // the action is read like atoi.
    const BackupEntry odd = ParseBackupRecord(L" 2x::HKEY_FOO::REG_MULTI_SZ::K::ValueName=ValueName=N::d::extra::");
    EXPECT_EQ(odd.Action, 2);
    EXPECT_EQ(odd.Item.Root, kRootLocalMachine);
    EXPECT_EQ(odd.Item.Hive, L"HKEY_FOO");
    EXPECT_EQ(odd.Item.Type, kTypeString);
    EXPECT_EQ(odd.Item.ValueName, L"N");
    EXPECT_EQ(odd.Item.ValueData, L"d");
    // Data holding "::" comes back cut at it.
    EXPECT_EQ(ParseBackupRecord(L"1::HKEY_USERS::REG_SZ::K::ValueName=N::C:\\a::b.exe::").Item.ValueData, L"C:\\a");
}

TEST(BackupLine, RoundTripRefusesWhatTheLineCannotCarry)
{
    const CRegistryItem good = Value(kRootLocalMachine, L"HKEY_LOCAL_MACHINE", kTypeString, kRun, L"N", L"C:\\a.exe");
    EXPECT_TRUE(BackupLineRoundTrips(RestoreValue, good));
    EXPECT_TRUE(BackupLineRoundTrips(RestoreKey, Value(kRootUsers, L"HKEY_USERS", 0, L"S-1-5-18\\a\\b", L"", L"")));
    EXPECT_TRUE(BackupLineRoundTrips(
        RestoreValue, Value(kRootLocalMachine, L"HKEY_LOCAL_MACHINE", kTypeDword, L"K", L"C:\\x.dll", L"3000000000")));

    auto with = [&good](auto change) {
        CRegistryItem item = good;
        change(item);
        return BackupLineRoundTrips(RestoreValue, item);
    };
    EXPECT_FALSE(with([](CRegistryItem& i) { i.ValueData = L"C:\\a::b.exe"; }));
    EXPECT_FALSE(with([](CRegistryItem& i) { i.ValueData = L"C:\\a.exe:"; }));  // ":" + "::" reads as "::" + ":"
    EXPECT_FALSE(with([](CRegistryItem& i) { i.ValueData = L"a;;\r\nb"; }));
    EXPECT_FALSE(with([](CRegistryItem& i) { i.ValueName = L"ValueName=x"; }));
    EXPECT_FALSE(with([](CRegistryItem& i) { i.ValueName = L"a::b"; }));
    EXPECT_FALSE(with([](CRegistryItem& i) { i.SubKey = L"Software\\x::y"; }));
    EXPECT_FALSE(with([](CRegistryItem& i) { i.Hive = L"hkey_local_machine"; }));  // restore would not map it back
    EXPECT_FALSE(with([](CRegistryItem& i) { i.Root = kRootCurrentUser; }));       // hive text and root disagree
    EXPECT_FALSE(with([](CRegistryItem& i) { i.Type = 7; }));                     // REG_MULTI_SZ would come back as REG_SZ
    // The registry calls stop at a NUL and would reach a different, shorter name.
    EXPECT_FALSE(with([](CRegistryItem& i) { i.ValueName = std::wstring(L"N\0x", 3); }));
    EXPECT_FALSE(with([](CRegistryItem& i) { i.SubKey = kRun + std::wstring(L"\0x", 2); }));
    EXPECT_FALSE(with([](CRegistryItem& i) { i.ValueData = std::wstring(L"C:\\a.exe\0x", 10); }));
    EXPECT_FALSE(with([](CRegistryItem& i) {
        i.Type = kTypeDword;
        i.ValueData = L"042";  // not the canonical decimal the value would be written from
    }));
}

TEST(PreservedFiles, ListingLinesReadBackAndMalformedListingsAreRefusedWhole)
{
    const PreservedFile kept{L"1.lnk", L"C:\\users\\me\\Desktop\\Old tool.lnk"};
    const std::wstring line = FormatPreservedFileLine(kept);
    EXPECT_EQ(line, L"1.lnk::C:\\users\\me\\Desktop\\Old tool.lnk::;;\r\n");
    const auto files = ParsePreservedFileListing(line + L"2::\\\\server\\share\\x.lnk::;;\r\n3::C:\\cut");
    ASSERT_TRUE(files);
    ASSERT_EQ(files->size(), 2u);  // the cut last line was being written when the repair ended
    EXPECT_EQ((*files)[0].StoredName, kept.StoredName);
    EXPECT_EQ((*files)[0].OriginalPath, kept.OriginalPath);
    EXPECT_EQ((*files)[1].OriginalPath, L"\\\\server\\share\\x.lnk");

    for (const std::wstring bad : {L"1.lnk::;;\r\n", L"1.lnk::C:\\a::extra::;;\r\n", L"::C:\\a.lnk::;;\r\n",
                                   L"..::C:\\a.lnk::;;\r\n", L"..\\x::C:\\a.lnk::;;\r\n", L"1::relative\\a.lnk::;;\r\n",
                                   L"1::\\\\?\\C:\\a.lnk::;;\r\n", L"1::C:\\a.lnk::tail;;\r\n"})
        EXPECT_FALSE(ParsePreservedFileListing(line + bad)) << bad;
    EXPECT_FALSE(ParsePreservedFileListing(std::wstring(L"1::C:\\a\0b.lnk::;;\r\n", 19)));
}

TEST(PreservedFiles, FolderBesideTheBackupFile)
{
    EXPECT_EQ(PreservedFilesFolder(L"C:\\app\\backup\\20261207_2153_2.dat"), L"C:\\app\\backup\\20261207_2153_2.files");
    EXPECT_EQ(PreservedFilesFolder(L"C:\\app\\backup\\20261207_2153.DAT"), L"C:\\app\\backup\\20261207_2153.files");
}

TEST(BackupLine, DwordDataCoversTheWholeRange)
{
    EXPECT_EQ(BackupDwordValue(L"42"), 42u);
    EXPECT_EQ(BackupDwordValue(L"4294967295"), 0xFFFFFFFFu);
    EXPECT_EQ(BackupDwordValue(L"3000000000"), 3000000000u);
    EXPECT_EQ(BackupDwordValue(L"-1"), 0xFFFFFFFFu);
    EXPECT_EQ(BackupDwordValue(L"  7abc"), 7u);
    EXPECT_EQ(BackupDwordValue(L""), 0u);
    EXPECT_EQ(BackupDwordValue(L"x1"), 0u);
}

TEST(BackupNames, MinuteNameAndLaterRepairsInTheSameMinute)
{
    const CalendarTime t{2026, 12, 7, 21, 53, 12};
    EXPECT_EQ(BackupFileName(t, 1), L"20261207_2153.dat");
    EXPECT_EQ(BackupFileName(t, 2), L"20261207_2153_2.dat");
    EXPECT_EQ(BackupFileName(CalendarTime{2027, 1, 1, 0, 5, 0}, 12), L"20270101_0005_12.dat");

    for (int sequence : {1, 2, 10, 999}) {
        const auto stamp = ParseBackupFileName(BackupFileName(t, sequence));
        ASSERT_TRUE(stamp) << sequence;
        EXPECT_EQ(stamp->sequence, sequence);
        EXPECT_EQ(stamp->time.year, 2026);
        EXPECT_EQ(stamp->time.minute, 53);
    }
    EXPECT_TRUE(ParseBackupFileName(L"20261207_2153.DAT"));
    for (const wchar_t* other : {L"notes.dat", L"20261207_2153.txt", L"20261207-2153.dat", L"20261207_2153_1.dat",
                                 L"20261207_2153_02.dat", L"20261207_2153_.dat", L"20261207_215.dat",
                                 L"20261207_2153x.dat", L".dat", L""})
        EXPECT_FALSE(ParseBackupFileName(other)) << std::wstring(other).size();
}

TEST(BackupNames, NewestFirstWhateverTheInputOrder)
{
    const std::vector<std::wstring> newestFirst = {
        L"C:\\b\\20270101_0000.dat",    L"C:\\b\\20261207_2153_10.dat", L"C:\\b\\20261207_2153_2.dat",
        L"C:\\b\\20261207_2153.dat",    L"C:\\b\\20261207_2152.dat",    L"C:\\b\\19991231_2359.dat",
        L"C:\\b\\zzz.dat",              L"C:\\b\\notes.dat",
    };
    std::vector<std::wstring> paths(newestFirst.rbegin(), newestFirst.rend());
    SortBackupsNewestFirst(paths);
    EXPECT_EQ(paths, newestFirst);

    // Interleaved input gives the same order.
    paths = {newestFirst[3], newestFirst[7], newestFirst[0], newestFirst[5],
             newestFirst[1], newestFirst[6], newestFirst[4], newestFirst[2]};
    SortBackupsNewestFirst(paths);
    EXPECT_EQ(paths, newestFirst);
}
