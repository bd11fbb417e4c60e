// velmora-scan-bench: plants a large synthetic registry and profile, then times
// "velmora-cli scan --no-pause" against a minimal walker that only enumerates the same
// keys and tests the same candidate paths once. A benchmark, not a test: it prints
// figures and never fails on them.
//
//   velmora-scan-bench plant [--scale F]   plant everything (once per prefix)
//   velmora-scan-bench walk                the minimal walker; prints what it examined
//   velmora-scan-bench checks              the same walk with the scan's cache of path checks;
//                                          prints how many queries the cache made
//   velmora-scan-bench log N               writes a "log.dat" of N repaired items (0: removes it)
//   velmora-scan-bench hold                owns a window until standard input closes
//
// bench/run-scan-bench.sh runs both in a throw-away prefix and measures them.

#include "core/PathText.h"
#include "engine/FileSystem.h"
#include "engine/PathCheckCache.h"
#include "engine/Registry.h"
#include "engine/RepairedItems.h"
#include "engine/Scanners.h"
#include "framework/Handles.h"

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace {

const std::wstring kBenchRoot = L"C:\\VelmoraBench";
const wchar_t* const kUninstall = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

void Print(const std::string& text)
{
    DWORD written = 0;
    ::WriteFile(::GetStdHandle(STD_OUTPUT_HANDLE), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

// A small deterministic generator, so every prefix gets the same registry.
struct Random {
    std::uint32_t state = 12345;
    std::uint32_t Next()
    {
        state = state * 1664525u + 1013904223u;
        return state >> 8;
    }
    bool Chance(int percent) { return Next() % 100 < static_cast<std::uint32_t>(percent); }
};

// --- planting -----------------------------------------------------------------------

class Planter {
public:
    explicit Planter(double scale) : m_scale(scale) {}

    int Scaled(int count) const { return std::max(1, static_cast<int>(count * m_scale)); }

    void Key(HKEY root, const std::wstring& path)
    {
        UniqueHKey key;
        ::RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.put(), nullptr);
    }
    void Str(HKEY root, const std::wstring& path, const std::wstring& name, const std::wstring& data)
    {
        RegWriteString(root, path, name, data);
        ++m_values;
    }
    void Dword(HKEY root, const std::wstring& path, const std::wstring& name, DWORD value)
    {
        RegWriteDword(root, path, name, value);
        ++m_values;
    }

    // A file that exists (one of a fixed pool) or one that does not, with the extension.
    // As in real registries, a program's folder holds several of the named files, each
    // named by several values, and the missing files of an uninstalled program share
    // its vanished folder; some files are missing from folders that still exist.
    std::wstring FilePath(const wchar_t* extension, int missingPercent)
    {
        const std::wstring app = L"\\app" + std::to_wstring(m_random.Next() % 200);
        const std::wstring file = L"\\file" + std::to_wstring(m_random.Next() % 8) + extension;
        if (m_random.Chance(missingPercent)) {
            ++m_missing;
            if (m_random.Chance(30))
                return kBenchRoot + L"\\apps" + app + L"\\missing" + std::to_wstring(m_random.Next() % 1000) +
                       extension;
            return kBenchRoot + L"\\gone\\app" + std::to_wstring(m_random.Next() % 3000) + file;
        }
        const std::wstring path = kBenchRoot + L"\\apps" + app + file;
        EnsureFile(path);
        return path;
    }

    void EnsureFile(const std::wstring& path)
    {
        if (FileExists(path))
            return;
        ::SHCreateDirectoryExW(nullptr, path.substr(0, path.rfind(L'\\')).c_str(), nullptr);
        UniqueHandle(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    }

    void PlantValues()
    {
        const HKEY lm = HKEY_LOCAL_MACHINE;
        // Uninstall entries: ten values each, as real products have them.
        for (int i = 0, n = Scaled(8500); i < n; ++i) {
            const std::wstring key = std::wstring(kUninstall) + L"\\BenchProduct" + std::to_wstring(i);
            const std::wstring guid = L"{" + std::to_wstring(10000000 + i) + L"-1111-2222-3333-444455556666}";
            Str(lm, key, L"DisplayName", L"Bench Product " + std::to_wstring(i));
            Str(lm, key, L"DisplayVersion", L"1.2." + std::to_wstring(i));
            Str(lm, key, L"Publisher", L"Velmora Bench Srl");
            Str(lm, key, L"InstallLocation", kBenchRoot + L"\\apps\\app" + std::to_wstring(i % 200) + L"\\");
            Str(lm, key, L"UninstallString",
                m_random.Chance(50) ? L"MsiExec.exe /X" + guid : FilePath(L".exe", 12));
            Str(lm, key, L"DisplayIcon", m_random.Chance(40) ? FilePath(L".exe", 0) + L",0" : FilePath(L".exe", 12));
            Dword(lm, key, L"EstimatedSize", 1000 + i);
            Str(lm, key, L"InstallDate", L"20240101");
            Str(lm, key, L"URLInfoAbout", L"https://bench.invalid/product/" + std::to_wstring(i));
            Str(lm, key, L"HelpLink", FilePath(L".chm", 10));
        }
        // App Paths: the program and its folder.
        for (int i = 0, n = Scaled(2000); i < n; ++i) {
            const std::wstring key = L"Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\bench" +
                                     std::to_wstring(i) + L".exe";
            Str(lm, key, L"", FilePath(L".exe", 15));
            Str(lm, key, L"Path", kBenchRoot + L"\\apps\\app" + std::to_wstring(i % 200));
        }
        // Sound events: .Current and .Default below each event.
        for (int a = 0, n = Scaled(300); a < n; ++a)
            for (int e = 0; e < 10; ++e)
                for (const wchar_t* which : {L".Current", L".Default"})
                    Str(HKEY_CURRENT_USER,
                        L"AppEvents\\Schemes\\Apps\\BenchApp" + std::to_wstring(a) + L"\\Event" + std::to_wstring(e) +
                            L"\\" + which,
                        L"", m_random.Chance(50) ? L"" : FilePath(L".wav", 10));
        // Help files: mostly folders, some full paths.
        for (int i = 0, n = Scaled(2000); i < n; ++i)
            Str(lm, L"Software\\Microsoft\\Windows\\Help", L"bench" + std::to_wstring(i) + L".chm",
                m_random.Chance(80) ? kBenchRoot + L"\\help\\" : FilePath(L".chm", 20));
        for (int i = 0, n = Scaled(500); i < n; ++i)
            Str(lm, L"Software\\Microsoft\\Windows\\HTML Help", L"bench" + std::to_wstring(i) + L".chm",
                FilePath(L".chm", 10));
        // Start-up entries, with and without arguments.
        for (int i = 0, n = Scaled(40); i < n; ++i) {
            Str(lm, L"Software\\Microsoft\\Windows\\CurrentVersion\\Run", L"BenchRun" + std::to_wstring(i),
                FilePath(L".exe", 15) + (i % 3 ? L"" : L" /background"));
            Str(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Run",
                L"BenchRun" + std::to_wstring(i), FilePath(L".exe", 15));
        }
        // Snap-ins.
        for (int i = 0, n = Scaled(500); i < n; ++i) {
            const std::wstring key = L"Software\\Microsoft\\MMC\\SnapIns\\{BenchSnapIn-" + std::to_wstring(i) + L"}";
            Str(lm, key, L"NameString", L"Bench snap-in " + std::to_wstring(i));
            Str(lm, key, L"About", L"{BenchAbout-" + std::to_wstring(i) + L"}");
            Str(lm, key, L"HelpTopic", FilePath(L".chm", 10));
            Str(lm, key, L"Version", L"1.0");
        }
        // Shared DLLs: the value name is the path.
        for (int i = 0, n = Scaled(5000); i < n; ++i)
            Dword(lm, L"Software\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs", FilePath(L".dll", 10),
                  1 + i % 3);
        for (int i = 0, n = Scaled(200); i < n; ++i)
            Str(lm, L"SYSTEM\\CurrentControlSet\\Services\\SessionLauncher\\Bench" + std::to_wstring(i / 20),
                L"Module" + std::to_wstring(i), FilePath(L".dll", 10));
        for (int i = 0, n = Scaled(800); i < n; ++i)
            Str(lm, L"Software\\Microsoft\\Windows NT\\CurrentVersion\\Fonts",
                L"Bench Font " + std::to_wstring(i) + L" (TrueType)",
                m_random.Chance(80) ? L"bench" + std::to_wstring(i) + L".ttf" : FilePath(L".ttf", 10));
    }

    void PlantClasses()
    {
        const HKEY cr = HKEY_CLASSES_ROOT;
        for (int i = 0, n = Scaled(20000); i < n; ++i) {
            const std::wstring clsid = L"CLSID\\{BE7C" + std::to_wstring(100000 + i) + L"-0000-0000-0000-000000000000}";
            Str(cr, clsid, L"", L"Bench class " + std::to_wstring(i));
            Str(cr, clsid + L"\\InprocServer32", L"", FilePath(L".dll", 0));
            if (m_random.Chance(25)) {
                const std::wstring appId = L"{BE7CA" + std::to_wstring(i) + L"}";
                Str(cr, clsid, L"AppID", appId);
                if (!m_random.Chance(33))
                    Key(cr, L"AppID\\" + appId);
            }
            if (m_random.Chance(25)) {
                const std::wstring lib = L"{BE7CB" + std::to_wstring(i) + L"}";
                Str(cr, clsid + L"\\TypeLib", L"", lib);
                if (!m_random.Chance(33))
                    Key(cr, L"TypeLib\\" + lib);
            }
        }
    }

    void PlantServiceAccounts()
    {
        for (const wchar_t* account : {L"S-1-5-18", L"S-1-5-19", L"S-1-5-20"})
            for (int i = 0, n = Scaled(200); i < n; ++i) {
                const std::wstring key = std::wstring(account) + L"\\Software\\Bench" + std::to_wstring(i);
                if (m_random.Chance(30))
                    Key(HKEY_USERS, key + L"\\Empty");
                else
                    Str(HKEY_USERS, key, L"Setting", L"1");
            }
    }

    void PlantShortcuts()
    {
        ComInitializer com;
        ComPtr<IShellLinkW> link;
        if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                      link.put_void())))
            return;
        ComPtr<IPersistFile> file;
        link.As(file);
        const std::wstring profile = ExpandEnv(L"%USERPROFILE%") + L"\\BenchLinks";
        std::vector<std::wstring> doomed;
        for (int i = 0, n = Scaled(5000); i < n; ++i) {
            const std::wstring folder = profile + L"\\group" + std::to_wstring(i % 50) + L"\\sub" +
                                        std::to_wstring(i % 7);
            ::SHCreateDirectoryExW(nullptr, folder.c_str(), nullptr);
            std::wstring target = FilePath(L".exe", 0);
            if (m_random.Chance(10)) {
                target = kBenchRoot + L"\\doomed\\target" + std::to_wstring(i) + L".exe";
                EnsureFile(target);
                doomed.push_back(target);
            }
            link->SetPath(target.c_str());
            file->Save((folder + L"\\link" + std::to_wstring(i) + L".lnk").c_str(), TRUE);
        }
        for (const std::wstring& target : doomed)
            ::DeleteFileW(target.c_str());
        m_links = Scaled(5000);
        m_brokenLinks = static_cast<int>(doomed.size());
    }

    void Report() const
    {
        Print("planted " + std::to_string(m_values) + " values, " + std::to_string(m_missing) +
              " naming missing files, " + std::to_string(Scaled(20000)) + " classes, " + std::to_string(m_links) +
              " shortcuts (" + std::to_string(m_brokenLinks) + " broken)\n");
    }

private:
    double m_scale;
    Random m_random;
    long m_values = 0;
    long m_missing = 0;
    int m_links = 0;
    int m_brokenLinks = 0;
};

