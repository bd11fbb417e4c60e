#pragma once
// The program's icon in the notification area, and the menu it opens. The icon is
// removed when its owner goes away, so no way of ending the program leaves it behind.

#include "framework/Handles.h"

#include <windows.h>

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
    // Idempotent.
    void Remove();
    [[nodiscard]] bool IsAdded() const { return m_window != nullptr; }

private:
    HWND m_window = nullptr;
    UINT m_id = 0;
};
