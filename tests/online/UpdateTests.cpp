// The update workers against the stand-in update server (tools/update-server.py, started
// by the test run): the check's answers, the download's outcomes and what each leaves of
// the program file.

#include "core/UpdateText.h"
#include "engine/Settings.h"
#include "framework/Handles.h"
#include "online/AutoFindNewVersion.h"
#include "online/DownloadAppNewVersion.h"
#include "online/ReplaceProgramFile.h"
#include "online/UpdateMessages.h"
#include "online/UpdateServer.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

namespace {

std::wstring FromLinuxPath(const std::string& path)
{
    std::wstring windows = L"Z:";
    for (const char c : path)
        windows.push_back(c == '/' ? L'\\' : static_cast<wchar_t>(c));
    return windows;
}

const std::wstring kServerState = FromLinuxPath(VELMORA_UPDATE_SERVER_STATE);
const std::wstring kServedFolder = kServerState + L"\\files";

std::optional<std::string> ReadFileBytes(const std::wstring& path)
{
    std::ifstream in(path.c_str(), std::ios::binary);
    if (!in)
        return std::nullopt;
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFileBytes(const std::wstring& path, const std::string& bytes)
{
    std::ofstream(path.c_str(), std::ios::binary | std::ios::trunc) << bytes;
}

std::string ProgramBytes(char seed, std::size_t size)
{
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<char>(seed + i * 7 % 251);
    return bytes;
}

// Records what a worker posts to a message-only window.
class PostedMessages {
public:
    PostedMessages()
        : m_window(::CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr))
    {
    }
    ~PostedMessages() { ::DestroyWindow(m_window); }
    PostedMessages(const PostedMessages&) = delete;
    PostedMessages& operator=(const PostedMessages&) = delete;

    [[nodiscard]] HWND Window() const { return m_window; }
    // Waits for the worker's thread, then takes what it posted.
    void CollectAfter(HANDLE thread)
    {
        ASSERT_EQ(::WaitForSingleObject(thread, 60000), WAIT_OBJECT_0) << "the worker did not end";
        MSG msg;
        while (::PeekMessageW(&msg, m_window, 0, 0, PM_REMOVE))
            posted.push_back({msg.message, msg.wParam});
    }
    [[nodiscard]] std::vector<UINT> Finals() const
    {
        std::vector<UINT> finals;
        for (const auto& [message, wParam] : posted)
            if (message >= WM_UPDATE_AVAILABLE && message <= WM_UPDATE_FAILED)
                finals.push_back(message);
        return finals;
    }

    std::vector<std::pair<UINT, WPARAM>> posted;

private:
    HWND m_window;
};

// Points the program at the stand-in server (in the given misbehaviour) and clears what
// the server serves; the previous address comes back afterwards.
class UpdateServerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const std::optional<std::string> port = ReadFileBytes(kServerState + L"\\port");
        ASSERT_TRUE(port) << "the stand-in update server is not running (ctest starts it)";
        m_base = L"http://127.0.0.1:" + std::wstring(port->begin(), port->end());
        m_savedUrl = ReadSetting(kUpdateServerSetting);
        for (const wchar_t* name : {L"velmora_version.txt", L"velmora_appsize.txt", L"Velmora.exe"})
            ::DeleteFileW((kServedFolder + L"\\" + name).c_str());
        wchar_t temp[MAX_PATH] = {};
        ::GetTempPathW(MAX_PATH, temp);
        m_work = std::wstring(temp) + L"velmora-update-test";
        m_downloads = m_work + L"\\downloads\\";
        ::CreateDirectoryW(m_work.c_str(), nullptr);
        ::CreateDirectoryW(m_downloads.c_str(), nullptr);
        m_program = m_work + L"\\Velmora.exe";
        WriteFileBytes(m_program, kInstalled);
        ::DeleteFileW(ProgramBackupPath(m_program).c_str());
    }
    void TearDown() override
    {
        (void)WriteSetting(kUpdateServerSetting, m_savedUrl);
        for (const std::wstring& file : {m_program, ProgramBackupPath(m_program), m_downloads + L"Velmora.exe"})
            ::DeleteFileW(file.c_str());
        ::RemoveDirectoryW(m_downloads.c_str());
        ::RemoveDirectoryW(m_work.c_str());
    }

    void UseServer(const std::wstring& mode)
    {
        ASSERT_TRUE(WriteSetting(kUpdateServerSetting, mode.empty() ? m_base : m_base + L"/" + mode));
    }
    static void Serve(const wchar_t* name, const std::string& bytes) { WriteFileBytes(kServedFolder + L"\\" + name, bytes); }

    const std::string kInstalled = ProgramBytes('a', 70000);
    const std::string kServed = ProgramBytes('b', 300 * 1024);
    std::wstring m_base;
    std::wstring m_savedUrl;
    std::wstring m_work;
    std::wstring m_downloads;
    std::wstring m_program;
};

