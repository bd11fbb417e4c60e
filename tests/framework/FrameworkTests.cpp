#include "framework/Dialog.h"
#include "framework/File.h"
#include "framework/Handles.h"
#include "framework/MessageSink.h"
#include "framework/Pacing.h"
#include "framework/WinThread.h"
#include "framework/WorkerSlot.h"
#include "res/resource.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <stdexcept>
#include <memory>
#include <vector>

namespace {

// ---- threads ----------------------------------------------------------------------

class ResultThread : public CWinThread {
public:
    explicit ResultThread(bool init) : m_init(init) {}
    bool InitInstance() override { return m_init; }
    int Run() override
    {
        m_ran = true;
        return 42;
    }
    bool m_init;
    std::atomic<bool> m_ran{false};
};

DWORD ExitCodeAfterEnd(CWinThread& thread)
{
    EXPECT_EQ(::WaitForSingleObject(thread.GetThreadHandle(), 10000), WAIT_OBJECT_0);
    DWORD code = 0;
    EXPECT_TRUE(::GetExitCodeThread(thread.GetThreadHandle(), &code));
    return code;
}

TEST(WinThread, RunResultIsTheExitCodeAndFailedInitSkipsRun)
{
    ResultThread ok(true);
    ASSERT_TRUE(ok.CreateThread());
    EXPECT_EQ(ExitCodeAfterEnd(ok), 42u);
    EXPECT_TRUE(ok.m_ran);

    ResultThread refused(false);
    ASSERT_TRUE(refused.CreateThread());
    EXPECT_EQ(ExitCodeAfterEnd(refused), 1u);
    EXPECT_FALSE(refused.m_ran);
}

TEST(WinThread, SuspendedThreadWaitsForResume)
{
    ResultThread thread(true);
    ASSERT_TRUE(thread.CreateThread(true));
    EXPECT_EQ(::WaitForSingleObject(thread.GetThreadHandle(), 50), static_cast<DWORD>(WAIT_TIMEOUT));
    EXPECT_FALSE(thread.m_ran);
    thread.ResumeThread();
    EXPECT_EQ(ExitCodeAfterEnd(thread), 42u);
}

class SelfDeletingThread : public CWinThread {
public:
    explicit SelfDeletingThread(HANDLE deleted) : m_deleted(deleted) { m_bAutoDelete = true; }
    ~SelfDeletingThread() override { ::SetEvent(m_deleted); }
    int Run() override { return 0; }
    HANDLE m_deleted;
};

TEST(WinThread, AutoDeleteObjectDeletesItselfWhenItEnds)
{
    UniqueHandle deleted(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    auto thread = std::make_unique<SelfDeletingThread>(deleted.get());
    ASSERT_TRUE(thread->CreateThread());
    static_cast<void>(thread.release());  // the thread owns itself now
    EXPECT_EQ(::WaitForSingleObject(deleted.get(), 10000), WAIT_OBJECT_0);
}

// A worker that sends to a window of the thread waiting for it: a plain wait would never
// end, since the send is only answered while the waiting thread handles messages.
class SendingThread : public CWinThread {
public:
    explicit SendingThread(HWND window) : m_window(window) {}
    int Run() override { return static_cast<int>(::SendMessageW(m_window, WM_GETTEXTLENGTH, 0, 0)); }
    HWND m_window;
};

TEST(WinThread, WaitForEndAnswersSentMessagesAndPacedWaitEndsAtTheStop)
{
    std::unique_ptr<HWND__, decltype(&::DestroyWindow)> window(
        ::CreateWindowExW(0, L"STATIC", L"abc", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr),
        &::DestroyWindow);
    ASSERT_TRUE(window);
    SendingThread thread(window.get());
    ASSERT_TRUE(thread.CreateThread());
    thread.WaitForEnd();
    EXPECT_EQ(ExitCodeAfterEnd(thread), 3u);

    // A pause without end is over as soon as the stop is signalled; without pacing
    // there is no pause at all.
    UniqueHandle stop(::CreateEventW(nullptr, TRUE, TRUE, nullptr));
    SetPacingEnabled(true);
    EXPECT_TRUE(PacedWait(stop.get(), INFINITE));
    SetPacingEnabled(false);
    EXPECT_FALSE(PacedWait(stop.get(), INFINITE));
}

// A worker that runs until released; one that heeds a stop request also ends on it, one
// that does not stands for a call that ends only at its time-out.
class HeldWorker : public CWinThread {
public:
    HeldWorker(HANDLE release, bool heedsStop, std::atomic<int>& ended)
        : m_release(release), m_heedsStop(heedsStop), m_ended(ended)
    {
    }
    bool Start() { return CreateThread(); }
    void RequestStop()
    {
        if (m_heedsStop)
            ::SetEvent(m_stop.get());
    }
    int Run() override
    {
        const HANDLE ends[] = {m_release, m_stop.get()};
        ::WaitForMultipleObjects(2, ends, FALSE, INFINITE);
        ++m_ended;
        return 0;
    }

private:
    HANDLE m_release;
    bool m_heedsStop;
    std::atomic<int>& m_ended;
    UniqueHandle m_stop{::CreateEventW(nullptr, TRUE, FALSE, nullptr)};
};

TEST(WorkerSlot, StoppedWorkerIsWaitedForOrRetiredAndTheSlotEndWaitsForEveryThread)
{
    UniqueHandle release(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    std::atomic<int> ended{0};
    {
        CWorkerSlot<HeldWorker> waited;
        ASSERT_TRUE(waited.Start(std::make_unique<HeldWorker>(release.get(), true, ended)));
        ASSERT_TRUE(waited.Start(std::make_unique<HeldWorker>(release.get(), true, ended)));
        EXPECT_EQ(ended, 1);  // the replaced worker had ended before its successor started
        waited.Stop();
        EXPECT_EQ(ended, 2);
        EXPECT_EQ(waited.Current(), nullptr);

        // Neither the replacement nor the stop waits for a worker stuck in its call.
        CWorkerSlot<HeldWorker> retired(StoppedWorker::Retired);
        ASSERT_TRUE(retired.Start(std::make_unique<HeldWorker>(release.get(), false, ended)));
        ASSERT_TRUE(retired.Start(std::make_unique<HeldWorker>(release.get(), false, ended)));
        retired.Stop();
        EXPECT_EQ(retired.Current(), nullptr);
        EXPECT_EQ(ended, 2);
        ::SetEvent(release.get());
    }
    EXPECT_EQ(ended, 4);
}

// ---- files --------------------------------------------------------------------------

class FileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        wchar_t temp[MAX_PATH] = {};
        ASSERT_GT(::GetTempPathW(MAX_PATH, temp), 0u);
        m_folder = std::wstring(temp) + L"velmora-file-test\\";
        Clean();
        ASSERT_TRUE(::CreateDirectoryW(m_folder.c_str(), nullptr));
    }
    void TearDown() override { Clean(); }
    void Clean()
    {
        CFileFind find;
        bool more = find.FindFile(m_folder + L"*");
        while (more) {
            if (!find.IsDots())
                ::DeleteFileW(find.GetFilePath().c_str());
            more = find.FindNextFile();
        }
        find.Close();
        ::RemoveDirectoryW(m_folder.c_str());
    }
    std::wstring m_folder;
};

TEST_F(FileTest, WriteAppendReadAndReplace)
{
    const std::wstring path = m_folder + L"data.dat";
    std::string bytes;
    EXPECT_FALSE(CFile::ReadAll(path, bytes));

    ASSERT_TRUE(CFile::WriteAll(path, std::string("one\0two", 7)));
    ASSERT_TRUE(CFile::Append(path, "three"));
    ASSERT_TRUE(CFile::ReadAll(path, bytes));
    EXPECT_EQ(bytes, std::string("one\0twothree", 12));

    ASSERT_TRUE(CFile::WriteAll(path, "x"));
    ASSERT_TRUE(CFile::ReadAll(path, bytes));
    EXPECT_EQ(bytes, "x");  // truncated, not overwritten in place

    ASSERT_TRUE(CFile::ReplaceAtomically(path, "replaced"));
    ASSERT_TRUE(CFile::ReadAll(path, bytes));
    EXPECT_EQ(bytes, "replaced");

    ASSERT_TRUE(CFile::Append(m_folder + L"new.dat", "created"));
    ASSERT_TRUE(CFile::ReadAll(m_folder + L"new.dat", bytes));
    EXPECT_EQ(bytes, "created");
}

TEST_F(FileTest, ReplaceIntoMissingFolderFailsAndLeavesNoTemporaryFile)
{
    EXPECT_FALSE(CFile::ReplaceAtomically(m_folder + L"missing\\data.dat", "x"));
    ASSERT_TRUE(CFile::ReplaceAtomically(m_folder + L"data.dat", "x"));
    CFileFind find;
    int files = 0;
    bool more = find.FindFile(m_folder + L"*");
    while (more) {
        files += find.IsDots() ? 0 : 1;
        more = find.FindNextFile();
    }
    EXPECT_EQ(files, 1);
}

TEST_F(FileTest, FindEnumeratesByMask)
{
    ASSERT_TRUE(CFile::WriteAll(m_folder + L"a.dat", "a"));
    ASSERT_TRUE(CFile::WriteAll(m_folder + L"b.dat", "b"));
    ASSERT_TRUE(CFile::WriteAll(m_folder + L"c.txt", "c"));
    CFileFind find;
    std::vector<std::wstring> names;
    bool more = find.FindFile(m_folder + L"*.dat");
    while (more) {
        names.push_back(find.GetFileName());
        EXPECT_EQ(find.GetFilePath(), m_folder + find.GetFileName());
        EXPECT_FALSE(find.IsDirectory());
        more = find.FindNextFile();
    }
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::wstring>{L"a.dat", L"b.dat"}));
    EXPECT_FALSE(find.FindFile(m_folder + L"*.none"));
}

