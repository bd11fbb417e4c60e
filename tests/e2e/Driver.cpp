#include "tests/e2e/Driver.h"

#include "framework/File.h"
#include "res/resource.h"

#include <vector>

namespace e2e {

DriverSettings& Settings()
{
    static DriverSettings settings;
    return settings;
}

std::wstring ToWindowsPath(const std::wstring& path)
{
    if (path.empty() || path[0] != L'/')
        return path;
    std::wstring windows = L"Z:" + path;
    for (auto& c : windows)
        if (c == L'/')
            c = L'\\';
    return windows;
}

bool RunningProgram::Start(const std::wstring& arguments, const std::wstring& program)
{
    const std::wstring& file = program.empty() ? Settings().program : program;
    std::wstring commandLine = L"\"" + file + L"\"";
    if (!arguments.empty())
        commandLine += L" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!::CreateProcessW(file.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          nullptr, &startup, &process))
        return false;
    ::CloseHandle(process.hThread);
    m_process.reset(process.hProcess);
    return true;
}

bool RunningProgram::WaitForExit(DWORD milliseconds, DWORD& exitCode)
{
    if (!m_process || ::WaitForSingleObject(m_process.get(), milliseconds) != WAIT_OBJECT_0)
        return false;
    return ::GetExitCodeProcess(m_process.get(), &exitCode) != 0;
}

RunningProgram::~RunningProgram()
{
    if (m_process && ::WaitForSingleObject(m_process.get(), 0) == WAIT_TIMEOUT)
        ::TerminateProcess(m_process.get(), 99);
}

HWND WaitForWindow(const wchar_t* title, DWORD milliseconds)
{
    const ULONGLONG end = ::GetTickCount64() + milliseconds;
    do {
        const HWND window = ::FindWindowW(nullptr, title);
        if (window && ::IsWindowVisible(window))
            return window;
        ::Sleep(100);
    } while (::GetTickCount64() < end);
    return nullptr;
}

void PressKey(HWND window, UINT virtualKey)
{
    // The dialog's own message loop turns the key into its command (Escape -> IDCANCEL).
    const HWND focus = ::GetWindow(window, GW_CHILD) ? ::GetWindow(window, GW_CHILD) : window;
    ::PostMessageW(focus, WM_KEYDOWN, virtualKey, 1);
    ::PostMessageW(focus, WM_KEYUP, virtualKey, 0xC0000001);
}

bool SaveScreenshot(HWND window, const std::wstring& name)
{
    RECT bounds{};
    if (!::GetWindowRect(window, &bounds))
        return false;
    const int width = bounds.right - bounds.left;
    const int height = bounds.bottom - bounds.top;
    if (width <= 0 || height <= 0)
        return false;

    const HDC screen = ::GetDC(nullptr);
    UniqueMemoryDc memory(::CreateCompatibleDC(screen));
    UniqueGdiObject<HBITMAP> bitmap(::CreateCompatibleBitmap(screen, width, height));
    bool copied = false;
    if (memory && bitmap) {
        SelectObjectGuard select(memory.get(), bitmap.get());
        ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        copied = ::BitBlt(memory.get(), 0, 0, width, height, screen, bounds.left, bounds.top, SRCCOPY) != 0;
    }
    ::ReleaseDC(nullptr, screen);
    if (!copied)
        return false;

    BITMAPINFOHEADER header{};
    header.biSize = sizeof(header);
    header.biWidth = width;
    header.biHeight = height;
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biCompression = BI_RGB;
    const int stride = ((width * 3 + 3) / 4) * 4;
    std::vector<char> pixels(static_cast<size_t>(stride) * height);
    if (!::GetDIBits(memory.get(), bitmap.get(), 0, height, pixels.data(), reinterpret_cast<BITMAPINFO*>(&header),
                     DIB_RGB_COLORS))
        return false;

    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
    file.bfSize = file.bfOffBits + static_cast<DWORD>(pixels.size());
    std::string bytes(reinterpret_cast<const char*>(&file), sizeof(file));
    bytes.append(reinterpret_cast<const char*>(&header), sizeof(header));
    bytes.append(pixels.data(), pixels.size());
    return CFile::WriteAll(Settings().output + L"\\" + name + L".bmp", bytes);
}

DWORD RunningProgram::ProcessId() const { return m_process ? ::GetProcessId(m_process.get()) : 0; }

bool RunningProgram::WaitForInputIdle(DWORD milliseconds)
{
    return m_process && ::WaitForInputIdle(m_process.get(), milliseconds) == 0;
}

bool WaitUntil(const std::function<bool()>& condition, DWORD milliseconds)
{
    const ULONGLONG end = ::GetTickCount64() + milliseconds;
    for (;;) {
        if (condition())
            return true;
        if (::GetTickCount64() >= end)
            return false;
        ::Sleep(50);
    }
}

namespace {

struct WindowSearch {
    DWORD processId;
    const std::function<bool(HWND)>* predicate;
    HWND found;
};

std::wstring ClassOf(HWND window)
{
    wchar_t name[64] = {};
    ::GetClassNameW(window, name, 64);
    return name;
}

}  // namespace

bool IsMessageBox(HWND window)
{
    if (ClassOf(window) != L"#32770")
        return false;
    // The message text's label has the id 0xFFFF in every message box; the program's own
    // windows have none, though one (the repair window) has a button of id IDCANCEL.
    const HWND text = ::GetDlgItem(window, 0xFFFF);
    if (!text || ClassOf(text) != L"Static")
        return false;
    for (const int id : {IDOK, IDCANCEL, IDYES, IDNO})
        if (::GetDlgItem(window, id))
            return true;
    return false;
}

bool WaitForMessageLoop(HWND window, DWORD milliseconds)
{
    DWORD_PTR ignored = 0;
    return ::SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, milliseconds, &ignored) != 0;
}

