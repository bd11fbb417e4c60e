#include "ui/ResultListBase.h"

#include "controls/DpiScale.h"
#include "controls/FocusMark.h"
#include "res/resource.h"

#include <algorithm>
#include <cstdlib>

namespace {

constexpr int kWheelNotch = WHEEL_DELTA;
constexpr int kCheckBoxSize = 13;
constexpr int kDetailsIconSize = 16;
constexpr int kSeverityWidth = 145;
constexpr int kSeverityHeight = 33;
constexpr COLORREF kStripTransparent = RGB(255, 0, 255);

HBITMAP LoadPicture(UINT id)
{
    return static_cast<HBITMAP>(
        ::LoadImageW(CDialogBase::ResourceModule(), MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR));
}

// BeginPaint and EndPaint as one scope.
class CPaintScope {
public:
    explicit CPaintScope(HWND window) : m_window(window) { m_dc = ::BeginPaint(window, &m_paint); }
    ~CPaintScope() { ::EndPaint(m_window, &m_paint); }
    CPaintScope(const CPaintScope&) = delete;
    CPaintScope& operator=(const CPaintScope&) = delete;
    [[nodiscard]] HDC Dc() const { return m_dc; }

private:
    HWND m_window;
    PAINTSTRUCT m_paint{};
    HDC m_dc = nullptr;
};

}  // namespace

int ClientX(LPARAM lParam) { return static_cast<short>(LOWORD(lParam)); }

int ClientY(LPARAM lParam) { return static_cast<short>(HIWORD(lParam)); }

int ClampScrollPosition(int position, int contentHeight, int pageHeight)
{
    const int last = std::max(0, contentHeight - pageHeight);
    return std::clamp(position, 0, last);
}

int ScrollBarTarget(int code, int position, int trackPosition, int contentHeight, int pageHeight)
{
    int target = position;
    switch (code) {
    case SB_LINEUP: target = position - kResultLineStep; break;
    case SB_LINEDOWN: target = position + kResultLineStep; break;
    case SB_PAGEUP: target = position - pageHeight; break;
    case SB_PAGEDOWN: target = position + pageHeight; break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: target = trackPosition; break;
    case SB_TOP: target = 0; break;
    case SB_BOTTOM: target = contentHeight; break;
    default: break;
    }
    return ClampScrollPosition(target, contentHeight, pageHeight);
}

int WheelScrollDistance(int wheelDelta, UINT linesSetting, int pageHeight)
{
    const int direction = wheelDelta > 0 ? -1 : 1;
    if (linesSetting == WHEEL_PAGESCROLL)
        return direction * pageHeight;
    // The setting is at most a few dozen lines in practice; the division by three keeps
    // one notch of the usual three lines at one row-sized step.
    const long long notches = std::abs(static_cast<long long>(wheelDelta)) / kWheelNotch;
    const long long steps = std::max<long long>(1, notches * linesSetting / 3);
    const long long distance = std::min<long long>(steps * kResultLineStep, 1LL << 30);
    return direction * static_cast<int>(distance);
}

HFONT CreateListFont(int logicalHeight, int weight)
{
    return ::CreateFontW(logicalHeight, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                         CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, L"Arial");
}

// --- pictures ---------------------------------------------------------------------------

CResultPictures::CResultPictures()
    : m_strip(LoadPicture(IDB_CHECKBOX_STRIP)), m_details(LoadPicture(IDB_DETAILS_ICON))
{
    for (UINT level = 0; level < m_severity.size(); ++level)
        m_severity[level].reset(LoadPicture(IDB_SEVERITY_1 + level));
}

const CResultPictures& CResultPictures::Get()
{
    static const CResultPictures pictures;
    return pictures;
}

bool CResultPictures::IsLoaded() const
{
    return m_strip && m_details &&
           std::all_of(m_severity.begin(), m_severity.end(), [](const auto& bitmap) { return bitmap.get(); });
}

