// The self-update as a user meets it: the program finds a later version on the stand-in
// update server, the user asks from the update button and says "Sì", the download window
// shows its progress, the program file is replaced, the congratulations follow and the
// restart helper ends the old program and starts the new one.

#include "res/resource.h"
#include "tests/e2e/Driver.h"
#include "tests/e2e/ProgramTexts.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <optional>
#include <string>

namespace {

using namespace journey;

constexpr wchar_t kDownloadTitle[] = L"Velmora - Aggiornamento";
constexpr wchar_t kServerSetting[] = L"UpdateServerUrl";
constexpr wchar_t kHighestSetting[] = L"HighestInstalledVersion";
constexpr wchar_t kReleaseFolder[] = L"\\it-velmora-latest-version";
constexpr wchar_t kQuestion[] = L"Una nuova versione di Velmora è disponibile. Vuoi scaricarla ora?";
constexpr wchar_t kInstalled[] =
    L"Congratulazioni! L’aggiornamento alla versione piu recente di Velmora è avvenuto con successo. "
    L"Il programma sarà riavviato automaticamente. Cliccare OK per continuare.";
constexpr DWORD kWait = 60000;

std::wstring ServerState() { return e2e::ToWindowsPath(L"" VELMORA_UPDATE_SERVER_STATE); }

std::wstring ReadText(const std::wstring& path)
{
    std::ifstream in(path.c_str(), std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return std::wstring(bytes.begin(), bytes.end());
}

bool Exists(const std::wstring& path) { return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// A folder of its own for the program to replace itself in, the later version on the
// stand-in server, and the program pointed at it; all undone afterwards.
class UpdateJourney : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(e2e::Settings().nextVersion.empty()) << "--next-version is required";
        const std::wstring port = ReadText(ServerState() + L"\\port");
        ASSERT_FALSE(port.empty()) << "the stand-in update server is not running (ctest starts it)";
        // A first start from the journey's folder would leave a start-with-Windows entry
        // pointing into it.
        m_savedStartWithWindows = e2e::ReadRegistryString(HKEY_LOCAL_MACHINE, kSettingsKey, L"StartWithWindows");
        m_savedRunValue = e2e::ReadRegistryString(HKEY_LOCAL_MACHINE, kRunKey, L"Velmora");
        m_savedServer = e2e::ReadRegistryString(HKEY_LOCAL_MACHINE, kSettingsKey, kServerSetting);
        m_savedHighest = e2e::ReadRegistryString(HKEY_LOCAL_MACHINE, kSettingsKey, kHighestSetting);
        e2e::DeleteRegistryValue(HKEY_LOCAL_MACHINE, kSettingsKey, kHighestSetting);
        ASSERT_TRUE(e2e::WriteRegistryString(HKEY_LOCAL_MACHINE, kSettingsKey, kServerSetting,
                                             L"http://127.0.0.1:" + port + L"/slow"));

        const std::wstring served = ServerState() + L"\\files" + kReleaseFolder;
        const std::wstring release = e2e::Settings().nextRelease + kReleaseFolder;
        for (const wchar_t* name : {L"velmora_version.txt", L"velmora_appsize.txt", L"Velmora.exe",
                                    L"velmora_manifest.txt", L"velmora_signature.txt"})
            ASSERT_TRUE(::CopyFileW((release + L"\\" + name).c_str(), (served + L"\\" + name).c_str(), FALSE));

        wchar_t temp[MAX_PATH] = {};
        ::GetTempPathW(MAX_PATH, temp);
        m_folder = std::wstring(temp) + L"velmora-update-journey";
        ::CreateDirectoryW(m_folder.c_str(), nullptr);
        m_program = m_folder + L"\\Velmora.exe";
        ASSERT_TRUE(::CopyFileW(e2e::Settings().program.c_str(), m_program.c_str(), FALSE));
        ASSERT_TRUE(::CopyFileW(e2e::Settings().rebooter.c_str(), (m_folder + L"\\rebooter.exe").c_str(), FALSE));
    }

    static void Restore(const std::wstring& key, const wchar_t* name, const std::optional<std::wstring>& saved)
    {
        if (saved)
            e2e::WriteRegistryString(HKEY_LOCAL_MACHINE, key, name, *saved);
        else
            e2e::DeleteRegistryValue(HKEY_LOCAL_MACHINE, key, name);
    }

    void TearDown() override
    {
        Restore(kSettingsKey, kServerSetting, m_savedServer);
        Restore(kSettingsKey, kHighestSetting, m_savedHighest);
        Restore(kSettingsKey, L"StartWithWindows", m_savedStartWithWindows);
        Restore(kRunKey, L"Velmora", m_savedRunValue);
        for (const wchar_t* name : {L"Velmora.exe", L"Velmora.exe.bak", L"rebooter.exe"})
            ::DeleteFileW((m_folder + L"\\" + name).c_str());
        ::RemoveDirectoryW(m_folder.c_str());
    }

    std::optional<std::wstring> m_savedServer;
    std::optional<std::wstring> m_savedHighest;
    std::optional<std::wstring> m_savedStartWithWindows;
    std::optional<std::wstring> m_savedRunValue;
    std::wstring m_folder;
    std::wstring m_program;
};

// Ends the restarted program (not a child of ours) when the test is over.
class ProcessOfWindow {
public:
    explicit ProcessOfWindow(HWND window)
    {
        DWORD id = 0;
        ::GetWindowThreadProcessId(window, &id);
        m_id = id;
        m_process.reset(::OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, id));
    }
    ~ProcessOfWindow()
    {
        if (m_process && ::WaitForSingleObject(m_process.get(), 0) == WAIT_TIMEOUT)
            ::TerminateProcess(m_process.get(), 1);
    }
    ProcessOfWindow(const ProcessOfWindow&) = delete;
    ProcessOfWindow& operator=(const ProcessOfWindow&) = delete;
    [[nodiscard]] DWORD Id() const { return m_id; }
    [[nodiscard]] bool WaitForExit(DWORD milliseconds) const
    {
        return m_process && ::WaitForSingleObject(m_process.get(), milliseconds) == WAIT_OBJECT_0;
    }

private:
    DWORD m_id = 0;
    UniqueHandle m_process;
};

