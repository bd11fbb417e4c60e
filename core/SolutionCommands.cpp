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

std::wstring HelperObjectLine(const std::wstring& classId, const std::wstring& library)
{
    std::wstring line = PathActionLine(SolutionAction::RemoveBho, classId);
    if (!library.empty())
        line += L";" + library;
    return line;
}

namespace {

std::wstring LibraryRemovalWords(const std::wstring& path)
{
    return L"eseguire il codice della libreria " + path + L" perché ne annulli la registrazione, poi eliminarla";
}

}  // namespace

std::wstring DescribeActionLines(const CStringArrayEx& actions)
{
    std::wstring text;
    for (const std::wstring& line : actions) {
        const std::vector<std::wstring> fields = SplitTokens(line, L';');
        if (fields.size() < 2)
            continue;
        switch (static_cast<SolutionAction>(ParseDecimal(fields[0]))) {
        case SolutionAction::KillProcess:
            if (fields.size() < 3)
                continue;
            text += L"Chiudere il programma in esecuzione " + fields[2] + L" (processo " + fields[1] + L")";
            break;
        case SolutionAction::RemoveFile:
            text += L"Eliminare il file " + fields[1];
            break;
        case SolutionAction::RemoveFolder:
            text += L"Eliminare la cartella " + fields[1] + L" con tutto il suo contenuto";
            break;
        case SolutionAction::RemoveRegistryValue:
            if (fields.size() < 4)
                continue;
            text += L"Eliminare il valore di registro " + fields[1] + L"\\" + fields[2] + L" /" + fields[3];
            break;
        case SolutionAction::RemoveDll: {
            std::wstring words = LibraryRemovalWords(fields[1]);
            words[0] = L'E';
            text += words;
            break;
        }
        case SolutionAction::RemoveBho:
            text += L"Rimuovere il componente aggiuntivo del browser " + fields[1];
            if (fields.size() >= 3)
                text += L"; " + LibraryRemovalWords(fields[2]);
            break;
        default:
            continue;
        }
        text += L"\r\n";
    }
    return text;
}

std::wstring ShownReport(const std::wstring& report, std::size_t maxChars, const std::wstring& savedPath)
{
    if (report.size() <= maxChars)
        return report;
    const std::size_t lineEnd = report.rfind(L"\r\n", maxChars >= 2 ? maxChars - 2 : 0);
    std::wstring shown = report.substr(0, lineEnd == std::wstring::npos ? maxChars : lineEnd + 2);
    shown += L"...\r\n";
    shown += savedPath.empty() ? L"Il rapporto completo non è stato salvato.\r\n"
                               : L"Il rapporto completo è stato salvato in " + savedPath + L"\r\n";
    return shown;
}
