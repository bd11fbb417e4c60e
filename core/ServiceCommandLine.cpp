#include "core/ServiceCommandLine.h"

#include "core/ScanCommand.h"
#include "core/Utf16Text.h"

namespace {

struct CommandName {
    const wchar_t* name;
    ServiceCommand command;
};

constexpr CommandName kCommands[] = {
    {L"repair", ServiceCommand::Repair},   {L"backups", ServiceCommand::Backups},
    {L"restore", ServiceCommand::Restore}, {L"report", ServiceCommand::Report},
    {L"ignored", ServiceCommand::Ignored}, {L"schedule", ServiceCommand::Schedule},
};

bool TakesSections(ServiceCommand c) { return c == ServiceCommand::Repair || c == ServiceCommand::Report; }

}  // namespace

bool IsServiceCommand(const std::wstring& name)
{
    for (const CommandName& c : kCommands)
        if (name == c.name)
            return true;
    return false;
}

std::wstring ParseServiceArguments(const std::wstring& command, const std::vector<std::wstring>& args,
                                   ServiceOptions& options)
{
    options = ServiceOptions{};
    options.sections.fill(1);
    bool known = false;
    for (const CommandName& c : kCommands) {
        if (command == c.name) {
            options.command = c.command;
            known = true;
        }
    }
    if (!known)
        return L"unknown command: " + command;

    std::vector<std::wstring> words;  // everything that is not an option, in order
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::wstring& arg = args[i];
        if (arg == L"--no-pause") {
            options.noPause = true;
            continue;
        }
        if (TakesSections(options.command) && (arg == L"--sections" || arg.rfind(L"--sections=", 0) == 0)) {
            std::wstring list;
            if (arg == L"--sections") {
                if (i + 1 >= args.size())
                    return L"--sections needs a list of section numbers";
                list = args[++i];
            } else {
                list = arg.substr(11);
            }
            if (!ParseSectionList(list, options.sections))
                return L"bad section list: " + list;
            continue;
        }
        if (arg.rfind(L"--", 0) == 0)
            return L"unknown argument: " + arg;
        words.push_back(arg);
    }

    switch (options.command) {
    case ServiceCommand::Restore:
        if (words.size() != 1 || words[0].empty())
            return L"restore needs exactly one backup file";
        options.file = words[0];
        return {};
    case ServiceCommand::Schedule:
        if (words.empty())
            return {};
        if (words.size() == 1 && words[0] == L"remove") {
            options.scheduleRemove = true;
            return {};
        }
        if (!ParseScheduleWords(words, options.schedule))
            return L"bad schedule: expected none, daily HH:MM or weekly HH:MM DAYMASK (1..127)";
        options.scheduleGiven = true;
        return {};
    default:
        if (!words.empty())
            return L"unexpected argument: " + words[0];
        return {};
    }
}

std::string ServiceCommandsUsage()
{
    return "\r\n"
           "Engine services:\r\n"
           "  velmora-cli repair [--sections LIST] [--no-pause]\r\n"
           "  velmora-cli backups [--no-pause]\r\n"
           "  velmora-cli restore FILE [--no-pause]\r\n"
           "  velmora-cli report [--sections LIST] [--no-pause]\r\n"
           "  velmora-cli ignored [--no-pause]\r\n"
           "  velmora-cli schedule [none | daily HH:MM | weekly HH:MM DAYMASK | remove] [--no-pause]\r\n"
           "\r\n"
           "  repair    scan, then repair every problem found; prints the backup file's path,\r\n"
           "            then found and repaired counts per section\r\n"
           "  backups   the backup files, newest first, one path per line\r\n"
           "  restore   writes one backup back into the registry and removes the file;\r\n"
           "            exit code 0 only when the whole file was restored\r\n"
           "  report    scan, then write the HTML report; prints its path\r\n"
           "  ignored   the stored unresolved problems as problem lines\r\n"
           "  schedule  sets the scheduled scan, or prints it when given nothing;\r\n"
           "            DAYMASK: Sunday 1, Monday 2, Tuesday 4 ... Saturday 64, added up\r\n"
           "            (decimal, or hexadecimal with 0x)\r\n";
}

std::string RepairCountsText(const std::array<std::uint8_t, kSectionCount>& sections,
                             const SectionCounters& counters)
{
    std::string out;
    long long found = 0;
    long long repaired = 0;
    for (int s = 0; s < kSectionCount; ++s) {
        if (!sections[static_cast<std::size_t>(s)])
            continue;
        const SectionCounter& c = counters[static_cast<std::size_t>(s)];
        found += c.Found.load();
        repaired += c.Repaired.load();
        out += std::to_string(s) + " " + utf16::ToUtf8(SectionName(s)) + ": found " + std::to_string(c.Found.load()) +
               ", repaired " + std::to_string(c.Repaired.load()) + "\r\n";
    }
    out += "total: found " + std::to_string(found) + ", repaired " + std::to_string(repaired) + "\r\n";
    return out;
}
