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

// A solution parsed once, so that what runs is exactly what the user was shown.
class IPreparedSolution {
public:
    virtual ~IPreparedSolution() = default;
    // What it would do on this machine, in plain words with the canonical paths it would
    // act on, one line per action, followed by a line for each command that is refused
    // and why; empty when it asks for nothing usable.
    [[nodiscard]] virtual std::wstring Description() const = 0;
    // Carries out the actions described, keeping what it removes in a new backup beside
    // the repair backups, then forgets the pending log whatever the outcome. Returns the
    // report, cut to what a message box can show; a report that had to be cut is saved
    // whole with the backup, and the shown one says where. Only ever called on the
    // user's explicit request.
    [[nodiscard]] virtual std::wstring Run(const SolutionProgress& progress) = 0;
};

class CPreparedSolution final : public IPreparedSolution {
public:
    // Parses the command string; nothing is changed. backupFolder: where the repairs
    // keep their backups, which no solution may touch.
    CPreparedSolution(const std::wstring& commands, std::wstring backupFolder);

    [[nodiscard]] std::wstring Description() const override;
    [[nodiscard]] std::wstring Run(const SolutionProgress& progress) override;

private:
    std::wstring m_backupFolder;
    CCustomSolution m_solution;
};
