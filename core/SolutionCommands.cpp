#include "core/SolutionCommands.h"

#include "core/TextSplit.h"

std::vector<SolutionCommand> SplitSolutionCommands(const std::wstring& commands)
{
    std::vector<SolutionCommand> accepted;
    for (const std::wstring& record : SplitTokens(commands, L';')) {
        const std::vector<std::wstring> fields = SplitTokens(record, L'%');
        if (fields.size() < 2)
            continue;
        const std::int32_t code = ParseDecimal(fields[0]);
        if (code < static_cast<std::int32_t>(SolutionAction::KillProcess) ||
            code > static_cast<std::int32_t>(SolutionAction::RemoveBho))
            continue;
        accepted.push_back({static_cast<SolutionAction>(code), fields[1]});
    }
    return accepted;
}

std::optional<RegistryValueArgument> SplitRegistryArgument(const std::wstring& argument)
{
    const std::vector<std::wstring> fields = SplitTokens(argument, L':');
    if (fields.size() < 3)
        return std::nullopt;
    return RegistryValueArgument{fields[0], fields[1], fields[2]};
}

std::wstring KillProcessLine(std::uint32_t processId, const std::wstring& executable)
{
    return L"1;" + std::to_wstring(processId) + L";" + executable;
}

std::wstring PathActionLine(SolutionAction action, const std::wstring& argument)
{
    return std::to_wstring(static_cast<std::int32_t>(action)) + L";" + argument;
}

std::wstring RegistryValueLine(const RegistryValueArgument& value)
{
    return L"4;" + value.hive + L";" + value.keyPath + L";" + value.valueName;
}

std::wstring DescribeSolution(const std::wstring& commands)
{
    std::wstring text;
    for (const SolutionCommand& command : SplitSolutionCommands(commands)) {
        switch (command.action) {
        case SolutionAction::KillProcess:
            text += L"Chiudere il programma in esecuzione " + command.argument;
            break;
        case SolutionAction::RemoveFile:
            text += L"Eliminare il file " + command.argument;
            break;
        case SolutionAction::RemoveFolder:
            text += L"Eliminare la cartella " + command.argument + L" con tutto il suo contenuto";
            break;
        case SolutionAction::RemoveRegistryValue:
            if (const auto value = SplitRegistryArgument(command.argument))
                text += L"Eliminare il valore di registro " + value->hive + L"\\" + value->keyPath + L" /" +
                        value->valueName;
            else
                continue;
            break;
        case SolutionAction::RemoveDll:
            text += L"Annullare la registrazione della libreria " + command.argument + L" ed eliminarla";
            break;
        case SolutionAction::RemoveBho:
            text += L"Rimuovere il componente aggiuntivo del browser " + command.argument;
            break;
        }
        text += L"\r\n";
    }
    return text;
}
