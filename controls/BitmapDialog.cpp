#include "controls/BitmapDialog.h"

#include <algorithm>
#include <array>

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
    ::SetWindowPos(m_hWnd, nullptr, (::GetSystemMetrics(SM_CXFULLSCREEN) - width) / 2,
                   (::GetSystemMetrics(SM_CYFULLSCREEN) - centringHeight) / 2, width, height,
                   SWP_NOZORDER | SWP_NOACTIVATE);
}

bool CBitmapDialog::SetSkinBitmap(UINT resourceId)
{
    m_skin.reset();
    m_skinSize = {};
    m_skin.reset(static_cast<HBITMAP>(
        ::LoadImageW(ResourceModule(), MAKEINTRESOURCEW(resourceId), IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR)));
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

bool CBitmapDialog::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    switch (message) {
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
