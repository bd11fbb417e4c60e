#include "online/SolutionBackup.h"

CBackupWriter* CRepairBackupForSolution::Writer()
{
    if (!m_writer && !m_creationFailed) {
        m_writer = CBackupWriter::Create(m_folder);
        m_creationFailed = !m_writer;
    }
    return m_writer ? &*m_writer : nullptr;
}

bool CRepairBackupForSolution::SaveRegistryEntry(std::int32_t action, const CRegistryItem& item)
{
    CBackupWriter* writer = Writer();
    return writer && writer->AppendRegistryEntry(action, item);
}

bool CRepairBackupForSolution::PreserveFile(const std::wstring& path)
{
    CBackupWriter* writer = Writer();
    return writer && writer->PreserveFile(path);
}
