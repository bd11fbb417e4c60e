// The advanced-repair journey with the real Velmora.exe against the stand-in log
// service: the send-log window and its submission, the custom-solution window before
// and after the staff publish a solution, and the solution run by the user's click.
// Every window is photographed.

#include "res/resource.h"
#include "tests/e2e/Driver.h"
#include "tests/e2e/ProgramTexts.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

using namespace journey;

constexpr wchar_t kSendLogTitle[] = L"Velmora - Riparazione avanzata";
constexpr wchar_t kSolutionTitle[] = L"Velmora - Soluzione personalizzata";
constexpr DWORD kWait = 30000;
const std::wstring kPlantedKey = L"Software\\VelmoraOnlineJourney";

std::filesystem::path StandInState()
{
    const wchar_t* state = _wgetenv(L"VELMORA_LOG_SERVICE_STATE");
    return state ? std::filesystem::path(e2e::ToWindowsPath(state)) : std::filesystem::path();
}

void Type(HWND dialog, int id, const wchar_t* text)
{
    ::SendMessageW(::GetDlgItem(dialog, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
}

HWND OpenAdvancedRepair(HWND main, const wchar_t* title)
{
    e2e::ClickButton(main, IDC_MAIN_ADVANCED_REPAIR);
    return e2e::WaitForWindow(title, kWait);
}

}  // namespace

TEST(OnlineJourney, LogSentThenItsSolutionRunOnTheUsersClick)
{
    const std::filesystem::path state = StandInState();
    ASSERT_FALSE(state.empty()) << "run through ctest, which starts the stand-in log service";
    std::ifstream portFile(state / L"port");
    const std::string port{std::istreambuf_iterator<char>(portFile), std::istreambuf_iterator<char>()};
    ASSERT_FALSE(port.empty()) << "the stand-in log service is not running";
    std::ofstream(state / L"mode", std::ios::trunc) << "normal";
    ASSERT_TRUE(e2e::WriteRegistryString(HKEY_LOCAL_MACHINE, kSettingsKey, L"LogServiceUrl",
                                         L"http://127.0.0.1:" + std::to_wstring(std::stoi(port)) + L"/service.asmx"));
    ASSERT_TRUE(e2e::WriteRegistryString(HKEY_LOCAL_MACHINE, kSettingsKey, L"LogServiceNamespace",
                                         L"http://logservice.velmora.invalid/"));
    e2e::DeleteRegistryValue(HKEY_LOCAL_MACHINE, kSettingsKey, L"LogID");
    e2e::DeleteRegistryValue(HKEY_LOCAL_MACHINE, kSettingsKey, L"Email");
    ASSERT_TRUE(e2e::WriteRegistryString(HKEY_CURRENT_USER, kPlantedKey, L"Toolbar", L"C:\\toolbar.exe"));

    e2e::RunningProgram program;
    ASSERT_TRUE(program.Start());
    const HWND main = e2e::WaitForWindow(kMainTitle, kWait);
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(e2e::WaitUntil([&] { return ::IsWindowEnabled(::GetDlgItem(main, IDC_MAIN_ADVANCED_REPAIR)); }, kWait));

    // No pending log: the send-log window, with the snapshot already in it.
    HWND sendLog = OpenAdvancedRepair(main, kSendLogTitle);
    ASSERT_NE(sendLog, nullptr);
    EXPECT_NE(e2e::ControlText(sendLog, IDC_SEND_LOG_SNAPSHOT).find(L"Running Processes"), std::wstring::npos);
    e2e::ClickButton(sendLog, IDOK);
    EXPECT_EQ(e2e::AnswerMessageBox(program.ProcessId(), IDOK, kWait),
              L"Per favore, inserisci il tuo nome per proseguire.");
    Type(sendLog, IDC_SEND_LOG_NAME, L"Anna");
    Type(sendLog, IDC_SEND_LOG_EMAIL, L"anna@example.it");
    Type(sendLog, IDC_SEND_LOG_DESCRIPTION, L"La barra degli strumenti torna a ogni avvio.");
    ::Sleep(300);
    EXPECT_TRUE(e2e::SaveScreenshot(sendLog, L"online-send-log"));
    e2e::ClickButton(sendLog, IDOK);
    EXPECT_EQ(e2e::AnswerMessageBox(program.ProcessId(), IDOK, kWait), L"Il tuo report è stato inviato con successo.");
    EXPECT_TRUE(e2e::WaitUntil([&] { return !::IsWindow(sendLog); }, kWait));
    ASSERT_TRUE(e2e::ReadRegistryString(HKEY_LOCAL_MACHINE, kSettingsKey, L"Email").has_value());

    // Pending log, nothing published yet: the button stays off.
    HWND solution = OpenAdvancedRepair(main, kSolutionTitle);
    ASSERT_NE(solution, nullptr);
    // The service is asked on a worker: the answer shows a moment after the window.
    EXPECT_TRUE(e2e::WaitUntil(
        [&] { return e2e::ControlText(solution, IDC_SOLUTION_INSTRUCTIONS) == L"Non ancora disponibile."; }, kWait));
    EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(solution, IDC_SOLUTION_RUN)));
    EXPECT_TRUE(e2e::SaveScreenshot(solution, L"online-solution-not-ready"));
    e2e::PressKey(solution, VK_ESCAPE);
    ASSERT_TRUE(e2e::WaitUntil([&] { return !::IsWindow(solution); }, kWait));

    // The staff publish a solution for the newest log.
    int newest = 0;
    for (const auto& entry : std::filesystem::directory_iterator(state / L"logs"))
        newest = std::max(newest, std::stoi(entry.path().stem().string()));
    std::ofstream(state / L"solutions" / (std::to_wstring(newest) + L".txt"), std::ios::binary)
        << "4%HKEY_CURRENT_USER:Software\\VelmoraOnlineJourney:Toolbar\nChiudi il browser prima di procedere.\n";
    solution = OpenAdvancedRepair(main, kSolutionTitle);
    ASSERT_NE(solution, nullptr);
    EXPECT_TRUE(e2e::WaitUntil([&] { return ::IsWindowEnabled(::GetDlgItem(solution, IDC_SOLUTION_RUN)); }, kWait));
    const std::wstring instructions = e2e::ControlText(solution, IDC_SOLUTION_INSTRUCTIONS);
    EXPECT_NE(instructions.find(L"Chiudi il browser prima di procedere."), std::wstring::npos);
    EXPECT_NE(instructions.find(L"Eliminare il valore di registro HKEY_CURRENT_USER\\Software\\VelmoraOnlineJourney /Toolbar"),
              std::wstring::npos);
    EXPECT_TRUE(e2e::ReadRegistryString(HKEY_CURRENT_USER, kPlantedKey, L"Toolbar").has_value())
        << "nothing runs before the click";
    ::Sleep(300);
    EXPECT_TRUE(e2e::SaveScreenshot(solution, L"online-solution-ready"));
    const std::filesystem::path backups =
        std::filesystem::path(e2e::ToWindowsPath(e2e::Settings().program)).parent_path() / L"backup";
    std::error_code error;
    const auto listBackups = [&] {
        std::vector<std::filesystem::path> paths;
        for (const auto& entry : std::filesystem::directory_iterator(backups, error))
            paths.push_back(entry.path());
        return paths;
    };
    const std::vector<std::filesystem::path> before = listBackups();
    e2e::ClickButton(solution, IDC_SOLUTION_RUN);
    EXPECT_EQ(e2e::AnswerMessageBox(program.ProcessId(), IDOK, kWait),
              L"Registry Item = HKEY_CURRENT_USER\\Software\\VelmoraOnlineJourney /Toolbar has been deleted\r\n");
    EXPECT_FALSE(e2e::ReadRegistryString(HKEY_CURRENT_USER, kPlantedKey, L"Toolbar").has_value());
    EXPECT_FALSE(e2e::ReadRegistryString(HKEY_LOCAL_MACHINE, kSettingsKey, L"Email").has_value());
    // The removed value went into a backup the restore window offers; the test takes it away again.
    int made = 0;
    for (const auto& path : listBackups()) {
        if (std::find(before.begin(), before.end(), path) == before.end()) {
            ++made;
            std::filesystem::remove_all(path, error);
        }
    }
    EXPECT_EQ(made, 1);
    e2e::PressKey(solution, VK_ESCAPE);
    ASSERT_TRUE(e2e::WaitUntil([&] { return !::IsWindow(solution); }, kWait));

    e2e::AskToExit(main);
    DWORD exitCode = 1;
    EXPECT_TRUE(program.WaitForExit(15000, exitCode));
    e2e::DeleteRegistryTree(HKEY_CURRENT_USER, kPlantedKey);
    e2e::DeleteRegistryValue(HKEY_LOCAL_MACHINE, kSettingsKey, L"LogServiceUrl");
    e2e::DeleteRegistryValue(HKEY_LOCAL_MACHINE, kSettingsKey, L"LogServiceNamespace");
}
