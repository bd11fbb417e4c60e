// The repair worker against the real (Wine) registry and files: what it removes, the
// backup lines it writes first, what it leaves alone, its messages and counters, and
// the restore of what it removed.

#include "EngineTestSupport.h"
#include "ScanHarness.h"

#include "core/BackupFile.h"
#include "engine/BackupRestore.h"
#include "engine/BackupWriter.h"
#include "engine/EngineMessages.h"
#include "engine/IgnoredProblemsStore.h"
#include "engine/FileSystem.h"
#include "engine/RepairErrorsThread.h"

#include <gtest/gtest.h>

#include <map>

namespace {

const std::wstring kRun = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const std::wstring kSharedDlls = L"Software\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";
const std::wstring kAppPaths = L"Software\\Microsoft\\Windows\\CurrentVersion\\App Paths";

ReceivedMessage Msg(UINT message, WPARAM wParam = 0, std::wstring text = {})
{
    return {message, wParam, 0, std::move(text)};
}

CError ValueProblem(int section, RootKey root, const std::wstring& key, const std::wstring& name,
                    const std::wstring& data, std::uint32_t type = REG_SZ)
{
    CError e;
    e.ErrorType = InvalidValue;
    e.Section = section;
    e.Subject = data;
    e.Item = RegistryItemAt(root, key, name, data, type);
    return e;
}

CError KeyProblem(const std::wstring& key)
{
    CError e;
    e.ErrorType = EmptyKey;
    e.Section = EmptyKeys;
    e.Subject = key;
    e.Item.Root = kRootUsers;
    e.Item.Hive = L"HKEY_USERS";
    e.Item.SubKey = key;
    return e;
}

CError ShortcutProblem(const std::wstring& path)
{
    CError e;
    e.ErrorType = MissingShortcut;
    e.Section = ProgramShortcuts;
    e.Subject = path;
    return e;
}

class Repair : public EngineTest {
protected:
    BackupCleaner backups;

    std::wstring RunRepair()
    {
        EngineTest::Repair();
        const std::wstring path = engine.LastBackupPath();
        backups.Add(path);
        return path;
    }
};

}  // namespace

