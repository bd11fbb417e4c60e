#include "EngineTestSupport.h"

#include "engine/BackupRestore.h"

#include "core/Utf16Text.h"
#include "engine/EngineMessages.h"
#include "engine/IgnoredProblemsStore.h"
#include "engine/RepairedItems.h"
#include "engine/ScanMessages.h"
#include "engine/Settings.h"
#include "framework/File.h"
#include "framework/Handles.h"
#include "framework/Pacing.h"

#include <cstring>

namespace {

const wchar_t kSinkClass[] = L"VelmoraTestEngineSink";

bool CarriesText(UINT message)
{
    return message == WM_SCAN_ITEM || message == WM_REPAIR_ITEM || message == WM_BACKUP_FOUND;
}

bool IsEngineMessage(UINT message)
{
    return (message >= WM_SCAN_PROBLEM_FOUND && message <= WM_SCAN_SECTION_DONE) ||
           (message >= WM_REPAIR_STARTED && message <= WM_REPAIR_FINISHED) || message == WM_BACKUP_FOUND;
}

}  // namespace

LRESULT CALLBACK EngineSink::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (!IsEngineMessage(message))
        return ::DefWindowProcW(window, message, wParam, lParam);
    EngineMessage recorded{message, wParam, {}};
    if (CarriesText(message)) {
        recorded.text = TakeText(wParam);
        recorded.wParam = 0;
    }
    if (auto* self = reinterpret_cast<EngineSink*>(::GetWindowLongPtrW(window, GWLP_USERDATA)))
        self->messages.push_back(std::move(recorded));
    return 0;
}

