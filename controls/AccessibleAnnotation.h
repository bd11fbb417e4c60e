#pragma once
// A control the program does not draw itself (the main window's gauge picture, a
// standard progress bar) with the role and name assistive software should hear; the
// system's proxies know neither. A progress bar also tells its position as a percentage.

#include <string>

#include "controls/Accessible.h"
#include "framework/SubclassedWindow.h"

class CAccessibleAnnotation : public CSubclassedWindow, private IAccessibleSource {
public:
    // role: a ROLE_SYSTEM_* value.
    explicit CAccessibleAnnotation(long role) : m_role(role) {}

    void SetAccessibleName(std::wstring name);

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    [[nodiscard]] long AccessibleRole(long /*child*/) const override { return m_role; }
    [[nodiscard]] std::wstring AccessibleName(long /*child*/) const override { return m_name; }
    [[nodiscard]] long AccessibleState(long child) const override;
    [[nodiscard]] std::wstring AccessibleValue(long child) const override;

    long m_role;
    std::wstring m_name;
    CAccessibleHost m_accessible{*this};
};
