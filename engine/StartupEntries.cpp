#include "engine/StartupEntries.h"

#include "core/BackupFile.h"
#include "engine/BackupWriter.h"
#include "engine/FileSystem.h"
#include "engine/Registry.h"
#include "framework/Handles.h"

#include <optional>
#include <utility>

namespace {

void AddRunValues(CRegistryItemListEx& entries, RootKey root)
{
    UniqueHKey key;
    if (::RegOpenKeyExW(RootToHKey(root), kStartupRunKey, 0, KEY_READ, key.put()) != ERROR_SUCCESS)
        return;
    DWORD count = 0;
    if (::RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count, nullptr, nullptr,
                           nullptr, nullptr) != ERROR_SUCCESS)
        return;
    for (DWORD index = 0; index < count; ++index) {
        wchar_t name[kRegNameChars];
        DWORD nameChars = kRegNameChars;
        if (::RegEnumValueW(key.get(), index, name, &nameChars, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            continue;
        // 1024 characters of data at most, so a value that fills them has no room for
        // its terminator and is left out rather than cut.
        BYTE data[kRegBufferBytes + sizeof(wchar_t)] = {};
        DWORD size = kRegBufferBytes;
        DWORD type = 0;
        const std::wstring valueName(name, nameChars);
        if (::RegQueryValueExW(key.get(), valueName.c_str(), nullptr, &type, data, &size) != ERROR_SUCCESS)
            continue;
        std::wstring text = RegDataText(data, size);
        if (text.size() > 1023)
            continue;
        entries.Add(RegistryItemAt(root, kStartupRunKey, valueName, std::move(text), type));
    }
}

bool ValueExists(const CRegistryItem& item)
{
    UniqueHKey key;
    if (::RegOpenKeyExW(RootToHKey(item.Root), item.SubKey.c_str(), 0, KEY_QUERY_VALUE, key.put()) != ERROR_SUCCESS)
        return false;
    return ::RegQueryValueExW(key.get(), item.ValueName.c_str(), nullptr, nullptr, nullptr, nullptr) ==
           ERROR_SUCCESS;
}

}  // namespace

std::wstring ProgramRunCommand() { return L'"' + GetModulePath() + L'"'; }

CRegistryItemListEx ReadStartupEntries()
{
    CRegistryItemListEx entries;
    AddRunValues(entries, kRootCurrentUser);
    AddRunValues(entries, kRootLocalMachine);
    return entries;
}

StartupRemoval CStartupEntries::Remove(std::size_t position, const CRegistryItem& shown) const
{
    const CRegistryItemListEx entries = ReadStartupEntries();
    if (position >= static_cast<std::size_t>(entries.GetSize()))
        return StartupRemoval::NotPresent;
    const CRegistryItem& listed = entries[static_cast<int>(position)];
    if (!listed.Matches(shown))
        return StartupRemoval::NotPresent;
    // Read again the way the repair reads what it removes: the listed text ends at the
    // first NUL and cannot tell an unterminated or odd-sized value from a terminated one.
    UniqueHKey key;
    if (::RegOpenKeyExW(RootToHKey(listed.Root), listed.SubKey.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS)
        return StartupRemoval::NotPresent;
    const ExactValue value = RegReadExactValue(key.get(), listed.ValueName, kRegBufferBytes);
    key.reset();
    if (value.status == ERROR_FILE_NOT_FOUND)
        return StartupRemoval::NotPresent;
    if (!value.text)
        return StartupRemoval::NoBackup;
    const CRegistryItem entry = RegistryItemAt(listed.Root, listed.SubKey, listed.ValueName, *value.text, value.type);
    std::optional<CBackupWriter> backup = CBackupWriter::Create(m_backupFolder);
    if (!backup)
        return StartupRemoval::NoBackup;
    const std::wstring backupPath = backup->Path();
    const bool recorded = backup->AppendRegistryEntry(RestoreValue, entry);
    // Closed before anything else, so the file can be deleted or offered for restore.
    backup.reset();
    if (!recorded) {
        ::DeleteFileW(backupPath.c_str());
        return StartupRemoval::NoBackup;
    }
    static_cast<void>(RegDeleteValueAt(RootToHKey(entry.Root), entry.SubKey, entry.ValueName));
    if (ValueExists(entry)) {
        // Nothing was removed, so a backup would only offer to restore what is there.
        ::DeleteFileW(backupPath.c_str());
        return StartupRemoval::StillPresent;
    }
    return StartupRemoval::Removed;
}
