#include "online/SolutionRunner.h"

#include "core/SolutionCommands.h"
#include "online/CustomSolution.h"
#include "online/LogSubmission.h"
#include "online/ServiceClient.h"
#include "online/SolutionBackup.h"

#include <windows.h>

#include <optional>

FetchOutcome FetchSolution(std::wstring& comments, std::wstring& commands, const std::atomic<bool>* abandoned)
{
    const PendingLog log = ReadPendingLog();
    Service::CServiceT service(Service::ConfiguredServiceEndpoint(), abandoned);
    // Sent as empty elements: the service fills them in.
    std::optional<std::wstring> replyComments = std::wstring();
    std::optional<std::wstring> replyCommands = std::wstring();
    std::int32_t result = -1;
    if (FAILED(service.GetStatus(log.id, log.email, &replyComments, &replyCommands, &result)))
        return FetchOutcome::Failed;
    if (result < 1)
        return FetchOutcome::NotReady;
    comments = replyComments.value_or(std::wstring());
    commands = replyCommands.value_or(std::wstring());
    return FetchOutcome::Ready;
}

namespace {

// More than a message box can show; the rest is in the report saved with the backup.
constexpr std::size_t kShownReportChars = 4000;

}  // namespace

CPreparedSolution::CPreparedSolution(const std::wstring& commands, std::wstring backupFolder)
    : m_backupFolder(std::move(backupFolder)), m_solution(ThisMachinesProtectedPlaces(m_backupFolder))
{
    m_solution.Parse(commands);
}

std::wstring CPreparedSolution::Description() const
{
    return DescribeActionLines(m_solution.Actions()) + m_solution.Refusals();
}

std::wstring CPreparedSolution::Run(const SolutionProgress& progress)
{
    CRepairBackupForSolution backup(m_backupFolder);
    const std::wstring report = m_solution.Execute(backup, progress);
    const std::wstring savedPath = report.size() > kShownReportChars ? backup.SaveReport(report) : std::wstring();
    static_cast<void>(ForgetPendingLog());
    return ShownReport(report, kShownReportChars, savedPath);
}
