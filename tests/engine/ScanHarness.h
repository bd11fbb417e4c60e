#pragma once
// Test helpers: run the real scan worker against the real (Wine) registry and file
// system, collect what it posts, and plant registry
// entries and files that are removed again when the test ends.

#include "core/ProblemRecord.h"
#include "core/ScanSections.h"
#include "engine/RegistryScanThread.h"
#include "framework/MessageSink.h"

#include <windows.h>

#include <string>
#include <vector>

struct ScanRun {
    CErrorListEx problems;
    SectionCounters counters;
    std::vector<ReceivedMessage> messages;

    // Messages without the item texts, for sequence checks.
    [[nodiscard]] std::vector<ReceivedMessage> WithoutItems() const;
    [[nodiscard]] std::vector<std::wstring> ItemTexts() const;
    // The problems whose subject, key path or value name contains the marker.
    [[nodiscard]] std::vector<CError> Matching(const std::wstring& marker) const;
};

CRegistryScanThread::Selection Sections(std::initializer_list<int> sections);

// Runs one scan to its end on a worker thread and returns what it produced.
void RunScan(const CRegistryScanThread::Selection& sections, ScanRun& run,
             const CRegistryItemListEx* repaired = nullptr);

// Registry entries planted for one test and removed by the destructor: values
// added to existing keys are deleted, keys created are deleted with their subtrees.
class RegistrySandbox {
public:
    RegistrySandbox() = default;
    ~RegistrySandbox();
    RegistrySandbox(const RegistrySandbox&) = delete;
    RegistrySandbox& operator=(const RegistrySandbox&) = delete;

    // Creates the key (and its missing parents, all removed later) and sets a value.
    void SetString(HKEY root, const std::wstring& key, const std::wstring& name, const std::wstring& data,
                   DWORD type = REG_SZ);
    void SetDword(HKEY root, const std::wstring& key, const std::wstring& name, DWORD value);
    void SetRaw(HKEY root, const std::wstring& key, const std::wstring& name, DWORD type, const void* data,
                DWORD size);
    // Creates an empty key with RegCreateKeyExW (no default value).
    void CreateKey(HKEY root, const std::wstring& key);

private:
    void Track(HKEY root, const std::wstring& key);
    struct Value {
        HKEY root;
        std::wstring key, name;
    };
    std::vector<Value> m_values;
    std::vector<std::pair<HKEY, std::wstring>> m_createdKeys;  // the topmost key that did not exist
};

// A scratch folder below the given parent, removed with its content afterwards.
class ScratchFolder {
public:
    explicit ScratchFolder(const std::wstring& parent, const std::wstring& name);
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    [[nodiscard]] const std::wstring& Path() const { return m_path; }
    // Creates a file (and its folders) below the scratch folder; returns its full path.
    std::wstring AddFile(const std::wstring& relative, const std::string& content = "x");
    std::wstring AddFolder(const std::wstring& relative);

private:
    std::wstring m_path;
};

// A .lnk file at linkPath pointing at target (through IShellLinkW/IPersistFile).
bool CreateShortcut(const std::wstring& linkPath, const std::wstring& target);

// The temporary folder, without a trailing backslash.
[[nodiscard]] std::wstring TempFolder();
