// The update workers against the stand-in update server (tools/update-server.py, started
// by the test run): the check's answers, the download's outcomes and what each leaves of
// the program file. The genuine download is the program built as 3.0.7 and signed with
// the test key at build time.

#include "core/UpdateText.h"
#include "engine/Settings.h"
#include "framework/Handles.h"
#include "framework/MessageSink.h"
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
const std::wstring kNextVersion = FromLinuxPath(VELMORA_NEXT_VERSION);
const std::wstring kNextSignature = FromLinuxPath(VELMORA_NEXT_SIGNATURE);
// Made with the test key for a file other than the served one.
constexpr char kOtherFileSignature[] =
    "TpKUpmTQcdeR95D3u0PxqmIMLhqZLCEs7xir/sqiNERU1XKA/rMlMmg1eOXeJzd7kNijojW2J1ZNhEEZENekEg==\n";

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

// The update workers' messages carry no text.
bool NoText(UINT) { return false; }

// Waits for a worker's thread, then takes what it posted.
void CollectAfter(CMessageSink& sink, HANDLE thread)
{
    ASSERT_EQ(::WaitForSingleObject(thread, 60000), WAIT_OBJECT_0) << "the worker did not end";
    sink.Drain();
}

std::vector<UINT> Finals(const CMessageSink& sink)
{
    std::vector<UINT> finals;
    for (const ReceivedMessage& received : sink.messages)
        if (received.message >= WM_UPDATE_AVAILABLE && received.message <= WM_UPDATE_FAILED)
            finals.push_back(received.message);
    return finals;
}

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
        for (const wchar_t* name :
             {L"velmora_version.txt", L"velmora_appsize.txt", L"Velmora.exe", L"velmora_signature.txt"})
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
        for (const std::wstring& file : {m_program, ProgramBackupPath(m_program), NewFile(), m_downloads + L"Velmora.exe"})
            ::DeleteFileW(file.c_str());
        ::RemoveDirectoryW(m_downloads.c_str());
        ::RemoveDirectoryW(m_work.c_str());
    }

    void UseServer(const std::wstring& mode)
    {
        ASSERT_TRUE(WriteSetting(kUpdateServerSetting, mode.empty() ? m_base : m_base + L"/" + mode));
    }
    static void Serve(const wchar_t* name, const std::string& bytes) { WriteFileBytes(kServedFolder + L"\\" + name, bytes); }
    [[nodiscard]] std::wstring NewFile() const { return m_program + L".new"; }
    [[nodiscard]] static bool Exists(const std::wstring& path)
    {
        return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
    }

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
        // An error page names no version.
        {"3.0.7", L"not-found", {WM_UPDATE_NONE}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.served) + " " + std::string(c.mode, c.mode + wcslen(c.mode)));
        UseServer(c.mode);
        Serve(L"velmora_version.txt", c.served);
        CMessageSink sink(&NoText);
        CAutoFindNewVersion check(sink.Target(), L"3.0.6");
        ASSERT_TRUE(check.Start());
        check.RequestCheck();
        CollectAfter(sink, check.GetThreadHandle());
        EXPECT_EQ(Finals(sink), c.posted);
        EXPECT_FALSE(check.IsRunning());
    }
}

