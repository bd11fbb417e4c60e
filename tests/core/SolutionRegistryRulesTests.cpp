// Which registry values a remote solution may remove, however their keys are spelled.

#include "core/SolutionRegistryRules.h"

#include <gtest/gtest.h>

TEST(SolutionRegistryRules, EverySpellingOfAProtectedKeyIsRefusedAndTheRestAllowed)
{
    constexpr auto system = RegistryRefusal::SystemKey;
    constexpr auto own = RegistryRefusal::ProgramSettings;
    const struct {
        const wchar_t* hive;
        const wchar_t* key;
        const wchar_t* value;
        std::optional<RegistryRefusal> refusal;
    } cases[] = {
        {L"HKEY_LOCAL_MACHINE", L"SYSTEM\\CurrentControlSet\\Services\\disk", L"Start", system},
        {L"HKLM", L"system\\ControlSet001\\Services\\disk", L"Start", system},
        {L"HKEY_LOCAL_MACHINE", L"\\\\System\\\\", L"x", system},
        {L"HKEY_LOCAL_MACHINE", L"SAM\\SAM", L"x", system},
        {L"HKEY_LOCAL_MACHINE", L"Security\\Policy", L"x", system},
        {L"HKEY_LOCAL_MACHINE", L"HARDWARE\\DESCRIPTION", L"x", system},
        {L"HKEY_LOCAL_MACHINE", L"BCD00000000\\Objects", L"Element", system},
        {L"HKEY_LOCAL_MACHINE", L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon", L"Userinit", system},
        {L"HKEY_LOCAL_MACHINE", L"Software\\Wow6432Node\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon\\", L"Shell",
         system},
        {L"HKEY_CURRENT_USER", L"software\\microsoft\\windows nt\\currentversion\\winlogon", L"Shell", system},
        {L"HKEY_LOCAL_MACHINE", L"Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows", L"AppInit_DLLs", system},
        {L"HKEY_LOCAL_MACHINE", L"Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows\\", L"Load", system},
        {L"HKEY_LOCAL_MACHINE", L"Software\\Policies\\Microsoft\\Windows Defender", L"x", system},
        {L"HKEY_CURRENT_USER", L"Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\System", L"x", system},
        {L"HKEY_LOCAL_MACHINE", L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer", L"x", system},
        {L"HKEY_USERS", L"S-1-5-21-1-2-3-1000\\Software\\Policies\\x", L"x", system},
        {L"HKEY_USERS", L".DEFAULT\\Software\\Adware", L"x", system},
        {L"HKEY_USERS", L"S-1-5-18\\Software\\Adware", L"x", system},
        {L"HKEY_USERS", L"s-1-5-19", L"x", system},
        {L"HKEY_USERS", L"S-1-5-20_Classes\\CLSID", L"x", system},
        {L"HKEY_USERS", L"", L"x", system},
        {L"HKEY_CURRENT_USER", L"Software\\Lsa", L"x", system},
        {L"HKEY_CURRENT_USER", L"Software\\X\\SESSION MANAGER", L"BootExecute", system},
        {L"HKEY_LOCAL_MACHINE", L"Software\\Velmora", L"LogID", own},
        {L"HKLM", L"software\\wow6432node\\VELMORA\\", L"Email", own},
        {L"HKEY_CURRENT_USER", L"Software\\Microsoft\\Windows\\CurrentVersion\\Run", L"velmora", own},
        {L"HKEY_LOCAL_MACHINE", L"Software\\Microsoft\\Windows\\CurrentVersion\\Run\\\\", L"Velmora", own},
        {L"HKEY_DYN_DATA", L"Software\\Adware", L"x", RegistryRefusal::UnknownHive},
        {L"HKEY_LOCAL_MACHINE", L"Software\\Microsoft\\Windows\\CurrentVersion\\Run", L"Adware", std::nullopt},
        {L"HKEY_CURRENT_USER", L"Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce", L"Velmora", std::nullopt},
        {L"HKEY_LOCAL_MACHINE",
         L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Browser Helper Objects\\{1}", L"x", std::nullopt},
        {L"HKEY_LOCAL_MACHINE", L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Adware", L"UninstallString",
         std::nullopt},
        {L"HKEY_CURRENT_USER", L"Software\\Adware Inc\\Toolbar", L"Home", std::nullopt},
        {L"HKEY_USERS", L"S-1-5-21-1-2-3-1000\\Software\\Adware", L"x", std::nullopt},
        {L"HKEY_LOCAL_MACHINE", L"Software\\Velmorax", L"x", std::nullopt},
        {L"HKEY_LOCAL_MACHINE", L"Software\\Microsoft\\Windows NT\\CurrentVersion\\Fonts", L"x", std::nullopt},
        {L"HKEY_LOCAL_MACHINE", L"Software\\Systems Inc", L"x", std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(RegistryValueRefusal(c.hive, c.key, c.value), c.refusal)
            << c.hive << L"\\" << c.key << L" /" << c.value;
}
