#include "core/SolutionPathRules.h"

#include <array>

namespace {

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

bool IsDriveLetter(wchar_t c) { return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z'); }

bool HasDrive(std::wstring_view path) { return path.size() >= 2 && IsDriveLetter(path[0]) && path[1] == L':'; }

wchar_t FoldCase(wchar_t c)
{
    if (c >= L'A' && c <= L'Z')
        return static_cast<wchar_t>(c - L'A' + L'a');
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7)
        return static_cast<wchar_t>(c + 0x20);
    return c;
}

bool SameText(std::wstring_view left, std::wstring_view right)
{
    if (left.size() != right.size())
        return false;
    for (std::size_t i = 0; i < left.size(); ++i)
        if (FoldCase(left[i]) != FoldCase(right[i]))
            return false;
    return true;
}

}  // namespace

PathSpelling ClassifyPathSpelling(std::wstring_view path)
{
    if (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1]))
        return PathSpelling::DeviceOrUnc;
    if (path.size() >= 4 && IsSeparator(path[0]) && path[1] == L'?' && path[2] == L'?' && IsSeparator(path[3]))
        return PathSpelling::DeviceOrUnc;
    if (!HasDrive(path) || path.size() < 3 || !IsSeparator(path[2]))
        return PathSpelling::Relative;
    for (const wchar_t c : path.substr(2)) {
        if (c < 0x20 || c == L':' || c == L'*' || c == L'?' || c == L'"' || c == L'<' || c == L'>' || c == L'|')
            return PathSpelling::Unusable;
    }
    return PathSpelling::DriveAbsolute;
}

bool IsVolumeRoot(std::wstring_view path)
{
    if (!HasDrive(path))
        return false;
    for (const wchar_t c : path.substr(2))
        if (!IsSeparator(c) && c != L'.')
            return false;
    return true;
}

std::wstring WithoutLongPathPrefix(std::wstring_view path)
{
    constexpr std::wstring_view unc = L"\\\\?\\UNC\\";
    constexpr std::wstring_view local = L"\\\\?\\";
    if (path.size() >= unc.size() && SameText(path.substr(0, unc.size()), unc))
        return L"\\\\" + std::wstring(path.substr(unc.size()));
    if (path.substr(0, local.size()) == local)
        return std::wstring(path.substr(local.size()));
    return std::wstring(path);
}

std::wstring TrimmedPath(std::wstring_view path)
{
    std::wstring trimmed(path);
    for (wchar_t& c : trimmed)
        if (c == L'/')
            c = L'\\';
    while (!trimmed.empty() && trimmed.back() == L'\\')
        trimmed.pop_back();
    if (trimmed.size() == 2 && HasDrive(trimmed))
        trimmed += L'\\';
    return trimmed;
}

bool SamePath(std::wstring_view left, std::wstring_view right)
{
    return SameText(TrimmedPath(left), TrimmedPath(right));
}

bool PathIsWithin(std::wstring_view path, std::wstring_view folder)
{
    const std::wstring inner = TrimmedPath(path);
    const std::wstring outer = TrimmedPath(folder);
    if (outer.empty() || inner.size() < outer.size() ||
        !SameText(std::wstring_view(inner).substr(0, outer.size()), outer))
        return false;
    return inner.size() == outer.size() || outer.back() == L'\\' || inner[outer.size()] == L'\\';
}

bool IsSystemCriticalProcess(std::wstring_view executable)
{
    constexpr std::array<std::wstring_view, 7> critical = {L"smss.exe",  L"wininit.exe",  L"winlogon.exe", L"csrss.exe",
                                                           L"lsass.exe", L"services.exe", L"svchost.exe"};
    for (const std::wstring_view name : critical)
        if (SameText(executable, name))
            return true;
    return false;
}

std::wstring RefusalLine(const std::wstring& subject, SolutionRefusal refusal)
{
    std::wstring reason;
    switch (refusal) {
    case SolutionRefusal::NotAbsolute: reason = L"non è un percorso completo"; break;
    case SolutionRefusal::DeviceOrNetwork: reason = L"non è un percorso di un disco locale"; break;
    case SolutionRefusal::UnusableName: reason = L"non è un nome di file valido"; break;
    case SolutionRefusal::VolumeRoot: reason = L"è la radice di un'unità"; break;
    case SolutionRefusal::SystemFolder: reason = L"riguarda una cartella di sistema"; break;
    case SolutionRefusal::ProgramFolder: reason = L"riguarda la cartella di Velmora o i suoi backup"; break;
    case SolutionRefusal::ReachesProtected: reason = L"contiene una cartella protetta"; break;
    case SolutionRefusal::TooLarge: reason = L"contiene troppi elementi"; break;
    case SolutionRefusal::CriticalProcess: reason = L"è un processo di sistema"; break;
    case SolutionRefusal::ThisProgram: reason = L"è Velmora stessa"; break;
    }
    return L"Comando rifiutato: " + subject + L" (" + reason + L")\r\n";
}
