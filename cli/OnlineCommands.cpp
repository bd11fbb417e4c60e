#include "cli/OnlineCommands.h"

#include "cli/ConsoleOutput.h"
#include "core/OnlineCommandLine.h"
#include "core/SendLogForm.h"
#include "core/Utf16Text.h"
#include "framework/Pacing.h"
#include "online/LogSubmission.h"
#include "online/SolutionRunner.h"
#include "online/SystemSnapshot.h"

namespace {

void PrintText(const std::wstring& text)
{
    WriteBytes(STD_OUTPUT_HANDLE, utf16::ToUtf8(text));
}

int SendLogCommand(const OnlineOptions& options, const std::wstring& productVersion)
{
    if (!IsPlausibleEmail(options.email) || options.description.empty()) {
        PrintError(SendLogFieldProblem(L"-", options.email, options.description));
        return kExitUsage;
    }
    std::wstring marked;
    static_cast<void>(BuildSnapshot(marked));
    std::int32_t logId = -1;
    const SubmitOutcome outcome = SubmitLog(options.email, options.description, marked,
                                            L"IT " + productVersion, &logId);
    if (outcome != SubmitOutcome::Accepted) {
        PrintError(OutcomeMessage(outcome));
        return kExitFailed;
    }
    PrintLine(std::to_wstring(logId));
    return kExitOk;
}

int FetchOrRunSolution(const OnlineOptions& options, const std::wstring& backupFolder)
{
    std::wstring comments;
    std::wstring commands;
    switch (FetchSolution(comments, commands)) {
    case FetchOutcome::Failed:
        PrintError(kFetchFailedMessage);
        return kExitFailed;
    case FetchOutcome::NotReady:
        PrintLine(L"La soluzione non è ancora disponibile.");
        return kExitOk;
    case FetchOutcome::Ready:
        break;
    }
    CPreparedSolution solution(commands, backupFolder);
    PrintText(L"Istruzioni:\r\n" + comments + L"\r\nOperazioni:\r\n" + solution.Description());
    if (options.run)
        PrintText(L"Rapporto:\r\n" + solution.Run({}) + L"\r\n");
    return kExitOk;
}

}  // namespace

int RunOnlineCommand(const std::wstring& command, const std::vector<std::wstring>& args,
                     const OnlineCommandContext& context)
{
    OnlineOptions options;
    if (const std::wstring error = ParseOnlineArguments(command, args, options); !error.empty()) {
        PrintError(error);
        WriteBytes(STD_ERROR_HANDLE, OnlineCommandsUsage());
        return kExitUsage;
    }
    if (options.noPause)
        SetPacingEnabled(false);
    switch (options.command) {
    case OnlineCommand::Snapshot: {
        std::wstring marked;
        const std::wstring plain = BuildSnapshot(marked);
        PrintText(options.marked ? marked : plain);
        return kExitOk;
    }
    case OnlineCommand::SendLog:
        return SendLogCommand(options, context.productVersion);
    case OnlineCommand::Solution:
        return FetchOrRunSolution(options, context.backupFolder);
    }
    return kExitUsage;
}
