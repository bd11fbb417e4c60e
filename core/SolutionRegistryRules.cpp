#include "core/SolutionRegistryRules.h"

#include "core/PathText.h"

#include <array>
#include <initializer_list>
#include <vector>

namespace {

enum class Hive { Machine, User, ClassesRoot, Users };

std::optional<Hive> HiveOf(std::wstring_view name)
{
    const std::wstring folded = ToLowerAscii(name);
    if (folded == L"hkey_local_machine" || folded == L"hklm")
        return Hive::Machine;
    if (folded == L"hkey_current_user" || folded == L"hkcu")
        return Hive::User;
    if (folded == L"hkey_classes_root" || folded == L"hkcr")
        return Hive::ClassesRoot;
    if (folded == L"hkey_users" || folded == L"hku")
        return Hive::Users;
    return std::nullopt;
}

// The key's components in lower case (registry names compare without regard to case,
// and the keys named here are plain ASCII), without empty ones and the 32-bit view.
std::vector<std::wstring> Components(std::wstring_view keyPath)
{
    std::vector<std::wstring> parts;
    std::size_t start = 0;
    while (start <= keyPath.size()) {
        std::size_t end = keyPath.find(L'\\', start);
        if (end == std::wstring_view::npos)
            end = keyPath.size();
        std::wstring part = ToLowerAscii(keyPath.substr(start, end - start));
        if (!part.empty() && part != L"wow6432node")
            parts.push_back(std::move(part));
        start = end + 1;
    }
    return parts;
}

bool StartsWith(const std::vector<std::wstring>& parts, std::initializer_list<std::wstring_view> prefix)
{
    if (parts.size() < prefix.size())
        return false;
    std::size_t i = 0;
    for (const std::wstring_view part : prefix)
        if (parts[i++] != part)
            return false;
    return true;
}

// Machine-wide hives that are Windows' own from their top.
bool IsSystemHive(const std::wstring& top)
{
    constexpr std::array<std::wstring_view, 5> hives = {L"system", L"sam", L"security", L"hardware",
                                                        L"bcd00000000"};
    for (const std::wstring_view hive : hives)
        if (top == hive)
            return true;
    return false;
}

// The hives of new users and of the service accounts (LocalSystem, LocalService,
// NetworkService), their classes included.
bool IsServiceOrDefaultUser(const std::wstring& user)
{
    constexpr std::array<std::wstring_view, 4> users = {L".default", L"s-1-5-18", L"s-1-5-19", L"s-1-5-20"};
    for (const std::wstring_view name : users)
        if (user == name || user == std::wstring(name) + L"_classes")
            return true;
    return false;
}

// Keys under Software, machine-wide or a user's, that logon and policy depend on.
bool IsProtectedSoftwareKey(const std::vector<std::wstring>& software)
{
    return StartsWith(software, {L"software", L"microsoft", L"windows nt", L"currentversion", L"winlogon"}) ||
           StartsWith(software, {L"software", L"microsoft", L"windows nt", L"currentversion", L"windows"}) ||
           StartsWith(software, {L"software", L"microsoft", L"windows", L"currentversion", L"policies"}) ||
           StartsWith(software, {L"software", L"policies"});
}

bool IsProgramSettings(const std::vector<std::wstring>& software, std::wstring_view valueName)
{
    return StartsWith(software, {L"software", L"velmora"}) ||
           (software.size() == 5 &&
            StartsWith(software, {L"software", L"microsoft", L"windows", L"currentversion", L"run"}) &&
            ToLowerAscii(valueName) == L"velmora");
}

}  // namespace

std::optional<RegistryRefusal> RegistryValueRefusal(std::wstring_view hive, std::wstring_view keyPath,
                                                    std::wstring_view valueName)
{
    const std::optional<Hive> root = HiveOf(hive);
    if (!root)
        return RegistryRefusal::UnknownHive;
    std::vector<std::wstring> parts = Components(keyPath);
    // The logon and session keys are Windows' wherever they are met, by any path.
    for (const std::wstring& part : parts)
        if (part == L"lsa" || part == L"session manager")
            return RegistryRefusal::SystemKey;
    switch (*root) {
    case Hive::Machine:
        if (!parts.empty() && IsSystemHive(parts.front()))
            return RegistryRefusal::SystemKey;
        break;
    case Hive::Users:
        if (parts.empty() || IsServiceOrDefaultUser(parts.front()))
            return RegistryRefusal::SystemKey;
        // A user's hive by its identifier is that user's HKEY_CURRENT_USER.
        parts.erase(parts.begin());
        break;
    case Hive::User:
    case Hive::ClassesRoot:
        break;
    }
    if (IsProtectedSoftwareKey(parts))
        return RegistryRefusal::SystemKey;
    if (IsProgramSettings(parts, valueName))
        return RegistryRefusal::ProgramSettings;
    return std::nullopt;
}

std::wstring RegistryRefusalLine(const std::wstring& where, RegistryRefusal refusal)
{
    std::wstring reason;
    switch (refusal) {
    case RegistryRefusal::SystemKey:
        reason = L"è una chiave che Windows usa per avviarsi o per l'accesso degli utenti";
        break;
    case RegistryRefusal::ProgramSettings: reason = L"riguarda le impostazioni di Velmora"; break;
    case RegistryRefusal::UnknownHive: reason = L"non è una radice del Registro conosciuta"; break;
    }
    return L"Comando rifiutato: " + where + L" (" + reason + L")\r\n";
}