TEST_F(Repair, RemovesWhatTheScanFoundRecordsItFirstAndTheRestoreBringsItBack)
{
    RegistrySandbox sandbox;
    sandbox.SetString(HKEY_CURRENT_USER, kRun, L"VelmoraR_sz", L"C:\\Nowhere\\VelmoraR\\a.exe");
    sandbox.SetString(HKEY_CURRENT_USER, kRun, L"VelmoraR_exp", L"%SystemDrive%\\Nowhere\\VelmoraR\\b.exe",
                      REG_EXPAND_SZ);
    sandbox.SetDword(HKEY_LOCAL_MACHINE, kSharedDlls, L"C:\\Nowhere\\VelmoraR\\c.dll", 3000000000u);
    sandbox.CreateKey(HKEY_USERS, L"S-1-5-18\\VelmoraR\\Leaf");

    Scan({4, 6, 7});
    KeepOnly(L"VelmoraR");
    ASSERT_EQ(engine.ProblemList().GetSize(), 4);
    const CErrorListEx repaired = engine.ProblemList();

    const std::wstring path = RunRepair();
    EXPECT_FALSE(engine.RepairFailed());
    ASSERT_FALSE(path.empty());
    EXPECT_EQ(path.rfind(engine.BackupFolder() + L"\\", 0), 0u);

    // Removed from the registry.
    EXPECT_FALSE(ReadValue(HKEY_CURRENT_USER, kRun, L"VelmoraR_sz"));
    EXPECT_FALSE(ReadValue(HKEY_CURRENT_USER, kRun, L"VelmoraR_exp"));
    EXPECT_FALSE(ReadValue(HKEY_LOCAL_MACHINE, kSharedDlls, L"C:\\Nowhere\\VelmoraR\\c.dll"));
    EXPECT_FALSE(KeyExists(HKEY_USERS, L"S-1-5-18\\VelmoraR\\Leaf"));
    EXPECT_TRUE(KeyExists(HKEY_USERS, L"S-1-5-18\\VelmoraR"));

    // One exact backup line per entry, in repair order.
    const std::map<std::wstring, std::wstring> lineFor = {
        {L"VelmoraR_sz", L"1::HKEY_CURRENT_USER::REG_SZ::" + kRun + L"::ValueName=VelmoraR_sz::C:\\Nowhere\\VelmoraR\\a.exe::;;\r\n"},
        {L"VelmoraR_exp", L"1::HKEY_CURRENT_USER::REG_EXPAND_SZ::" + kRun +
                              L"::ValueName=VelmoraR_exp::%SystemDrive%\\Nowhere\\VelmoraR\\b.exe::;;\r\n"},
        {L"C:\\Nowhere\\VelmoraR\\c.dll", L"1::HKEY_LOCAL_MACHINE::REG_DWORD::" + kSharedDlls +
                                              L"::ValueName=C:\\Nowhere\\VelmoraR\\c.dll::3000000000::;;\r\n"},
        {L"", L"2::HKEY_USERS::REG_SZ::S-1-5-18\\VelmoraR\\Leaf::ValueName=::::;;\r\n"},
    };
    std::wstring expected;
    for (const CError& e : repaired)
        expected += lineFor.at(e.Item.ValueName);
    EXPECT_EQ(ReadUtf16(path), expected);

    // Messages: started with the count, then item and progress per problem, then finished.
    std::vector<ReceivedMessage> messages = {Msg(WM_REPAIR_STARTED, 4)};
    for (std::ptrdiff_t i = 0; i < repaired.GetSize(); ++i) {
        messages.push_back(Msg(WM_REPAIR_ITEM, 0, RepairLocationText(repaired[i])));
        messages.push_back(Msg(WM_REPAIR_PROGRESS, static_cast<WPARAM>(i + 1)));
    }
    messages.push_back(Msg(WM_REPAIR_FINISHED));
    EXPECT_EQ(RepairMessages(sink), messages);
    EXPECT_EQ(sink.Only(WM_REPAIR_ITEM)[0].text.rfind(L"HKEY_", 0), 0u);

    EXPECT_EQ(engine.SectionCounters()[4].Repaired.load(), 2);
    EXPECT_EQ(engine.SectionCounters()[6].Repaired.load(), 1);
    EXPECT_EQ(engine.SectionCounters()[7].Repaired.load(), 1);
    EXPECT_EQ(CounterTotal(engine.SectionCounters(), &SectionCounter::Repaired), 4);

    // The restore writes every entry back with its type and removes "log.dat".
    EXPECT_TRUE(Exists(CRepairedItems::FilePath()));
    ASSERT_EQ(engine.RestoreBackup(path), RestoreOutcome::Restored);
    EXPECT_EQ(ReadValue(HKEY_CURRENT_USER, kRun, L"VelmoraR_sz"), (RegValue{REG_SZ, L"C:\\Nowhere\\VelmoraR\\a.exe"}));
    EXPECT_EQ(ReadValue(HKEY_CURRENT_USER, kRun, L"VelmoraR_exp"),
              (RegValue{REG_EXPAND_SZ, L"%SystemDrive%\\Nowhere\\VelmoraR\\b.exe"}));
    EXPECT_EQ(ReadValue(HKEY_LOCAL_MACHINE, kSharedDlls, L"C:\\Nowhere\\VelmoraR\\c.dll"),
              (RegValue{REG_DWORD, L"3000000000"}));
    EXPECT_TRUE(KeyExists(HKEY_USERS, L"S-1-5-18\\VelmoraR\\Leaf"));
    EXPECT_FALSE(Exists(CRepairedItems::FilePath()));
    EXPECT_TRUE(Exists(path));  // the caller deletes the backup, as the restore window does
}

