#include "controls/CheckBox.h"

#include <algorithm>
#include <vector>

#include "controls/ControlResources.h"
#include "controls/DpiScale.h"
#include "controls/FocusMark.h"
#include "controls/ParentBackground.h"
#include "controls/WindowText.h"
#include "framework/Dialog.h"

namespace {

constexpr int kTextHeight = 13;   // of the text's font, at 96 DPI
constexpr int kTextGapRight = 5;  // from the box to text on its right
constexpr int kTextGapLeft = 6;   // from text on the left to the box
// Over the box's own border, so that the tick inside stays in sight.
constexpr int kFocusMarkInset = 0;

}  // namespace

void CCheckBox::OnAttached()
{
    const LONG_PTR style = ::GetWindowLongPtrW(m_hWnd, GWL_STYLE);
    const LONG_PTR exStyle = ::GetWindowLongPtrW(m_hWnd, GWL_EXSTYLE);
    m_textOnLeft = (style & BS_LEFTTEXT) != 0 || (exStyle & WS_EX_RIGHT) != 0;
    ReadText();
    const HWND parent = ::GetParent(m_hWnd);
    m_parentFont = parent ? reinterpret_cast<HFONT>(::SendMessageW(parent, WM_GETFONT, 0, 0)) : nullptr;
    m_strip.reset(static_cast<HBITMAP>(::LoadImageW(CDialogBase::ResourceModule(),
                                                    MAKEINTRESOURCEW(IDB_CHECKBOX_STRIP), IMAGE_BITMAP, 0, 0,
                                                    LR_DEFAULTCOLOR)));
    FollowDpi();
    // The check state now lives here: an owner-drawn button keeps none of its own.
    m_checked = DefaultProc(BM_GETCHECK, 0, 0) == BST_CHECKED;
    ::SetWindowLongPtrW(m_hWnd, GWL_STYLE, (style & ~static_cast<LONG_PTR>(BS_TYPEMASK)) | BS_OWNERDRAW);
    m_frame = FrameOf(::IsWindowEnabled(m_hWnd) ? Look::Normal : Look::Disabled, m_checked);
    m_imagesValid = false;
    ::InvalidateRect(m_hWnd, nullptr, FALSE);
}

void CCheckBox::FollowDpi()
{
    m_dpi = CDpiScale::OfWindow(m_hWnd).Dpi();
    m_boxSize = CDpiScale(m_dpi).Px(kBoxSize);
    m_textFont.reset(::CreateFontW(CDpiScale(m_dpi).Px(kTextHeight), 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                   OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY,
                                   DEFAULT_PITCH | FF_SWISS, kTextFace));
    MeasureImageHeight();
    m_imagesValid = false;
}

int CCheckBox::FrameOf(Look look, bool checked) const
{
    return static_cast<int>(look) + (checked ? 0 : 1);
}

void CCheckBox::SetFrame(int frame)
{
    if (frame == m_frame)
        return;
    m_frame = frame;
    ::InvalidateRect(m_hWnd, nullptr, FALSE);
}

bool CCheckBox::IsCursorInside(LPARAM clientPoint) const
{
    RECT client{};
    ::GetClientRect(m_hWnd, &client);
    const POINT point{static_cast<short>(LOWORD(clientPoint)), static_cast<short>(HIWORD(clientPoint))};
    return ::PtInRect(&client, point) != FALSE;
}

bool CCheckBox::IsCursorInside() const
{
    POINT point{};
    ::GetCursorPos(&point);
    return ::WindowFromPoint(point) == m_hWnd;
}

void CCheckBox::ReadText()
{
    std::vector<wchar_t> buffer(kMaxTextLength + 1, L'\0');
    const int length = ::GetWindowTextW(m_hWnd, buffer.data(), static_cast<int>(buffer.size()));
    m_text.assign(buffer.data(), static_cast<size_t>(std::max(length, 0)));
}

