// What each section finds: values naming missing files, dangling COM references,
// empty keys and broken shortcuts, with every field of the problems.

#include "ScanHarness.h"

#include "engine/FileSystem.h"
#include "engine/ScanMessages.h"
#include "engine/Scanners.h"
#include "framework/Handles.h"
#include "framework/Pacing.h"

#include <shlobj.h>
#include <winternl.h>

#include <gtest/gtest.h>

#include <algorithm>

namespace {

const std::wstring kRun = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const std::wstring kAppPaths = L"Software\\Microsoft\\Windows\\CurrentVersion\\App Paths";
const std::wstring kSharedDlls = L"Software\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";
const std::wstring kFonts = L"Software\\Microsoft\\Windows NT\\CurrentVersion\\Fonts";
const std::wstring kMarker = L"VelmoraT";


// A key whose name holds a NUL, which only the native API can create; closed and
// deleted again with the test (its own subkeys must be gone by then).
class NulNamedKey {
public:
    NulNamedKey(HKEY parent, const std::wstring& name)
    {
        using CreateKey = LONG(NTAPI*)(HANDLE*, ACCESS_MASK, OBJECT_ATTRIBUTES*, ULONG, UNICODE_STRING*, ULONG,
                                       ULONG*);
        const auto create =
            reinterpret_cast<CreateKey>(reinterpret_cast<void (*)()>(
                ::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "NtCreateKey")));
        UNICODE_STRING text{static_cast<USHORT>(name.size() * sizeof(wchar_t)),
                            static_cast<USHORT>(name.size() * sizeof(wchar_t)), const_cast<wchar_t*>(name.data())};
        OBJECT_ATTRIBUTES attributes{};
        attributes.Length = sizeof(attributes);
        attributes.RootDirectory = parent;
        attributes.ObjectName = &text;
        attributes.Attributes = OBJ_CASE_INSENSITIVE;
        HANDLE created = nullptr;
        if (create && create(&created, KEY_ALL_ACCESS, &attributes, 0, nullptr, 0, nullptr) == 0)
            m_key.reset(static_cast<HKEY>(created));
    }
    ~NulNamedKey()
    {
        using DeleteKey = LONG(NTAPI*)(HANDLE);
        const auto remove =
            reinterpret_cast<DeleteKey>(reinterpret_cast<void (*)()>(
                ::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "NtDeleteKey")));
        if (m_key && remove)
            remove(m_key.get());
    }
    NulNamedKey(const NulNamedKey&) = delete;
    NulNamedKey& operator=(const NulNamedKey&) = delete;
    [[nodiscard]] HKEY Get() const { return m_key.get(); }

private:
    UniqueHKey m_key;
};

class SectionScan : public testing::Test {
protected:
    void SetUp() override { SetPacingEnabled(false); }
};

}  // namespace