TEST_F(Repair, ListOnlyProblemIsListedNotRemovedAndTheRestoreUnlistsIt)
{
    RegistrySandbox sandbox;
    sandbox.SetString(HKEY_LOCAL_MACHINE, kAppPaths + L"\\VelmoraR.exe", L"", L"C:\\Nowhere\\VelmoraR\\app.exe");
    Scan({1});
    KeepOnly(L"VelmoraR");
    ASSERT_EQ(engine.ProblemList().GetSize(), 1);
    EXPECT_TRUE(engine.ProblemList()[0].ListOnly);

    const std::wstring path = RunRepair();
    EXPECT_TRUE(ReadValue(HKEY_LOCAL_MACHINE, kAppPaths + L"\\VelmoraR.exe", L""));
    EXPECT_EQ(ReadUtf16(CRepairedItems::FilePath()),
              L"HKEY_LOCAL_MACHINE::REG_SZ::" + kAppPaths + L"\\VelmoraR.exe::ValueName=::;;\r\n");
    EXPECT_EQ(ReadUtf16(path), L"1::HKEY_LOCAL_MACHINE::REG_SZ::" + kAppPaths +
                                   L"\\VelmoraR.exe::ValueName=::C:\\Nowhere\\VelmoraR\\app.exe::;;\r\n");
    EXPECT_EQ(engine.SectionCounters()[1].Repaired.load(), 1);

    // A later scan skips it; after the restore it is reported again.
    Scan({1});
    KeepOnly(L"VelmoraR");
    EXPECT_EQ(engine.ProblemList().GetSize(), 0);
    ASSERT_EQ(engine.RestoreBackup(path), RestoreOutcome::Restored);
    Scan({1});
    KeepOnly(L"VelmoraR");
    EXPECT_EQ(engine.ProblemList().GetSize(), 1);
}

TEST_F(Repair, ListedEntryWhoseLineWouldReadBackCutGetsNoLine)
{
    // The restore writes every line back, so a cut line would overwrite the entry the
    // listing never removed.
    RegistrySandbox sandbox;
    sandbox.SetString(HKEY_LOCAL_MACHINE, kAppPaths + L"\\VelmoraR.exe", L"", L"C:\\Nowhere\\VelmoraR::app.exe");
    Scan({1});
    KeepOnly(L"VelmoraR");
    ASSERT_EQ(engine.ProblemList().GetSize(), 1);

    const std::wstring path = RunRepair();
    EXPECT_EQ(ReadBytes(path), std::string());
    EXPECT_EQ(engine.RepairedItems().GetSize(), 1);
    ASSERT_EQ(engine.RestoreBackup(path), RestoreOutcome::Restored);
    EXPECT_EQ(ReadValue(HKEY_LOCAL_MACHINE, kAppPaths + L"\\VelmoraR.exe", L""),
              (RegValue{REG_SZ, L"C:\\Nowhere\\VelmoraR::app.exe"}));
    EXPECT_FALSE(Exists(CRepairedItems::FilePath()));
}

TEST_F(Repair, BrokenShortcutIsKeptInTheBackupThenDeletedAndTheRestoreBringsItBackByteForByte)
{
    const std::wstring profile = ExpandEnv(L"%USERPROFILE%");
    ScratchFolder folder(profile, L"VelmoraRLinks");
    const std::wstring target = folder.AddFile(L"target.txt");
    const std::wstring broken = folder.Path() + L"\\broken.lnk";
    ASSERT_TRUE(CreateShortcut(broken, target));
    ASSERT_TRUE(CreateShortcut(folder.Path() + L"\\intact.lnk", target));
    ::DeleteFileW(target.c_str());
    folder.AddFile(L"target2.txt");
    ASSERT_TRUE(CreateShortcut(folder.Path() + L"\\intact.lnk", folder.Path() + L"\\target2.txt"));
    const std::optional<std::string> original = ReadBytes(broken);
    ASSERT_TRUE(original);

    Scan({11});
    KeepOnly(L"VelmoraRLinks");
    ASSERT_EQ(engine.ProblemList().GetSize(), 1);
    const std::wstring path = RunRepair();
    EXPECT_FALSE(Exists(broken));
    EXPECT_TRUE(Exists(folder.Path() + L"\\intact.lnk"));
    EXPECT_EQ(ReadBytes(path), std::string());  // the backup lines stay registry-only
    EXPECT_EQ(ReadUtf16(PreservedFilesFolder(path) + L"\\listing.dat"), L"1.lnk::" + broken + L"::;;\r\n");
    EXPECT_EQ(ReadBytes(PreservedFilesFolder(path) + L"\\1.lnk"), original);
    EXPECT_EQ(engine.SectionCounters()[11].Repaired.load(), 1);
    EXPECT_EQ(sink.Only(WM_REPAIR_ITEM), (std::vector<ReceivedMessage>{Msg(WM_REPAIR_ITEM, 0, broken)}));

    ASSERT_EQ(engine.RestoreBackup(path), RestoreOutcome::Restored);
    EXPECT_EQ(ReadBytes(broken), original);
    // Restoring again finds the same bytes there: restored. A different file written
    // there since is newer data: left alone, and the restore says it is not complete,
    // so the backup, which holds the only copy, is kept.
    ASSERT_EQ(engine.RestoreBackup(path), RestoreOutcome::Restored);
    WriteBytes(broken, "newer");
    ASSERT_EQ(engine.RestoreBackup(path), RestoreOutcome::NewerDataKept);
    EXPECT_EQ(ReadBytes(broken), std::optional<std::string>("newer"));
    EXPECT_EQ(ReadBytes(PreservedFilesFolder(path) + L"\\1.lnk"), original);
    EXPECT_TRUE(DeleteBackupFiles(path));
    EXPECT_FALSE(Exists(path));
    EXPECT_FALSE(Exists(PreservedFilesFolder(path)));
}

