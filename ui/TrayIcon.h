#pragma once
// The program's icon in the notification area, and the menu it opens. The icon is
// removed when its owner goes away, so no way of ending the program leaves it behind.

#include "framework/Handles.h"

#include <windows.h>

#include <string>
#include <string_view>

namespace handle_traits {
struct Menu {
    using Handle = HMENU;
    static Handle Empty() { return nullptr; }
    static bool IsValid(Handle h) { return h != nullptr; }
    static void Release(Handle h) { ::DestroyMenu(h); }
};
}  // namespace handle_traits
using UniqueMenu = UniqueResource<handle_traits::Menu>;

class CTrayIcon {
public:
    CTrayIcon() = default;
    ~CTrayIcon() { Remove(); }
    CTrayIcon(const CTrayIcon&) = delete;
    CTrayIcon& operator=(const CTrayIcon&) = delete;

    // Adds the icon; the window then receives callbackMessage with wParam = id and
    // lParam = the mouse message. The tip is cut to 255 characters. False when the shell
    // refuses (the program goes on without an icon). An icon already added is removed first.
    [[nodiscard]] bool Add(HWND window, UINT id, UINT callbackMessage, HICON icon, std::wstring_view tip);
    // Idempotent; the icon is not added back after it.
    void Remove();
    [[nodiscard]] bool IsAdded() const { return m_window != nullptr; }

    // The message a restarted taskbar broadcasts (Explorer lost every icon with it).
    [[nodiscard]] static UINT TaskbarCreatedMessage();
    // On that message: adds the icon again as it was last asked for, also when the
    // taskbar refused it then; nothing after Remove or before any Add.
    bool AddAgain();

private:
    bool AddToShell();

    HWND m_window = nullptr;
    UINT m_id = 0;
    // What the last Add asked for, until Remove.
    HWND m_owner = nullptr;
    UINT m_callbackMessage = 0;
    HICON m_icon = nullptr;
    std::wstring m_tip;
};
