#include "engine/RepairErrorsThread.h"

#include "core/BackupFile.h"
#include "engine/EngineMessages.h"
#include "engine/HandleFiles.h"
#include "engine/IgnoredProblemsStore.h"
#include "engine/ProblemCheck.h"
#include "engine/Registry.h"
#include "framework/Handles.h"
#include "framework/Pacing.h"

#include <shlobj.h>


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

CRepairErrorsThread::CRepairErrorsThread(const CErrorListEx& problems, RepairTarget target)
    : m_problems(problems),
      m_target(std::move(target)),
      m_stopEvent(::CreateEventW(nullptr, TRUE, FALSE, nullptr))
{
}

bool CRepairErrorsThread::Start()
{
    m_running = true;
    if (CreateThread())
        return true;
    m_running = false;
    return false;
}

void CRepairErrorsThread::RequestStop()
{
    m_running = false;
    if (m_stopEvent)
        ::SetEvent(m_stopEvent.get());
}

std::wstring CRepairErrorsThread::BackupPath() const { return m_backupPath; }

void CRepairErrorsThread::Post(UINT message, WPARAM wParam) const
{
    (void)m_target.notify.Post(message, wParam, 0);
}

CRepairErrorsThread::Outcome CRepairErrorsThread::BackupRefused()
{
    if (!m_backup || m_backup->Failed())
        m_backupFailed = true;
    return Outcome::LeftAlone;
}

CRepairErrorsThread::Outcome CRepairErrorsThread::Handle(const CError& problem, CProblemCheck& check)
{
    const bool registryProblem = problem.ErrorType == InvalidValue || problem.ErrorType == EmptyKey;
    if (problem.ErrorType != MissingShortcut && !registryProblem)
        return Outcome::Repaired;  // an unknown kind is only counted
    if (m_backupFailed)
        return Outcome::LeftAlone;

    // A problem list can come from a file any program of the user writes: a planted
    // line must neither remove nor, through its backup line, later create anything.
    switch (check.Recheck(problem)) {
    case ProblemState::Holds: break;
    case ProblemState::Gone: return Outcome::Gone;
    case ProblemState::Doubtful: return Outcome::LeftAlone;
    }

    if (registryProblem && (problem.ListOnly || SectionListOnly(problem.Section))) {
        // Listing touches no registry entry, so one whose line cannot read back exactly
        // is still listed, without a line: the restore must never write a cut one.
        if (BackupLineRoundTrips(problem.ErrorType, problem.Item) &&
            !m_backup->AppendRegistryEntry(problem.ErrorType, problem.Item))
            return BackupRefused();
        if (m_target.repaired)
            m_target.repaired->Add(problem.Item);
        return Outcome::Repaired;
    }
    return Remove(problem, check);
}

namespace {

// The shortcut at path, reached from the open profile folder one real folder at a time
// and opened itself, never a link, held against writers and deletion by others; nothing
// when anything on the way is not what the scan walked.
UniqueHandle OpenShortcutFromProfile(HANDLE profile, const std::wstring& profilePath, const std::wstring& path)
{
    if (!PathInsideFolder(path, profilePath))
        return UniqueHandle();
    UniqueHandle folder;
    HANDLE current = profile;
    std::size_t start = profilePath.size() + 1;
    for (std::size_t slash = path.find(L'\\', start); slash != std::wstring::npos; slash = path.find(L'\\', start)) {
        UniqueHandle next = OpenEntryWithoutFollowing(current, path.substr(start, slash - start),
                                                      FILE_TRAVERSE | FILE_READ_ATTRIBUTES,
                                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE);
        const auto facts = next ? FactsOf(next.get()) : std::nullopt;
        if (!facts || !facts->IsFolder() || facts->IsLink())
            return UniqueHandle();
        folder = std::move(next);
        current = folder.get();
        start = slash + 1;
    }
    UniqueHandle file =
        OpenEntryWithoutFollowing(current, path.substr(start), GENERIC_READ | DELETE, FILE_SHARE_READ);
    const auto facts = file ? FactsOf(file.get()) : std::nullopt;
    if (!facts || facts->IsFolder() || facts->IsLink())
        return UniqueHandle();
    return file;
}

}  // namespace