// Raw REG_SZ data: the path's UTF-16 units, then the given tail bytes.
std::string PathBytes(const std::wstring& path, const std::string& tail)
{
    std::string bytes;
    for (const wchar_t unit : path) {
        bytes.push_back(static_cast<char>(unit & 0xFF));
        bytes.push_back(static_cast<char>(unit >> 8));
    }
    return bytes + tail;
}

// Entries that may still be there but cannot be removed safely, or whose removal fails,
// are left in place, not counted, and go back to the unresolved store for the user.
TEST_F(Repair, WhatIsLeftAloneOrWillNotGoIsNotCountedAndIsKeptForTheUser)
{
    const std::wstring locked = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\VelmoraRLocked";
    const std::wstring missing = L"C:\\Nowhere\\VelmoraR\\m.exe";
    const struct {
        const wchar_t* name;
        std::string data;
        std::size_t stored;  // bytes handed to the registry
    } unsafe[] = {
        {L"VelmoraR_nul", PathBytes(missing, std::string("\0\0t\0\0\0", 6)), 0},  // embedded NUL
        {L"VelmoraR_odd", PathBytes(missing, std::string("\0\0A", 3)), 0},         // odd length
        // No terminator: what follows in memory is not NUL either, or the registry
        // would count the terminator in by itself.
        {L"VelmoraR_open", PathBytes(missing, "Q\0"), missing.size() * sizeof(wchar_t)},
    };
    RegistrySandbox sandbox;
    for (const auto& value : unsafe)
        sandbox.SetRaw(HKEY_CURRENT_USER, kRun, value.name, REG_SZ, value.data.data(),
                       static_cast<DWORD>(value.stored ? value.stored : value.data.size()));
    sandbox.SetString(HKEY_LOCAL_MACHINE, locked, L"DisplayIcon", missing);
    Scan({4, 9});
    KeepOnly(L"VelmoraR");
    ASSERT_EQ(engine.ProblemList().GetSize(), 4);
    // A line planted for a list-only section, naming a value that does not exist.
    engine.ProblemList().Add(ValueProblem(1, kRootLocalMachine, kAppPaths + L"\\VelmoraR.exe", L"", missing));

    // Write access to the key is taken away only now, so the scan saw the value as usual.
    UniqueHKey lockedKey;
    ASSERT_EQ(::RegOpenKeyExW(HKEY_LOCAL_MACHINE, locked.c_str(), 0, READ_CONTROL | WRITE_DAC, lockedKey.put()),
              ERROR_SUCCESS);
    SECURITY_DESCRIPTOR readOnly{};
    ASSERT_TRUE(::InitializeSecurityDescriptor(&readOnly, SECURITY_DESCRIPTOR_REVISION));
    alignas(ACL) BYTE aclBytes[256] = {};
    auto* acl = reinterpret_cast<ACL*>(aclBytes);
    SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY;
    BYTE everyone[SECURITY_MAX_SID_SIZE] = {};
    ASSERT_TRUE(::InitializeSid(everyone, &world, 1));
    *::GetSidSubAuthority(everyone, 0) = SECURITY_WORLD_RID;
    ASSERT_TRUE(::InitializeAcl(acl, sizeof aclBytes, ACL_REVISION));
    ASSERT_TRUE(::AddAccessAllowedAce(acl, ACL_REVISION, KEY_READ | WRITE_DAC, everyone));
    ASSERT_TRUE(::SetSecurityDescriptorDacl(&readOnly, TRUE, acl, FALSE));
    ASSERT_EQ(::RegSetKeySecurity(lockedKey.get(), DACL_SECURITY_INFORMATION, &readOnly), ERROR_SUCCESS);

    const std::wstring path = RunRepair();

    SECURITY_DESCRIPTOR open{};
    ASSERT_TRUE(::InitializeSecurityDescriptor(&open, SECURITY_DESCRIPTOR_REVISION));
    ASSERT_TRUE(::SetSecurityDescriptorDacl(&open, TRUE, nullptr, FALSE));
    ASSERT_EQ(::RegSetKeySecurity(lockedKey.get(), DACL_SECURITY_INFORMATION, &open), ERROR_SUCCESS);

    EXPECT_FALSE(engine.RepairFailed());
    EXPECT_TRUE(engine.RepairLeftProblems());
    EXPECT_EQ(CounterTotal(engine.SectionCounters(), &SectionCounter::Repaired), 0);
    const std::wstring kept = ReadUtf16(CIgnoredProblemsStore::FilePath());
    for (const auto& value : unsafe) {
        EXPECT_EQ(ReadValue(HKEY_CURRENT_USER, kRun, value.name), (RegValue{REG_SZ, missing})) << value.name;
        EXPECT_EQ(ReadUtf16(path).find(value.name), std::wstring::npos) << value.name;
        EXPECT_NE(kept.find(value.name), std::wstring::npos) << value.name;
    }
    EXPECT_TRUE(ReadValue(HKEY_LOCAL_MACHINE, locked, L"DisplayIcon"));
    EXPECT_NE(kept.find(L"VelmoraRLocked"), std::wstring::npos);
    EXPECT_EQ(kept.find(L"VelmoraR.exe"), std::wstring::npos);  // it was never there

    // The restore creates nothing for the planted line, and never overwrites a value
    // that exists: the locked value's line finds newer data, leaves it and says so.
    sandbox.SetString(HKEY_LOCAL_MACHINE, locked, L"DisplayIcon", L"changed since");
    ASSERT_EQ(engine.RestoreBackup(path), RestoreOutcome::NewerDataKept);
    EXPECT_EQ(ReadValue(HKEY_LOCAL_MACHINE, locked, L"DisplayIcon"), (RegValue{REG_SZ, L"changed since"}));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kAppPaths + L"\\VelmoraR.exe"));
}