void CResultPictures::Draw(HDC dc, HBITMAP bitmap, int x, int y, int width, int height, int sourceX)
{
    if (!bitmap)
        return;
    UniqueMemoryDc source(::CreateCompatibleDC(dc));
    if (!source)
        return;
    SelectObjectGuard selected(source.get(), bitmap);
    ::BitBlt(dc, x, y, width, height, source.get(), sourceX, 0, SRCCOPY);
}

void CResultPictures::DrawCheckBox(HDC dc, int x, int y, bool chosen) const
{
    if (!m_strip)
        return;
    UniqueMemoryDc source(::CreateCompatibleDC(dc));
    if (!source)
        return;
    SelectObjectGuard selected(source.get(), m_strip.get());
    const int image = chosen ? 0 : 1;
    ::TransparentBlt(dc, x, y, kCheckBoxSize, kCheckBoxSize, source.get(), image * kCheckBoxSize, 0, kCheckBoxSize,
                     kCheckBoxSize, kStripTransparent);
}

void CResultPictures::DrawDetailsIcon(HDC dc, int x, int y) const
{
    Draw(dc, m_details.get(), x, y, kDetailsIconSize, kDetailsIconSize);
}

void CResultPictures::DrawSeverityBar(HDC dc, int x, int y, UINT bitmapId) const
{
    if (bitmapId < IDB_SEVERITY_1 || bitmapId >= IDB_SEVERITY_1 + m_severity.size())
        return;
    Draw(dc, m_severity[bitmapId - IDB_SEVERITY_1].get(), x, y, kSeverityWidth, kSeverityHeight);
}

// --- the list window --------------------------------------------------------------------

