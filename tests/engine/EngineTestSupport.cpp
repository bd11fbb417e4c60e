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

#include <algorithm>
#include <cstring>

std::vector<ReceivedMessage> RepairMessages(const CMessageSink& sink)
{
    std::vector<ReceivedMessage> out;
    std::copy_if(sink.messages.begin(), sink.messages.end(), std::back_inserter(out), [](const ReceivedMessage& m) {
        return m.message >= WM_REPAIR_STARTED && m.message <= WM_REPAIR_FINISHED;
    });
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
    : sink(&CarriesText),
      m_log(CRepairedItems::FilePath()),
      m_unresolved(CIgnoredProblemsStore::FilePath()),
      m_lastScan(L"LastScanDate"),
      m_ignoredCount(L"IgnoredErrorsCount")
{
    SetPacingEnabled(false);
    engine.SetNotifyWindow(sink.Target());
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

void EngineTest::Repair()
{
    ASSERT_TRUE(engine.StartRepair(engine.ProblemList()));
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
