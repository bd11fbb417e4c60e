#include "ui/MainTray.h"

#include "framework/Dialog.h"
#include "res/resource.h"
#include "ui/AppMessages.h"

void CMainTray::Add(HWND window, HICON icon, std::wstring_view tip)
{
    m_window = window;
    // Without a notification area the program still runs; it then cannot hide to the tray
    // usefully, but every other path works.
    static_cast<void>(m_icon.Add(window, kIconId, WM_TRAY_NOTIFY, icon, tip));
    m_menu.reset(::LoadMenuW(CDialogBase::ResourceModule(), MAKEINTRESOURCEW(IDM_TRAY_MENU)));
}

HMENU CMainTray::PrepareMenu()
{
    const HMENU popup = m_menu ? ::GetSubMenu(m_menu.get(), 0) : nullptr;
    if (!popup)
        return nullptr;
    const bool startsWithWindows = IsSettingOn(m_settings, Setting::StartWithWindows);
    ::CheckMenuItem(popup, ID_TRAY_START_WITH_WINDOWS_YES, MF_BYCOMMAND | (startsWithWindows ? MF_CHECKED : 0));
    ::CheckMenuItem(popup, ID_TRAY_START_WITH_WINDOWS_NO, MF_BYCOMMAND | (startsWithWindows ? 0 : MF_CHECKED));
    return popup;
}

void CMainTray::ShowMenu()
{
    POINT cursor{};
    ::GetCursorPos(&cursor);
    ::SetForegroundWindow(m_window);
    if (const HMENU popup = PrepareMenu())
        ::TrackPopupMenu(popup, TPM_RIGHTALIGN, cursor.x, cursor.y, 0, m_window, nullptr);
    // Without a message after the menu, it would not close when the user clicks elsewhere.
    ::PostMessageW(m_window, WM_NULL, 0, 0);
}

void CMainTray::ShowAndActivateWindow() const
{
    ::ShowWindow(m_window, SW_SHOWNORMAL);
    ::SetForegroundWindow(m_window);
}

bool CMainTray::HideWindowIfChosen() const
{
    if (!IsSettingOn(m_settings, Setting::HideToTrayOnClose))
        return false;
    ::ShowWindow(m_window, SW_HIDE);
    return true;
}

void CMainTray::SetStartWithWindows(bool on)
{
    m_settings.WriteSetting(SettingName(Setting::StartWithWindows), OnOffText(on));
    m_settings.SetStartWithWindowsEntry(on);
}

bool CMainTray::OnMessage(UINT message, LPARAM lParam)
{
    // Explorer restarted: its new taskbar has none of the old icons.
    const UINT taskbarCreated = CTrayIcon::TaskbarCreatedMessage();
    if (taskbarCreated != 0 && message == taskbarCreated) {
        static_cast<void>(m_icon.AddAgain());
        return true;
    }
    if (message != WM_TRAY_NOTIFY)
        return false;
    if (lParam == WM_LBUTTONDBLCLK)
        ShowAndActivateWindow();
    else if (lParam == WM_RBUTTONUP)
        ShowMenu();
    return true;
}

bool CMainTray::OnCommand(WORD id)
{
    switch (id) {
    case ID_TRAY_OPEN:
        ShowAndActivateWindow();
        return true;
    case ID_TRAY_START_WITH_WINDOWS_YES:
        SetStartWithWindows(true);
        return true;
    case ID_TRAY_START_WITH_WINDOWS_NO:
        SetStartWithWindows(false);
        return true;
    default:
        return false;
    }
}