bool CResultListBase::CreateIn(HWND parent, int id, const RECT& place)
{
    if (!GetSafeHwnd() && !Create(parent))
        return false;
    ::SetWindowLongPtrW(m_hWnd, GWLP_ID, id);
    // A tab stop of its own: as a control parent (what its template makes it) Tab would
    // look for controls inside it, and it has none.
    ::SetWindowLongPtrW(m_hWnd, GWL_EXSTYLE, ::GetWindowLongPtrW(m_hWnd, GWL_EXSTYLE) & ~WS_EX_CONTROLPARENT);
    ::SetWindowLongPtrW(m_hWnd, GWL_STYLE, ::GetWindowLongPtrW(m_hWnd, GWL_STYLE) | WS_TABSTOP);
    m_dpi = CDpiScale::OfWindow(m_hWnd).Dpi();
    const RECT pixels = CDpiScale(m_dpi).Rect(place);
    ::SetWindowPos(m_hWnd, nullptr, pixels.left, pixels.top, pixels.right - pixels.left, pixels.bottom - pixels.top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
    ::ShowWindow(m_hWnd, SW_SHOW);
    UpdateScrollBar();
    return true;
}

int CResultListBase::GetPageHeight() const
{
    RECT client{};
    if (m_hWnd)
        ::GetClientRect(m_hWnd, &client);
    return CDpiScale(m_dpi).ToBase(client.bottom);
}

void CResultListBase::BeginFill()
{
    m_busy = true;
    m_position = 0;
    m_contentHeight = 0;
}

void CResultListBase::EndFill(int contentHeight)
{
    m_contentHeight = contentHeight;
    UpdateScrollBar();
    m_busy = false;
    // The first row is the focused one from the start, so the mark shows where keys act.
    m_focusedRow = RowCount() > 0 ? 0 : -1;
    if (m_hWnd)
        ::InvalidateRect(m_hWnd, nullptr, FALSE);
    CAccessibleHost::Notify(m_hWnd, EVENT_OBJECT_REORDER);
}

void CResultListBase::FocusRow(int row)
{
    const int count = RowCount();
    if (count == 0)
        return;
    const int target = std::clamp(row, 0, count - 1);
    if (target != m_focusedRow) {
        RedrawFocusedRow();
        m_focusedRow = target;
        RedrawFocusedRow();
    }
    const int top = target * RowHeight();
    const int page = GetPageHeight();
    if (top < m_position)
        ScrollTo(top);
    else if (top + RowHeight() > m_position + page)
        ScrollTo(top + RowHeight() - page);
    if (m_hWnd && ::GetFocus() == m_hWnd)
        CAccessibleHost::Notify(m_hWnd, EVENT_OBJECT_FOCUS, target + 1);
}

void CResultListBase::RedrawFocusedRow()
{
    if (m_focusedRow >= 0)
        RedrawContent(m_focusedRow * RowHeight(), RowHeight());
}

void CResultListBase::NotifyRowChanged(int row) const
{
    CAccessibleHost::Notify(m_hWnd, EVENT_OBJECT_STATECHANGE, row + 1);
}

LRESULT CResultListBase::DialogCode(const MSG* key) const
{
    LRESULT code = DLGC_WANTARROWS | DLGC_WANTCHARS;
    // Enter opens the focused row where rows open; elsewhere it stays the window's.
    if (RowsOpen() && key && key->message == WM_KEYDOWN && key->wParam == VK_RETURN)
        code |= DLGC_WANTMESSAGE;
    return code;
}

bool CResultListBase::OnKey(WPARAM key, LPARAM flags)
{
    if (m_busy || m_focusedRow < 0)
        return false;
    const int pageRows = std::max(1, GetPageHeight() / RowHeight());
    const bool repeated = (flags & (1 << 30)) != 0;
    switch (key) {
    case VK_UP: FocusRow(m_focusedRow - 1); return true;
    case VK_DOWN: FocusRow(m_focusedRow + 1); return true;
    case VK_HOME: FocusRow(0); return true;
    case VK_END: FocusRow(RowCount() - 1); return true;
    case VK_PRIOR: FocusRow(m_focusedRow - pageRows); return true;
    case VK_NEXT: FocusRow(m_focusedRow + pageRows); return true;
    case VK_SPACE:
        if (!repeated)
            ToggleRow(m_focusedRow);
        return true;
    case VK_RETURN:
    case VK_APPS:
        if (!repeated && RowsOpen())
            OpenRow(m_focusedRow);
        return RowsOpen();
    default:
        return false;
    }
}

// --- what assistive software hears ---------------------------------------------------

long CResultListBase::AccessibleRole(long child) const
{
    return child == CHILDID_SELF ? ROLE_SYSTEM_LIST : ROLE_SYSTEM_LISTITEM;
}

std::wstring CResultListBase::AccessibleName(long child) const
{
    return child == CHILDID_SELF ? ListName() : RowName(static_cast<int>(child) - 1);
}

long CResultListBase::AccessibleState(long child) const
{
    if (child == CHILDID_SELF)
        return STATE_SYSTEM_FOCUSABLE;
    const int row = static_cast<int>(child) - 1;
    long state = STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_SELECTABLE;
    if (IsRowChosen(row))
        state |= STATE_SYSTEM_CHECKED;
    if (row == m_focusedRow)
        state |= STATE_SYSTEM_SELECTED;
    RECT place{};
    RECT client{};
    if (m_hWnd)
        ::GetClientRect(m_hWnd, &client);
    if (AccessibleChildBounds(child, place) && (place.bottom <= 0 || place.top >= client.bottom))
        state |= STATE_SYSTEM_OFFSCREEN;
    return state;
}

long CResultListBase::AccessibleChildCount() const { return m_busy ? 0 : RowCount(); }

bool CResultListBase::AccessibleChildBounds(long child, RECT& client) const
{
    if (child < 1 || child > RowCount() || !m_hWnd)
        return false;
    RECT area{};
    ::GetClientRect(m_hWnd, &area);
    // Rows are laid out in 96-DPI pixels; assistive software and the focus mark want the
    // window's own.
    const CDpiScale scale(m_dpi);
    const int top = (static_cast<int>(child) - 1) * RowHeight() - m_position;
    client = scale.Rect(RECT{0, top, scale.ToBase(area.right), top + RowHeight()});
    return true;
}

long CResultListBase::AccessibleFocusedChild() const { return m_focusedRow >= 0 ? m_focusedRow + 1 : CHILDID_SELF; }

std::wstring CResultListBase::AccessibleDefaultAction(long child) const
{
    if (child == CHILDID_SELF)
        return {};
    return IsRowChosen(static_cast<int>(child) - 1) ? L"Deseleziona" : L"Seleziona";
}

void CResultListBase::DoAccessibleDefaultAction(long child)
{
    if (child != CHILDID_SELF && !m_busy)
        ToggleRow(static_cast<int>(child) - 1);
}

void CResultListBase::UpdateScrollBar()
{
    if (!m_hWnd)
        return;
    SCROLLINFO info{};
    info.cbSize = sizeof(info);
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    info.nMin = 0;
    // An empty range when everything fits: the bar goes away and the position stays 0.
    const int page = GetPageHeight();
    info.nMax = m_contentHeight > page ? m_contentHeight - 1 : 0;
    info.nPage = m_contentHeight > page ? static_cast<UINT>(page) : 0;
    info.nPos = m_position;
    ::SetScrollInfo(m_hWnd, SB_VERT, &info, TRUE);
    // Showing or hiding the bar changes the page; the position must still fit it.
    const int clamped = ClampScrollPosition(m_position, m_contentHeight, GetPageHeight());
    if (clamped != m_position) {
        m_position = clamped;
        ::SetScrollPos(m_hWnd, SB_VERT, m_position, TRUE);
        ::InvalidateRect(m_hWnd, nullptr, FALSE);
    }
}

void CResultListBase::ScrollTo(int position)
{
    const int target = ClampScrollPosition(position, m_contentHeight, GetPageHeight());
    if (target == m_position)
        return;
    const int moved = m_position - target;
    m_position = target;
    if (!m_hWnd)
        return;
    // Scaled rows need not move by whole pixels: they are drawn again instead.
    if (CDpiScale(m_dpi).IsBase())
        ::ScrollWindowEx(m_hWnd, 0, moved, nullptr, nullptr, nullptr, nullptr, SW_INVALIDATE);
    else
        ::InvalidateRect(m_hWnd, nullptr, FALSE);
    ::SetScrollPos(m_hWnd, SB_VERT, m_position, TRUE);
}

void CResultListBase::Wheel(int wheelDelta)
{
    UINT lines = 3;
    if (!::SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &lines, 0))
        lines = 3;
    ScrollTo(m_position + WheelScrollDistance(wheelDelta, lines, GetPageHeight()));
}