void CCheckBox::MeasureImageHeight()
{
    const HDC dc = ::GetDC(m_hWnd);
    int lineHeight = 0;
    if (dc) {
        {
            const HGDIOBJ font =
                m_parentFont ? static_cast<HGDIOBJ>(m_parentFont) : ::GetStockObject(DEFAULT_GUI_FONT);
            SelectObjectGuard selected(dc, font);
            SIZE sample{};
            if (::GetTextExtentPoint32W(dc, L"Ag", 2, &sample))
                lineHeight = sample.cy;
        }
        ::ReleaseDC(m_hWnd, dc);
    }
    m_imageHeight = std::max(m_boxSize, lineHeight + 1);
}

void CCheckBox::DrawBackgroundBehind(HDC dc, int frameTop) const
{
    RECT client{};
    ::GetClientRect(m_hWnd, &client);
    // The look is centred vertically in the control: its row r shows the control's row r + top.
    const int top = (client.bottom - m_imageHeight) / 2;
    const RECT band{0, top, std::max<int>(client.right, m_boxSize), top + m_imageHeight};
    static_cast<void>(PaintParentBackground(m_hWnd, dc, band, POINT{0, frameTop - top}));
}

void CCheckBox::DrawText(HDC dc, const RECT& area, int frame) const
{
    if (m_text.empty())
        return;
    RECT textArea = area;
    UINT format = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX;
    const CDpiScale scale(m_dpi);
    if (m_textOnLeft) {
        textArea.right = area.right - m_boxSize - scale.Px(kTextGapLeft);
        format |= DT_RIGHT;
    } else {
        textArea.left = area.left + m_boxSize + scale.Px(kTextGapRight);
        format |= DT_LEFT;
    }
    SelectObjectGuard selected(dc, m_textFont ? static_cast<HGDIOBJ>(m_textFont.get())
                                              : ::GetStockObject(DEFAULT_GUI_FONT));
    ::SetBkMode(dc, TRANSPARENT);
    const auto text = m_text.c_str();
    const int length = static_cast<int>(m_text.size());
    if (frame >= static_cast<int>(Look::Disabled)) {
        RECT shifted = textArea;
        ::OffsetRect(&shifted, 1, 1);
        ::SetTextColor(dc, ::GetSysColor(COLOR_BTNHIGHLIGHT));
        ::DrawTextW(dc, text, length, &shifted, format);
        ::SetTextColor(dc, ::GetSysColor(COLOR_BTNSHADOW));
    } else {
        ::SetTextColor(dc, kTextColor);
    }
    ::DrawTextW(dc, text, length, &textArea, format);
}

// Room for the eight looks; each is drawn when it is first shown (DrawFrame), since a
// window shows most of them never and drawing them all slowed its first paint.
void CCheckBox::RenderImages(HDC reference)
{
    RECT client{};
    ::GetClientRect(m_hWnd, &client);
    const int width = std::max<int>(client.right, m_boxSize);
    const int height = m_imageHeight * kFrameCount;
    UniqueGdiObject<HBITMAP> images(::CreateCompatibleBitmap(reference, width, height));
    if (!images)
        return;
    m_images = std::move(images);
    m_imagesSize = {width, height};
    m_imagesFace = ::GetSysColor(COLOR_BTNFACE);
    m_imagesValid = true;
    m_framesDrawn = 0;
    ++m_renderCount;
}

void CCheckBox::DrawFrame(HDC reference, int frame)
{
    UniqueMemoryDc canvas(::CreateCompatibleDC(reference));
    if (!canvas)
        return;
    SelectObjectGuard selectedImages(canvas.get(), m_images.get());
    const int width = m_imagesSize.cx;
    const int top = frame * m_imageHeight;
    DrawBackgroundBehind(canvas.get(), top);
    UniqueMemoryDc strip(m_strip ? ::CreateCompatibleDC(reference) : nullptr);
    if (strip) {
        SelectObjectGuard selectedStrip(strip.get(), m_strip.get());
        // Stretched whole pixels: a smoothing filter would blend the magenta key into the
        // box's border.
        ::TransparentBlt(canvas.get(), m_textOnLeft ? width - m_boxSize : 0, top + (m_imageHeight - m_boxSize) / 2,
                         m_boxSize, m_boxSize, strip.get(), frame * kBoxSize, 0, kBoxSize, kBoxSize,
                         kStripTransparent);
    }
    DrawText(canvas.get(), RECT{0, top, width, top + m_imageHeight}, frame);
    m_framesDrawn |= 1u << frame;
}