// A list read back from "unresolvederrors.dat" (which any program of the user can
// write), or one that is older than the machine's state, must not make the repair
// delete anything that is not broken or that its section never scans.
TEST_F(Repair, ProblemsThatNoLongerHoldOrLieOutsideTheirSectionAreLeftAlone)
{
    const std::wstring profile = ExpandEnv(L"%USERPROFILE%");
    ScratchFolder files(L"C:", L"VelmoraRFiles");
    ScratchFolder links(profile, L"VelmoraRLinks");
    const std::wstring existing = files.AddFile(L"present.exe");
    const std::wstring gone = files.Path() + L"\\gone.txt";
    ASSERT_TRUE(CreateShortcut(files.Path() + L"\\outside.lnk", gone));
    ASSERT_TRUE(CreateShortcut(links.Path() + L"\\fixed.lnk", existing));

    RegistrySandbox sandbox;
    sandbox.SetString(HKEY_CURRENT_USER, kRun, L"VelmoraR_changed", L"C:\\Nowhere\\VelmoraR\\new.exe");
    sandbox.SetString(HKEY_CURRENT_USER, kRun, L"VelmoraR_present", existing);
    sandbox.SetString(HKEY_CURRENT_USER, L"Software\\VelmoraR\\NotRun", L"Tool", L"C:\\Nowhere\\VelmoraR\\t.exe");
    sandbox.SetString(HKEY_CURRENT_USER, kRun, L"VelmoraR_type", L"C:\\Nowhere\\VelmoraR\\y.exe", REG_EXPAND_SZ);
    sandbox.CreateKey(HKEY_USERS, L"S-1-5-18\\VelmoraR2");
    sandbox.CreateKey(HKEY_USERS, L".DEFAULT\\Software\\VelmoraR\\Leaf");
    sandbox.CreateKey(HKEY_USERS, L"S-1-5-19\\VelmoraR\\Full");
    sandbox.SetString(HKEY_USERS, L"S-1-5-19\\VelmoraR\\Full", L"v", L"x");

    CErrorListEx& list = engine.ProblemList();
    list.Add(ValueProblem(4, kRootCurrentUser, kRun, L"VelmoraR_changed", L"C:\\Nowhere\\VelmoraR\\old.exe"));
    list.Add(ValueProblem(4, kRootCurrentUser, kRun, L"VelmoraR_present", existing));
    list.Add(ValueProblem(4, kRootCurrentUser, L"Software\\VelmoraR\\NotRun", L"Tool", L"C:\\Nowhere\\VelmoraR\\t.exe"));
    list.Add(ValueProblem(2, kRootCurrentUser, kRun, L"VelmoraR_type", L"C:\\Nowhere\\VelmoraR\\y.exe"));  // wrong section
    list.Add(ValueProblem(4, kRootCurrentUser, kRun, L"VelmoraR_type", L"C:\\Nowhere\\VelmoraR\\y.exe"));  // REG_SZ recorded
    list.Add(KeyProblem(L"S-1-5-18\\VelmoraR2"));                   // only two levels deep
    list.Add(KeyProblem(L".DEFAULT\\Software\\VelmoraR\\Leaf"));    // not a service account
    list.Add(KeyProblem(L"S-1-5-19\\VelmoraR\\Full"));              // has a value now
    list.Add(KeyProblem(L"S-1-5-18\\..\\S-1-5-18\\VelmoraR2"));     // not a plain path
    list.Add(ShortcutProblem(files.Path() + L"\\outside.lnk"));     // outside the profile
    list.Add(ShortcutProblem(links.Path() + L"\\..\\..\\..\\VelmoraRFiles\\outside.lnk"));
    list.Add(ShortcutProblem(links.Path() + L"\\fixed.lnk"));       // target exists
    const std::int32_t count = static_cast<std::int32_t>(list.GetSize());
    const std::int64_t repairedBefore = CounterTotal(engine.SectionCounters(), &SectionCounter::Repaired);

    const std::wstring path = RunRepair();
    EXPECT_FALSE(engine.RepairFailed());
    EXPECT_EQ(ReadBytes(path), std::string());  // nothing removed, so nothing recorded
    for (const wchar_t* name : {L"VelmoraR_changed", L"VelmoraR_present", L"VelmoraR_type"})
        EXPECT_TRUE(ReadValue(HKEY_CURRENT_USER, kRun, name)) << std::wstring(name).size();
    EXPECT_TRUE(ReadValue(HKEY_CURRENT_USER, L"Software\\VelmoraR\\NotRun", L"Tool"));
    EXPECT_TRUE(KeyExists(HKEY_USERS, L"S-1-5-18\\VelmoraR2"));
    EXPECT_TRUE(KeyExists(HKEY_USERS, L".DEFAULT\\Software\\VelmoraR\\Leaf"));
    EXPECT_TRUE(KeyExists(HKEY_USERS, L"S-1-5-19\\VelmoraR\\Full"));
    EXPECT_TRUE(Exists(files.Path() + L"\\outside.lnk"));
    EXPECT_TRUE(Exists(links.Path() + L"\\fixed.lnk"));

    // Nothing went, so nothing counts as repaired.
    EXPECT_EQ(CounterTotal(engine.SectionCounters(), &SectionCounter::Repaired), repairedBefore);
    EXPECT_EQ(sink.Only(WM_REPAIR_PROGRESS).back().wParam, static_cast<WPARAM>(count));
}