TEST_F(UpdateJourney, FromTheButtonToTheRestartedNewVersion)
{
    EXPECT_EQ(e2e::VersionString(m_program, L"ProductVersion"), L"3.0.6");
    e2e::RunningProgram program;
    ASSERT_TRUE(program.Start(L"", m_program));
    const HWND main = e2e::WaitForProcessWindow(
        program.ProcessId(), [](HWND w) { return e2e::ControlText(w, IDC_MAIN_UPDATE_STATUS) == L"Disponibili"; }, kWait);
    ASSERT_NE(main, nullptr) << "the start-up check did not find the new version";

    e2e::ClickButton(main, IDC_MAIN_UPDATE);
    EXPECT_EQ(e2e::AnswerMessageBox(program.ProcessId(), IDYES, kWait), kQuestion);

    const HWND download = e2e::WaitForWindow(kDownloadTitle, kWait);
    ASSERT_NE(download, nullptr) << "no download window";
    EXPECT_EQ(e2e::ControlText(download, IDC_DOWNLOAD_TITLE), L"SCARICAMENTO");
    // The stand-in sends the first 80 KB slowly: after a second the speed is shown.
    EXPECT_TRUE(e2e::WaitUntil(
        [download] {
            const std::wstring speed = e2e::ControlText(download, IDC_DOWNLOAD_SPEED);
            return speed.size() > 7 && speed.substr(speed.size() - 7) == L" al sec";
        },
        kWait));
    WIN32_FILE_ATTRIBUTE_DATA served{};
    ASSERT_TRUE(::GetFileAttributesExW(e2e::Settings().nextVersion.c_str(), GetFileExInfoStandard, &served));
    EXPECT_EQ(e2e::ControlText(download, IDC_DOWNLOAD_SIZE), std::to_wstring(served.nFileSizeLow / 1024) + L" KB");
    EXPECT_TRUE(e2e::SaveScreenshot(download, L"update-download"));

    EXPECT_EQ(e2e::AnswerMessageBox(program.ProcessId(), IDOK, kWait), kInstalled);
    DWORD exitCode = 0;
    ASSERT_TRUE(program.WaitForExit(kWait, exitCode)) << "the helper did not end the old program";

    const HWND restarted = e2e::WaitForWindow(kMainTitle, kWait);
    ASSERT_NE(restarted, nullptr) << "the helper did not start the new program";
    const ProcessOfWindow newProgram(restarted);
    EXPECT_NE(newProgram.Id(), program.ProcessId());
    EXPECT_EQ(e2e::VersionString(m_program, L"ProductVersion"), L"3.0.7");
    EXPECT_TRUE(e2e::WaitUntil([&] { return !Exists(m_program + L".bak"); }, kWait)) << "the old program file stayed";
    EXPECT_TRUE(e2e::WaitUntil([&] { return e2e::ControlText(restarted, IDC_MAIN_VERSION) == L"3.0.7"; }, kWait));
    EXPECT_TRUE(e2e::WaitUntil(
        [&] { return e2e::ControlText(restarted, IDC_MAIN_UPDATE_STATUS) == L"Non disponibili"; }, kWait));
    EXPECT_TRUE(e2e::SaveScreenshot(restarted, L"update-restarted"));

    e2e::AskToExit(restarted);
    EXPECT_TRUE(newProgram.WaitForExit(15000));
}

}  // namespace
