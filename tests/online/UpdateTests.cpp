// The update workers against the stand-in update server (tools/update-server.py, started
// by the test run): the check's answers, the download's outcomes and what each leaves of
// the program file. The genuine release is the program built as 3.0.7 and released with
// the test key at build time (tools/sign-update.py); the same image released as "3.0.8"
// is the mislabelled one.

#include "core/UpdateText.h"
#include "engine/Registry.h"
#include "engine/Settings.h"
#include "framework/Handles.h"
#include "framework/MessageSink.h"
#include "online/AutoFindNewVersion.h"
#include "online/DownloadAppNewVersion.h"
#include "online/InstalledVersion.h"
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

constexpr wchar_t kReleaseFolder[] = L"\\it-velmora-latest-version";
const std::wstring kServerState = FromLinuxPath(VELMORA_UPDATE_SERVER_STATE);
const std::wstring kServedFolder = kServerState + L"\\files" + kReleaseFolder;
const std::wstring kNextRelease = FromLinuxPath(VELMORA_NEXT_RELEASE) + kReleaseFolder;
const std::wstring kMislabelledRelease = FromLinuxPath(VELMORA_MISLABELLED_RELEASE) + kReleaseFolder;
const std::wstring kNextVersion = kNextRelease + L"\\Velmora.exe";
const wchar_t* const kServedNames[] = {L"velmora_version.txt", L"velmora_appsize.txt", L"Velmora.exe",
                                       L"velmora_manifest.txt", L"velmora_signature.txt"};

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
        if ((received.message >= WM_UPDATE_AVAILABLE && received.message <= WM_UPDATE_FAILED) ||
            received.message == WM_UPDATE_UNREACHABLE)
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
        m_savedHighest = HighestInstalledVersion();
        for (const wchar_t* name : kServedNames)
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
        (void)WriteSetting(kHighestInstalledSetting, m_savedHighest);
        RegDeleteKeyAt(HKEY_LOCAL_MACHINE, kUninstallKey);
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
    static void ServeRelease(const std::wstring& release)
    {
        for (const wchar_t* name : kServedNames)
            ASSERT_TRUE(::CopyFileW((release + L"\\" + name).c_str(), (kServedFolder + L"\\" + name).c_str(), FALSE));
    }
    static std::string ReleaseFile(const std::wstring& release, const wchar_t* name)
    {
        return ReadFileBytes(release + L"\\" + name).value_or(std::string());
    }
    [[nodiscard]] std::wstring NewFile() const { return m_program + L".new"; }
    [[nodiscard]] static bool Exists(const std::wstring& path)
    {
        return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
    }

    const std::string kInstalled = ProgramBytes('a', 70000);
    const std::string kServed = ProgramBytes('b', 300 * 1024);
    std::wstring m_base;
    std::wstring m_savedUrl;
    std::wstring m_savedHighest;
    std::wstring m_work;
    std::wstring m_downloads;
    std::wstring m_program;
};

