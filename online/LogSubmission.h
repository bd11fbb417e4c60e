#pragma once
// The log sent to the support staff and the pending log it leaves behind: "LogID"
// (REG_DWORD) and "Email" (REG_SZ) under HKEY_LOCAL_MACHINE\Software\Velmora, written
// when the service accepts a log and deleted once its solution has been run.
//
// These calls never show a message: the caller shows OutcomeMessage, so the window and
// the console driver tell the same thing each in its own way.

#include <atomic>
#include <cstdint>
#include <string>

struct PendingLog {
    std::int32_t id = -1;
    std::wstring email;
};

// What the registry holds; id -1 when "LogID" is missing.
[[nodiscard]] PendingLog ReadPendingLog();
// A non-empty e-mail and an id above 0.
[[nodiscard]] bool HasPendingLog();
// Deletes both values; false when either is still there afterwards.
bool ForgetPendingLog();

enum class SubmitOutcome {
    Accepted,  // the service took the log and the pending log was stored
    Refused,   // the service answered without accepting it, or it could not be stored
    Failed,    // the service could not be reached or its reply was not understood
};

// Sends the marked snapshot with the e-mail, description and product version text
// ("IT 3.0.6") through one call of ReportComputerLog; on acceptance stores the pending
// log, replacing any earlier one. Setting `abandoned` from another thread ends the call
// under way as Failed.
[[nodiscard]] SubmitOutcome SubmitLog(const std::wstring& email, const std::wstring& description,
                                      const std::wstring& log, const std::wstring& productVersion,
                                      std::int32_t* logId = nullptr, const std::atomic<bool>* abandoned = nullptr);
[[nodiscard]] std::wstring OutcomeMessage(SubmitOutcome outcome);