TEST_F(Repair, EntryThatItsBackupLineCouldNotBringBackIsNotRemoved)
{
    RegistrySandbox sandbox;
    sandbox.SetString(HKEY_CURRENT_USER, kRun, L"VelmoraR_colon", L"C:\\Nowhere\\VelmoraR::x.exe");
    sandbox.SetString(HKEY_CURRENT_USER, kRun, L"VelmoraR_plain", L"C:\\Nowhere\\VelmoraR\\p.exe");
    Scan({4});
    KeepOnly(L"VelmoraR");
    ASSERT_EQ(engine.ProblemList().GetSize(), 2);

    const std::wstring path = RunRepair();
    EXPECT_EQ(ReadValue(HKEY_CURRENT_USER, kRun, L"VelmoraR_colon"),
              (RegValue{REG_SZ, L"C:\\Nowhere\\VelmoraR::x.exe"}));
    EXPECT_FALSE(ReadValue(HKEY_CURRENT_USER, kRun, L"VelmoraR_plain"));
    EXPECT_EQ(ReadUtf16(path),
              L"1::HKEY_CURRENT_USER::REG_SZ::" + kRun + L"::ValueName=VelmoraR_plain::C:\\Nowhere\\VelmoraR\\p.exe::;;\r\n");
    EXPECT_EQ(engine.SectionCounters()[4].Repaired.load(), 1);  // the one left is not repaired
}