TEST_F(SectionScan, StartupValuesNamingMissingFiles)
{
    ScratchFolder scratch(TempFolder(), L"VelmoraTStartup");
    const std::wstring existing = scratch.AddFile(L"present.exe");
    std::wstring longFolder = L"\\\\?\\" + scratch.Path();
    for (int i = 0; i < 3; ++i) {
        longFolder += L"\\" + std::wstring(90, static_cast<wchar_t>(L'k' + i));
        ::CreateDirectoryW(longFolder.c_str(), nullptr);
    }
    const std::wstring longExisting = longFolder.substr(4) + L"\\long.exe";
    UniqueHandle(::CreateFileW((L"\\\\?\\" + longExisting).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0,
                               nullptr));
    ASSERT_TRUE(FileExists(longExisting));
    ASSERT_GE(longExisting.size(), 260u);
    ::SetEnvironmentVariableW(L"VELMORAT_DIR", L"C:\\Nowhere\\VelmoraT");

    RegistrySandbox sandbox;
    const HKEY lm = HKEY_LOCAL_MACHINE;
    const wchar_t* missing = L"C:\\Programmi\\VelmoraT\\tool.exe";
    sandbox.SetString(lm, kRun, L"VelmoraT_missing", missing);
    sandbox.SetString(lm, kRun, L"VelmoraT_args", std::wstring(missing) + L" /min");
    sandbox.SetString(lm, kRun, L"VelmoraT_present", existing);
    sandbox.SetString(lm, kRun, L"VelmoraT_long_present", longExisting);
    sandbox.SetString(lm, kRun, L"VelmoraT_rundll", L"C:\\Nowhere\\VelmoraT\\rundll32.exe");
    sandbox.SetString(lm, kRun, L"VelmoraT_rundll_args", L"rundll32.exe C:\\Nowhere\\x.dll,Entry");
    sandbox.SetString(lm, kRun, L"VelmoraT_msi", L"MsiExec.exe /X{12345678-1234-1234-1234-123456789012}");
    sandbox.SetString(lm, kRun, L"VelmoraT_noext", L"C:\\Nowhere\\VelmoraT\\tool");
    sandbox.SetString(lm, kRun, L"VelmoraT_relative", L"VelmoraT\\tool.exe");
    sandbox.SetString(lm, kRun, L"VelmoraT_sysroot", L"\\SystemRoot\\system32\\kernel32.dll");
    sandbox.SetString(lm, kRun, L"VelmoraT_sysroot_gone", L"\\SystemRoot\\system32\\velmorat_gone.dll");
    sandbox.SetDword(lm, kRun, L"VelmoraT_dword", 7);
    sandbox.SetString(lm, kRun, L"VelmoraT_fits", L"C:\\" + std::wstring(504, L'v') + L".exe");  // 511 chars: 1024 bytes with the terminator
    sandbox.SetString(lm, kRun, L"VelmoraT_too_long", L"C:\\" + std::wstring(505, L'v') + L".exe");
    sandbox.SetString(HKEY_CURRENT_USER, kRun, L"VelmoraT_env", L"%VELMORAT_DIR%\\app.exe", REG_EXPAND_SZ);
    sandbox.SetString(HKEY_CURRENT_USER, kRun, L"VelmoraT_upper", L"C:\\Nowhere\\VelmoraT\\APP.EXE");

    ScanRun run;
    RunScan(Sections({4}), run);
    const std::vector<CError> found = run.Matching(kMarker);
    std::vector<std::wstring> machine, user;
    for (const CError& e : found)
        (e.Item.Root == kRootLocalMachine ? machine : user).push_back(e.Item.ValueName);
    std::sort(machine.begin(), machine.end());
    EXPECT_EQ(machine, (std::vector<std::wstring>{L"VelmoraT_fits", L"VelmoraT_missing", L"VelmoraT_sysroot_gone"}));
    EXPECT_EQ(user, (std::vector<std::wstring>{L"VelmoraT_env", L"VelmoraT_upper"}));
    ASSERT_EQ(found.size(), 5u);
    // Machine values come before the user's.
    EXPECT_EQ(found[3].Item.Root, kRootCurrentUser);

    const auto byName = [&](const std::wstring& name) {
        return *std::find_if(found.begin(), found.end(), [&](const CError& e) { return e.Item.ValueName == name; });
    };
    const CError e = byName(L"VelmoraT_missing");
    EXPECT_EQ(e.ErrorType, 1);
    EXPECT_EQ(e.Section, 4);
    EXPECT_EQ(e.Subject, missing);
    EXPECT_EQ(e.Reason, L"The value in HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Run\\"
                        L"VelmoraT_missing  contains an invalid path C:\\Programmi\\VelmoraT\\tool.exe");
    EXPECT_EQ(e.Summary, L"The file is missing or invalid.");
    EXPECT_FALSE(e.ListOnly);
    EXPECT_EQ(e.Item.Type, 1u);
    EXPECT_EQ(e.Item.Root, kRootLocalMachine);
    EXPECT_EQ(e.Item.Hive, L"HKEY_LOCAL_MACHINE");
    EXPECT_EQ(e.Item.SubKey, kRun);
    EXPECT_EQ(e.Item.ValueData, missing);
    EXPECT_EQ(e.Item.Tag, 0);

    // The subject keeps the unexpanded text; the type is kept.
    const CError env = byName(L"VelmoraT_env");
    EXPECT_EQ(env.Subject, L"%VELMORAT_DIR%\\app.exe");
    EXPECT_EQ(env.Item.ValueData, L"%VELMORAT_DIR%\\app.exe");
    EXPECT_EQ(env.Item.Type, 2u);
    EXPECT_EQ(env.Item.Hive, L"HKEY_CURRENT_USER");
    EXPECT_EQ(byName(L"VelmoraT_sysroot_gone").Subject, L"\\SystemRoot\\system32\\velmorat_gone.dll");
}

