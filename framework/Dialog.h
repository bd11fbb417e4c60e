#pragma once
// Dialog base: a window made from a dialog-template resource, modal (DoModal) or
// modeless (Create, used by in-process tests). Messages reach the object through
// virtual functions; the dispatch is written once here and no exception ever
// crosses the window procedure.

#include <windows.h>

class CDialogBase {
public:
    explicit CDialogBase(UINT templateId) : m_templateId(templateId) {}
    virtual ~CDialogBase();
    CDialogBase(const CDialogBase&) = delete;
    CDialogBase& operator=(const CDialogBase&) = delete;

    // Runs the dialog modally; returns the value given to EndDialog, or -1 when the
    // window could not be created.
    INT_PTR DoModal(HWND parent = nullptr);
    // Creates the dialog modeless and visible per its template; false on failure.
    [[nodiscard]] bool Create(HWND parent = nullptr);
    // Ends a modal dialog with the result, or destroys a modeless one.
    void EndDialog(INT_PTR result);

    [[nodiscard]] HWND GetSafeHwnd() const { return m_hWnd; }
    [[nodiscard]] HWND GetDlgItem(int id) const { return ::GetDlgItem(m_hWnd, id); }
    // True while the Windows window exists and is visible.
    [[nodiscard]] bool IsShown() const { return m_hWnd != nullptr && ::IsWindowVisible(m_hWnd); }

    // The module whose resources hold the templates and bitmaps: the program itself.
    [[nodiscard]] static HINSTANCE ResourceModule();

protected:
    // Return TRUE to let the system focus the first control.
    virtual BOOL OnInitDialog() { return TRUE; }
    // Enter (IDOK) and Escape (IDCANCEL).
    virtual void OnOK() { EndDialog(IDOK); }
    virtual void OnCancel() { EndDialog(IDCANCEL); }
    // WM_COMMAND other than IDOK/IDCANCEL; true when handled.
    virtual bool OnCommand(WORD /*id*/, WORD /*code*/, HWND /*control*/) { return false; }
    // Any other message; true when handled, with its result in `result`.
    virtual bool OnMessage(UINT /*message*/, WPARAM /*wParam*/, LPARAM /*lParam*/, LRESULT& /*result*/)
    {
        return false;
    }
    // Called after the window is gone (WM_NCDESTROY).
    virtual void OnDestroyed() {}

    HWND m_hWnd = nullptr;

private:
    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR Dispatch(UINT message, WPARAM wParam, LPARAM lParam);

    UINT m_templateId;
    bool m_modal = false;
};