HWND WaitForProcessWindow(DWORD processId, const std::function<bool(HWND)>& predicate, DWORD milliseconds)
{
    WindowSearch search{processId, &predicate, nullptr};
    WaitUntil(
        [&] {
            search.found = nullptr;
            ::EnumWindows(
                [](HWND window, LPARAM context) -> BOOL {
                    auto& s = *reinterpret_cast<WindowSearch*>(context);
                    DWORD owner = 0;
                    ::GetWindowThreadProcessId(window, &owner);
                    if (owner != s.processId || !::IsWindowVisible(window) || !(*s.predicate)(window))
                        return TRUE;
                    s.found = window;
                    return FALSE;
                },
                reinterpret_cast<LPARAM>(&search));
            return search.found != nullptr;
        },
        milliseconds);
    return search.found;
}

std::wstring ControlText(HWND dialog, int id)
{
    wchar_t text[1024] = {};
    ::GetDlgItemTextW(dialog, id, text, 1024);
    return text;
}

void ClickButton(HWND dialog, int id)
{
    // Posted: a click that opens a modal window must not hold the driver.
    ::PostMessageW(::GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

void AskToExit(HWND mainWindow)
{
    ::PostMessageW(mainWindow, WM_COMMAND, MAKEWPARAM(ID_TRAY_EXIT, BN_CLICKED), 0);
}

HWND WaitForMessageBox(DWORD processId, DWORD milliseconds)
{
    return WaitForProcessWindow(processId, IsMessageBox, milliseconds);
}

std::wstring MessageBoxText(HWND box)
{
    // The text is the box's longest label (the other one, if any, holds the icon).
    std::wstring text;
    for (HWND child = ::GetWindow(box, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        if (ClassOf(child) != L"Static")
            continue;
        wchar_t label[2048] = {};
        ::GetWindowTextW(child, label, 2048);
        if (::lstrlenW(label) > static_cast<int>(text.size()))
            text = label;
    }
    return text;
}

std::wstring AnswerMessageBox(DWORD processId, int button, DWORD milliseconds)
{
    const HWND box = WaitForMessageBox(processId, milliseconds);
    if (!box)
        return {};
    const std::wstring text = MessageBoxText(box);
    ::PostMessageW(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(box, button)));
    WaitUntil([&] { return !::IsWindow(box) || !::IsWindowVisible(box); }, milliseconds);
    return text;
}

bool ChooseTrayMenuEntry(HWND mainWindow, UINT callbackMessage, UINT iconId, TrayEntry entry)
{
    DWORD processId = 0;
    ::GetWindowThreadProcessId(mainWindow, &processId);
    ::PostMessageW(mainWindow, callbackMessage, iconId, WM_RBUTTONUP);
    const HWND menu =
        WaitForProcessWindow(processId, [](HWND window) { return ClassOf(window) == L"#32768"; }, 15000);
    if (!menu)
        return false;
    // The menu window shows before its loop runs; keys posted in between would reach the
    // main window instead. A sent message is answered only once the loop reads messages.
    if (!WaitForMessageLoop(mainWindow, 15000))
        return false;
    // The menu loop reads every keyboard message of its thread: from no selection, Down
    // selects the first entry and Up the last one.
    ::PostMessageW(mainWindow, WM_KEYDOWN, entry == TrayEntry::First ? VK_DOWN : VK_UP, 1);
    ::PostMessageW(mainWindow, WM_KEYDOWN, VK_RETURN, 1);
    return WaitUntil([&] { return !::IsWindowVisible(menu); }, 15000);
}

std::optional<std::wstring> ReadRegistryString(HKEY root, const std::wstring& key, const std::wstring& name)
{
    wchar_t data[2048] = {};
    DWORD size = sizeof(data) - sizeof(wchar_t);
    if (::RegGetValueW(root, key.c_str(), name.c_str(), RRF_RT_REG_SZ, nullptr, data, &size) != ERROR_SUCCESS)
        return std::nullopt;
    return std::wstring(data);
}

bool WriteRegistryString(HKEY root, const std::wstring& key, const std::wstring& name, const std::wstring& value)
{
    return ::RegSetKeyValueW(root, key.c_str(), name.c_str(), REG_SZ, value.c_str(),
                             static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

bool WriteRegistryDword(HKEY root, const std::wstring& key, const std::wstring& name, DWORD value)
{
    return ::RegSetKeyValueW(root, key.c_str(), name.c_str(), REG_DWORD, &value, sizeof(value)) == ERROR_SUCCESS;
}

void DeleteRegistryValue(HKEY root, const std::wstring& key, const std::wstring& name)
{
    ::RegDeleteKeyValueW(root, key.c_str(), name.c_str());
}

void DeleteRegistryTree(HKEY root, const std::wstring& key)
{
    ::RegDeleteTreeW(root, key.c_str());
    ::RegDeleteKeyW(root, key.c_str());
}

bool TitleIs(HWND window, const wchar_t* title)
{
    wchar_t text[128] = {};
    ::GetWindowTextW(window, text, 128);
    return std::wstring(text) == title;
}

std::set<std::wstring> DatFilesIn(const std::wstring& folder)
{
    std::set<std::wstring> names;
    WIN32_FIND_DATAW found{};
    UniqueFindHandle find(::FindFirstFileW((folder + L"\\*.dat").c_str(), &found));
    if (!find)
        return names;
    do
        names.insert(found.cFileName);
    while (::FindNextFileW(find.get(), &found));
    return names;
}

std::wstring VersionString(const std::wstring& file, const wchar_t* name)
{
    DWORD ignored = 0;
    const DWORD size = ::GetFileVersionInfoSizeW(file.c_str(), &ignored);
    if (size == 0)
        return {};
    std::vector<char> block(size);
    if (!::GetFileVersionInfoW(file.c_str(), 0, size, block.data()))
        return {};
    struct Translation {
        WORD language;
        WORD codePage;
    }* translation = nullptr;
    UINT length = 0;
    if (!::VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation),
                          &length) ||
        length < sizeof(Translation))
        return {};
    wchar_t query[64] = {};
    swprintf(query, 64, L"\\StringFileInfo\\%04x%04x\\%ls", translation->language, translation->codePage, name);
    wchar_t* value = nullptr;
    if (!::VerQueryValueW(block.data(), query, reinterpret_cast<void**>(&value), &length) || !value)
        return {};
    return value;
}

}  // namespace e2e
