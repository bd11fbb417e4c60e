#include "controls/Accessible.h"

#include <new>

#include "framework/ComObject.h"

namespace {

// Runs a question, turning what may throw (the texts allocate) into an HRESULT: no
// exception may cross a COM call.
template <typename Question>
HRESULT Guarded(Question&& question)
{
    try {
        return question();
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_FAIL;
    }
}

HRESULT ReturnText(const std::wstring& text, BSTR* out)
{
    if (text.empty())
        return S_FALSE;
    *out = ::SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    return *out ? S_OK : E_OUTOFMEMORY;
}

void SetChild(VARIANT* out, long child)
{
    out->vt = VT_I4;
    out->lVal = child;
}

}  // namespace

class CAccessibleObject final : public CComObjectBase<IAccessible> {
public:
    CAccessibleObject(HWND window, IAccessibleSource& source) : m_window(window), m_source(&source) {}

    void Disconnect() { m_source = nullptr; }

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** out) override
    {
        if (!out)
            return E_POINTER;
        if (id == IID_IUnknown || id == IID_IDispatch || id == IID_IAccessible) {
            *out = static_cast<IAccessible*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }

    // IDispatch: the object is used through its interface only.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override
    {
        if (!count)
            return E_POINTER;
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override
    {
        return E_NOTIMPL;
    }

    // IAccessible
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override
    {
        if (!parent)
            return E_POINTER;
        *parent = nullptr;
        if (!IsConnected())
            return CO_E_OBJNOTCONNECTED;
        // The control's window object, which the system provides.
        return ::AccessibleObjectFromWindow(m_window, static_cast<DWORD>(OBJID_WINDOW), IID_IDispatch,
                                            reinterpret_cast<void**>(parent));
    }

    HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override
    {
        if (!count)
            return E_POINTER;
        *count = 0;
        if (!IsConnected())
            return CO_E_OBJNOTCONNECTED;
        *count = m_source->AccessibleChildCount();
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** object) override
    {
        if (!object)
            return E_POINTER;
        *object = nullptr;
        long id = 0;
        const HRESULT valid = ChildOf(child, id);
        // The rows are simple elements: they are asked through this object.
        return FAILED(valid) ? valid : S_FALSE;
    }

    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override
    {
        return TextOf(child, name, [this](long id) { return m_source->AccessibleName(id); });
    }

    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override
    {
        return TextOf(child, value, [this](long id) { return m_source->AccessibleValue(id); });
    }

    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* description) override
    {
        return TextOf(child, description, [](long) { return std::wstring(); });
    }

    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override
    {
        return NumberOf(child, role, [this](long id) { return m_source->AccessibleRole(id); });
    }

    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override
    {
        return NumberOf(child, state, [this](long id) { return StateOf(id); });
    }

    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) override
    {
        return TextOf(child, help, [](long) { return std::wstring(); });
    }

    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT, long* topic) override
    {
        if (file)
            *file = nullptr;
        if (topic)
            *topic = 0;
        return S_FALSE;
    }

    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) override
    {
        return TextOf(child, shortcut, [](long) { return std::wstring(); });
    }

    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* focus) override
    {
        if (!focus)
            return E_POINTER;
        ::VariantInit(focus);
        if (!IsConnected())
            return CO_E_OBJNOTCONNECTED;
        if (::GetFocus() != m_window)
            return S_FALSE;
        SetChild(focus, m_source->AccessibleFocusedChild());
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* selection) override
    {
        if (!selection)
            return E_POINTER;
        ::VariantInit(selection);
        return IsConnected() ? S_FALSE : CO_E_OBJNOTCONNECTED;
    }

    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override
    {
        return TextOf(child, action, [this](long id) { return m_source->AccessibleDefaultAction(id); });
    }

    HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) override
    {
        long id = 0;
        if (const HRESULT valid = ChildOf(child, id); FAILED(valid))
            return valid;
        if (id != CHILDID_SELF || (flags & SELFLAG_TAKEFOCUS) == 0)
            return DISP_E_MEMBERNOTFOUND;
        ::SetFocus(m_window);
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height, VARIANT child) override
    {
        if (!left || !top || !width || !height)
            return E_POINTER;
        *left = *top = *width = *height = 0;
        long id = 0;
        if (const HRESULT valid = ChildOf(child, id); FAILED(valid))
            return valid;
        RECT place{};
        if (id == CHILDID_SELF)
            ::GetClientRect(m_window, &place);
        else if (!m_source->AccessibleChildBounds(id, place))
            return S_FALSE;
        ::MapWindowPoints(m_window, nullptr, reinterpret_cast<POINT*>(&place), 2);
        *left = place.left;
        *top = place.top;
        *width = place.right - place.left;
        *height = place.bottom - place.top;
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* end) override
    {
        if (!end)
            return E_POINTER;
        ::VariantInit(end);
        long id = 0;
        if (const HRESULT valid = ChildOf(start, id); FAILED(valid))
            return valid;
        const long count = m_source->AccessibleChildCount();
        long target = 0;
        if (id == CHILDID_SELF) {
            if (direction == NAVDIR_FIRSTCHILD)
                target = 1;
            else if (direction == NAVDIR_LASTCHILD)
                target = count;
            else
                return DelegateNavigation(direction, start, end);
        } else if (direction == NAVDIR_NEXT || direction == NAVDIR_DOWN) {
            target = id + 1;
        } else if (direction == NAVDIR_PREVIOUS || direction == NAVDIR_UP) {
            target = id - 1;
        }
        if (target < 1 || target > count)
            return S_FALSE;
        SetChild(end, target);
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* hit) override
    {
        if (!hit)
            return E_POINTER;
        ::VariantInit(hit);
        if (!IsConnected())
            return CO_E_OBJNOTCONNECTED;
        POINT point{x, y};
        ::ScreenToClient(m_window, &point);
        RECT client{};
        ::GetClientRect(m_window, &client);
        if (!::PtInRect(&client, point))
            return S_FALSE;
        long found = CHILDID_SELF;
        const long count = m_source->AccessibleChildCount();
        for (long child = 1; child <= count && found == CHILDID_SELF; ++child) {
            RECT row{};
            if (m_source->AccessibleChildBounds(child, row) && ::PtInRect(&row, point))
                found = child;
        }
        SetChild(hit, found);
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override
    {
        long id = 0;
        if (const HRESULT valid = ChildOf(child, id); FAILED(valid))
            return valid;
        if (m_source->AccessibleDefaultAction(id).empty())
            return DISP_E_MEMBERNOTFOUND;
        return Guarded([&] {
            m_source->DoAccessibleDefaultAction(id);
            return S_OK;
        });
    }

    HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }

