#pragma once
// How a skinned control tells assistive software what it is: an IAccessible of its own,
// handed out on WM_GETOBJECT, that asks the control (through IAccessibleSource) for the
// role, name, state and value of itself and, for a list, of each of its rows. The
// system's own proxies cannot do it: they see an owner-drawn button or a child dialog
// and know nothing of its check state, caption or rows.

#include <windows.h>
#include <oleacc.h>

#include <string>

#include "framework/Handles.h"

// Child 0 (CHILDID_SELF) is the control itself; a list's rows are children 1..count.
class IAccessibleSource {
public:
    virtual ~IAccessibleSource() = default;
    // A ROLE_SYSTEM_* value.
    [[nodiscard]] virtual long AccessibleRole(long child) const = 0;
    [[nodiscard]] virtual std::wstring AccessibleName(long child) const = 0;
    // STATE_SYSTEM_* bits of its own; for the control itself the window's unavailable,
    // invisible and focused states are added by the object.
    [[nodiscard]] virtual long AccessibleState(long child) const = 0;
    [[nodiscard]] virtual std::wstring AccessibleValue(long /*child*/) const { return {}; }
    [[nodiscard]] virtual long AccessibleChildCount() const { return 0; }
    // A row's place in client coordinates; false when it has none.
    [[nodiscard]] virtual bool AccessibleChildBounds(long /*child*/, RECT& /*client*/) const { return false; }
    // The row that has the keyboard focus while the control has it (CHILDID_SELF: none).
    [[nodiscard]] virtual long AccessibleFocusedChild() const { return CHILDID_SELF; }
    // The verb of the default action ("Premi", "Seleziona"...); empty for none.
    [[nodiscard]] virtual std::wstring AccessibleDefaultAction(long /*child*/) const { return {}; }
    virtual void DoAccessibleDefaultAction(long /*child*/) {}
};

class CAccessibleObject;

// The control's side: owns the one accessible object of the control, answers the
// control's WM_GETOBJECT with it and cuts it off from the control when the window goes,
// since assistive software may keep the object longer than the control lives.
class CAccessibleHost {
public:
    explicit CAccessibleHost(IAccessibleSource& source);
    ~CAccessibleHost();
    CAccessibleHost(const CAccessibleHost&) = delete;
    CAccessibleHost& operator=(const CAccessibleHost&) = delete;

    // Every message of the control passes here first: true, with the message's result,
    // when it asked for the client object (WM_GETOBJECT). The window going (WM_NCDESTROY,
    // or WM_DESTROY for a dialog) cuts the object off: it answers nothing from then on.
    [[nodiscard]] bool OnMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    void Disconnect();

    // Tells assistive software that `child` of the control changed (EVENT_OBJECT_*).
    static void Notify(HWND window, DWORD event, long child = CHILDID_SELF);

private:
    IAccessibleSource& m_source;
    ComPtr<CAccessibleObject> m_object;  // made on the first question
};