TEST_F(SectionScan, AppPathsTreeStopsBelowDepthEleven)
{
    RegistrySandbox sandbox;
    // App Paths is depth 1; VelmoraT is depth 2; each "L" adds one level.
    std::wstring key = kAppPaths + L"\\VelmoraT";
    for (int depth = 2; depth <= 12; ++depth) {
        sandbox.SetString(HKEY_LOCAL_MACHINE, key, L"VelmoraT_depth" + std::to_wstring(depth),
                          L"C:\\Nowhere\\VelmoraT\\d" + std::to_wstring(depth) + L".exe");
        key += L"\\L";
    }
    sandbox.SetDword(HKEY_LOCAL_MACHINE, kAppPaths + L"\\VelmoraT", L"VelmoraT_dword", 1);

    ScanRun run;
    RunScan(Sections({1}), run);
    const std::vector<CError> found = run.Matching(kMarker);
    ASSERT_EQ(found.size(), 10u);  // depths 2..11
    for (std::size_t i = 0; i < found.size(); ++i) {
        EXPECT_EQ(found[i].Item.ValueName, L"VelmoraT_depth" + std::to_wstring(i + 2));  // each subtree before the next
        EXPECT_TRUE(found[i].ListOnly);
        EXPECT_EQ(found[i].Section, 1);
    }
    EXPECT_EQ(found[9].Item.SubKey, kAppPaths + L"\\VelmoraT\\L\\L\\L\\L\\L\\L\\L\\L\\L");
}

TEST_F(SectionScan, SharedDllsRecordTheCountAsDecimalText)
{
    RegistrySandbox sandbox;
    const std::wstring dll = L"C:\\Nowhere\\VelmoraT\\shared.dll";
    sandbox.SetDword(HKEY_LOCAL_MACHINE, kSharedDlls, dll, 1);
    sandbox.SetDword(HKEY_LOCAL_MACHINE, kSharedDlls, L"C:\\Nowhere\\VelmoraT\\many.dll", 70000);
    sandbox.SetString(HKEY_LOCAL_MACHINE, kSharedDlls, L"C:\\Nowhere\\VelmoraT\\string.dll", L"1");
    sandbox.SetString(HKEY_LOCAL_MACHINE, kFonts, L"VelmoraT Sans (TrueType)", L"velmorat.ttf");  // no drive
    sandbox.SetString(HKEY_LOCAL_MACHINE, kFonts, L"VelmoraT Mono (TrueType)", L"C:\\Nowhere\\VelmoraT\\MONO.TTF");

    ScanRun run;
    RunScan(Sections({3, 6, 10}), run);
    const std::vector<CError> dlls = run.Matching(L"VelmoraT\\");
    std::vector<CError> shared, fonts;
    for (const CError& e : dlls)
        (e.Section == 6 ? shared : fonts).push_back(e);
    ASSERT_EQ(shared.size(), 2u);
    const CError& one = shared[0].Item.ValueName == dll ? shared[0] : shared[1];
    const CError& many = shared[0].Item.ValueName == dll ? shared[1] : shared[0];
    EXPECT_EQ(one.Subject, dll);
    EXPECT_EQ(one.Item.ValueName, dll);
    EXPECT_EQ(one.Item.ValueData, L"1");
    EXPECT_EQ(one.Item.Type, 4u);
    EXPECT_EQ(one.Item.Tag, 1);  // the section's ordinal: 3 ran first
    EXPECT_EQ(one.Reason, L"The value in HKEY_LOCAL_MACHINE\\" + kSharedDlls + L"\\" + dll +
                              L"  contains an invalid path " + dll);
    EXPECT_FALSE(one.ListOnly);
    EXPECT_EQ(many.Item.ValueData, L"70000");

    ASSERT_EQ(fonts.size(), 1u);
    EXPECT_EQ(fonts[0].Section, 10);
    EXPECT_EQ(fonts[0].Item.ValueName, L"VelmoraT Mono (TrueType)");
    EXPECT_EQ(fonts[0].Item.Tag, 0);
}