TEST_F(UpdateServerTest, CheckComparesTheServedVersionWithTheOwn)
{
    struct Case {
        const char* served;
        const wchar_t* mode;
        std::vector<UINT> posted;
    };
    const Case cases[] = {
        {"3.0.7", L"", {WM_UPDATE_AVAILABLE}},
        {"3.0.6", L"", {WM_UPDATE_NONE}},
        {"3.0.6\r\n", L"", {WM_UPDATE_AVAILABLE}},
        {"V3.0.7", L"", {WM_UPDATE_NONE}},
        // An error page says nothing about updates: nothing is reported.
        {"3.0.7", L"not-found", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.served) + " " + std::string(c.mode, c.mode + wcslen(c.mode)));
        UseServer(c.mode);
        Serve(L"velmora_version.txt", c.served);
        PostedMessages sink;
        CAutoFindNewVersion check(sink.Window(), L"3.0.6");
        ASSERT_TRUE(check.Start());
        check.RequestCheck();
        sink.CollectAfter(check.GetThreadHandle());
        EXPECT_EQ(sink.Finals(), c.posted);
        EXPECT_FALSE(check.IsRunning());
    }
}

TEST_F(UpdateServerTest, OnlyACompleteDownloadReplacesTheProgram)
{
    struct Case {
        const wchar_t* mode;
        bool installed;
    };
    for (const Case& c : {Case{L"", true}, Case{L"wrong-size", false}, Case{L"not-found", false},
                          Case{L"cut-off", false}}) {
        SCOPED_TRACE(std::string(c.mode, c.mode + wcslen(c.mode)));
        UseServer(c.mode);
        Serve(L"Velmora.exe", kServed);
        WriteFileBytes(m_program, kInstalled);
        PostedMessages sink;
        CDownloadAppNewVersion download(sink.Window(), m_program, m_downloads);
        ASSERT_TRUE(download.Start());
        sink.CollectAfter(download.GetThreadHandle());

        EXPECT_EQ(sink.Finals(), std::vector<UINT>{c.installed ? WM_UPDATE_INSTALLED : WM_UPDATE_FAILED});
        EXPECT_EQ(ReadFileBytes(m_program), c.installed ? kServed : kInstalled);
        EXPECT_FALSE(::GetFileAttributesW(ProgramBackupPath(m_program).c_str()) != INVALID_FILE_ATTRIBUTES);
        if (c.installed) {
            ASSERT_GE(sink.posted.size(), 4u);
            EXPECT_EQ(sink.posted.front(), std::make_pair(WM_DOWNLOAD_STARTED, WPARAM{kServed.size()}));
            EXPECT_EQ(sink.posted[sink.posted.size() - 3].second, WPARAM{kServed.size()});
            EXPECT_EQ(sink.posted[sink.posted.size() - 2].first, WM_DOWNLOAD_DONE);
        }
    }
}

TEST_F(UpdateServerTest, SecondUpdateDeletesTheOldBackupFirst)
{
    UseServer(L"");
    Serve(L"Velmora.exe", kServed);
    WriteFileBytes(ProgramBackupPath(m_program), "an older program");
    CDownloadAppNewVersion download(nullptr, m_program, m_downloads);
    ASSERT_TRUE(download.Start());
    ASSERT_EQ(::WaitForSingleObject(download.GetThreadHandle(), 60000), WAIT_OBJECT_0);
    EXPECT_EQ(download.Result(), CDownloadAppNewVersion::Outcome::Installed);
    EXPECT_EQ(ReadFileBytes(m_program), kServed);
    EXPECT_FALSE(ReadFileBytes(ProgramBackupPath(m_program)));
}

TEST_F(UpdateServerTest, CancelledDownloadPostsNoResultAndLeavesTheProgram)
{
    UseServer(L"slow");
    Serve(L"Velmora.exe", kServed);
    PostedMessages sink;
    CDownloadAppNewVersion download(sink.Window(), m_program, m_downloads);
    ASSERT_TRUE(download.Start());
    for (int i = 0; i < 200 && download.BytesWritten() == 0; ++i)
        ::Sleep(50);
    ASSERT_GT(download.BytesWritten(), 0u);
    download.StopAndWait();
    sink.CollectAfter(download.GetThreadHandle());

    EXPECT_EQ(download.Result(), CDownloadAppNewVersion::Outcome::Cancelled);
    EXPECT_TRUE(sink.Finals().empty());
    EXPECT_EQ(ReadFileBytes(m_program), kInstalled);
}

TEST_F(UpdateServerTest, FailedSecondMoveBringsTheProgramBack)
{
    // The "downloaded" file does not exist, so it cannot be moved into place.
    EXPECT_FALSE(ReplaceProgramFile(m_program, m_downloads + L"missing.exe", false));
    EXPECT_EQ(ReadFileBytes(m_program), kInstalled);
    EXPECT_FALSE(ReadFileBytes(ProgramBackupPath(m_program)));
    // Without a program file nothing moves at all.
    ::DeleteFileW(m_program.c_str());
    WriteFileBytes(m_downloads + L"Velmora.exe", kServed);
    EXPECT_FALSE(ReplaceProgramFile(m_program, m_downloads + L"Velmora.exe", false));
    EXPECT_EQ(ReadFileBytes(m_downloads + L"Velmora.exe"), kServed);
}

}  // namespace
