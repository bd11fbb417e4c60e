#include "controls/XColorStatic.h"

#include "controls/DpiScale.h"

#include <utility>

#include "controls/WindowText.h"

CXColorStatic::CXColorStatic()
    : m_textColor(::GetSysColor(COLOR_BTNTEXT)),
      m_backgroundColor(::GetSysColor(COLOR_BTNFACE)),
      m_backgroundBrush(::CreateSolidBrush(m_backgroundColor))
{
}

void CXColorStatic::OnAttached()
{
    ::SetWindowLongPtrW(m_hWnd, GWL_EXSTYLE, ::GetWindowLongPtrW(m_hWnd, GWL_EXSTYLE) | WS_EX_TRANSPARENT);
    ::SetWindowLongPtrW(m_hWnd, GWL_STYLE, ::GetWindowLongPtrW(m_hWnd, GWL_STYLE) | SS_NOTIFY);
    HGDIOBJ source = reinterpret_cast<HGDIOBJ>(::SendMessageW(m_hWnd, WM_GETFONT, 0, 0));
    if (!source)
        source = ::GetStockObject(DEFAULT_GUI_FONT);
    if (!source)
        source = ::GetStockObject(ANSI_VAR_FONT);
    LOGFONTW description{};
    if (source && ::GetObjectW(source, sizeof(description), &description) == sizeof(description))
        m_font.reset(::CreateFontIndirectW(&description));
    m_fontDpi = CDpiScale::OfWindow(m_hWnd).Dpi();
    m_windowText = ReadWindowText(m_hWnd);
    Redraw();
}

void CXColorStatic::SetTextFont(int points, int weight)
{
    const CDpiScale scale = CDpiScale::OfWindow(m_hWnd);
    UniqueGdiObject<HFONT> font = CreateArial(points, weight, false, scale);
    if (font) {
        m_font = std::move(font);
        m_fontDpi = scale.Dpi();
    }
    Redraw();
}

void CXColorStatic::FollowDpi()
{
    const int dpi = CDpiScale::OfWindow(m_hWnd).Dpi();
    if (dpi == m_fontDpi || !m_font)
        return;
    if (auto font = RescaleFont(m_font.get(), m_fontDpi, dpi)) {
        m_font = std::move(font);
        m_fontDpi = dpi;
    }
    Redraw();
}

void CXColorStatic::SetStaticText(std::wstring text)
{
    m_storedText = std::move(text);
    m_useStoredText = true;
    Redraw();
    CAccessibleHost::Notify(m_hWnd, EVENT_OBJECT_NAMECHANGE);
}

void CXColorStatic::SetAccessibleCaption(std::wstring caption)
{
    m_caption = std::move(caption);
    CAccessibleHost::Notify(m_hWnd, EVENT_OBJECT_NAMECHANGE);
}

std::wstring CXColorStatic::GetAccessibleName() const
{
    const std::wstring text = GetDisplayedText();
    if (m_caption.empty())
        return text;
    if (text.empty())
        return m_caption;
    // A caption written as "Scaricati:" already has its colon.
    return m_caption + (m_caption.back() == L':' ? L" " : L": ") + text;
}

long CXColorStatic::AccessibleRole(long) const { return ROLE_SYSTEM_STATICTEXT; }

std::wstring CXColorStatic::AccessibleName(long) const { return GetAccessibleName(); }

long CXColorStatic::AccessibleState(long) const { return STATE_SYSTEM_READONLY; }

void CXColorStatic::ClickLabelledControl(LPARAM point)
{
    RECT client{};
    ::GetClientRect(m_hWnd, &client);
    const POINT at{static_cast<short>(LOWORD(point)), static_cast<short>(HIWORD(point))};
    if (m_labelFor && ::IsWindowEnabled(m_labelFor) && ::PtInRect(&client, at))
        ::SendMessageW(m_labelFor, BM_CLICK, 0, 0);
}

void CXColorStatic::SetTextColor(COLORREF color)
{
    m_textColor = color;
    Redraw();
}

void CXColorStatic::SetBackgroundColor(COLORREF color)
{
    UniqueGdiObject<HBRUSH> brush(::CreateSolidBrush(color));
    if (!brush)
        return;
    m_backgroundColor = color;
    m_backgroundBrush = std::move(brush);
    Redraw();
}

std::wstring CXColorStatic::GetDisplayedText() const
{
    return m_useStoredText ? m_storedText : m_windowText;
}

