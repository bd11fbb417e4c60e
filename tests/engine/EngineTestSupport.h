#pragma once
// Test helpers for the engine services: a fixture that hands the engine to a
// test with pacing off and takes it back afterwards, and guards that keep the user's
// data files (log.dat, unresolvederrors.dat) as they were before the test.

#include "engine/CorvaneEngine.h"
#include "framework/Handles.h"
#include "framework/MessageSink.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

// The repair's messages (WM_REPAIR_*) among those the sink took, in order.
[[nodiscard]] std::vector<ReceivedMessage> RepairMessages(const CMessageSink& sink);

// The whole content of a file, or nothing when it cannot be read.
[[nodiscard]] std::optional<std::string> ReadBytes(const std::wstring& path);
[[nodiscard]] std::wstring ReadUtf16(const std::wstring& path);
void WriteBytes(const std::wstring& path, const std::string& bytes);
[[nodiscard]] bool Exists(const std::wstring& path);

// Keeps a file's content (or its absence) and puts it back when the scope ends.
class FileKeeper {
public:
    explicit FileKeeper(std::wstring path);
    ~FileKeeper();
    FileKeeper(const FileKeeper&) = delete;
    FileKeeper& operator=(const FileKeeper&) = delete;

private:
    std::wstring m_path;
    std::optional<std::string> m_bytes;
};

// Keeps a REG_SZ setting under HKEY_LOCAL_MACHINE\Software\Velmora and restores it.
class SettingKeeper {
public:
    explicit SettingKeeper(std::wstring name);
    ~SettingKeeper();
    SettingKeeper(const SettingKeeper&) = delete;
    SettingKeeper& operator=(const SettingKeeper&) = delete;

private:
    std::wstring m_name;
    std::optional<std::wstring> m_value;
};

// The sum of one counter over every section.
[[nodiscard]] std::int64_t CounterTotal(const SectionCounters& counters,
                                        std::atomic<std::int32_t> SectionCounter::*counter);

// The engine with pacing off, posting to the fixture's sink, starting without
// repaired items, stored problems or a problem list; the data files and the settings
// the engine writes are put back afterwards.
class EngineTest : public testing::Test {
protected:
    EngineTest();
    ~EngineTest() override;

    // Scans the sections to the end.
    void Scan(std::initializer_list<int> sections);
    // Repairs the whole problem list to the end.
    void Repair();
    // Keeps only the problems whose key path, value name or subject contains the
    // marker (the others go to the unresolved store), so a test repairs what it planted.
    void KeepOnly(const std::wstring& marker);

    ComInitializer com;  // the tests make shortcuts and talk to the task scheduler
    CCorvaneEngine engine;
    CMessageSink sink;

private:
    FileKeeper m_log;
    FileKeeper m_unresolved;
    SettingKeeper m_lastScan;
    SettingKeeper m_ignoredCount;
};

// Deletes the backups a test created (in the engine's backup folder), with their kept files.
class BackupCleaner {
public:
    BackupCleaner() = default;
    ~BackupCleaner();
    BackupCleaner(const BackupCleaner&) = delete;
    BackupCleaner& operator=(const BackupCleaner&) = delete;
    void Add(const std::wstring& path) { m_paths.push_back(path); }

private:
    std::vector<std::wstring> m_paths;
};

// The type and data of a value, or nothing when it does not exist.
struct RegValue {
    DWORD type = 0;
    std::wstring text;  // strings up to their NUL; REG_DWORD in decimal
    bool operator==(const RegValue& o) const { return type == o.type && text == o.text; }
};
[[nodiscard]] std::optional<RegValue> ReadValue(HKEY root, const std::wstring& key, const std::wstring& name);
[[nodiscard]] bool KeyExists(HKEY root, const std::wstring& key);
