#include "online/SystemSnapshot.h"

#include "core/Md5.h"
#include "engine/FileSystem.h"
#include "engine/Registry.h"
#include "framework/Handles.h"

#include <windows.h>
#include <psapi.h>

#include <array>
#include <vector>

namespace {

constexpr wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr DWORD kMaxProcesses = 1024;
constexpr DWORD kReadBlockBytes = 64 * 1024;

std::wstring ProcessProgramPath(DWORD processId)
{
    UniqueHandle process(::OpenProcess(PROCESS_ALL_ACCESS, FALSE, processId));
    if (!process)
        return {};
    HMODULE module = nullptr;
    DWORD needed = 0;
    if (!::EnumProcessModules(process.get(), &module, sizeof(module), &needed))
        return {};
    std::array<wchar_t, MAX_PATH> path{};
    const DWORD length = ::GetModuleFileNameExW(process.get(), module, path.data(), MAX_PATH);
    return std::wstring(path.data(), length);
}

std::vector<std::wstring> RunningProgramPaths()
{
    std::vector<DWORD> ids(kMaxProcesses);
    DWORD bytes = 0;
    if (!::EnumProcesses(ids.data(), kMaxProcesses * sizeof(DWORD), &bytes))
        return {};
    ids.resize(bytes / sizeof(DWORD));
    std::vector<std::wstring> paths;
    for (const DWORD id : ids) {
        std::wstring path = ProcessProgramPath(id);
        if (!path.empty())
            paths.push_back(std::move(path));
    }
    return paths;
}

}  // namespace

SnapshotProcess ProgramFileFacts(const std::wstring& path)
{
    SnapshotProcess facts{path, -1, {}};
    const std::int64_t length = GetFileLength(path);
    // The line shows the size as a 32-bit number; larger files show its low bits.
    facts.size = static_cast<std::int32_t>(static_cast<std::uint32_t>(length));
    UniqueHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file)
        return facts;
    CMd5 digest;
    std::vector<std::uint8_t> block(kReadBlockBytes);
    for (;;) {
        DWORD got = 0;
        if (!::ReadFile(file.get(), block.data(), kReadBlockBytes, &got, nullptr))
            return facts;
        if (got == 0)
            break;
        digest.Update(block.data(), got);
    }
    facts.md5 = digest.FinishHex();
    return facts;
}

std::wstring BuildSnapshot(std::wstring& marked)
{
    SnapshotFacts facts;
    for (const std::wstring& path : RunningProgramPaths())
        facts.processes.push_back(ProgramFileFacts(path));
    facts.machineRun = RegListValuesHtml(HKEY_LOCAL_MACHINE, kRunKey);
    facts.userRun = RegListValuesHtml(HKEY_CURRENT_USER, kRunKey);
    facts.helperObjects = RegListSubkeys(kBrowserHelperObjectsKey);
    SnapshotForms forms = FormatSnapshot(facts);
    marked = std::move(forms.marked);
    return std::move(forms.plain);
}
