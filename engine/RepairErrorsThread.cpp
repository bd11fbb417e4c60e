#include "engine/RepairErrorsThread.h"

#include "core/BackupFile.h"
#include "core/Utf16Text.h"
#include "engine/EngineMessages.h"
#include "engine/FileSystem.h"
#include "engine/LocalTime.h"
#include "engine/ProblemCheck.h"
#include "engine/Registry.h"
#include "framework/File.h"
#include "framework/Handles.h"
#include "framework/Pacing.h"

#include <algorithm>

namespace {

// More repairs than this within one minute would be a runaway caller, not a user.
constexpr int kMaxBackupsPerMinute = 1000;

}  // namespace

std::wstring CreateNewBackupFile(const std::wstring& folder, const CalendarTime& time)
{
    if (!FileExists(folder))
        ::CreateDirectoryW(folder.c_str(), nullptr);  // a failure shows when the file is created
    for (int sequence = 1; sequence <= kMaxBackupsPerMinute; ++sequence) {
        const std::wstring path = folder + L'\\' + BackupFileName(time, sequence);
        UniqueHandle file(::CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file)
            return path;
        const DWORD error = ::GetLastError();
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS)
            return {};
    }
    return {};
}

std::wstring RepairLocationText(const CError& problem)
{
    const CRegistryItem& item = problem.Item;
    switch (problem.ErrorType) {
    case MissingShortcut: return problem.Subject;
    case InvalidValue: return item.Hive + L'\\' + item.SubKey + L'\\' + item.ValueName;
    case EmptyKey: return item.Hive + L'\\' + item.SubKey;
    default: return {};
    }
}

CRepairErrorsThread::CRepairErrorsThread(const CErrorListEx& problems, std::int32_t repairCount, RepairTarget target)
    : m_repairCount(repairCount), m_target(std::move(target))
{
    m_bAutoDelete = false;
    const std::ptrdiff_t count = repairCount < 0 ? 0 : std::min<std::ptrdiff_t>(repairCount, problems.GetSize());
    for (std::ptrdiff_t i = 0; i < count; ++i)
        m_problems.Add(problems[i]);
}

bool CRepairErrorsThread::Start()
{
    m_running = true;
    m_bAutoDelete = false;
    if (CreateThread())
        return true;
    m_running = false;
    return false;
}

void CRepairErrorsThread::StopAndWait()
{
    RequestStop();
    if (GetThreadHandle())
        ::WaitForSingleObject(GetThreadHandle(), INFINITE);
}

std::wstring CRepairErrorsThread::BackupPath() const { return m_backupPath; }

void CRepairErrorsThread::Post(UINT message, WPARAM wParam) const
{
    (void)m_target.notify.Post(message, wParam, 0);
}

bool CRepairErrorsThread::CreateBackupFile()
{
    m_backupPath = CreateNewBackupFile(m_target.backupFolder, LocalCalendarTime());
    return !m_backupPath.empty();
}

bool CRepairErrorsThread::AppendBackupLine(const CError& problem)
{
    const std::wstring line = FormatBackupLine(problem.ErrorType, problem.Item);
    return CFile::Append(m_backupPath, utf16::EncodeLe(line));
}

bool CRepairErrorsThread::Handle(const CError& problem, CProblemCheck& check)
{
    const bool registryProblem = problem.ErrorType == InvalidValue || problem.ErrorType == EmptyKey;
    if (problem.ErrorType != MissingShortcut && !registryProblem)
        return true;  // an unknown kind is only counted
    if (m_backupFailed)
        return false;

    if (registryProblem && (problem.ListOnly || SectionListOnly(problem.Section))) {
        // Listing touches no registry entry. Its line is written only when it reads back
        // exactly: the restore writes every line, and a cut one would overwrite the
        // entry that was never removed with wrong data.
        if (BackupLineRoundTrips(problem.ErrorType, problem.Item) && !AppendBackupLine(problem)) {
            m_backupFailed = true;
            return false;
        }
        if (m_target.repaired)
            m_target.repaired->Add(problem.Item);
        return true;
    }

    if (!check.StillHolds(problem))
        return true;  // nothing left to repair: handled, like a deletion that fails

    if (problem.ErrorType == MissingShortcut) {
        ::DeleteFileW(problem.Subject.c_str());  // a file that will not go is not reported
        return true;
    }
    if (!BackupLineRoundTrips(problem.ErrorType, problem.Item))
        return false;  // the backup could not bring it back: leave it where it is
    if (!AppendBackupLine(problem)) {
        m_backupFailed = true;
        return false;
    }
    const HKEY root = RootToHKey(problem.Item.Root);
    if (problem.ErrorType == InvalidValue)
        (void)RegDeleteValueAt(root, problem.Item.SubKey, problem.Item.ValueName);
    else
        (void)RegDeleteKeyAt(root, problem.Item.SubKey);
    return true;
}

int CRepairErrorsThread::Run()
{
    if (!CreateBackupFile())
        m_backupFailed = true;
    Post(WM_REPAIR_STARTED, static_cast<WPARAM>(m_repairCount < 0 ? 0 : m_repairCount));
    {
        ComInitializer com;
        CProblemCheck check;
        for (std::ptrdiff_t i = 0; i < m_problems.GetSize() && m_running; ++i) {
            const CError& problem = m_problems[i];
            if (m_target.notify)
                (void)PostText(m_target.notify, WM_REPAIR_ITEM, RepairLocationText(problem));
            const bool repaired = Handle(problem, check);
            if (repaired && m_target.counters && problem.Section >= 0 && problem.Section < kSectionCount)
                ++(*m_target.counters)[static_cast<std::size_t>(problem.Section)].Repaired;
            Post(WM_REPAIR_PROGRESS, static_cast<WPARAM>(i + 1));
            PacedSleep(1000);
        }
    }
    m_running = false;
    if (m_target.repaired && !m_target.repaired->Save())
        m_saveFailed = true;
    PacedSleep(1000);
    Post(WM_REPAIR_FINISHED, 0);
    return 1;
}
