#include "controls/BitmapDialog.h"

#include <algorithm>
#include <array>
#include <utility>

namespace {

bool IsStaticControl(HWND control)
{
    std::array<wchar_t, 16> className{};
    return ::GetClassNameW(control, className.data(), static_cast<int>(className.size())) > 0 &&
           ::lstrcmpiW(className.data(), L"Static") == 0;
}

}  // namespace

void CBitmapDialog::SetUpSkinnedWindow(UINT bitmapId, int width, int height, int centringHeight)
{
    static_cast<void>(SetSkinBitmap(bitmapId));
    SetTransparentColor(RGB(255, 0, 255));
    SetTransparentLabels(true);
    SetDragEnabled(true);
    const CDpiScale scale = Scale();
    ::SetWindowPos(m_hWnd, nullptr, (::GetSystemMetrics(SM_CXFULLSCREEN) - scale.Px(width)) / 2,
                   (::GetSystemMetrics(SM_CYFULLSCREEN) - scale.Px(centringHeight)) / 2, scale.Px(width),
                   scale.Px(height), SWP_NOZORDER | SWP_NOACTIVATE);
}

bool CBitmapDialog::SetSkinBitmap(UINT resourceId)
{
    m_skin.reset();
    m_skinSize = {};
    m_skinId = resourceId;
    m_skin = LoadScaledBitmap(resourceId, Scale());
    if (!m_skin)
        return false;
    BITMAP info{};
    if (::GetObjectW(m_skin.get(), sizeof(info), &info) != sizeof(info)) {
        m_skin.reset();
        return false;
    }
    m_skinSize = {info.bmWidth, info.bmHeight};
    if (m_hWnd)
        ::InvalidateRect(m_hWnd, nullptr, TRUE);
    return true;
}

void CBitmapDialog::PaintBackground(HDC dc) const
{
    RECT client{};
    ::GetClientRect(m_hWnd, &client);
    UniqueMemoryDc source(::CreateCompatibleDC(dc));
    if (!source)
        return;
    SelectObjectGuard selected(source.get(), m_skin.get());
    const int width = m_skinSize.cx;
    const int height = m_skinSize.cy;
    ::BitBlt(dc, 0, 0, std::min<int>(client.right, width), std::min<int>(client.bottom, height), source.get(), 0, 0,
             SRCCOPY);
    // A window taller or wider than its bitmap would show whatever lies beyond the
    // bitmap's edge; the last row and column are stretched over that part instead.
    const int coveredWidth = std::min<int>(client.right, width);
    const int coveredHeight = std::min<int>(client.bottom, height);
    if (client.bottom > height)
        ::StretchBlt(dc, 0, height, coveredWidth, client.bottom - height, source.get(), 0, height - 1, coveredWidth,
                     1, SRCCOPY);
    if (client.right > width)
        ::StretchBlt(dc, width, 0, client.right - width, coveredHeight, source.get(), width - 1, 0, 1,
                     coveredHeight, SRCCOPY);
    if (client.right > width && client.bottom > height)
        ::StretchBlt(dc, width, height, client.right - width, client.bottom - height, source.get(), width - 1,
                     height - 1, 1, 1, SRCCOPY);
}

void CBitmapDialog::LayOutFor(int dpi, const RECT* suggested)
{
    const int oldDpi = Scale().Dpi();
    CDpiScale::Adopt(m_hWnd, CDpiScale(dpi));
    if (dpi == oldDpi)
        return;
    const auto scaled = [dpi, oldDpi](LONG pixels) { return ::MulDiv(pixels, dpi, oldDpi); };
    // Every control scales from where it is, whether the template or the window put it
    // there; edges are scaled rather than sizes, so neighbours stay neighbours.
    const auto usedFont = reinterpret_cast<HFONT>(::SendMessageW(m_hWnd, WM_GETFONT, 0, 0));
    UniqueGdiObject<HFONT> font = RescaleFont(usedFont, oldDpi, dpi);
    for (HWND child = ::GetWindow(m_hWnd, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        RECT place{};
        ::GetWindowRect(child, &place);
        ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&place), 2);
        ::SetWindowPos(child, nullptr, scaled(place.left), scaled(place.top), scaled(place.right) - scaled(place.left),
                       scaled(place.bottom) - scaled(place.top), SWP_NOZORDER | SWP_NOACTIVATE);
        if (font && usedFont && reinterpret_cast<HFONT>(::SendMessageW(child, WM_GETFONT, 0, 0)) == usedFont)
            ::SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), FALSE);
    }
    // The font the controls used goes only now that none uses it.
    if (font)
        m_rescaledFont = std::move(font);
    if (m_skinId)
        static_cast<void>(SetSkinBitmap(m_skinId));
    RECT window{};
    ::GetWindowRect(m_hWnd, &window);
    const RECT place = suggested ? *suggested
                                 : RECT{window.left, window.top, window.left + scaled(window.right - window.left),
                                        window.top + scaled(window.bottom - window.top)};
    ::SetWindowPos(m_hWnd, nullptr, place.left, place.top, place.right - place.left, place.bottom - place.top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
    // The skinned controls make their fonts and pictures again for the new DPI.
    for (HWND child = ::GetWindow(m_hWnd, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
        ::SendMessageW(child, kDpiChangedAfterParent, 0, 0);
    OnDpiChanged();
    ::RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

bool CBitmapDialog::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    switch (message) {
    case WM_DPICHANGED:
        LayOutFor(LOWORD(wParam), reinterpret_cast<const RECT*>(lParam));
        result = 0;
        return true;
    case WM_GETFONT:
        // After a move to another DPI, the template's font made for it.
        if (!m_rescaledFont)
            return false;
        result = reinterpret_cast<LRESULT>(m_rescaledFont.get());
        return true;
    case WM_NCDESTROY:
        CDpiScale::Forget(m_hWnd);
        m_rescaledFont.reset();
        return false;
    case WM_ERASEBKGND:
        if (!m_skin)
            return false;
        PaintBackground(reinterpret_cast<HDC>(wParam));
        result = TRUE;
        return true;
    case WM_CTLCOLORSTATIC: {
        // Only real labels: read-only and disabled edit boxes send this message too, and
        // a hollow brush would leave their old text on screen when it changes.
        const auto control = reinterpret_cast<HWND>(lParam);
        if (!m_transparentLabels || !IsStaticControl(control))
            return false;
        const auto dc = reinterpret_cast<HDC>(wParam);
        ::SetTextColor(dc, ::GetSysColor(COLOR_WINDOWTEXT));
        ::SetBkMode(dc, TRANSPARENT);
        result = reinterpret_cast<LRESULT>(::GetStockObject(NULL_BRUSH));
        return true;
    }
    case WM_LBUTTONDOWN:
        if (m_dragEnabled) {
            // WM_NCLBUTTONDOWN carries screen coordinates.
            POINT point{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
            ::ClientToScreen(m_hWnd, &point);
            ::PostMessageW(m_hWnd, WM_NCLBUTTONDOWN, HTCAPTION, MAKELPARAM(point.x, point.y));
        }
        return false;
    default:
        return false;
    }
}
