#pragma once
// Fetching the custom solution for the pending log and running it.

#include "online/CustomSolution.h"

#include <atomic>
#include <string>

enum class FetchOutcome {
    Ready,     // comments and commands hold the solution
    NotReady,  // the service has none for this log yet
    Failed,    // the service could not be reached or its reply was not understood
};

// Asks GetStatus for the pending log ("LogID", "Email"). Setting `abandoned` from
// another thread ends the call under way as Failed.
[[nodiscard]] FetchOutcome FetchSolution(std::wstring& comments, std::wstring& commands,
                                         const std::atomic<bool>* abandoned = nullptr);
// The message a failed fetch is told with.
inline constexpr wchar_t kFetchFailedMessage[] = L"Please connect to Internet so you can send your log data.";

// What the command string would do on this machine, in plain words with the canonical
// paths it would act on, one line per action, followed by a line for each command that
// would be refused and why; empty when it asks for nothing usable. Nothing is changed.
// backupFolder: where the repairs keep their backups, which no solution may touch.
[[nodiscard]] std::wstring DescribeSolution(const std::wstring& commands, const std::wstring& backupFolder);

// Parses and carries out the command string, keeping what it removes in a new backup
// beside the repair backups, then forgets the pending log whatever the outcome. Returns
// the report, cut to what a message box can show; a report that had to be cut is saved
// whole with the backup, and the shown one says where. Only ever called on the user's explicit request.
[[nodiscard]] std::wstring RunSolution(const std::wstring& commands, const std::wstring& backupFolder,
                                       const SolutionProgress& progress = {});
