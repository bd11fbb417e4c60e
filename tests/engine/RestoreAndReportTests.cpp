// Backup listing and restore, and the HTML report file, against the real (Wine)
// registry and files.

#include "EngineTestSupport.h"
#include "ScanHarness.h"

#include "core/BackupFile.h"
#include "core/ScanReport.h"
#include "core/Utf16Text.h"
#include "engine/BackupRestore.h"
#include "engine/EngineMessages.h"
#include "engine/ReportWriter.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

const std::wstring kKey = L"Software\\VelmoraT_Restore";

std::string Utf16(const std::wstring& text) { return utf16::EncodeLe(text); }

class Restore : public EngineTest {
protected:
    Restore() : scratch(L"C:", L"VelmoraTRestore") {}
    ~Restore() override
    {
        ::RegDeleteTreeW(HKEY_CURRENT_USER, kKey.c_str());
        ::RegDeleteKeyW(HKEY_CURRENT_USER, kKey.c_str());
        ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, kKey.c_str());
        ::RegDeleteKeyW(HKEY_LOCAL_MACHINE, kKey.c_str());
    }

    // A backup file with the given text, and a "log.dat" the restore should delete.
    std::wstring Backup(const std::wstring& text)
    {
        const std::wstring path = scratch.Path() + L"\\20261207_2153.dat";
        WriteBytes(path, Utf16(text));
        ::CreateDirectoryW(CRepairedItems::FolderPath().c_str(), nullptr);  // no scan has made it yet
        WriteBytes(CRepairedItems::FilePath(), Utf16(L"HKEY_USERS::REG_SZ::X::ValueName=Y::;;\r\n"));
        return path;
    }

    ScratchFolder scratch;
};

}  // namespace

TEST_F(Restore, WritesEachLineBackWithItsType)
{
    const std::wstring path = Backup(
        L"1::HKEY_CURRENT_USER::REG_DWORD::" + kKey + L"\\X::ValueName=N::42::;;\r\n"
        L"1::HKEY_CURRENT_USER::REG_DWORD::" + kKey + L"::ValueName=Big::4294967295::;;\r\n"
        L"1::HKEY_CURRENT_USER::REG_EXPAND_SZ::" + kKey + L"::ValueName=Exp::%SystemRoot%\\x.exe::;;\r\n"
        L"1::HKEY_CURRENT_USER::REG_SZ::" + kKey + L"::ValueName=::default text::;;\r\n"
        L"1::HKEY_CURRENT_USER::REG_MULTI_SZ::" + kKey + L"::ValueName=Multi::a::;;\r\n"
        L"1::HKEY_SOMEWHERE::REG_SZ::" + kKey + L"::ValueName=Where::machine::;;\r\n"
        L"2::HKEY_LOCAL_MACHINE::REG_SZ::" + kKey + L"\\Y\\Z::ValueName=::::;;\r\n"
        L"7::HKEY_CURRENT_USER::REG_SZ::" + kKey + L"::ValueName=Ignored::x::;;\r\n");
    const std::string before = *ReadBytes(path);

    ASSERT_EQ(engine.RestoreBackup(path), RestoreOutcome::Restored);
    EXPECT_EQ(ReadValue(HKEY_CURRENT_USER, kKey + L"\\X", L"N"), (RegValue{REG_DWORD, L"42"}));
    EXPECT_EQ(ReadValue(HKEY_CURRENT_USER, kKey, L"Big"), (RegValue{REG_DWORD, L"4294967295"}));
    EXPECT_EQ(ReadValue(HKEY_CURRENT_USER, kKey, L"Exp"), (RegValue{REG_EXPAND_SZ, L"%SystemRoot%\\x.exe"}));
    EXPECT_EQ(ReadValue(HKEY_CURRENT_USER, kKey, L""), (RegValue{REG_SZ, L"default text"}));
    EXPECT_EQ(ReadValue(HKEY_CURRENT_USER, kKey, L"Multi"), (RegValue{REG_SZ, L"a"}));
    EXPECT_EQ(ReadValue(HKEY_LOCAL_MACHINE, kKey, L"Where"), (RegValue{REG_SZ, L"machine"}));
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, kKey + L"\\Y\\Z"));
    EXPECT_FALSE(ReadValue(HKEY_LOCAL_MACHINE, kKey + L"\\Y\\Z", L""));  // only the empty key comes back
    EXPECT_FALSE(ReadValue(HKEY_CURRENT_USER, kKey, L"Ignored"));

    EXPECT_FALSE(Exists(CRepairedItems::FilePath()));
    EXPECT_EQ(ReadBytes(path), before);  // the backup itself is never changed
}