void CResultListBase::OnScrollBar(int code)
{
    SCROLLINFO info{};
    info.cbSize = sizeof(info);
    info.fMask = SIF_TRACKPOS;
    // The 32-bit track position: the one in the message is only 16 bits wide.
    const int track = ::GetScrollInfo(m_hWnd, SB_VERT, &info) ? info.nTrackPos : m_position;
    ScrollTo(ScrollBarTarget(code, m_position, track, m_contentHeight, GetPageHeight()));
}

void CResultListBase::RedrawContent(int top, int height)
{
    if (!m_hWnd)
        return;
    const CDpiScale scale(m_dpi);
    // One pixel more on each side for the rows' edges that fall between pixels.
    const RECT band{0, scale.Px(top - m_position) - 1, 0x7FFF, scale.Px(top - m_position + height) + 1};
    ::InvalidateRect(m_hWnd, &band, FALSE);
}

void CResultListBase::Paint()
{
    CPaintScope paint(m_hWnd);
    RECT client{};
    ::GetClientRect(m_hWnd, &client);
    if (client.right <= 0 || client.bottom <= 0)
        return;
    // Drawn off the screen first, so rows never flicker while they are redrawn.
    UniqueMemoryDc memory(::CreateCompatibleDC(paint.Dc()));
    UniqueGdiObject<HBITMAP> canvas(::CreateCompatibleBitmap(paint.Dc(), client.right, client.bottom));
    const HDC target = memory && canvas ? memory.get() : paint.Dc();
    {
        SelectObjectGuard selected(memory.get(), canvas.get());
        UniqueGdiObject<HBRUSH> fill(::CreateSolidBrush(m_background));
        ::FillRect(target, &client, fill.get());
        if (!m_busy) {
            // The rows are laid out in 96-DPI pixels and drawn at the window's scale.
            const CDpiScale scale(m_dpi);
            const int oldMode = ::SetGraphicsMode(target, GM_ADVANCED);
            const float factor = static_cast<float>(scale.Dpi()) / static_cast<float>(CDpiScale::kBaseDpi);
            const XFORM scaling{factor, 0.0F, 0.0F, factor, 0.0F, 0.0F};
            ::SetWorldTransform(target, &scaling);
            DrawRows(target, scale.ToBase(client.bottom));
            ::ModifyWorldTransform(target, nullptr, MWT_IDENTITY);
            ::SetGraphicsMode(target, oldMode);
            RECT focused{};
            if (AccessibleChildBounds(m_focusedRow + 1, focused))
                DrawFocusMark(m_hWnd, ::GetFocus() == m_hWnd, target, focused, 0);
        }
        if (target != paint.Dc())
            ::BitBlt(paint.Dc(), 0, 0, client.right, client.bottom, target, 0, 0, SRCCOPY);
    }
}