TEST_F(UpdateServerTest, CheckComparesTheServedVersionWithTheOwn)
{
    struct Case {
        const char* served;
        const wchar_t* mode;
        const wchar_t* highest;
        std::vector<UINT> posted;
    };
    const Case cases[] = {
        {"3.0.7", L"", L"", {WM_UPDATE_AVAILABLE}},
        {"3.0.6", L"", L"", {WM_UPDATE_NONE}},
        {"3.0.5", L"", L"", {WM_UPDATE_NONE}},
        {"3.0.7", L"", L"3.0.7", {WM_UPDATE_NONE}},
        {"3.0.6\r\n", L"", L"", {WM_UPDATE_NONE}},
        {"V3.0.7", L"", L"", {WM_UPDATE_NONE}},
        // An error page names no version.
        {"3.0.7", L"not-found", L"", {WM_UPDATE_NONE}},
        // Nothing listens there: the check still ends with an answer.
        {"3.0.7", nullptr, L"", {WM_UPDATE_UNREACHABLE}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.served) + " " + (c.mode ? std::string(c.mode, c.mode + wcslen(c.mode)) : "none"));
        if (c.mode)
            UseServer(c.mode);
        else
            ASSERT_TRUE(WriteSetting(kUpdateServerSetting, L"http://127.0.0.1:9"));
        ASSERT_TRUE(WriteSetting(kHighestInstalledSetting, c.highest));
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

TEST_F(UpdateServerTest, OnlyAGenuineCompleteForwardReleaseReplacesTheProgram)
{
    const std::optional<std::string> next = ReadFileBytes(kNextVersion);
    ASSERT_TRUE(next) << "the signed 3.0.7 release is missing";
    std::string changed = *next;
    changed[changed.size() / 2] ^= 0x01;
    const std::string manifest = ReleaseFile(kNextRelease, L"velmora_manifest.txt");
    const std::string signature = ReleaseFile(kNextRelease, L"velmora_signature.txt");
    std::string unsignedManifest = manifest;
    unsignedManifest.replace(unsignedManifest.find("3.0.7"), 5, "3.0.9");
    struct Case {
        const char* name;
        const wchar_t* mode;
        const std::string* program;
        std::string manifest;
        std::optional<std::string> signature;
        const wchar_t* own;
        const wchar_t* highest;
        bool installed;
    };
    const Case cases[] = {
        {"genuine", L"", &*next, manifest, signature, L"3.0.6", L"", true},
        {"genuine after 3.0.10", L"", &*next, manifest, signature, L"3.0.10", L"", false},
        {"the running version", L"", &*next, manifest, signature, L"3.0.7", L"", false},
        {"older than running", L"", &*next, manifest, signature, L"3.0.8", L"", false},
        {"installed here before", L"", &*next, manifest, signature, L"3.0.6", L"3.0.7", false},
        {"image is not the stated version", L"", &*next, ReleaseFile(kMislabelledRelease, L"velmora_manifest.txt"),
         ReleaseFile(kMislabelledRelease, L"velmora_signature.txt"), L"3.0.6", L"", false},
        {"statement changed after signing", L"", &*next, unsignedManifest, signature, L"3.0.6", L"", false},
        {"another statement's signature", L"", &*next, manifest,
         ReleaseFile(kMislabelledRelease, L"velmora_signature.txt"), L"3.0.6", L"", false},
        {"no signature", L"", &*next, manifest, std::nullopt, L"3.0.6", L"", false},
        {"garbage signature", L"", &*next, manifest, "<html>signed, honestly</html>", L"3.0.6", L"", false},
        {"one byte changed", L"", &changed, manifest, signature, L"3.0.6", L"", false},
        {"announced size differs", L"wrong-size", &*next, manifest, signature, L"3.0.6", L"", false},
        {"error pages", L"not-found", &*next, manifest, signature, L"3.0.6", L"", false},
        {"cut off", L"cut-off", &*next, manifest, signature, L"3.0.6", L"", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        UseServer(c.mode);
        ServeRelease(kNextRelease);
        Serve(L"Velmora.exe", *c.program);
        Serve(L"velmora_manifest.txt", c.manifest);
        if (c.signature)
            Serve(L"velmora_signature.txt", *c.signature);
        else
            ::DeleteFileW((kServedFolder + L"\\velmora_signature.txt").c_str());
        ASSERT_TRUE(WriteSetting(kHighestInstalledSetting, c.highest));
        // The installed-programs entry of a setup that installed into the test's folder.
        ASSERT_TRUE(RegWriteString(HKEY_LOCAL_MACHINE, kUninstallKey, L"InstallLocation", m_work));
        ASSERT_TRUE(RegWriteString(HKEY_LOCAL_MACHINE, kUninstallKey, L"DisplayVersion", L"3.0.6"));
        WriteFileBytes(m_program, kInstalled);
        ::DeleteFileW(ProgramBackupPath(m_program).c_str());
        CMessageSink sink(&NoText);
        CDownloadAppNewVersion download(sink.Target(), m_program, c.own);
        ASSERT_TRUE(download.Start());
        CollectAfter(sink, download.GetThreadHandle());

        EXPECT_EQ(Finals(sink), std::vector<UINT>{c.installed ? WM_UPDATE_INSTALLED : WM_UPDATE_FAILED});
        EXPECT_EQ(ReadFileBytes(m_program), c.installed ? *next : kInstalled);
        EXPECT_FALSE(Exists(NewFile()));
        // The replaced program stays as the way back until the new one has started.
        EXPECT_EQ(ReadFileBytes(ProgramBackupPath(m_program)),
                  c.installed ? std::optional<std::string>(kInstalled) : std::nullopt);
        EXPECT_EQ(HighestInstalledVersion(), c.installed ? L"3.0.7" : c.highest);
        EXPECT_EQ(RegReadString(HKEY_LOCAL_MACHINE, kUninstallKey, L"DisplayVersion"), c.installed ? L"3.0.7" : L"3.0.6");
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
    ServeRelease(kNextRelease);
    ASSERT_TRUE(WriteSetting(kHighestInstalledSetting, L""));
    WriteFileBytes(ProgramBackupPath(m_program), "an older program");
    // A download an earlier run left behind is replaced, not appended to.
    WriteFileBytes(NewFile(), "a stale download");
    CDownloadAppNewVersion download(nullptr, m_program, L"3.0.6");
    ASSERT_TRUE(download.Start());
    ASSERT_EQ(::WaitForSingleObject(download.GetThreadHandle(), 60000), WAIT_OBJECT_0);
    EXPECT_EQ(download.Result(), CDownloadAppNewVersion::Outcome::Installed);
    EXPECT_EQ(ReadFileBytes(m_program), ReadFileBytes(kNextVersion));
    EXPECT_EQ(ReadFileBytes(ProgramBackupPath(m_program)), kInstalled);
}

TEST_F(UpdateServerTest, CancelledDownloadPostsNoResultAndLeavesTheProgram)
{
    UseServer(L"slow");
    ServeRelease(kNextRelease);
    ASSERT_TRUE(WriteSetting(kHighestInstalledSetting, L""));
    CMessageSink sink(&NoText);
    CDownloadAppNewVersion download(sink.Target(), m_program, L"3.0.6");
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

// The restart helper after a replacement, with a stand-in for the program: the old program
// file goes only once the new program has painted; a new program that ends before that
// gets the old one back.
TEST_F(UpdateServerTest, RestartHelperKeepsTheOldProgramUntilTheNewOneHasPainted)
{
    const std::optional<std::string> standIn = ReadFileBytes(FromLinuxPath(VELMORA_RESTART_STAND_IN));
    ASSERT_TRUE(standIn);
    const std::wstring helper = m_work + L"\\rebooter.exe";
    ASSERT_TRUE(::CopyFileW(FromLinuxPath(VELMORA_REBOOTER).c_str(), helper.c_str(), FALSE));
    // Bytes after the image do not stop it from running.
    const std::string old = *standIn + "the old program";
    struct Case {
        const wchar_t* start;
        const std::string* left;
    };
    for (const Case& c : {Case{L"paint", &*standIn}, Case{L"end", &old}}) {
        SCOPED_TRACE(std::wstring(c.start));
        WriteFileBytes(m_program, *standIn);
        WriteFileBytes(ProgramBackupPath(m_program), old);
        ASSERT_TRUE(::SetEnvironmentVariableW(L"VELMORA_STAND_IN_START", c.start));
        std::wstring commandLine = L"\"" + m_program + L"\" --parent";
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION started{};
        ASSERT_TRUE(::CreateProcessW(m_program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                     m_work.c_str(), &startup, &started));
        const UniqueHandle process(started.hProcess);
        const UniqueHandle thread(started.hThread);
        EXPECT_EQ(::WaitForSingleObject(process.get(), 30000), WAIT_OBJECT_0) << "the helper did not end the program";
        for (int i = 0; i < 300 && Exists(ProgramBackupPath(m_program)); ++i)
            ::Sleep(100);
        EXPECT_FALSE(Exists(ProgramBackupPath(m_program)));
        EXPECT_EQ(ReadFileBytes(m_program), *c.left);
    }
    ::SetEnvironmentVariableW(L"VELMORA_STAND_IN_START", nullptr);
    // The helper may still be on its way out.
    for (int i = 0; i < 100 && !::DeleteFileW(helper.c_str()); ++i)
        ::Sleep(100);
}
