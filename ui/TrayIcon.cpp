#include "ui/TrayIcon.h"

#include <shellapi.h>

#include <algorithm>

namespace {

// The version-3 layout (without the balloon icon and GUID), which every shell since
// Windows 2000 accepts.
constexpr DWORD kNotifyIconDataSize = NOTIFYICONDATAW_V3_SIZE;

}  // namespace

bool CTrayIcon::Add(HWND window, UINT id, UINT callbackMessage, HICON icon, std::wstring_view tip)
{
    Remove();
    NOTIFYICONDATAW data{};
    data.cbSize = kNotifyIconDataSize;
    data.hWnd = window;
    data.uID = id;
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data.uCallbackMessage = callbackMessage;
    data.hIcon = icon;
    const size_t chars = std::min(tip.size(), std::size(data.szTip) - 1);
    std::copy_n(tip.begin(), chars, data.szTip);
    if (!::Shell_NotifyIconW(NIM_ADD, &data))
        return false;
    m_window = window;
    m_id = id;
    return true;
}

void CTrayIcon::Remove()
{
    if (!m_window)
        return;
    NOTIFYICONDATAW data{};
    data.cbSize = kNotifyIconDataSize;
    data.hWnd = m_window;
    data.uID = m_id;
    ::Shell_NotifyIconW(NIM_DELETE, &data);
    m_window = nullptr;
    m_id = 0;
}
