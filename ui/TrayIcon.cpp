#include "ui/TrayIcon.h"

#include <shellapi.h>

#include <algorithm>
#include <utility>

namespace {

// The version-3 layout (without the balloon icon and GUID), which every shell since
// Windows 2000 accepts.
constexpr DWORD kNotifyIconDataSize = NOTIFYICONDATAW_V3_SIZE;

}  // namespace

bool CTrayIcon::Add(HWND window, UINT id, UINT callbackMessage, HICON icon, std::wstring_view tip)
{
    Remove();
    m_owner = window;
    m_id = id;
    m_callbackMessage = callbackMessage;
    m_icon = icon;
    m_tip.assign(tip.substr(0, std::size(NOTIFYICONDATAW{}.szTip) - 1));
    return AddToShell();
}

bool CTrayIcon::AddAgain()
{
    if (!m_owner)
        return false;
    m_window = nullptr;  // the old icon went with the old taskbar
    return AddToShell();
}

bool CTrayIcon::AddToShell()
{
    NOTIFYICONDATAW data{};
    data.cbSize = kNotifyIconDataSize;
    data.hWnd = m_owner;
    data.uID = m_id;
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data.uCallbackMessage = m_callbackMessage;
    data.hIcon = m_icon;
    std::copy(m_tip.begin(), m_tip.end(), data.szTip);
    if (!::Shell_NotifyIconW(NIM_ADD, &data))
        return false;
    m_window = m_owner;
    return true;
}

void CTrayIcon::Remove()
{
    const HWND added = std::exchange(m_window, nullptr);
    m_owner = nullptr;
    if (!added)
        return;
    NOTIFYICONDATAW data{};
    data.cbSize = kNotifyIconDataSize;
    data.hWnd = added;
    data.uID = m_id;
    ::Shell_NotifyIconW(NIM_DELETE, &data);
}

UINT CTrayIcon::TaskbarCreatedMessage()
{
    static const UINT message = ::RegisterWindowMessageW(L"TaskbarCreated");
    return message;
}
