#pragma once
// Base of the skinned push button: a tab stop that moves the focus on Tab by itself
// (owner-drawn buttons in a skinned window would otherwise swallow it) and ignores
// character messages. Enter presses the focused button itself, whatever the window's
// default command is. To assistive software it is a push button named by its window text.

#include "controls/Accessible.h"
#include "framework/SubclassedWindow.h"

class CCtrlButton : public CSubclassedWindow, private IAccessibleSource {
public:
    CCtrlButton() : m_accessible(*this) {}

protected:
    void OnAttached() override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void MoveFocusToNextTabStop(bool backwards);
    void Press();

    [[nodiscard]] long AccessibleRole(long child) const override;
    [[nodiscard]] std::wstring AccessibleName(long child) const override;
    [[nodiscard]] long AccessibleState(long child) const override;
    [[nodiscard]] std::wstring AccessibleDefaultAction(long child) const override;
    void DoAccessibleDefaultAction(long child) override;

    CAccessibleHost m_accessible;
};
