#pragma once
// Which registry values a remote solution may remove, decided on the text alone. Windows
// needs some keys to start and to let anyone log on (the system hive, the security
// database, the logon and session settings, the policies, the hives of the service
// accounts and of new users): a value removed there could leave a machine on which the
// backup can never be restored. This program's own settings and its start-up value are
// not a solution's to remove either. Everything else (Run and RunOnce values, browser
// helper objects, uninstall entries, a vendor's own keys) stays allowed.
//
// Key paths are compared by their components: letter case, repeated, leading and
// trailing separators and the 32-bit view ("Wow6432Node") make no difference, and
// HKEY_USERS\<user> is the same as that user's HKEY_CURRENT_USER.

#include <optional>
#include <string>
#include <string_view>

enum class RegistryRefusal {
    SystemKey,        // a key Windows needs to start or to let anyone log on
    ProgramSettings,  // this program's own settings or its start-up value
    UnknownHive,      // a root that is none of the known hives
};

// Why the value may not be removed; nothing when it may. hive is a root's full name
// ("HKEY_LOCAL_MACHINE") or its short one ("HKLM").
[[nodiscard]] std::optional<RegistryRefusal> RegistryValueRefusal(std::wstring_view hive, std::wstring_view keyPath,
                                                                  std::wstring_view valueName);

// The report line for a refused value: where it is and why it stays.
[[nodiscard]] std::wstring RegistryRefusalLine(const std::wstring& where, RegistryRefusal refusal);