// Raw data of a value, or nothing when it does not exist.
std::optional<std::pair<DWORD, std::string>> RawValue(const std::wstring& name)
{
    UniqueHKey key;
    DWORD type = 0;
    std::string data(64, '\0');
    auto size = static_cast<DWORD>(data.size());
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, kKey.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS ||
        ::RegQueryValueExW(key.get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size) !=
            ERROR_SUCCESS)
        return std::nullopt;
    data.resize(size);
    return std::make_pair(type, data);
}

// An entry is written only where its place is free. What stands there counts as restored
// only when it is the very same data; anything else is left as it is and reported, so
// the caller keeps the backup that holds the only copy.
TEST_F(Restore, PutsEntriesBackOnlyWhereNothingElseStands)
{
    const std::string exact = Utf16(std::wstring(L"%SystemRoot%\\x.exe", 19));  // with its terminator
    enum class FileThere { Nothing, Same, Other, Folder };
    const struct {
        const char* name;
        std::optional<std::pair<DWORD, std::string>> valueThere;  // of the REG_EXPAND_SZ line
        bool countThere;                                          // the REG_DWORD line's 42
        FileThere fileThere;
        RestoreOutcome outcome;
    } cases[] = {
        {"nothing there", std::nullopt, false, FileThere::Nothing, RestoreOutcome::Restored},
        {"the same data", std::make_pair(REG_EXPAND_SZ, exact), true, FileThere::Same, RestoreOutcome::Restored},
        {"value of another type", std::make_pair(REG_SZ, exact), false, FileThere::Nothing,
         RestoreOutcome::NewerDataKept},
        {"value with more after a NUL", std::make_pair(REG_EXPAND_SZ, exact + Utf16(std::wstring(L"t\0", 2))), true,
         FileThere::Same, RestoreOutcome::NewerDataKept},
        {"file with other bytes", std::nullopt, true, FileThere::Other, RestoreOutcome::NewerDataKept},
        {"folder at the file's path", std::make_pair(REG_EXPAND_SZ, exact), false, FileThere::Folder,
         RestoreOutcome::NewerDataKept},
    };
    const std::wstring original = scratch.Path() + L"\\place\\kept.txt";
    for (const auto& c : cases) {
        ::RegDeleteTreeW(HKEY_CURRENT_USER, kKey.c_str());
        const std::wstring path = Backup(L"1::HKEY_CURRENT_USER::REG_EXPAND_SZ::" + kKey +
                                         L"::ValueName=V::%SystemRoot%\\x.exe::;;\r\n"
                                         L"1::HKEY_CURRENT_USER::REG_DWORD::" + kKey + L"::ValueName=Count::42::;;\r\n");
        const std::wstring files = PreservedFilesFolder(path);
        ::CreateDirectoryW(files.c_str(), nullptr);
        WriteBytes(files + L"\\1.txt", "kept bytes");
        WriteBytes(files + L"\\listing.dat", Utf16(L"1.txt::" + original + L"::;;\r\n"));
        if (c.valueThere)
            ::RegSetKeyValueW(HKEY_CURRENT_USER, kKey.c_str(), L"V", c.valueThere->first, c.valueThere->second.data(),
                              static_cast<DWORD>(c.valueThere->second.size()));
        if (c.countThere) {
            const DWORD count = 42;
            ::RegSetKeyValueW(HKEY_CURRENT_USER, kKey.c_str(), L"Count", REG_DWORD, &count, sizeof count);
        }
        ::CreateDirectoryW((scratch.Path() + L"\\place").c_str(), nullptr);
        if (c.fileThere == FileThere::Same || c.fileThere == FileThere::Other)
            WriteBytes(original, c.fileThere == FileThere::Same ? "kept bytes" : "newer bytes");
        if (c.fileThere == FileThere::Folder)
            ::CreateDirectoryW(original.c_str(), nullptr);

        EXPECT_EQ(engine.RestoreBackup(path), c.outcome) << c.name;
        EXPECT_EQ(RawValue(L"V"), c.valueThere ? c.valueThere : std::make_pair(DWORD{REG_EXPAND_SZ}, exact))
            << c.name;
        EXPECT_EQ(ReadValue(HKEY_CURRENT_USER, kKey, L"Count"), (RegValue{REG_DWORD, L"42"})) << c.name;
        if (c.fileThere == FileThere::Folder)
            EXPECT_TRUE(::RemoveDirectoryW(original.c_str())) << c.name;
        else
            EXPECT_EQ(ReadBytes(original), c.fileThere == FileThere::Other ? "newer bytes" : "kept bytes") << c.name;
        // What was put back is reported again by the next scan, whether or not all of it was.
        EXPECT_FALSE(Exists(CRepairedItems::FilePath())) << c.name;
        EXPECT_TRUE(DeleteBackupFiles(path)) << c.name;
        ::DeleteFileW(original.c_str());
    }
}

