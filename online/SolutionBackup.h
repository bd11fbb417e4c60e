#pragma once
// Where a custom solution keeps what it removes, so that the restore window can bring it
// back. Each call must have written and flushed its copy before it returns true; the
// solution removes nothing whose call returned false.

#include "core/RegistryItem.h"
#include "engine/BackupWriter.h"

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <utility>

class ISolutionBackup {
public:
    virtual ~ISolutionBackup() = default;
    // One backup line (action as in core/BackupFile.h) for an entry about to be removed.
    [[nodiscard]] virtual bool SaveRegistryEntry(std::int32_t action, const CRegistryItem& item) = 0;
    // A copy of a file about to be deleted, read from the handle the caller holds open
    // for reading and kept with its original path.
    [[nodiscard]] virtual bool PreserveFile(HANDLE file, const std::wstring& path) = 0;
};

// What one solution run may copy into its backup: a remote command must not fill the
// disk, nor leave Windows without room to work.
struct SolutionBackupLimits {
    std::uint64_t maxCopiedBytes = 512ULL * 1024 * 1024;
    std::uint64_t minFreeBytesAfter = 1024ULL * 1024 * 1024;
};

// The repair's backup file (and ".files" folder) in the repair's folder, created on the
// first thing kept, so a solution that removes nothing leaves no empty backup behind.
// A file is refused when its copy would take the run's copies past the limits' total or
// leave less than their margin free on the backup's disk.
class CRepairBackupForSolution final : public ISolutionBackup {
public:
    explicit CRepairBackupForSolution(std::wstring folder, SolutionBackupLimits limits = {})
        : m_folder(std::move(folder)), m_limits(limits)
    {
    }

    [[nodiscard]] bool SaveRegistryEntry(std::int32_t action, const CRegistryItem& item) override;
    [[nodiscard]] bool PreserveFile(HANDLE file, const std::wstring& path) override;
    // The backup written to; empty while nothing was kept or when none could be created.
    [[nodiscard]] std::wstring Path() const { return m_writer ? m_writer->Path() : std::wstring(); }
    // Saves the run's full report with the backup (creating the backup when nothing else
    // was kept); its path, empty when it could not be saved.
    [[nodiscard]] std::wstring SaveReport(const std::wstring& report);

private:
    [[nodiscard]] CBackupWriter* Writer();
    // The file's size when its copy keeps within the limits; nothing otherwise.
    [[nodiscard]] std::optional<std::uint64_t> FittingCopySize(HANDLE file) const;

    std::wstring m_folder;
    SolutionBackupLimits m_limits;
    std::optional<CBackupWriter> m_writer;
    bool m_creationFailed = false;
    std::uint64_t m_copiedBytes = 0;
};
