// A log's whole journey against the stand-in log service: the snapshot is sent, the
// pending log remembered, a solution published by the staff fetched and run, and what
// it removed kept in a backup the restore can play back.

#include "core/BackupFile.h"
#include "engine/FileSystem.h"
#include "engine/Registry.h"
#include "engine/Settings.h"
#include "framework/Handles.h"
#include "online/LogSubmission.h"
#include "online/SolutionRunner.h"
#include "online/SystemSnapshot.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>

namespace {

std::filesystem::path StandInState()
{
    const wchar_t* state = _wgetenv(L"VELMORA_LOG_SERVICE_STATE");
    if (!state)
        return {};
    // The service runs on the Linux side; Wine shows its folder on drive Z:.
    std::wstring folder = std::wstring(L"Z:") + state;
    std::replace(folder.begin(), folder.end(), L'/', L'\\');
    return folder;
}

std::set<std::filesystem::path> FolderEntries(const std::filesystem::path& folder)
{
    std::set<std::filesystem::path> entries;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error))
        entries.insert(entry.path());
    return entries;
}

}  // namespace

TEST(LogJourney, SubmittedLogGetsItsSolutionRunWithAWayBack)
{
    const std::filesystem::path state = StandInState();
    ASSERT_FALSE(state.empty()) << "run through ctest, which starts the stand-in log service";
    std::ifstream portFile(state / L"port");
    const std::string port{std::istreambuf_iterator<char>(portFile), std::istreambuf_iterator<char>()};
    ASSERT_FALSE(port.empty()) << "the stand-in log service is not running";
    const auto setMode = [&](const char* mode) { std::ofstream(state / L"mode", std::ios::trunc) << mode; };
    setMode("normal");
    const std::wstring oldUrl = ReadSetting(L"LogServiceUrl");
    const std::wstring oldNamespace = ReadSetting(L"LogServiceNamespace");
    ASSERT_TRUE(WriteSetting(L"LogServiceUrl", L"http://127.0.0.1:" + std::to_wstring(std::stoi(port)) +
                                                   L"/service.asmx"));
    ASSERT_TRUE(WriteSetting(L"LogServiceNamespace", L"http://logservice.velmora.invalid/"));
    ASSERT_TRUE(ForgetPendingLog());

    std::wstring temp(MAX_PATH, L'\0');
    temp.resize(::GetTempPathW(MAX_PATH, temp.data()));
    const std::wstring planted = temp + L"velmora-journey-" + std::to_wstring(::GetCurrentProcessId()) + L".exe";
    std::ofstream(std::filesystem::path(planted), std::ios::binary) << "adware";
    ASSERT_TRUE(RegWriteString(HKEY_CURRENT_USER, L"Software\\VelmoraJourney", L"Adware", planted));

    std::wstring marked;
    static_cast<void>(BuildSnapshot(marked));
    setMode("fault");
    EXPECT_EQ(SubmitLog(L"anna@example.it", L"Il PC è lento", marked, L"IT 3.0.6"), SubmitOutcome::Failed);
    setMode("refuse");
    EXPECT_EQ(SubmitLog(L"anna@example.it", L"Il PC è lento", marked, L"IT 3.0.6"), SubmitOutcome::Refused);
    EXPECT_FALSE(HasPendingLog()) << "nothing is written for a log the service did not take";
    setMode("normal");
    std::int32_t logId = -1;
    ASSERT_EQ(SubmitLog(L"anna@example.it", L"Il PC è lento", marked, L"IT 3.0.6", &logId), SubmitOutcome::Accepted);
    ASSERT_TRUE(HasPendingLog());
    EXPECT_EQ(ReadPendingLog().id, logId);

    std::wstring comments;
    std::wstring commands;
    EXPECT_EQ(FetchSolution(comments, commands), FetchOutcome::NotReady);
    std::ifstream asked(state / L"last-request", std::ios::binary);
    const std::string request{std::istreambuf_iterator<char>(asked), std::istreambuf_iterator<char>()};
    EXPECT_NE(request.find("<Comments></Comments><SolutionCommands></SolutionCommands>"), std::string::npos) << request;
    const std::string commandBytes = "2%" + std::string(planted.begin(), planted.end()) +
                                     ";4%HKEY_CURRENT_USER:Software\\VelmoraJourney:Adware";
    std::ofstream(state / L"solutions" / (std::to_wstring(logId) + L".txt"), std::ios::binary)
        << commandBytes << "\nChiudi il browser.\n";
    ASSERT_EQ(FetchSolution(comments, commands), FetchOutcome::Ready);
    EXPECT_EQ(commands, std::wstring(commandBytes.begin(), commandBytes.end()));
    EXPECT_EQ(comments, L"Chiudi il browser.\n");

    const std::wstring backupFolder = GetModuleFolder() + L"\\backup";
    const std::filesystem::path backups = backupFolder;
    const std::set<std::filesystem::path> before = FolderEntries(backups);
    const std::wstring report = CPreparedSolution(commands, backupFolder).Run({});
    EXPECT_EQ(report, L"File = " + planted + L" has been deleted\r\nRegistry Item = HKEY_CURRENT_USER\\Software\\"
                                            L"VelmoraJourney /Adware has been deleted\r\n");
    EXPECT_FALSE(HasPendingLog());
    EXPECT_FALSE(std::filesystem::exists(planted));
    std::set<std::filesystem::path> made;
    for (const auto& entry : FolderEntries(backups))
        if (!before.count(entry))
            made.insert(entry);
    // One backup file and its ".files" folder, which the restore window offers.
    EXPECT_EQ(made.size(), 2u);
    for (const auto& entry : made) {
        if (entry.extension() == L".dat") {
            std::ifstream in(entry, std::ios::binary);
            const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
            const std::wstring text(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / sizeof(wchar_t));
            EXPECT_EQ(text, L"1::HKEY_CURRENT_USER::REG_SZ::Software\\VelmoraJourney::ValueName=Adware::" + planted +
                                L"::;;\r\n");
        }
        std::filesystem::remove_all(entry);
    }

    ::RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\VelmoraJourney");
    std::filesystem::remove(planted);
    for (const auto& [name, old] : {std::pair{L"LogServiceUrl", oldUrl}, std::pair{L"LogServiceNamespace", oldNamespace}}) {
        if (old.empty())
            RegDeleteValueAt(HKEY_LOCAL_MACHINE, kSettingsKey, name);
        else
            static_cast<void>(WriteSetting(name, old));
    }
}
