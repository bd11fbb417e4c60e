#include "controls/BitmapButtonEx.h"

#include <utility>

#include "controls/DpiScale.h"
#include "controls/FocusMark.h"
#include "controls/ParentBackground.h"
#include "framework/Dialog.h"

namespace {

// Inside the face's rounded border.
constexpr int kFocusMarkInset = 3;

UniqueGdiObject<HBITMAP> LoadBitmapResource(UINT id)
{
    return UniqueGdiObject<HBITMAP>(static_cast<HBITMAP>(
        ::LoadImageW(CDialogBase::ResourceModule(), MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR)));
}

}  // namespace

CBitmapButtonEx::CBitmapButtonEx()
    : m_handCursor(::LoadCursorW(nullptr, IDC_HAND)), m_arrowCursor(::LoadCursorW(nullptr, IDC_ARROW))
{
}

bool CBitmapButtonEx::SetStateBitmaps(COLORREF transparent, HBITMAP normal, HBITMAP pressed, HBITMAP hover,
                                      HBITMAP disabled)
{
    const std::array<HBITMAP, 4> incoming{normal, pressed, hover, disabled};
    const auto alreadyOwned = [this](HBITMAP handle) {
        for (const auto& previous : m_owned) {
            if (previous.get() == handle)
                return true;
        }
        return false;
    };
    // Each distinct handle is claimed once, so that it is freed exactly once whatever is passed.
    std::array<UniqueGdiObject<HBITMAP>, 4> owned;
    for (size_t i = 0; i < incoming.size(); ++i) {
        bool seen = false;
        for (size_t j = 0; j < i; ++j)
            seen = seen || incoming[j] == incoming[i];
        if (incoming[i] && !seen && !(normal == nullptr && alreadyOwned(incoming[i])))
            owned[i].reset(incoming[i]);
    }
    if (!normal)
        return false;  // nothing changes; `owned` frees what was handed over
    // A handle handed over again moves from its old claim to the new one.
    for (auto& previous : m_owned) {
        for (const auto& claim : owned) {
            if (previous && previous.get() == claim.get()) {
                static_cast<void>(previous.release());
                break;
            }
        }
    }
    m_owned = std::move(owned);
    m_bitmaps = incoming;
    m_transparent = transparent;
    Redraw();
    return true;
}

bool CBitmapButtonEx::LoadStateBitmaps(COLORREF transparent, UINT normalId, UINT otherId)
{
    auto normal = LoadBitmapResource(normalId);
    if (!normal)
        return false;
    if (otherId == 0 || otherId == normalId) {
        const HBITMAP shared = normal.release();
        return SetStateBitmaps(transparent, shared, shared, shared, shared);
    }
    auto other = LoadBitmapResource(otherId);
    if (!other)
        return false;
    const HBITMAP otherHandle = other.release();
    return SetStateBitmaps(transparent, normal.release(), otherHandle, otherHandle, otherHandle);
}