// ---- handles ------------------------------------------------------------------------

bool KernelHandleIsOpen(HANDLE handle)
{
    DWORD flags = 0;
    return ::GetHandleInformation(handle, &flags) != 0;
}

TEST(Handles, EveryOwnerReleasesItsHandle)
{
    HANDLE rawEvent = nullptr;
    {
        UniqueHandle event(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
        rawEvent = event.get();
        ASSERT_TRUE(KernelHandleIsOpen(rawEvent));
    }
    EXPECT_FALSE(KernelHandleIsOpen(rawEvent));

    HKEY rawKey = nullptr;
    {
        UniqueHKey key;
        ASSERT_EQ(::RegOpenKeyExW(HKEY_CURRENT_USER, L"Software", 0, KEY_READ, key.put()), ERROR_SUCCESS);
        rawKey = key.get();
    }
    DWORD subkeys = 0;
    EXPECT_NE(::RegQueryInfoKeyW(rawKey, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, nullptr, nullptr,
                                 nullptr, nullptr, nullptr),
              ERROR_SUCCESS);

    HBRUSH rawBrush = nullptr;
    {
        UniqueGdiObject<HBRUSH> brush(::CreateSolidBrush(RGB(13, 91, 153)));
        rawBrush = brush.get();
        ASSERT_NE(::GetObjectType(rawBrush), 0u);
    }
    EXPECT_EQ(::GetObjectType(rawBrush), 0u);

    HDC rawDc = nullptr;
    {
        UniqueMemoryDc dc(::CreateCompatibleDC(nullptr));
        rawDc = dc.get();
        ASSERT_NE(::GetObjectType(rawDc), 0u);
    }
    EXPECT_EQ(::GetObjectType(rawDc), 0u);
}

TEST(Handles, PredefinedRootsAreNeverClosedAndConvertCorrectly)
{
    EXPECT_EQ(RootToHKey(0x80000000u), HKEY_CLASSES_ROOT);
    EXPECT_EQ(RootToHKey(0x80000002u), HKEY_LOCAL_MACHINE);
    EXPECT_EQ(RootToHKey(0x80000003u), HKEY_USERS);
    {
        UniqueHKey root(HKEY_CURRENT_USER);
        EXPECT_FALSE(root);
    }
    UniqueHKey key;
    EXPECT_EQ(::RegOpenKeyExW(HKEY_CURRENT_USER, L"Software", 0, KEY_READ, key.put()), ERROR_SUCCESS);
}

TEST(Handles, FindHandleIsClosedOnReset)
{
    wchar_t windows[MAX_PATH] = {};
    ASSERT_GT(::GetWindowsDirectoryW(windows, MAX_PATH), 0u);
    WIN32_FIND_DATAW data{};
    UniqueFindHandle find(::FindFirstFileW((std::wstring(windows) + L"\\*").c_str(), &data));
    ASSERT_TRUE(find);
    const HANDLE raw = find.get();
    find.reset();
    EXPECT_FALSE(find);
    EXPECT_FALSE(::FindNextFileW(raw, &data));
}

TEST(Handles, PostedTextArrivesOnceAndIsTakenBack)
{
    const HWND window = ::CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    const std::wstring text(L"C:\\Programmi\\app.exe\0tail", 25);
    ASSERT_TRUE(PostText(window, WM_APP + 5, text, 17));
    MSG message{};
    ASSERT_TRUE(::PeekMessageW(&message, window, WM_APP + 5, WM_APP + 5, PM_REMOVE));
    EXPECT_EQ(message.lParam, 17);
    EXPECT_EQ(TakeText(message.wParam), text);  // embedded NUL kept: the length travels with the BSTR
    EXPECT_EQ(TakeText(0), L"");
    ::DestroyWindow(window);

    // Posting to a window that no longer exists fails and frees the text itself.
    EXPECT_FALSE(PostText(window, WM_APP + 5, L"lost"));
    EXPECT_FALSE(PostText(CNotifyTarget(), WM_APP + 5, L"nobody"));

    // A thread target lands on the thread's own queue, outside any window.
    ASSERT_TRUE(PostText(CNotifyTarget::Thread(::GetCurrentThreadId()), WM_APP + 6, text, 18));
    const HWND threadMessagesOnly = reinterpret_cast<HWND>(static_cast<LONG_PTR>(-1));
    ASSERT_TRUE(::PeekMessageW(&message, threadMessagesOnly, WM_APP + 6, WM_APP + 6, PM_REMOVE));
    EXPECT_EQ(message.hwnd, nullptr);
    EXPECT_EQ(message.lParam, 18);
    EXPECT_EQ(TakeText(message.wParam), text);
}

TEST(MessageSink, PumpTakesPostsUntilTheThreadEndsAndAStopWakesIt)
{
    CMessageSink sink([](UINT) { return false; });
    struct Poster {
        CNotifyTarget target;
        static DWORD WINAPI Run(void* self)
        {
            for (WPARAM i = 0; i < 3; ++i) {
                (void)static_cast<Poster*>(self)->target.Post(WM_APP + 1, i, 0);
                ::Sleep(30);
            }
            return 0;
        }
    } poster{sink.Target()};
    UniqueHandle posting(::CreateThread(nullptr, 0, &Poster::Run, &poster, 0, nullptr));
    ASSERT_TRUE(static_cast<bool>(posting));
    EXPECT_TRUE(sink.PumpUntilEnded(posting.get()));
    EXPECT_EQ(sink.Only(WM_APP + 1).size(), 3u);

    // A thread that never ends: only the stop, requested from another thread, ends the pump.
    UniqueHandle never(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    UniqueHandle stopping(::CreateThread(
        nullptr, 0,
        [](void* target) -> DWORD {
            ::Sleep(50);
            static_cast<CMessageSink*>(target)->RequestStop();
            return 0;
        },
        &sink, 0, nullptr));
    ASSERT_TRUE(static_cast<bool>(stopping));
    EXPECT_FALSE(sink.PumpUntilEnded(never.get()));
    ::WaitForSingleObject(stopping.get(), INFINITE);
}

// ---- dialog base --------------------------------------------------------------------

class ProbeDialog : public CDialogBase {
public:
    ProbeDialog() : CDialogBase(IDD_SCAN_DIALOG) {}
    int initCalls = 0;
    int okCalls = 0;
    int commands = 0;
    int custom = 0;

protected:
    BOOL OnInitDialog() override
    {
        ++initCalls;
        return TRUE;
    }
    void OnOK() override { ++okCalls; }
    bool OnCommand(WORD id, WORD, HWND) override
    {
        if (id != 1234)
            return false;
        ++commands;
        return true;
    }
    bool OnMessage(UINT message, WPARAM wParam, LPARAM, LRESULT& result) override
    {
        if (message != WM_APP + 1)
            return false;
        ++custom;
        if (wParam == 99)
            throw std::runtime_error("must not cross the window procedure");
        result = 7;
        return true;
    }
};

TEST(Dialog, DispatchesInitCommandsEnterEscapeAndSurvivesExceptions)
{
    ProbeDialog dialog;
    ASSERT_TRUE(dialog.Create());
    const HWND window = dialog.GetSafeHwnd();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(dialog.initCalls, 1);

    ::SendMessageW(window, WM_COMMAND, MAKEWPARAM(1234, BN_CLICKED), 0);
    EXPECT_EQ(dialog.commands, 1);
    ::SendMessageW(window, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    EXPECT_EQ(dialog.okCalls, 1);
    EXPECT_EQ(::SendMessageW(window, WM_APP + 1, 0, 0), 7);
    ::SendMessageW(window, WM_APP + 1, 99, 0);
    EXPECT_EQ(dialog.custom, 2);
    EXPECT_TRUE(::IsWindow(window));

    // Escape arrives as IDCANCEL; the default OnCancel ends (destroys) the modeless dialog.
    ::SendMessageW(window, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    EXPECT_FALSE(::IsWindow(window));
    EXPECT_EQ(dialog.GetSafeHwnd(), nullptr);
}

TEST(Dialog, ModalDialogEndsWithTheGivenResult)
{
    class SelfEnding : public CDialogBase {
    public:
        SelfEnding() : CDialogBase(IDD_SCAN_DIALOG) {}

    protected:
        BOOL OnInitDialog() override
        {
            ::PostMessageW(m_hWnd, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
            return TRUE;
        }
    } dialog;
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_EQ(dialog.GetSafeHwnd(), nullptr);
}

}  // namespace