TEST_F(SectionScan, ClassesWithDanglingAppIdsAndTypeLibs)
{
    RegistrySandbox sandbox;
    const HKEY cr = HKEY_CLASSES_ROOT;
    const std::wstring both = L"{VelmoraT-0001-both}";
    const std::wstring fine = L"{VelmoraT-0002-fine}";
    sandbox.SetString(cr, L"CLSID\\" + both, L"AppID", L"{VelmoraT-missing-appid}");
    sandbox.SetString(cr, L"CLSID\\" + both + L"\\TypeLib", L"", L"{VelmoraT-missing-typelib}");
    sandbox.SetString(cr, L"AppID\\{VelmoraT-present-appid}", L"", L"x");
    sandbox.SetString(cr, L"TypeLib\\{VelmoraT-present-typelib}", L"", L"x");
    sandbox.SetString(cr, L"CLSID\\" + fine, L"AppID", L"{VelmoraT-present-appid}");
    sandbox.SetString(cr, L"CLSID\\" + fine + L"\\TypeLib", L"", L"{VelmoraT-present-typelib}");

    ScanRun run;
    RunScan(Sections({0}), run);
    const std::vector<CError> found = run.Matching(kMarker);
    ASSERT_EQ(found.size(), 2u);
    const CError& app = found[0];
    EXPECT_EQ(app.ErrorType, 1);
    EXPECT_EQ(app.Section, 0);
    EXPECT_EQ(app.Subject, L"");
    EXPECT_EQ(app.Reason, L"The key HKEY_CLASSES_ROOT\\CLSID\\" + both + L" points to a missing CLSID "
                          L"{VelmoraT-missing-appid}");
    EXPECT_EQ(app.Summary, L"Missing AppID or CLSID.");
    EXPECT_TRUE(app.ListOnly);
    EXPECT_EQ(app.Item.Type, 1u);
    EXPECT_EQ(app.Item.Root, kRootClassesRoot);
    EXPECT_EQ(app.Item.Hive, L"HKEY_CLASSES_ROOT");
    EXPECT_EQ(app.Item.SubKey, L"CLSID\\" + both);
    EXPECT_EQ(app.Item.ValueName, L"AppID");
    EXPECT_EQ(app.Item.ValueData, L"{VelmoraT-missing-appid}");

    const CError& lib = found[1];
    EXPECT_EQ(lib.Reason, L"The key HKEY_CLASSES_ROOT\\CLSID\\" + both + L"\\TypeLib points to a missing CLSID "
                          L"{VelmoraT-missing-typelib}");
    EXPECT_EQ(lib.Summary, L"Missing Typelib or CLSID.");
    EXPECT_EQ(lib.Item.SubKey, L"CLSID\\" + both + L"\\TypeLib");
    EXPECT_EQ(lib.Item.ValueName, L"");
    EXPECT_EQ(lib.Item.ValueData, L"{VelmoraT-missing-typelib}");

    // One walk serves both checks and announces every class once.
    const std::vector<std::wstring> items = run.ItemTexts();
    EXPECT_EQ(std::count(items.begin(), items.end(), L"HKEY_CLASSES_ROOT\\CLSID\\" + fine), 1);
}

TEST_F(SectionScan, EmptyKeysBelowTheServiceAccounts)
{
    RegistrySandbox sandbox;
    sandbox.CreateKey(HKEY_USERS, L"S-1-5-18\\VelmoraT\\Empty");
    sandbox.CreateKey(HKEY_USERS, L"S-1-5-18\\VelmoraTDirect");
    sandbox.SetString(HKEY_USERS, L"S-1-5-19\\VelmoraT\\WithValue", L"", L"");
    sandbox.CreateKey(HKEY_USERS, L"S-1-5-20\\VelmoraT\\A\\B\\Empty");

    ScanRun run;
    RunScan(Sections({2, 7}), run);
    const std::vector<CError> found = run.Matching(kMarker);
    ASSERT_EQ(found.size(), 2u);
    const CError& e = found[0];
    EXPECT_EQ(e.ErrorType, 2);
    EXPECT_EQ(e.Section, 7);
    EXPECT_EQ(e.Subject, L"S-1-5-18\\VelmoraT\\Empty");
    EXPECT_EQ(e.Reason, L"The key S-1-5-18\\VelmoraT\\Empty is a empty registry key");
    EXPECT_EQ(e.Summary, L"Empty Registry Key.");
    EXPECT_FALSE(e.ListOnly);
    EXPECT_EQ(e.Item.Type, 0u);
    EXPECT_EQ(e.Item.Root, kRootUsers);
    EXPECT_EQ(e.Item.Hive, L"HKEY_USERS");
    EXPECT_EQ(e.Item.SubKey, L"S-1-5-18\\VelmoraT\\Empty");
    EXPECT_EQ(e.Item.ValueName, L"");
    EXPECT_EQ(e.Item.Tag, 1);  // ordinal: section 2 ran first
    EXPECT_EQ(found[1].Subject, L"S-1-5-20\\VelmoraT\\A\\B\\Empty");
    // This check announces no items.
    for (const std::wstring& item : run.ItemTexts())
        EXPECT_EQ(item.find(L"HKEY_USERS"), std::wstring::npos);
}