void CCheckBox::Paint()
{
    PAINTSTRUCT paint{};
    const HDC dc = ::BeginPaint(m_hWnd, &paint);
    if (!dc)
        return;
    if (!m_imagesValid || m_imagesFace != ::GetSysColor(COLOR_BTNFACE))
        RenderImages(dc);
    if (m_images && (m_framesDrawn & (1u << m_frame)) == 0)
        DrawFrame(dc, m_frame);
    RECT client{};
    ::GetClientRect(m_hWnd, &client);
    if (m_images) {
        UniqueMemoryDc source(::CreateCompatibleDC(dc));
        if (source) {
            SelectObjectGuard selected(source.get(), m_images.get());
            const int top = (client.bottom - m_imageHeight) / 2;
            ::BitBlt(dc, 0, top, m_imagesSize.cx, m_imageHeight, source.get(), 0, m_frame * m_imageHeight, SRCCOPY);
        }
    }
    DrawFocusMark(m_hWnd, ::GetFocus() == m_hWnd, dc, client, kFocusMarkInset);
    ::EndPaint(m_hWnd, &paint);
}

void CCheckBox::SetChecked(bool checked)
{
    if (checked == m_checked)
        return;
    m_checked = checked;
    CAccessibleHost::Notify(m_hWnd, EVENT_OBJECT_STATECHANGE);
}

long CCheckBox::AccessibleRole(long) const { return ROLE_SYSTEM_CHECKBUTTON; }

std::wstring CCheckBox::AccessibleName(long) const { return m_text.empty() ? ReadWindowText(m_label) : m_text; }

long CCheckBox::AccessibleState(long) const
{
    long state = STATE_SYSTEM_FOCUSABLE;
    if (m_checked)
        state |= STATE_SYSTEM_CHECKED;
    if (m_pressedByMouse || m_pressedBySpace)
        state |= STATE_SYSTEM_PRESSED;
    return state;
}

std::wstring CCheckBox::AccessibleDefaultAction(long) const { return m_checked ? L"Deseleziona" : L"Seleziona"; }

void CCheckBox::DoAccessibleDefaultAction(long)
{
    if (::IsWindowEnabled(m_hWnd))
        ::SendMessageW(m_hWnd, BM_CLICK, 0, 0);
}

void CCheckBox::OnLeftButtonUp(LPARAM lParam)
{
    if (!m_pressedByMouse)
        return;
    m_pressedByMouse = false;
    if (IsCursorInside(lParam)) {
        // Toggled before the button's own handling sends BN_CLICKED, so that the parent
        // reads the new state.
        SetChecked(!m_checked);
        SetFrame(FrameOf(m_pressedBySpace ? Look::Pressed : Look::Normal, m_checked));
    } else {
        SetFrame(FrameOf(m_pressedBySpace ? Look::Pressed : Look::Normal, m_checked));
    }
}