CRepairErrorsThread::Outcome CRepairErrorsThread::RemoveShortcut(const CError& problem, CProblemCheck& check)
{
    if (!m_profile) {
        // The profile as the system records it, not as the inherited environment says.
        wchar_t profile[MAX_PATH] = {};
        if (FAILED(::SHGetFolderPathW(nullptr, CSIDL_PROFILE, nullptr, SHGFP_TYPE_CURRENT, profile)))
            return Outcome::LeftAlone;
        m_profilePath = profile;
        m_profile = OpenFolderByHandles(m_profilePath, false);
        if (!m_profile)
            return Outcome::LeftAlone;
    }
    const UniqueHandle file = OpenShortcutFromProfile(m_profile.get(), m_profilePath, problem.Subject);
    if (!file)
        return Outcome::LeftAlone;
    switch (check.RecheckShortcutFile(file.get())) {
    case ProblemState::Holds: break;
    case ProblemState::Gone: return Outcome::Gone;
    case ProblemState::Doubtful: return Outcome::LeftAlone;
    }
    if (!m_backup->PreserveOpenFile(file.get(), problem.Subject))
        return BackupRefused();
    return DeleteThroughHandle(file.get()) ? Outcome::Repaired : Outcome::LeftAlone;
}

CRepairErrorsThread::Outcome CRepairErrorsThread::Remove(const CError& problem, CProblemCheck& check)
{
    if (problem.ErrorType == MissingShortcut)
        return RemoveShortcut(problem, check);
    if (!m_backup->AppendRegistryEntry(problem.ErrorType, problem.Item))
        return BackupRefused();
    const HKEY root = RootToHKey(problem.Item.Root);
    const bool removed = problem.ErrorType == InvalidValue
                             ? RegDeleteValueAt(root, problem.Item.SubKey, problem.Item.ValueName)
                             : RegDeleteKeyAt(root, problem.Item.SubKey);
    return removed ? Outcome::Repaired : Outcome::LeftAlone;
}

void CRepairErrorsThread::KeepUnrepaired()
{
    if (m_unrepaired.GetSize() == 0 || !m_target.keepUnrepaired)
        return;
    if (!CIgnoredProblemsStore::AddUnresolvedProblems(m_unrepaired))
        m_saveFailed = true;
}

int CRepairErrorsThread::Run()
{
    m_backup = CBackupWriter::Create(m_target.backupFolder);
    if (m_backup)
        m_backupPath = m_backup->Path();
    else
        m_backupFailed = true;
    Post(WM_REPAIR_STARTED, static_cast<WPARAM>(m_problems.GetSize()));
    {
        ComInitializer com;
        CProblemCheck check;
        for (std::ptrdiff_t i = 0; i < m_problems.GetSize() && m_running; ++i) {
            const CError& problem = m_problems[i];
            if (m_target.notify)
                (void)PostText(m_target.notify, WM_REPAIR_ITEM, RepairLocationText(problem));
            const Outcome outcome = Handle(problem, check);
            if (outcome == Outcome::LeftAlone)
                m_unrepaired.Add(problem);
            if (outcome == Outcome::Repaired && m_target.counters && problem.Section >= 0 &&
                problem.Section < kSectionCount)
                ++(*m_target.counters)[static_cast<std::size_t>(problem.Section)].Repaired;
            Post(WM_REPAIR_PROGRESS, static_cast<WPARAM>(i + 1));
            PacedWait(m_stopEvent.get(), 1000);
        }
    }
    m_backup.reset();
    m_running = false;
    if (m_target.repaired && !m_target.repaired->Save())
        m_saveFailed = true;
    KeepUnrepaired();
    PacedWait(m_stopEvent.get(), 1000);
    if (m_target.notify)
        (void)m_target.notify.PostUntilQueued(WM_REPAIR_FINISHED, 0, 0, m_stopEvent.get());
    return 1;
}