TEST_F(Repair, WithoutABackupNothingIsRemovedAndTheFailureIsExposed)
{
    const std::wstring profile = ExpandEnv(L"%USERPROFILE%");
    ScratchFolder scratch(L"C:", L"VelmoraRNoBackup");
    ScratchFolder links(profile, L"VelmoraRLinks");
    const std::wstring notAFolder = scratch.AddFile(L"plain.txt");
    ASSERT_TRUE(CreateShortcut(links.Path() + L"\\broken.lnk", scratch.Path() + L"\\gone.txt"));
    RegistrySandbox sandbox;
    sandbox.SetString(HKEY_CURRENT_USER, kRun, L"VelmoraR_kept", L"C:\\Nowhere\\VelmoraR\\k.exe");
    sandbox.SetString(HKEY_LOCAL_MACHINE, kAppPaths + L"\\VelmoraR.exe", L"", L"C:\\Nowhere\\VelmoraR\\app.exe");
    Scan({1, 4, 11});
    KeepOnly(L"VelmoraR");
    ASSERT_EQ(engine.ProblemList().GetSize(), 3);

    SectionCounters counters;
    CRepairedItems repaired;
    // The backup folder would be below a plain file: it cannot be created.
    CRepairErrorsThread thread(engine.ProblemList(),
                               RepairTarget{&counters, &repaired, sink.Target(), notAFolder + L"\\backup"});
    ASSERT_TRUE(thread.Start());
    sink.PumpUntilEnded(thread.GetThreadHandle());

    EXPECT_TRUE(thread.BackupFailed());
    EXPECT_EQ(thread.BackupPath(), L"");
    EXPECT_TRUE(ReadValue(HKEY_CURRENT_USER, kRun, L"VelmoraR_kept"));
    EXPECT_TRUE(Exists(links.Path() + L"\\broken.lnk"));
    EXPECT_EQ(repaired.GetSize(), 0);  // not even listed: a restore could not undo it
    for (const SectionCounter& c : counters)
        EXPECT_EQ(c.Repaired.load(), 0);
    // The run still ends normally with its finishing message.
    const auto repair = RepairMessages(sink);
    ASSERT_FALSE(repair.empty());
    EXPECT_EQ(repair.front(), Msg(WM_REPAIR_STARTED, 3));
    EXPECT_EQ(repair.back(), Msg(WM_REPAIR_FINISHED));
    EXPECT_EQ(sink.Only(WM_REPAIR_PROGRESS).size(), 3u);
}