POINT CResultListBase::ListPoint(LPARAM lParam) const
{
    const CDpiScale scale(m_dpi);
    return POINT{scale.ToBase(ClientX(lParam)), scale.ToBase(ClientY(lParam))};
}

void CResultListBase::OnOK()
{
    if (const HWND parent = ::GetParent(m_hWnd))
        ::SendMessageW(parent, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
}

void CResultListBase::OnCancel()
{
    if (const HWND parent = ::GetParent(m_hWnd))
        ::SendMessageW(parent, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
}

bool CResultListBase::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    switch (message) {
    case WM_ERASEBKGND:
        // Painting fills the background itself, off the screen.
        result = TRUE;
        return true;
    case WM_PAINT:
        Paint();
        return true;
    case WM_VSCROLL:
        OnScrollBar(LOWORD(wParam));
        return true;
    case WM_MOUSEWHEEL:
        Wheel(GET_WHEEL_DELTA_WPARAM(wParam));
        return true;
    case WM_SIZE:
        UpdateScrollBar();
        return false;
    case kDpiChangedAfterParent:
        m_dpi = CDpiScale::OfWindow(m_hWnd).Dpi();
        UpdateScrollBar();
        ::InvalidateRect(m_hWnd, nullptr, FALSE);
        return true;
    case WM_GETDLGCODE:
        result = DialogCode(reinterpret_cast<const MSG*>(lParam));
        return true;
    case WM_KEYDOWN:
        return OnKey(wParam, lParam);
    case WM_SETFOCUS:
        // Handled here: the dialog's own handling would pass the focus on to a child.
        RedrawFocusedRow();
        CAccessibleHost::Notify(m_hWnd, EVENT_OBJECT_FOCUS, AccessibleFocusedChild());
        return true;
    case WM_KILLFOCUS:
        RedrawFocusedRow();
        return true;
    case WM_UPDATEUISTATE:
        // The focus mark shows or hides with the window's keyboard cues.
        RedrawFocusedRow();
        return false;
    case WM_GETOBJECT:
    case WM_DESTROY:
        return m_accessible.OnMessage(m_hWnd, message, wParam, lParam, result);
    case WM_LBUTTONDOWN:
        if (!m_busy) {
            const POINT point = ListPoint(lParam);
            const POINT content{point.x, point.y + m_position};
            if (content.y >= 0 && content.y / RowHeight() < RowCount())
                FocusRow(content.y / RowHeight());
            OnContentClick(content);
        }
        // The wheel goes to the window with the focus.
        ::SetFocus(m_hWnd);
        return true;
    default:
        return false;
    }
}