bool CXColorStatic::IsTransparent() const
{
    return m_hWnd && (::GetWindowLongPtrW(m_hWnd, GWL_EXSTYLE) & WS_EX_TRANSPARENT) != 0;
}

UINT CXColorStatic::GetDrawFormat() const
{
    const LONG_PTR style = m_hWnd ? ::GetWindowLongPtrW(m_hWnd, GWL_STYLE) : 0;
    // Labels show paths and names verbatim: an ampersand is never a mnemonic here.
    UINT format = DT_NOPREFIX;
    switch (style & SS_TYPEMASK) {
    case SS_CENTER:
        format |= DT_CENTER;
        break;
    case SS_RIGHT:
        format |= DT_RIGHT;
        break;
    default:
        format |= DT_LEFT;
        break;
    }
    // A text that may be longer than the label (a path, say) ends in an ellipsis, on one line.
    if ((style & SS_ELLIPSISMASK) == SS_ENDELLIPSIS)
        return format | DT_END_ELLIPSIS | DT_SINGLELINE | ((style & SS_CENTERIMAGE) ? DT_VCENTER : 0);
    format |= (style & SS_CENTERIMAGE) ? (DT_VCENTER | DT_SINGLELINE) : DT_WORDBREAK;
    return format;
}

void CXColorStatic::Redraw()
{
    if (!m_hWnd)
        return;
    const HWND parent = ::GetParent(m_hWnd);
    if (!IsTransparent() || !parent) {
        ::InvalidateRect(m_hWnd, nullptr, TRUE);
        return;
    }
    RECT area{};
    ::GetWindowRect(m_hWnd, &area);
    ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&area), 2);
    ::RedrawWindow(parent, &area, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void CXColorStatic::Paint()
{
    PAINTSTRUCT paint{};
    const HDC dc = ::BeginPaint(m_hWnd, &paint);
    if (!dc)
        return;
    RECT client{};
    ::GetClientRect(m_hWnd, &client);
    ::SetTextColor(dc, m_textColor);
    if (IsTransparent()) {
        ::SetBkMode(dc, TRANSPARENT);
    } else {
        ::SetBkMode(dc, OPAQUE);
        ::SetBkColor(dc, m_backgroundColor);
    }
    {  // the font goes back into the DC before the painting ends
        const std::wstring text = GetDisplayedText();
        RECT area = client;
        SelectObjectGuard selected(dc, m_font ? static_cast<HGDIOBJ>(m_font.get())
                                              : ::GetStockObject(DEFAULT_GUI_FONT));
        ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &area, GetDrawFormat());
    }
    ::EndPaint(m_hWnd, &paint);
}

LRESULT CXColorStatic::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (LRESULT answer = 0; m_accessible.OnMessage(m_hWnd, message, wParam, lParam, answer))
        return answer;
    switch (message) {
    case WM_PAINT:
        Paint();
        return 0;
    case WM_GETFONT:
        // The font the label paints in, so that what asks measures what shows.
        if (m_font)
            return reinterpret_cast<LRESULT>(m_font.get());
        break;
    case kDpiChangedAfterParent:
        FollowDpi();
        return 0;
    case WM_ERASEBKGND:
        if (!IsTransparent()) {
            RECT client{};
            ::GetClientRect(m_hWnd, &client);
            ::FillRect(reinterpret_cast<HDC>(wParam), &client, m_backgroundBrush.get());
        }
        return TRUE;
    case WM_SETTEXT: {
        // The static control paints new text at once in its own look; keep it from doing
        // so, then repaint in this one. (WM_SETREDRAW works through WS_VISIBLE, so a hidden
        // label is left as it is.)
        const bool visible = (::GetWindowLongPtrW(m_hWnd, GWL_STYLE) & WS_VISIBLE) != 0;
        if (visible)
            ::SendMessageW(m_hWnd, WM_SETREDRAW, FALSE, 0);
        const LRESULT result = DefaultProc(message, wParam, lParam);
        if (visible)
            ::SendMessageW(m_hWnd, WM_SETREDRAW, TRUE, 0);
        m_windowText = lParam ? reinterpret_cast<const wchar_t*>(lParam) : L"";
        Redraw();
        CAccessibleHost::Notify(m_hWnd, EVENT_OBJECT_NAMECHANGE);
        return result;
    }
    case WM_LBUTTONUP:
        ClickLabelledControl(lParam);
        break;
    default:
        break;
    }
    return DefaultProc(message, wParam, lParam);
}