LRESULT CCheckBox::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (LRESULT answer = 0; m_accessible.OnMessage(m_hWnd, message, wParam, lParam, answer))
        return answer;
    switch (message) {
    case WM_PAINT:
        Paint();
        return 0;
    case WM_ERASEBKGND:
        return TRUE;
    case BM_GETCHECK:
        return m_checked ? BST_CHECKED : BST_UNCHECKED;
    case BM_SETCHECK: {
        SetChecked(wParam == BST_CHECKED);
        Look look = Look::Normal;
        if (!::IsWindowEnabled(m_hWnd))
            look = Look::Disabled;
        else if (m_tracking && IsCursorInside())
            look = Look::Hover;
        else if (m_pressedByMouse || m_pressedBySpace)
            look = Look::Pressed;
        SetFrame(FrameOf(look, m_checked));
        return 0;
    }
    case WM_MOUSEMOVE:
        if (!m_tracking) {
            TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE, m_hWnd, 0};
            m_tracking = ::TrackMouseEvent(&track) != FALSE;
        }
        if (!IsCursorInside(lParam))
            SetFrame(FrameOf(Look::Normal, m_checked));
        else if (m_pressedByMouse || m_pressedBySpace)
            SetFrame(FrameOf(Look::Pressed, m_checked));
        else
            SetFrame(FrameOf(Look::Hover, m_checked));
        break;
    case WM_MOUSELEAVE:
        m_tracking = false;
        SetFrame(FrameOf(Look::Normal, m_checked));
        break;
    case WM_LBUTTONDOWN:
        m_pressedByMouse = true;
        SetFrame(FrameOf(Look::Pressed, m_checked));
        break;
    case WM_LBUTTONDBLCLK:
        // An owner-drawn button answers a double click with BN_DOUBLECLICKED and no press;
        // a check box treats it as a second click so that state and BN_CLICKED stay in step.
        m_pressedByMouse = true;
        SetFrame(FrameOf(Look::Pressed, m_checked));
        return DefaultProc(WM_LBUTTONDOWN, wParam, lParam);
    case WM_LBUTTONUP:
        OnLeftButtonUp(lParam);
        break;
    case WM_KEYDOWN:
        if (wParam == VK_SPACE) {
            if (!m_pressedBySpace) {
                m_pressedBySpace = true;
                SetFrame(FrameOf(Look::Pressed, m_checked));
            }
        } else if (m_pressedBySpace) {
            // Any other key cancels the press; the button must not click on the Space release either.
            m_pressedBySpace = false;
            ::SendMessageW(m_hWnd, BM_SETSTATE, FALSE, 0);
            if (::GetCapture() == m_hWnd)
                ::ReleaseCapture();
            SetFrame(FrameOf(Look::Normal, m_checked));
        }
        break;
    case WM_KEYUP:
        if (wParam == VK_SPACE && m_pressedBySpace) {
            m_pressedBySpace = false;
            SetChecked(!m_checked);
            SetFrame(FrameOf(Look::Normal, m_checked));
        }
        break;
    case WM_KILLFOCUS:
        if (m_pressedBySpace)
            m_pressedBySpace = false;
        SetFrame(FrameOf(::IsWindowEnabled(m_hWnd) ? Look::Normal : Look::Disabled, m_checked));
        ::InvalidateRect(m_hWnd, nullptr, FALSE);  // the focus mark goes
        break;
    case WM_SETFOCUS:
    case WM_UPDATEUISTATE:
        // The focus mark comes, or shows or hides with the window's keyboard cues.
        ::InvalidateRect(m_hWnd, nullptr, FALSE);
        break;
    case WM_ENABLE:
        SetFrame(FrameOf(wParam ? Look::Normal : Look::Disabled, m_checked));
        break;
    case WM_GETFONT:
        // The font the text is painted in, so that what asks measures what shows.
        return reinterpret_cast<LRESULT>(m_textFont.get());
    case kDpiChangedAfterParent:
        if (CDpiScale::OfWindow(m_hWnd).Dpi() != m_dpi) {
            FollowDpi();
            ::InvalidateRect(m_hWnd, nullptr, FALSE);
        }
        return 0;
    case WM_SETTEXT: {
        const LRESULT result = DefaultProc(message, wParam, lParam);
        ReadText();
        m_imagesValid = false;
        ::InvalidateRect(m_hWnd, nullptr, FALSE);
        return result;
    }
    case WM_WINDOWPOSCHANGED:
        // A new size or place shows another part of the background.
        if ((reinterpret_cast<const WINDOWPOS*>(lParam)->flags & (SWP_NOSIZE | SWP_NOMOVE)) !=
            (SWP_NOSIZE | SWP_NOMOVE))
            m_imagesValid = false;
        break;
    default:
        break;
    }
    return DefaultProc(message, wParam, lParam);
}