TEST_F(SectionScan, EmptyKeyWalkReachesTheRegistrysDepthAndSkipsNamesWithANul)
{
    RegistrySandbox sandbox;
    // S-1-5-19 is depth 1: the chain's last key is at depth 14, deeper than the value walks go.
    std::wstring chain = L"S-1-5-19\\VelmoraTDeep";
    for (int depth = 3; depth <= 14; ++depth)
        chain += L"\\L" + std::to_wstring(depth);
    sandbox.CreateKey(HKEY_USERS, chain);
    // 600 levels, more than the registry nests on Windows (Wine has no limit): the walk
    // stops at depth 512, where every key of the chain still has a subkey, so it reports
    // nothing and neither overflows the thread's stack nor hangs.
    sandbox.CreateKey(HKEY_USERS, L"S-1-5-20\\VelmoraTChain");
    UniqueHKey level;
    ASSERT_EQ(::RegOpenKeyExW(HKEY_USERS, L"S-1-5-20\\VelmoraTChain", 0, KEY_ALL_ACCESS, level.put()), ERROR_SUCCESS);
    for (int depth = 3; depth <= 600; ++depth) {
        UniqueHKey next;
        ASSERT_EQ(::RegCreateKeyExW(level.get(), L"K", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, next.put(), nullptr),
                  ERROR_SUCCESS)
            << depth;
        level = std::move(next);
    }
    level.reset();

    // "Gone" is empty; "Gone<NUL>x" is not, but opened by its text it would be "Gone".
    sandbox.CreateKey(HKEY_USERS, L"S-1-5-18\\VelmoraTNul\\Gone");
    UniqueHKey parent;
    ASSERT_EQ(::RegOpenKeyExW(HKEY_USERS, L"S-1-5-18\\VelmoraTNul", 0, KEY_ALL_ACCESS, parent.put()), ERROR_SUCCESS);
    NulNamedKey hidden(parent.get(), std::wstring(L"Gone\0x", 6));
    ASSERT_TRUE(hidden.Get()) << "the native API refused a key name with a NUL";
    UniqueHKey child;
    ASSERT_EQ(::RegCreateKeyExW(hidden.Get(), L"child", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, child.put(), nullptr),
              ERROR_SUCCESS);
    ::RegSetValueExW(child.get(), L"v", 0, REG_SZ, reinterpret_cast<const BYTE*>(L"x"), 4);

    ScanRun run;
    RunScan(Sections({7}), run);
    std::vector<std::wstring> subjects;
    for (const CError& e : run.Matching(kMarker))
        subjects.push_back(e.Item.SubKey);
    ::RegDeleteValueW(child.get(), L"v");
    child.reset();
    ::RegDeleteKeyW(hidden.Get(), L"child");
    EXPECT_EQ(subjects, (std::vector<std::wstring>{L"S-1-5-18\\VelmoraTNul\\Gone", chain}));
}

