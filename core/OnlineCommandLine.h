#pragma once
// The console driver's online commands: snapshot, send-log and solution. Their
// arguments and usage text.

#include <string>
#include <vector>

enum class OnlineCommand { Snapshot, SendLog, Solution };

struct OnlineOptions {
    OnlineCommand command = OnlineCommand::Snapshot;
    bool noPause = false;
    bool marked = false;  // snapshot: the marked form instead of the plain one
    bool run = false;     // solution: run a ready solution
    std::wstring email;        // send-log
    std::wstring description;  // send-log
};

[[nodiscard]] bool IsOnlineCommand(const std::wstring& name);

// Every command takes --no-pause; snapshot takes --marked, solution --run, send-log
// requires --email E and --description D (the text after each is taken whole). Returns
// an error text, empty on success.
[[nodiscard]] std::wstring ParseOnlineArguments(const std::wstring& command, const std::vector<std::wstring>& args,
                                                OnlineOptions& options);

[[nodiscard]] std::string OnlineCommandsUsage();
