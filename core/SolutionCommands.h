#pragma once
// The command string of a custom solution, as the log service sends it: records split
// at ";", fields at "%", each a tokeniser (a run of separators is one, empty fields never
// appear). The first field is the action code, the second its argument, the rest is
// ignored. This is the text-only half: what the solution asks for, before anything on
// the machine is looked at, and the texts of the action lines and the report.

#include "core/ArrayEx.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

enum class SolutionAction : std::int32_t {
    KillProcess = 1,
    RemoveFile = 2,
    RemoveFolder = 3,
    RemoveRegistryValue = 4,
    RemoveDll = 5,
    RemoveBho = 6,
};

struct SolutionCommand {
    SolutionAction action;
    std::wstring argument;
};

// The records with a known code (1 to 6) and an argument, in order; anything else is
// left out.
[[nodiscard]] std::vector<SolutionCommand> SplitSolutionCommands(const std::wstring& commands);

struct RegistryValueArgument {
    std::wstring hive;
    std::wstring keyPath;
    std::wstring valueName;
};

// "hive:key:value" split with ":" as tokeniser; empty unless it has at least three fields
// (so an empty value name leaves only two and is refused).
[[nodiscard]] std::optional<RegistryValueArgument> SplitRegistryArgument(const std::wstring& argument);

// The action lines, "code;argument[;argument...]".
[[nodiscard]] std::wstring KillProcessLine(std::uint32_t processId, const std::wstring& executable);
[[nodiscard]] std::wstring PathActionLine(SolutionAction action, const std::wstring& argument);
[[nodiscard]] std::wstring RegistryValueLine(const RegistryValueArgument& value);

// A browser helper object line; its library's canonical path, when it names one that
// may be touched, as a third field.
[[nodiscard]] std::wstring HelperObjectLine(const std::wstring& classId, const std::wstring& library);

// What the action lines will do, in plain Italian words, one line each, for the user to
// read before deciding to run them.
[[nodiscard]] std::wstring DescribeActionLines(const CStringArrayEx& actions);

// The report as a message box shows it: whole when it has at most maxChars characters,
// else cut at the last line end within them, followed by where the full report was saved
// (savedPath, empty when it could not be saved).
[[nodiscard]] std::wstring ShownReport(const std::wstring& report, std::size_t maxChars, const std::wstring& savedPath);

// The report of a solution with nothing left to do.
inline constexpr wchar_t kSolutionStaffMessage[] =
    L"Il nostro staff ha meticolosamente controllato / riparato il tuo registro Windows; il tuo computer è adesso "
    L"privo di errori di registro causati da spyware, adware o altre forme di malware. Cliccare OK per continuare.";
