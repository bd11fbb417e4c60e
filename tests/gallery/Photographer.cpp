#include "tests/gallery/Photographer.h"

#include <utility>

#include "controls/CheckBox.h"
#include "controls/DpiScale.h"
#include "tests/controls/Capture.h"

namespace {

std::vector<HWND> ButtonsOf(HWND window)
{
    std::vector<HWND> buttons;
    ::EnumChildWindows(
        window,
        [](HWND child, LPARAM list) {
            wchar_t name[16] = {};
            ::GetClassNameW(child, name, 16);
            if (lstrcmpiW(name, L"Button") == 0)
                reinterpret_cast<std::vector<HWND>*>(list)->push_back(child);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&buttons));
    return buttons;
}

bool IsCheckBox(HWND button)
{
    RECT place{};
    ::GetWindowRect(button, &place);
    return place.right - place.left == CDpiScale::OfWindow(button).Px(CCheckBox::kBoxSize);
}

}  // namespace

CPhotographer::CPhotographer(std::wstring folder) : m_folder(std::move(folder)) {}

void CPhotographer::Take(HWND window, const std::wstring& name)
{
    // Without a window manager a covered part of a window reads back black.
    ::SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
    PaintNow(window);
    const Capture capture = CaptureClient(window);
    const std::wstring path = m_folder + L"\\" + name + L".bmp";
    if (capture.width > 0 && SaveBmp(capture, path))
        m_written.push_back(path);
    else
        m_failed.push_back(name);
}

void CPhotographer::TakeStates(HWND window, const std::wstring& name)
{
    // Nothing is pumped between a state and its picture, so the pointer's absence cannot
    // end the hover before it is photographed; each state adds to the one before.
    Take(window, name + L"-normal");
    const std::vector<HWND> buttons = ButtonsOf(window);
    for (const HWND button : buttons)
        ::SendMessageW(button, WM_MOUSEMOVE, 0, MAKELPARAM(2, 2));
    Take(window, name + L"-hover");
    for (const HWND button : buttons) {
        if (IsCheckBox(button))
            ::SendMessageW(button, WM_KEYDOWN, VK_SPACE, 0);
        else
            ::SendMessageW(button, BM_SETSTATE, TRUE, 0);
    }
    Take(window, name + L"-pressed");
    for (const HWND button : buttons)
        ::EnableWindow(button, FALSE);
    Take(window, name + L"-disabled");
}

void CPhotographer::Missed(const std::wstring& name) { m_failed.push_back(name); }
