#pragma once
// Where a custom solution keeps what it removes, so that the restore window can bring it
// back. Each call must have written and flushed its copy before it returns true; the
// solution removes nothing whose call returned false.

#include "core/RegistryItem.h"
#include "engine/BackupWriter.h"

#include <cstdint>
#include <optional>
#include <string>
#include <utility>

class ISolutionBackup {
public:
    virtual ~ISolutionBackup() = default;
    // One backup line (action as in core/BackupFile.h) for an entry about to be removed.
    [[nodiscard]] virtual bool SaveRegistryEntry(std::int32_t action, const CRegistryItem& item) = 0;
    // A copy of a file about to be deleted, kept with its original path.
    [[nodiscard]] virtual bool PreserveFile(const std::wstring& path) = 0;
};

// The repair's backup file (and ".files" folder) in the repair's folder, created on the
// first thing kept, so a solution that removes nothing leaves no empty backup behind.
class CRepairBackupForSolution final : public ISolutionBackup {
public:
    explicit CRepairBackupForSolution(std::wstring folder) : m_folder(std::move(folder)) {}

    [[nodiscard]] bool SaveRegistryEntry(std::int32_t action, const CRegistryItem& item) override;
    [[nodiscard]] bool PreserveFile(const std::wstring& path) override;
    // The backup written to; empty while nothing was kept or when none could be created.
    [[nodiscard]] std::wstring Path() const { return m_writer ? m_writer->Path() : std::wstring(); }

private:
    [[nodiscard]] CBackupWriter* Writer();

    std::wstring m_folder;
    std::optional<CBackupWriter> m_writer;
    bool m_creationFailed = false;
};