EngineSink::EngineSink()
{
    WNDCLASSW wc{};
    wc.lpfnWndProc = &EngineSink::WindowProc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = kSinkClass;
    ::RegisterClassW(&wc);
    m_window = ::CreateWindowExW(0, kSinkClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
    ::SetWindowLongPtrW(m_window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

EngineSink::~EngineSink()
{
    Drain();
    ::DestroyWindow(m_window);
}

void EngineSink::Drain()
{
    MSG msg;
    while (::PeekMessageW(&msg, m_window, 0, 0, PM_REMOVE))
        ::DispatchMessageW(&msg);
}

void EngineSink::PumpUntilEnded(HANDLE thread)
{
    while (thread) {
        const DWORD wait = ::MsgWaitForMultipleObjects(1, &thread, FALSE, INFINITE, QS_ALLPOSTMESSAGE);
        Drain();
        if (wait != WAIT_OBJECT_0 + 1)
            break;
    }
    Drain();
}

std::vector<EngineMessage> EngineSink::Only(UINT message) const
{
    std::vector<EngineMessage> out;
    for (const EngineMessage& m : messages)
        if (m.message == message)
            out.push_back(m);
    return out;
}

std::vector<EngineMessage> EngineSink::Repair() const
{
    std::vector<EngineMessage> out;
    for (const EngineMessage& m : messages)
        if (m.message >= WM_REPAIR_STARTED && m.message <= WM_REPAIR_FINISHED)
            out.push_back(m);
    return out;
}

std::optional<std::string> ReadBytes(const std::wstring& path)
{
    std::string bytes;
    if (!CFile::ReadAll(path, bytes))
        return std::nullopt;
    return bytes;
}

std::wstring ReadUtf16(const std::wstring& path) { return utf16::DecodeLe(ReadBytes(path).value_or("")); }

void WriteBytes(const std::wstring& path, const std::string& bytes) { ASSERT_TRUE(CFile::WriteAll(path, bytes)); }

bool Exists(const std::wstring& path) { return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

FileKeeper::FileKeeper(std::wstring path) : m_path(std::move(path)), m_bytes(ReadBytes(m_path)) {}

FileKeeper::~FileKeeper()
{
    if (m_bytes)
        (void)CFile::WriteAll(m_path, *m_bytes);
    else
        ::DeleteFileW(m_path.c_str());
}

SettingKeeper::SettingKeeper(std::wstring name) : m_name(std::move(name))
{
    if (ReadValue(HKEY_LOCAL_MACHINE, kSettingsKey, m_name))
        m_value = ReadSetting(m_name);
}

SettingKeeper::~SettingKeeper()
{
    if (m_value) {
        (void)WriteSetting(m_name, *m_value);
        return;
    }
    UniqueHKey key;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kSettingsKey, 0, KEY_WRITE, key.put()) == ERROR_SUCCESS)
        ::RegDeleteValueW(key.get(), m_name.c_str());
}

std::int64_t CounterTotal(const SectionCounters& counters, std::atomic<std::int32_t> SectionCounter::*counter)
{
    std::int64_t total = 0;
    for (const SectionCounter& section : counters)
        total += (section.*counter).load();
    return total;
}

EngineTest::EngineTest()
    : m_log(CRepairedItems::FilePath()),
      m_unresolved(CIgnoredProblemsStore::FilePath()),
      m_lastScan(L"LastScanDate"),
      m_ignoredCount(L"IgnoredErrorsCount")
{
    SetPacingEnabled(false);
    engine.SetNotifyWindow(sink.Window());
    // Every test starts without repaired items and without stored problems.
    ::DeleteFileW(CRepairedItems::FilePath().c_str());
    ::DeleteFileW(CIgnoredProblemsStore::FilePath().c_str());
    engine.RepairedItems().SetSize(0);
    engine.ProblemList().SetSize(0);
}

EngineTest::~EngineTest()
{
    engine.StopScan();
    engine.StopRepair();
    engine.SetNotifyWindow(nullptr);
    engine.ProblemList().SetSize(0);
}

void EngineTest::Scan(std::initializer_list<int> sections)
{
    CCorvaneEngine::Selection selection{};
    for (int s : sections)
        selection[static_cast<std::size_t>(s)] = 1;
    ASSERT_TRUE(engine.StartScan(selection));
    sink.PumpUntilEnded(engine.ScanThreadHandle());
}

void EngineTest::Repair(std::int32_t count)
{
    ASSERT_TRUE(engine.StartRepair(count));
    sink.PumpUntilEnded(engine.RepairThreadHandle());
}

void EngineTest::KeepOnly(const std::wstring& marker)
{
    std::vector<bool> stays;
    for (const CError& e : engine.ProblemList())
        stays.push_back(e.Item.SubKey.find(marker) != std::wstring::npos ||
                        e.Item.ValueName.find(marker) != std::wstring::npos ||
                        e.Subject.find(marker) != std::wstring::npos);
    (void)engine.SaveUnresolvedProblems(stays);
}

BackupCleaner::~BackupCleaner()
{
    for (const std::wstring& path : m_paths)
        (void)DeleteBackupFiles(path);
}

std::optional<RegValue> ReadValue(HKEY root, const std::wstring& key, const std::wstring& name)
{
    UniqueHKey handle;
    if (::RegOpenKeyExW(root, key.c_str(), 0, KEY_READ, handle.put()) != ERROR_SUCCESS)
        return std::nullopt;
    BYTE data[4096] = {};
    DWORD size = sizeof data - 2;
    RegValue value;
    if (::RegQueryValueExW(handle.get(), name.c_str(), nullptr, &value.type, data, &size) != ERROR_SUCCESS)
        return std::nullopt;
    if (value.type == REG_DWORD) {
        DWORD number = 0;
        std::memcpy(&number, data, sizeof number);
        value.text = std::to_wstring(number);
    } else {
        value.text = reinterpret_cast<const wchar_t*>(data);
    }
    return value;
}

bool KeyExists(HKEY root, const std::wstring& key)
{
    UniqueHKey handle;
    return ::RegOpenKeyExW(root, key.c_str(), 0, KEY_READ, handle.put()) == ERROR_SUCCESS;
}