TEST_F(Repair, EmptyRunAndAnUnknownKind)
{
    // Nothing to repair: an empty backup, start and finish only, the list still saved.
    std::wstring path = RunRepair();
    EXPECT_EQ(ReadBytes(path), std::string());
    EXPECT_EQ(RepairMessages(sink), (std::vector<ReceivedMessage>{Msg(WM_REPAIR_STARTED, 0), Msg(WM_REPAIR_FINISHED)}));
    EXPECT_TRUE(Exists(CRepairedItems::FilePath()));

    // An unknown kind is announced with an empty location and only counted.
    sink.messages.clear();
    CError unknown;
    unknown.ErrorType = 9;
    unknown.Section = 3;
    engine.ProblemList().Add(unknown);
    const std::int32_t before = engine.SectionCounters()[3].Repaired.load();
    path = RunRepair();
    EXPECT_EQ(RepairMessages(sink), (std::vector<ReceivedMessage>{Msg(WM_REPAIR_STARTED, 1), Msg(WM_REPAIR_ITEM, 0, L""),
                                                         Msg(WM_REPAIR_PROGRESS, 1), Msg(WM_REPAIR_FINISHED)}));
    EXPECT_EQ(engine.SectionCounters()[3].Repaired.load() - before, 1);
    EXPECT_EQ(engine.ProblemList().GetSize(), 1);  // the repair works on its own copy
}

TEST_F(Repair, TwoRepairsInOneMinuteKeepBothBackups)
{
    ScratchFolder scratch(L"C:", L"VelmoraRBackups");
    const CalendarTime minute{2026, 12, 7, 21, 53, 0};
    const auto created = [&](const std::wstring& folder) {
        const auto writer = CBackupWriter::Create(folder, minute);
        return writer ? writer->Path() : std::wstring();
    };
    const std::wstring first = created(scratch.Path() + L"\\backup");
    EXPECT_EQ(first, scratch.Path() + L"\\backup\\20261207_2153.dat");
    WriteBytes(first, "first");
    const std::wstring second = created(scratch.Path() + L"\\backup");
    EXPECT_EQ(second, scratch.Path() + L"\\backup\\20261207_2153_2.dat");
    EXPECT_EQ(ReadBytes(first), std::string("first"));
    // A ".files" folder left by an earlier backup of that minute takes the name too.
    ASSERT_TRUE(::CreateDirectoryW((scratch.Path() + L"\\backup\\20261207_2153_3.files").c_str(), nullptr));
    EXPECT_EQ(created(scratch.Path() + L"\\backup"), scratch.Path() + L"\\backup\\20261207_2153_4.dat");
    EXPECT_EQ(created(scratch.Path() + L"\\plain.txt\\backup"), L"");

    // Through the engine: two repairs back to back, each backup keeps its own line.
    RegistrySandbox sandbox;
    sandbox.SetString(HKEY_CURRENT_USER, kRun, L"VelmoraR_one", L"C:\\Nowhere\\VelmoraR\\1.exe");
    sandbox.SetString(HKEY_CURRENT_USER, kRun, L"VelmoraR_two", L"C:\\Nowhere\\VelmoraR\\2.exe");
    Scan({4});
    KeepOnly(L"VelmoraR");
    ASSERT_EQ(engine.ProblemList().GetSize(), 2);
    const CError two = engine.ProblemList()[1];
    engine.ProblemList().RemoveAt(1);
    const std::wstring pathOne = RunRepair();
    engine.ProblemList().SetSize(0);
    engine.ProblemList().Add(two);
    const std::wstring pathTwo = RunRepair();
    ASSERT_NE(pathOne, pathTwo);
    EXPECT_NE(ReadUtf16(pathOne).find(L"VelmoraR_one"), std::wstring::npos);
    EXPECT_NE(ReadUtf16(pathTwo).find(L"VelmoraR_two"), std::wstring::npos);
    EXPECT_EQ(ReadUtf16(pathOne).find(L"VelmoraR_two"), std::wstring::npos);
}