private:
    [[nodiscard]] bool IsConnected() const { return m_source != nullptr && ::IsWindow(m_window); }

    // The child a VARIANT names, checked against the rows there are now.
    HRESULT ChildOf(const VARIANT& child, long& id) const
    {
        if (!IsConnected())
            return CO_E_OBJNOTCONNECTED;
        if (child.vt != VT_I4)
            return E_INVALIDARG;
        if (child.lVal < CHILDID_SELF || child.lVal > m_source->AccessibleChildCount())
            return E_INVALIDARG;
        id = child.lVal;
        return S_OK;
    }

    template <typename Read>
    HRESULT TextOf(const VARIANT& child, BSTR* out, Read&& read) const
    {
        if (!out)
            return E_POINTER;
        *out = nullptr;
        long id = 0;
        if (const HRESULT valid = ChildOf(child, id); FAILED(valid))
            return valid;
        return Guarded([&] { return ReturnText(read(id), out); });
    }

    template <typename Read>
    HRESULT NumberOf(const VARIANT& child, VARIANT* out, Read&& read) const
    {
        if (!out)
            return E_POINTER;
        ::VariantInit(out);
        long id = 0;
        if (const HRESULT valid = ChildOf(child, id); FAILED(valid))
            return valid;
        SetChild(out, read(id));
        return S_OK;
    }

    // The source's state with what the window itself tells: enabled, shown, focused.
    long StateOf(long id) const
    {
        long bits = m_source->AccessibleState(id);
        const bool focused = ::GetFocus() == m_window && m_source->AccessibleFocusedChild() == id;
        if (focused)
            bits |= STATE_SYSTEM_FOCUSED;
        if (id == CHILDID_SELF) {
            if (!::IsWindowEnabled(m_window))
                bits |= STATE_SYSTEM_UNAVAILABLE;
            if (!::IsWindowVisible(m_window))
                bits |= STATE_SYSTEM_INVISIBLE;
        }
        return bits;
    }

    // Moving from the control to its neighbours is the window's business, which the
    // system's own client object knows.
    HRESULT DelegateNavigation(long direction, VARIANT start, VARIANT* end) const
    {
        ComPtr<IAccessible> standard;
        const HRESULT made = ::CreateStdAccessibleObject(m_window, static_cast<LONG>(OBJID_CLIENT), IID_IAccessible,
                                                         standard.put_void());
        if (FAILED(made) || !standard)
            return S_FALSE;
        return standard->accNavigate(direction, start, end);
    }

    HWND m_window;
    IAccessibleSource* m_source;  // null once the control has gone
};

CAccessibleHost::CAccessibleHost(IAccessibleSource& source) : m_source(source) {}

CAccessibleHost::~CAccessibleHost() { Disconnect(); }

bool CAccessibleHost::OnMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    if (message == WM_NCDESTROY || message == WM_DESTROY) {
        Disconnect();
        return false;
    }
    // The object id travels as a 32-bit value in a sign-extended LPARAM.
    if (message != WM_GETOBJECT || static_cast<LONG>(lParam) != static_cast<LONG>(OBJID_CLIENT) || !window)
        return false;
    if (!m_object)
        m_object = MakeComObject<CAccessibleObject>(window, m_source);
    if (!m_object)
        return false;
    result = ::LresultFromObject(IID_IAccessible, wParam, static_cast<IAccessible*>(m_object.get()));
    return true;
}

void CAccessibleHost::Disconnect()
{
    if (m_object) {
        m_object->Disconnect();
        m_object.reset();
    }
}

void CAccessibleHost::Notify(HWND window, DWORD event, long child)
{
    if (window)
        ::NotifyWinEvent(event, window, static_cast<LONG>(OBJID_CLIENT), child);
}
