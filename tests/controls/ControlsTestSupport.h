#pragma once
// Shared by the control tests: a skinned host dialog, child creation, message pumping
// and the captures (Capture.h).

#include <windows.h>

#include <functional>
#include <utility>
#include <vector>

#include "controls/BitmapDialog.h"
#include "tests/controls/Capture.h"

// The visible top-level window (800 x 600 at the screen's top-left) that holds the test dialogs.
HWND TestStage();

// A skinned dialog made from the program's main template, emptied of the template's own
// controls, shown as a child of the stage at its top-left corner. Enter and Escape do
// not close it; commands and the owner-draw messages that reach it are recorded.
class CTestDialog : public CBitmapDialog {
public:
    CTestDialog();
    [[nodiscard]] bool Open(int clientWidth, int clientHeight);

    std::vector<std::pair<WORD, WORD>> commands;  // (control id, notification code)
    std::vector<UINT> ownerMessages;               // WM_DRAWITEM / WM_NOTIFY that arrived here
    std::vector<UINT> notifyCodes;                 // the codes of those WM_NOTIFY
    std::function<void(WORD id, WORD code)> onCommand;

protected:
    BOOL OnInitDialog() override;
    bool OnCommand(WORD id, WORD code, HWND control) override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    void OnOK() override {}
    void OnCancel() override {}
};

// A visible child control; null on failure.
HWND CreateChild(HWND parent, const wchar_t* className, const wchar_t* text, DWORD style, RECT place, int id,
                 DWORD exStyle = 0);

// Handles every message waiting for this thread.
void PumpMessages();
// Handles messages until `done` is true; false when `limitMs` passed first (a safety
// net against a hang, never a measure of speed).
bool PumpUntil(const std::function<bool()>& done, DWORD limitMs = 10000);

// A bitmap of one colour; caller owns it.
HBITMAP CreateSolidBitmap(int width, int height, COLORREF color);

inline bool IsGdiObjectAlive(HGDIOBJ object)
{
    return object != nullptr && ::GetObjectType(object) != 0;
}
