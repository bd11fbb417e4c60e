#pragma once
// Base of the skinned push button: a tab stop that moves the focus on Tab by itself
// (owner-drawn buttons in a skinned window would otherwise swallow it) and ignores
// character messages.

#include "framework/SubclassedWindow.h"

class CCtrlButton : public CSubclassedWindow {
protected:
    void OnAttached() override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void MoveFocusToNextTabStop(bool backwards);
};
