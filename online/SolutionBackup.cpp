#include "online/SolutionBackup.h"

// Until the repair's backup writer can keep them, nothing is kept, so nothing is removed.
bool CRepairBackupForSolution::SaveRegistryEntry(std::int32_t, const CRegistryItem&)
{
    return false;
}

bool CRepairBackupForSolution::PreserveFile(const std::wstring&)
{
    return false;
}
