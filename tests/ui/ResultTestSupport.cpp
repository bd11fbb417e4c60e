#include "tests/ui/ResultTestSupport.h"

#include "core/Utf16Text.h"
#include "engine/CorvaneEngine.h"
#include "engine/IgnoredProblemsStore.h"
#include "framework/File.h"
#include "framework/Handles.h"

#include <cstdlib>

CError MakeProblem(int section, int number)
{
    CError problem;
    problem.ErrorType = InvalidValue;
    problem.Section = section;
    const std::wstring tag = std::to_wstring(section) + L"-" + std::to_wstring(number);
    problem.Subject = L"C:\\Missing\\file-" + tag + L".dll";
    problem.Reason = L"The value in HKEY_LOCAL_MACHINE\\Software\\Test\\Key-" + tag + L"  contains an invalid path " +
                     problem.Subject;
    problem.Summary = L"The file is missing or invalid.";
    problem.Item.Root = 0x80000002u;
    problem.Item.Hive = L"HKEY_LOCAL_MACHINE";
    problem.Item.SubKey = L"Software\\Test\\Key-" + tag;
    problem.Item.ValueName = L"Value-" + tag;
    problem.Item.ValueData = problem.Subject;
    problem.Item.Type = REG_SZ;
    return problem;
}

CErrorListEx MakeProblems(std::initializer_list<std::pair<int, int>> sectionCounts)
{
    CErrorListEx problems;
    for (const auto& [section, count] : sectionCounts)
        for (int number = 0; number < count; ++number)
            problems.Add(MakeProblem(section, number));
    return problems;
}

CHostWindow::CHostWindow()
    : m_window(::CreateWindowExW(0, L"STATIC", L"Velmora test host", WS_POPUP | WS_VISIBLE, 0, 0, 600, 500, nullptr,
                                 nullptr, ::GetModuleHandleW(nullptr), nullptr))
{
}

CHostWindow::~CHostWindow()
{
    if (m_window)
        ::DestroyWindow(m_window);
}

void Click(HWND window, int x, int y)
{
    ::SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    ::SendMessageW(window, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
}

void MoveMouse(HWND window, int x, int y) { ::SendMessageW(window, WM_MOUSEMOVE, 0, MAKELPARAM(x, y)); }

void TurnWheel(HWND window, int delta)
{
    ::SendMessageW(window, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(static_cast<short>(delta))), 0);
}

void ScrollBar(HWND window, int code) { ::SendMessageW(window, WM_VSCROLL, MAKEWPARAM(code, 0), 0); }

std::optional<std::string> FileBytes(const std::wstring& path)
{
    std::string bytes;
    if (::GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES || !CFile::ReadAll(path, bytes))
        return std::nullopt;
    return bytes;
}

ResultsSandbox::ResultsSandbox() : m_storedBytes(FileBytes(CIgnoredProblemsStore::FilePath()))
{
    ::DeleteFileW(CIgnoredProblemsStore::FilePath().c_str());
}

ResultsSandbox::~ResultsSandbox()
{
    const std::wstring path = CIgnoredProblemsStore::FilePath();
    if (m_storedBytes)
        static_cast<void>(CFile::WriteAll(path, *m_storedBytes));
    else
        ::DeleteFileW(path.c_str());
}

CErrorListEx ResultsSandbox::StoredProblems()
{
    const std::optional<std::string> bytes = FileBytes(CIgnoredProblemsStore::FilePath());
    return bytes ? CIgnoredProblemsStore::ParseProblems(utf16::DecodeLe(*bytes)) : CErrorListEx();
}