void CBitmapButtonEx::SizeToNormalBitmap()
{
    BITMAP info{};
    if (!m_hWnd || !m_bitmaps[0] || ::GetObjectW(m_bitmaps[0], sizeof(info), &info) != sizeof(info))
        return;
    const CDpiScale scale = CDpiScale::OfWindow(m_hWnd);
    ::SetWindowPos(m_hWnd, nullptr, 0, 0, scale.Px(info.bmWidth), scale.Px(info.bmHeight),
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CBitmapButtonEx::SetCaption(std::wstring caption)
{
    m_caption = std::move(caption);
    Redraw();
}

void CBitmapButtonEx::SetCaptionRect(const RECT& rect)
{
    m_captionRect = rect;
    m_captionRectSet = true;
    Redraw();
}

void CBitmapButtonEx::SetCaptionFont(int points, UINT format)
{
    const CDpiScale scale = CDpiScale::OfWindow(m_hWnd);
    auto font = CreateArial(points, FW_NORMAL, false, scale);
    auto underlined = CreateArial(points, FW_NORMAL, true, scale);
    if (font && underlined) {
        m_font = std::move(font);
        m_underlinedFont = std::move(underlined);
        m_captionPoints = points;
    }
    m_format = format;
    Redraw();
}

void CBitmapButtonEx::FollowDpi()
{
    const int dpi = CDpiScale::OfWindow(m_hWnd).Dpi();
    if (dpi == m_dpi)
        return;
    if (m_captionRectSet) {
        const auto scaled = [this, dpi](LONG pixels) { return ::MulDiv(pixels, dpi, m_dpi); };
        m_captionRect = {scaled(m_captionRect.left), scaled(m_captionRect.top), scaled(m_captionRect.right),
                         scaled(m_captionRect.bottom)};
    }
    if (m_captionPoints > 0) {
        m_dpi = dpi;
        SetCaptionFont(m_captionPoints, m_format);
        return;
    }
    // Copies of the button's own font, when it was drawn already.
    auto font = RescaleFont(m_font.get(), m_dpi, dpi);
    auto underlined = RescaleFont(m_underlinedFont.get(), m_dpi, dpi);
    if (font && underlined) {
        m_font = std::move(font);
        m_underlinedFont = std::move(underlined);
    }
    m_dpi = dpi;
    Redraw();
}

void CBitmapButtonEx::EnsureFonts()
{
    if (m_font && m_underlinedFont)
        return;
    // Until a caption font is chosen the button's own font is used, copied so that the
    // underlined variant can be made from it.
    auto current = m_hWnd ? reinterpret_cast<HFONT>(::SendMessageW(m_hWnd, WM_GETFONT, 0, 0)) : nullptr;
    if (!current)
        current = static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
    LOGFONTW description{};
    if (::GetObjectW(current, sizeof(description), &description) != sizeof(description))
        return;
    description.lfUnderline = FALSE;
    m_font.reset(::CreateFontIndirectW(&description));
    description.lfUnderline = TRUE;
    m_underlinedFont.reset(::CreateFontIndirectW(&description));
}

void CBitmapButtonEx::Redraw()
{
    if (m_hWnd)
        ::InvalidateRect(m_hWnd, nullptr, FALSE);
}

void CBitmapButtonEx::RedrawParentBehind()
{
    const HWND parent = ::GetParent(m_hWnd);
    if (!parent)
        return;
    RECT area{};
    ::GetWindowRect(m_hWnd, &area);
    ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&area), 2);
    ::RedrawWindow(parent, &area, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void CBitmapButtonEx::OnAttached()
{
    CCtrlButton::OnAttached();
    m_dpi = CDpiScale::OfWindow(m_hWnd).Dpi();
    const LONG_PTR style = ::GetWindowLongPtrW(m_hWnd, GWL_STYLE);
    ::SetWindowLongPtrW(m_hWnd, GWL_STYLE, (style & ~static_cast<LONG_PTR>(BS_TYPEMASK)) | BS_OWNERDRAW);
    // Without the reflection the parent would receive WM_DRAWITEM and nothing would be drawn.
    static_cast<void>(m_reflector.Start(m_hWnd, *this));
    Redraw();
}

CBitmapButtonEx::State CBitmapButtonEx::ChooseState(UINT itemState) const
{
    if ((itemState & ODS_SELECTED) && m_bitmaps[static_cast<size_t>(State::Pressed)])
        return State::Pressed;
    if (m_hovered)
        return State::Hover;
    if (itemState & ODS_DISABLED)
        return State::Disabled;
    return State::Normal;
}

COLORREF CBitmapButtonEx::ChooseCaptionColor(UINT itemState) const
{
    if (ChooseState(itemState) == State::Disabled && m_bitmaps[static_cast<size_t>(State::Disabled)])
        return ::GetSysColor(COLOR_GRAYTEXT);
    return kCaptionColor;
}

void CBitmapButtonEx::DrawItem(const DRAWITEMSTRUCT& item)
{
    const HDC dc = item.hDC;
    const RECT& bounds = item.rcItem;
    // Transparent parts show the window behind, whatever the button showed before.
    static_cast<void>(PaintParentBackground(m_hWnd, dc, bounds));
    if (const HBITMAP bitmap = m_bitmaps[static_cast<size_t>(ChooseState(item.itemState))]) {
        BITMAP info{};
        UniqueMemoryDc source(::CreateCompatibleDC(dc));
        if (source && ::GetObjectW(bitmap, sizeof(info), &info) == sizeof(info)) {
            SelectObjectGuard selected(source.get(), bitmap);
            ::TransparentBlt(dc, bounds.left, bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top,
                             source.get(), 0, 0, info.bmWidth, info.bmHeight, m_transparent);
        }
    }
    DrawFocusMark(m_hWnd, (item.itemState & ODS_FOCUS) && !(item.itemState & ODS_NOFOCUSRECT), dc, bounds,
                  kFocusMarkInset);
    if (m_caption.empty())
        return;
    EnsureFonts();
    const HFONT font = m_hovered ? m_underlinedFont.get() : m_font.get();
    const int oldMode = ::SetBkMode(dc, TRANSPARENT);
    const COLORREF oldColor = ::SetTextColor(dc, ChooseCaptionColor(item.itemState));
    RECT area = m_captionRectSet ? m_captionRect : bounds;
    {
        SelectObjectGuard selected(dc, font ? static_cast<HGDIOBJ>(font) : ::GetStockObject(DEFAULT_GUI_FONT));
        ::DrawTextW(dc, m_caption.c_str(), static_cast<int>(m_caption.size()), &area, m_format);
    }
    ::SetTextColor(dc, oldColor);
    ::SetBkMode(dc, oldMode);
}

bool CBitmapButtonEx::OnReflectedMessage(UINT message, WPARAM, LPARAM lParam, LRESULT& result)
{
    if (message != WM_DRAWITEM)
        return false;
    DrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
    result = TRUE;
    return true;
}

void CBitmapButtonEx::CheckHoverEnded()
{
    const DWORD position = ::GetMessagePos();
    POINT point{static_cast<short>(LOWORD(position)), static_cast<short>(HIWORD(position))};
    ::ScreenToClient(m_hWnd, &point);
    RECT client{};
    ::GetClientRect(m_hWnd, &client);
    if (::PtInRect(&client, point))
        return;
    m_hovered = false;
    ::KillTimer(m_hWnd, kHoverTimerId);
    Redraw();
}

LRESULT CBitmapButtonEx::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_MOUSEMOVE:
        if (!m_hovered) {
            m_hovered = true;
            Redraw();
            ::SetTimer(m_hWnd, kHoverTimerId, kHoverPollMs, nullptr);
        }
        ::SetCursor(m_handCursor);
        break;
    case WM_SETCURSOR:
        // Without this the class cursor would flash between the moves that set the hand.
        if (m_hovered && LOWORD(lParam) == HTCLIENT) {
            ::SetCursor(m_handCursor);
            return TRUE;
        }
        break;
    case WM_MOUSELEAVE:
        ::SetCursor(m_arrowCursor);
        break;
    case WM_TIMER:
        if (wParam == kHoverTimerId) {
            CheckHoverEnded();
            return 0;
        }
        break;
    case WM_ERASEBKGND:
        // The drawing paints the background behind the button itself; the button
        // class would fill it with the system's button colour.
        return TRUE;
    case WM_ENABLE: {
        // A disabled state without a bitmap draws nothing, so what lies behind must show.
        // After the button's own handling, which may repaint at once.
        const LRESULT result = CCtrlButton::WindowProc(message, wParam, lParam);
        RedrawParentBehind();
        return result;
    }
    case WM_UPDATEUISTATE: {
        // The focus mark shows or hides with the window's keyboard cues.
        const LRESULT result = CCtrlButton::WindowProc(message, wParam, lParam);
        Redraw();
        return result;
    }
    case WM_GETFONT:
        // The font the caption is painted in, so that what asks measures what shows.
        if (m_font)
            return reinterpret_cast<LRESULT>(m_font.get());
        break;
    case kDpiChangedAfterParent:
        FollowDpi();
        return 0;
    case BM_SETSTYLE:
        // The dialog manager toggles default-button styles; the button must stay owner-drawn.
        return DefaultProc(message, (wParam & ~static_cast<WPARAM>(BS_TYPEMASK)) | BS_OWNERDRAW, lParam);
    case WM_NCDESTROY:
        m_reflector.Stop();
        ::KillTimer(m_hWnd, kHoverTimerId);
        m_hovered = false;
        break;
    default:
        break;
    }
    return CCtrlButton::WindowProc(message, wParam, lParam);
}