// --- the minimal walker ------------------------------------------------------------

struct WalkCounts {
    long values = 0;
    long candidates = 0;
    long missing = 0;
    long classes = 0;
    long emptyKeys = 0;
    long links = 0;
    long brokenLinks = 0;
    CPathCheckCache* cache = nullptr;  // null: the naive walk, one query per candidate

    bool Exists(const std::wstring& path) const { return cache ? cache->Exists(path) : FileExists(path); }
};

void TestCandidate(const std::wstring& text, WalkCounts& counts)
{
    const std::wstring t = ExpandEnv(text);
    if (!LooksAbsolute(t) || !IsSingleFilePath(t) || IsInstallerCommand(t) || !HasKnownExtension(t))
        return;
    ++counts.candidates;
    if (!counts.Exists(BeginsWithSystemRoot(t) ? ExpandEnv(NormaliseSystemRoot(t)) : t))
        ++counts.missing;
}

void WalkKey(HKEY parent, const std::wstring& path, int depth, int maxDepth, bool sharedDlls, WalkCounts& counts)
{
    UniqueHKey key;
    if (::RegOpenKeyExW(parent, path.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS)
        return;
    DWORD subkeys = 0, values = 0;
    ::RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr, nullptr,
                       nullptr, nullptr);
    for (DWORD i = 0; i < values; ++i) {
        wchar_t name[256];
        DWORD nameChars = 256, type = 0;
        BYTE data[2048] = {};
        DWORD size = 1024;
        if (::RegEnumValueW(key.get(), i, name, &nameChars, nullptr, &type, data, &size) != ERROR_SUCCESS)
            continue;
        ++counts.values;
        if (sharedDlls && type == REG_DWORD)
            TestCandidate(name, counts);
        else if (!sharedDlls && (type == REG_SZ || type == REG_EXPAND_SZ))
            TestCandidate(reinterpret_cast<const wchar_t*>(data), counts);
    }
    if (depth >= maxDepth)
        return;
    for (DWORD i = 0; i < subkeys; ++i) {
        wchar_t name[256];
        DWORD nameChars = 256;
        if (::RegEnumKeyExW(key.get(), i, name, &nameChars, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS)
            WalkKey(key.get(), name, depth + 1, maxDepth, sharedDlls, counts);
    }
}

void WalkClasses(WalkCounts& counts)
{
    UniqueHKey clsid;
    if (::RegOpenKeyExW(HKEY_CLASSES_ROOT, L"CLSID", 0, KEY_READ, clsid.put()) != ERROR_SUCCESS)
        return;
    for (DWORD i = 0;; ++i) {
        wchar_t name[256];
        DWORD nameChars = 256;
        const LONG status = ::RegEnumKeyExW(clsid.get(), i, name, &nameChars, nullptr, nullptr, nullptr, nullptr);
        if (status == ERROR_NO_MORE_ITEMS)
            break;
        if (status != ERROR_SUCCESS)
            continue;
        ++counts.classes;
        UniqueHKey cls;
        if (::RegOpenKeyExW(clsid.get(), name, 0, KEY_READ, cls.put()) != ERROR_SUCCESS)
            continue;
        wchar_t data[1024] = {};
        DWORD size = sizeof data - 2;
        if (::RegQueryValueExW(cls.get(), L"AppID", nullptr, nullptr, reinterpret_cast<BYTE*>(data), &size) ==
                ERROR_SUCCESS &&
            data[0])
            (void)RegKeyExists(std::wstring(L"AppID\\") + data, HKEY_CLASSES_ROOT);
        UniqueHKey lib;
        if (::RegOpenKeyExW(cls.get(), L"TypeLib", 0, KEY_READ, lib.put()) == ERROR_SUCCESS) {
            wchar_t id[1024] = {};
            size = sizeof id - 2;
            ::RegQueryValueExW(lib.get(), L"", nullptr, nullptr, reinterpret_cast<BYTE*>(id), &size);
            (void)RegKeyExists(std::wstring(L"TypeLib\\") + id, HKEY_CLASSES_ROOT);
        }
    }
}

void WalkEmpty(const std::wstring& path, int depth, WalkCounts& counts)
{
    UniqueHKey key;
    if (::RegOpenKeyExW(HKEY_USERS, path.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS)
        return;
    DWORD subkeys = 0, values = 0;
    ::RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr, nullptr,
                       nullptr, nullptr);
    if (subkeys == 0 && values == 0 && depth > 2)
        ++counts.emptyKeys;
    for (DWORD i = 0; i < subkeys; ++i) {
        wchar_t name[256];
        DWORD nameChars = 256;
        if (::RegEnumKeyExW(key.get(), i, name, &nameChars, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS)
            WalkEmpty(path + L"\\" + name, depth + 1, counts);
    }
}

void WalkLinks(const std::wstring& folder, IShellLinkW* link, IPersistFile* file, WalkCounts& counts)
{
    WIN32_FIND_DATAW data;
    HANDLE find = ::FindFirstFileW((folder + L"*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE)
        return;
    do {
        const std::wstring name = data.cFileName;
        if (name == L"." || name == L"..")
            continue;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            if (!(data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
                WalkLinks(folder + name + L"\\", link, file, counts);
        } else if (name.size() > 4 && ToLowerAscii(name.substr(name.size() - 4)) == L".lnk") {
            ++counts.links;
            bool intact = SUCCEEDED(file->Load((folder + name).c_str(), STGM_READ)) &&
                          link->Resolve(nullptr, 0x79) == S_OK;
            wchar_t target[1024] = {};
            if (intact && link->GetPath(target, 1024, nullptr, 0) == S_OK && target[0])
                intact = counts.Exists(target);
            if (!intact)
                ++counts.brokenLinks;
        }
    } while (::FindNextFileW(find, &data));
    ::FindClose(find);
}

int Walk(CPathCheckCache* cache)
{
    WalkCounts counts;
    counts.cache = cache;
    const HKEY lm = HKEY_LOCAL_MACHINE;
    WalkClasses(counts);
    WalkKey(lm, L"Software\\Microsoft\\Windows\\CurrentVersion\\App Paths", 1, 11, false, counts);
    WalkKey(HKEY_CURRENT_USER, L"AppEvents\\Schemes\\Apps", 1, 11, false, counts);
    WalkKey(lm, L"Software\\Microsoft\\Windows\\Help", 1, 1, false, counts);
    WalkKey(lm, L"Software\\Microsoft\\Windows\\HTML Help", 1, 1, false, counts);
    WalkKey(lm, L"Software\\Microsoft\\Windows\\CurrentVersion\\Run", 1, 1, false, counts);
    WalkKey(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Run", 1, 1, false, counts);
    WalkKey(lm, L"Software\\Microsoft\\MMC\\SnapIns", 1, 11, false, counts);
    WalkKey(lm, L"Software\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs", 1, 1, true, counts);
    for (const wchar_t* account : {L"S-1-5-18", L"S-1-5-19", L"S-1-5-20"})
        WalkEmpty(account, 1, counts);
    WalkKey(lm, L"SYSTEM\\CurrentControlSet\\Services\\SessionLauncher", 1, 11, false, counts);
    WalkKey(lm, kUninstall, 1, 11, false, counts);
    WalkKey(lm, L"Software\\Microsoft\\Windows NT\\CurrentVersion\\Fonts", 1, 1, false, counts);
    {
        ComInitializer com;
        ComPtr<IShellLinkW> link;
        ComPtr<IPersistFile> file;
        if (SUCCEEDED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                         link.put_void())) &&
            SUCCEEDED(link.As(file)))
            WalkLinks(ExpandEnv(L"%USERPROFILE%") + L"\\", link.get(), file.get(), counts);
    }
    Print("values=" + std::to_string(counts.values) + " candidates=" + std::to_string(counts.candidates) +
          " missing=" + std::to_string(counts.missing) + " classes=" + std::to_string(counts.classes) +
          " empty=" + std::to_string(counts.emptyKeys) + " links=" + std::to_string(counts.links) +
          " broken=" + std::to_string(counts.brokenLinks) + "\n");
    if (cache) {
        const CPathCheckCache::Counts& checks = cache->GetCounts();
        Print("through the scan's cache: " + std::to_string(checks.checks) + " path checks took " +
              std::to_string(checks.queries) + " file queries\n");
    }
    return 0;
}

// Years of repairs: list-only items shaped like the classes and program paths the scan
// reports (same roots, key paths of the same length and prefix), none of them one of the
// planted problems, so a scan with this file finds exactly what it finds without it
// and differs only in the cost of the lookups.
int WriteRepairedItems(int count)
{
    if (count <= 0) {
        ::DeleteFileW(CRepairedItems::FilePath().c_str());
        return 0;
    }
    CRepairedItems items;
    for (int i = 0; i < count; ++i) {
        const std::wstring number = std::to_wstring(900000 + i);
        CRegistryItem item;
        item.Type = kTypeString;
        if (i % 4 < 2) {
            item.Root = kRootClassesRoot;
            item.SubKey = L"CLSID\\{BE7C" + number + L"-0000-0000-0000-000000000000}";
            if (i % 4 == 0)
                item.ValueName = L"AppID";
            else
                item.SubKey += L"\\TypeLib";
        } else {
            item.Root = kRootLocalMachine;
            item.SubKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\bench" + number + L".exe";
            item.ValueName = i % 4 == 2 ? L"" : L"Path";
        }
        item.Hive = RootToHive(item.Root);
        items.Add(std::move(item));
    }
    if (!items.Save()) {
        Print("log.dat cannot be written\n");
        return 1;
    }
    Print("log.dat: " + std::to_string(count) + " repaired items\n");
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    ::SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
    const std::wstring command = argc > 1 ? argv[1] : L"";
    if (command == L"plant") {
        double scale = 1.0;
        if (argc > 3 && std::wstring(argv[2]) == L"--scale")
            scale = _wtof(argv[3]);
        Planter planter(scale);
        planter.PlantValues();
        planter.PlantClasses();
        planter.PlantServiceAccounts();
        planter.PlantShortcuts();
        planter.Report();
        return 0;
    }
    if (command == L"walk")
        return Walk(nullptr);
    if (command == L"checks") {
        CPathCheckCache cache;
        return Walk(&cache);
    }
    if (command == L"log" && argc > 2)
        return WriteRepairedItems(_wtoi(argv[2]));
    if (command == L"hold") {
        // Wine starts a desktop process for the first window of a session and ends it a
        // moment after the last one closes; on Windows the desktop is always there. Holding
        // one window for the whole measurement keeps that start-up out of the scan's time.
        const HWND window = ::CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
        char buffer[64];
        DWORD read = 0;
        while (::ReadFile(::GetStdHandle(STD_INPUT_HANDLE), buffer, sizeof buffer, &read, nullptr) && read > 0) {
        }
        ::DestroyWindow(window);
        return 0;
    }
    Print("usage: velmora-scan-bench plant [--scale F] | walk | log N | hold\n");
    return 2;
}