TEST_F(Restore, AFailedRestoreKeepsLogAndSaysSo)
{
    // A malformed third line: the whole file is refused before anything is written.
    const std::wstring path = Backup(L"1::HKEY_CURRENT_USER::REG_SZ::" + kKey + L"::ValueName=A::1::;;\r\n"
                                     L"1::HKEY_CURRENT_USER::REG_SZ::" + kKey + L"::ValueName=B::2::;;\r\n"
                                     L"1::HKEY_CURRENT_USER::REG_SZ::" + kKey + L"::ValueName=C;;\r\n"
                                     L"1::HKEY_CURRENT_USER::REG_SZ::" + kKey + L"::ValueName=D::4::;;\r\n");
    EXPECT_EQ(engine.RestoreBackup(path), RestoreOutcome::Failed);
    EXPECT_FALSE(ReadValue(HKEY_CURRENT_USER, kKey, L"A"));
    EXPECT_FALSE(ReadValue(HKEY_CURRENT_USER, kKey, L"B"));
    EXPECT_FALSE(ReadValue(HKEY_CURRENT_USER, kKey, L"C"));
    EXPECT_FALSE(ReadValue(HKEY_CURRENT_USER, kKey, L"D"));
    EXPECT_TRUE(Exists(CRepairedItems::FilePath()));
    EXPECT_TRUE(Exists(path));

    // A missing or unreadable file restores nothing.
    EXPECT_EQ(engine.RestoreBackup(scratch.Path() + L"\\missing.dat"), RestoreOutcome::Failed);
    EXPECT_EQ(engine.RestoreBackup(scratch.Path()), RestoreOutcome::Failed);
    EXPECT_TRUE(Exists(CRepairedItems::FilePath()));

    // A registry write that fails (a key name longer than the registry allows) makes the
    // restore incomplete, even though the lines after it are still written.
    const std::wstring refused = Backup(L"1::HKEY_CURRENT_USER::REG_SZ::" + kKey + L"\\" + std::wstring(300, L'k') +
                                        L"::ValueName=V::x::;;\r\n1::HKEY_CURRENT_USER::REG_SZ::" + kKey +
                                        L"::ValueName=After::y::;;\r\n");
    EXPECT_EQ(engine.RestoreBackup(refused), RestoreOutcome::Failed);
    EXPECT_TRUE(ReadValue(HKEY_CURRENT_USER, kKey, L"After"));
    EXPECT_TRUE(Exists(CRepairedItems::FilePath()));

    // An empty backup (a repair without registry problems) is a complete restore.
    const std::wstring empty = Backup(L"");
    EXPECT_EQ(engine.RestoreBackup(empty), RestoreOutcome::Restored);
    EXPECT_FALSE(Exists(CRepairedItems::FilePath()));
}

