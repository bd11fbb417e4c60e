#include "controls/WindowText.h"

#include <vector>

std::wstring ReadWindowText(HWND window)
{
    if (!window)
        return {};
    const int length = ::GetWindowTextLengthW(window);
    std::vector<wchar_t> buffer(static_cast<size_t>(length > 0 ? length : 0) + 1, L'\0');
    const int copied = ::GetWindowTextW(window, buffer.data(), static_cast<int>(buffer.size()));
    return std::wstring(buffer.data(), static_cast<size_t>(copied > 0 ? copied : 0));
}
