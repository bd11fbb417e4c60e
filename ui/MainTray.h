#pragma once
// The main window's icon in the notification area: its menu (with the start-with-Windows
// marks read from the setting), what a click on it does, the icon put back after the
// taskbar restarts, and the hiding of the window to the tray when the setting asks for it.

#include "ui/SettingsService.h"
#include "ui/TrayIcon.h"

#include <windows.h>

#include <string_view>

class CMainTray {
public:
    static constexpr UINT kIconId = 227;

    explicit CMainTray(ISettingsService& settings) : m_settings(settings) {}

    // Adds the icon (the program runs on without one when the shell refuses) and loads the menu.
    void Add(HWND window, HICON icon, std::wstring_view tip);
    void Remove() { m_icon.Remove(); }
    [[nodiscard]] bool IsAdded() const { return m_icon.IsAdded(); }

    // The menu's popup with its start-with-Windows marks set from the setting, as it is
    // about to be shown; null without a menu.
    [[nodiscard]] HMENU PrepareMenu();
    void ShowAndActivateWindow() const;
    // Hides the window when the setting "ShowInTaskbarOnClose" asks for it; false when it
    // does not.
    bool HideWindowIfChosen() const;

    // The icon's mouse messages and the taskbar's restart; false for every other message.
    bool OnMessage(UINT message, LPARAM lParam);
    // The menu's own commands (open, start with Windows); false for the others.
    bool OnCommand(WORD id);

private:
    void ShowMenu();
    void SetStartWithWindows(bool on);

    ISettingsService& m_settings;
    HWND m_window = nullptr;
    CTrayIcon m_icon;
    UniqueMenu m_menu;
};
