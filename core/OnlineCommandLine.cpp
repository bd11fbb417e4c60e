#include "core/OnlineCommandLine.h"

bool IsOnlineCommand(const std::wstring& name)
{
    return name == L"snapshot" || name == L"send-log" || name == L"solution";
}

std::wstring ParseOnlineArguments(const std::wstring& command, const std::vector<std::wstring>& args,
                                  OnlineOptions& options)
{
    options = OnlineOptions{};
    if (command == L"send-log")
        options.command = OnlineCommand::SendLog;
    else if (command == L"solution")
        options.command = OnlineCommand::Solution;
    else if (command != L"snapshot")
        return L"unknown command: " + command;
    bool emailGiven = false;
    bool descriptionGiven = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::wstring& arg = args[i];
        if (arg == L"--no-pause") {
            options.noPause = true;
        } else if (arg == L"--marked" && options.command == OnlineCommand::Snapshot) {
            options.marked = true;
        } else if (arg == L"--run" && options.command == OnlineCommand::Solution) {
            options.run = true;
        } else if ((arg == L"--email" || arg == L"--description") && options.command == OnlineCommand::SendLog) {
            if (i + 1 >= args.size())
                return arg + L" needs a value";
            (arg == L"--email" ? options.email : options.description) = args[++i];
            (arg == L"--email" ? emailGiven : descriptionGiven) = true;
        } else {
            return L"unexpected argument for " + command + L": " + arg;
        }
    }
    if (options.command == OnlineCommand::SendLog && (!emailGiven || !descriptionGiven))
        return L"send-log needs --email and --description";
    return {};
}

std::string OnlineCommandsUsage()
{
    return "  velmora-cli snapshot [--marked] [--no-pause]\r\n"
           "  velmora-cli send-log --email E --description D [--no-pause]\r\n"
           "  velmora-cli solution [--run] [--no-pause]\r\n";
}