TEST_F(SectionScan, BrokenShortcutsBelowTheProfile)
{
    ComInitializer com;
    ScratchFolder targets(TempFolder(), L"VelmoraTTargets");
    ScratchFolder profile(ExpandEnv(L"%USERPROFILE%"), L"VelmoraTLinks");
    const std::wstring kept = targets.AddFile(L"kept.txt");
    const std::wstring gone = targets.AddFile(L"gone.txt");
    const std::wstring deepLink = profile.AddFolder(L"sub\\deep") + L"\\deep broken.lnk";
    const std::wstring topLink = profile.Path() + L"\\top broken.lnk";
    ASSERT_TRUE(CreateShortcut(deepLink, gone));
    ASSERT_TRUE(CreateShortcut(topLink, targets.Path() + L"\\gone too.exe"));
    ASSERT_TRUE(CreateShortcut(profile.Path() + L"\\intact.lnk", kept));
    ASSERT_TRUE(CreateShortcut(profile.Path() + L"\\folder.lnk", targets.Path()));
    profile.AddFolder(L"directory.lnk");
    profile.AddFile(L"sub\\garbage.lnk", "not a shortcut");
    ASSERT_TRUE(::DeleteFileW(gone.c_str()));
    // A link to a shell namespace item has no file-system target and is never reported.
    {
        ComPtr<IShellLinkW> link;
        ASSERT_TRUE(SUCCEEDED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                                 link.put_void())));
        LPITEMIDLIST computer = nullptr;
        ASSERT_TRUE(SUCCEEDED(::SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, &computer)));
        link->SetIDList(computer);
        ::CoTaskMemFree(computer);
        ComPtr<IPersistFile> file;
        ASSERT_TRUE(SUCCEEDED(link.As(file)));
        ASSERT_TRUE(SUCCEEDED(file->Save((profile.Path() + L"\\computer.lnk").c_str(), TRUE)));
    }

    // No repaired-items filter for shortcuts: an empty item in the list changes nothing.
    CRegistryItemListEx repaired;
    repaired.Add(CRegistryItem{});
    ScanRun run;
    RunScan(Sections({11}), run, &repaired);
    const std::vector<CError> found = run.Matching(L"VelmoraTLinks");
    ASSERT_EQ(found.size(), 3u);
    // Deepest folders first.
    EXPECT_EQ(found[0].Subject, deepLink);
    EXPECT_EQ(found[1].Subject, profile.Path() + L"\\sub\\garbage.lnk");
    EXPECT_EQ(found[2].Subject, topLink);
    const CError& e = found[0];
    EXPECT_EQ(e.ErrorType, 0);
    EXPECT_EQ(e.Section, 11);
    EXPECT_EQ(e.Reason, L"The target file for this shortcut file does not exist.");
    EXPECT_EQ(e.Summary, L"Missing Shortcut.");
    EXPECT_FALSE(e.ListOnly);
    EXPECT_EQ(e.Item.Hive, L"");
    EXPECT_EQ(e.Item.SubKey, L"");
    EXPECT_EQ(e.Item.Root, 0u);
    EXPECT_EQ(run.counters[11].Found.load(), run.problems.GetSize());

    // Folders are announced by their bare path, deepest first.
    const std::vector<std::wstring> items = run.ItemTexts();
    const auto deep = std::find(items.begin(), items.end(), profile.Path() + L"\\sub\\deep\\");
    const auto top = std::find(items.begin(), items.end(), profile.Path() + L"\\");
    ASSERT_NE(deep, items.end());
    ASSERT_NE(top, items.end());
    EXPECT_LT(deep, top);
}

TEST_F(SectionScan, WithoutAShellLinkObjectNoShortcutIsJudged)
{
    ComInitializer com;
    ScratchFolder targets(TempFolder(), L"VelmoraTNoLinkTargets");
    ScratchFolder profile(ExpandEnv(L"%USERPROFILE%"), L"VelmoraTNoLink");
    const std::wstring gone = targets.AddFile(L"gone.txt");
    ASSERT_TRUE(CreateShortcut(profile.Path() + L"\\broken.lnk", gone));
    profile.AddFile(L"garbage.lnk", "not a shortcut");
    ASSERT_TRUE(::DeleteFileW(gone.c_str()));

    // Calling every shortcut broken would let a repair delete them all.
    CErrorListEx problems;
    SectionCounters counters;
    ScanContext ctx(ScanTarget{&problems, &counters, nullptr, nullptr});
    ctx.running = true;
    ctx.BeginSection(L"HKEY_CURRENT_USER", kRootCurrentUser, ProgramShortcuts, 0, false);
    ScanShortcuts(ctx, profile.Path());
    EXPECT_EQ(problems.GetSize(), 0);
    EXPECT_EQ(counters[ProgramShortcuts].Found.load(), 0);

    // The same folder with the object: both are reported.
    ASSERT_TRUE(ctx.CreateShellLink());
    ScanShortcuts(ctx, profile.Path());
    EXPECT_EQ(problems.GetSize(), 2);
    EXPECT_EQ(counters[ProgramShortcuts].Found.load(), 2);
    ctx.ReleaseShellLink();
}