TEST_F(Restore, BackupsAreListedNewestFirst)
{
    BackupCleaner cleaner;
    const std::wstring folder = engine.BackupFolder();
    ::CreateDirectoryW(folder.c_str(), nullptr);
    // Written oldest last and out of order, so neither creation nor name order gives the answer.
    const std::vector<std::wstring> names = {L"20990101_0000_2.dat", L"notes.dat", L"20981231_2359.dat",
                                             L"20990101_0000_10.dat", L"20990101_0000.dat"};
    for (const std::wstring& name : names) {
        WriteBytes(folder + L"\\" + name, "");
        cleaner.Add(folder + L"\\" + name);
    }
    WriteBytes(folder + L"\\20990101_0001.txt", "");
    cleaner.Add(folder + L"\\20990101_0001.txt");
    ::CreateDirectoryW((folder + L"\\20990101_0002.dat").c_str(), nullptr);

    engine.ListBackups();
    ::RemoveDirectoryW((folder + L"\\20990101_0002.dat").c_str());
    sink.Drain();
    std::vector<std::wstring> posted;
    for (const ReceivedMessage& m : sink.Only(WM_BACKUP_FOUND))
        posted.push_back(m.text);

    std::vector<std::wstring> ours;
    for (const std::wstring& path : posted)
        if (std::find_if(names.begin(), names.end(), [&](const std::wstring& n) { return path == folder + L"\\" + n; }) !=
            names.end())
            ours.push_back(path.substr(folder.size() + 1));
    EXPECT_EQ(ours, (std::vector<std::wstring>{L"20990101_0000_10.dat", L"20990101_0000_2.dat", L"20990101_0000.dat",
                                               L"20981231_2359.dat", L"notes.dat"}));
    for (const std::wstring& path : posted)
        EXPECT_EQ(path.substr(path.size() - 4), L".dat");

    EXPECT_TRUE(FindBackupFiles(scratch.Path() + L"\\no such folder").empty());
}

TEST_F(Restore, ReportFileHoldsThePageOfTheProblemList)
{
    const std::wstring base = CommonAppDataFolder();
    ASSERT_FALSE(base.empty());
    const std::wstring reportFolder = base + L"\\Velmora";
    const bool hadFolder = Exists(reportFolder);

    CError problem;
    problem.ErrorType = InvalidValue;
    problem.Section = 4;
    problem.Reason = L"The value in x  contains an invalid path <b>";
    problem.Summary = L"The file is missing or invalid.";
    problem.Item.Hive = L"HKEY_CURRENT_USER";
    problem.Item.SubKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
    problem.Item.ValueName = L"<script>alert('x')</script>";
    problem.Item.ValueData = L"C:\\a&b\u00e8.exe";
    engine.ProblemList().Add(problem);

    std::wstring folder;
    std::wstring path;
    // A missing report folder is made, as the installer makes it.
    const bool written = engine.WriteScanReport(folder, path);
    const std::optional<std::string> bytes = ReadBytes(path);
    ::DeleteFileW(path.c_str());
    if (!hadFolder)
        ::RemoveDirectoryW(reportFolder.c_str());
    ASSERT_TRUE(written);
    EXPECT_EQ(folder, base);

    // vlm_306_YYYYMMDD_HHMMSS.html; the page carries the same time.
    const std::wstring name = path.substr(reportFolder.size() + 1);
    ASSERT_EQ(name.size(), std::wstring(L"vlm_306_20261207_214413.html").size());
    EXPECT_EQ(path.rfind(reportFolder + L"\\vlm_306_", 0), 0u);
    const auto number = [&name](std::size_t at, std::size_t length) { return std::stoi(name.substr(at, length)); };
    const CalendarTime stamp{number(8, 4), number(12, 2), number(14, 2), number(17, 2), number(19, 2), number(21, 2)};
    const std::string expected =
        utf16::ToUtf8(BuildScanReport(ScanReportHead{L"3.0.6", L"08/12/2026", stamp}, engine.ProblemList()));
    ASSERT_TRUE(bytes);
    EXPECT_EQ(*bytes, expected);
    EXPECT_EQ(bytes->find("<script>"), std::string::npos);
    EXPECT_NE(bytes->find("&lt;script&gt;alert(&#39;x&#39;)&lt;/script&gt;"), std::string::npos);
    EXPECT_NE(bytes->find("C:\\a&amp;b\xC3\xA8.exe"), std::string::npos);
}