TEST_F(UpdateServerTest, OnlyAGenuineCompleteDownloadReplacesTheProgram)
{
    const std::optional<std::string> next = ReadFileBytes(kNextVersion);
    const std::optional<std::string> signature = ReadFileBytes(kNextSignature);
    ASSERT_TRUE(next && signature) << "the signed 3.0.7 build is missing";
    std::string changed = *next;
    changed[changed.size() / 2] ^= 0x01;
    struct Case {
        const char* name;
        const wchar_t* mode;
        const std::string* program;
        std::optional<std::string> signature;
        const char* version;
        bool installed;
    };
    const Case cases[] = {
        {"genuine", L"", &*next, *signature, "3.0.7", true},
        {"announced size differs", L"wrong-size", &*next, *signature, "3.0.7", false},
        {"error pages", L"not-found", &*next, *signature, "3.0.7", false},
        {"cut off", L"cut-off", &*next, *signature, "3.0.7", false},
        {"one byte changed", L"", &changed, *signature, "3.0.7", false},
        {"no signature", L"", &*next, std::nullopt, "3.0.7", false},
        {"another file's signature", L"", &*next, kOtherFileSignature, "3.0.7", false},
        {"garbage signature", L"", &*next, "<html>signed, honestly</html>", "3.0.7", false},
        {"another version served", L"", &*next, *signature, "3.0.8", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        UseServer(c.mode);
        Serve(L"Velmora.exe", *c.program);
        Serve(L"velmora_version.txt", c.version);
        if (c.signature)
            Serve(L"velmora_signature.txt", *c.signature);
        else
            ::DeleteFileW((kServedFolder + L"\\velmora_signature.txt").c_str());
        WriteFileBytes(m_program, kInstalled);
        ::DeleteFileW(ProgramBackupPath(m_program).c_str());
        CMessageSink sink(&NoText);
        CDownloadAppNewVersion download(sink.Target(), m_program);
        ASSERT_TRUE(download.Start());
        CollectAfter(sink, download.GetThreadHandle());

        EXPECT_EQ(Finals(sink), std::vector<UINT>{c.installed ? WM_UPDATE_INSTALLED : WM_UPDATE_FAILED});
        EXPECT_EQ(ReadFileBytes(m_program), c.installed ? *next : kInstalled);
        EXPECT_FALSE(Exists(NewFile()));
        // The replaced program stays as the way back until the new one has started.
        EXPECT_EQ(ReadFileBytes(ProgramBackupPath(m_program)),
                  c.installed ? std::optional<std::string>(kInstalled) : std::nullopt);
        if (c.installed) {
            const std::vector<ReceivedMessage>& posted = sink.messages;
            ASSERT_GE(posted.size(), 4u);
            EXPECT_EQ(posted.front(), (ReceivedMessage{WM_DOWNLOAD_STARTED, WPARAM{next->size()}, 0, {}}));
            EXPECT_EQ(posted[posted.size() - 3].wParam, WPARAM{next->size()});
            EXPECT_EQ(posted[posted.size() - 2].message, WM_DOWNLOAD_DONE);
        }
    }
}

TEST_F(UpdateServerTest, SecondUpdateDeletesTheOldBackupFirst)
{
    UseServer(L"");
    ASSERT_TRUE(::CopyFileW(kNextVersion.c_str(), (kServedFolder + L"\\Velmora.exe").c_str(), FALSE));
    ASSERT_TRUE(::CopyFileW(kNextSignature.c_str(), (kServedFolder + L"\\velmora_signature.txt").c_str(), FALSE));
    Serve(L"velmora_version.txt", "3.0.7");
    WriteFileBytes(ProgramBackupPath(m_program), "an older program");
    // A download an earlier run left behind is replaced, not appended to.
    WriteFileBytes(NewFile(), "a stale download");
    CDownloadAppNewVersion download(nullptr, m_program);
    ASSERT_TRUE(download.Start());
    ASSERT_EQ(::WaitForSingleObject(download.GetThreadHandle(), 60000), WAIT_OBJECT_0);
    EXPECT_EQ(download.Result(), CDownloadAppNewVersion::Outcome::Installed);
    EXPECT_EQ(ReadFileBytes(m_program), ReadFileBytes(kNextVersion));
    EXPECT_EQ(ReadFileBytes(ProgramBackupPath(m_program)), kInstalled);
}

TEST_F(UpdateServerTest, CancelledDownloadPostsNoResultAndLeavesTheProgram)
{
    UseServer(L"slow");
    Serve(L"Velmora.exe", kServed);
    Serve(L"velmora_version.txt", "3.0.7");
    Serve(L"velmora_signature.txt", kOtherFileSignature);
    CMessageSink sink(&NoText);
    CDownloadAppNewVersion download(sink.Target(), m_program);
    ASSERT_TRUE(download.Start());
    for (int i = 0; i < 200 && download.BytesWritten() == 0; ++i)
        ::Sleep(50);
    ASSERT_GT(download.BytesWritten(), 0u);
    download.RequestStop();
    download.WaitForEnd();
    CollectAfter(sink, download.GetThreadHandle());

    EXPECT_EQ(download.Result(), CDownloadAppNewVersion::Outcome::Cancelled);
    EXPECT_TRUE(Finals(sink).empty());
    EXPECT_EQ(ReadFileBytes(m_program), kInstalled);
    EXPECT_FALSE(Exists(NewFile()));
}

TEST_F(UpdateServerTest, FailedSecondMoveBringsTheProgramBack)
{
    // A handle that names no file cannot be renamed into place.
    EXPECT_FALSE(ReplaceProgramFile(m_program, INVALID_HANDLE_VALUE));
    EXPECT_EQ(ReadFileBytes(m_program), kInstalled);
    EXPECT_FALSE(Exists(ProgramBackupPath(m_program)));
    // Without a program file nothing moves at all.
    ::DeleteFileW(m_program.c_str());
    const std::wstring download = m_downloads + L"Velmora.exe";
    WriteFileBytes(download, kServed);
    {
        const UniqueHandle file(::CreateFileW(download.c_str(), GENERIC_READ | DELETE, FILE_SHARE_READ, nullptr,
                                              OPEN_EXISTING, 0, nullptr));
        EXPECT_FALSE(ReplaceProgramFile(m_program, file.get()));
    }
    EXPECT_EQ(ReadFileBytes(download), kServed);
}

}  // namespace
