#pragma once
// Where a custom solution keeps what it removes, so that the restore window can bring it
// back. Each call must have written and flushed its copy before it returns true; the
// solution removes nothing whose call returned false.

#include "core/RegistryItem.h"

#include <cstdint>
#include <string>

class ISolutionBackup {
public:
    virtual ~ISolutionBackup() = default;
    // One backup line (action as in core/BackupFile.h) for an entry about to be removed.
    [[nodiscard]] virtual bool SaveRegistryEntry(std::int32_t action, const CRegistryItem& item) = 0;
    // A copy of a file about to be deleted, kept with its original path.
    [[nodiscard]] virtual bool PreserveFile(const std::wstring& path) = 0;
};

// The repair's backup, created in the repair's folder on the first thing kept, so a
// solution that removes nothing leaves no empty backup behind.
class CRepairBackupForSolution final : public ISolutionBackup {
public:
    [[nodiscard]] bool SaveRegistryEntry(std::int32_t action, const CRegistryItem& item) override;
    [[nodiscard]] bool PreserveFile(const std::wstring& path) override;
};
