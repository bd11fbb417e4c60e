#pragma once
// Helpers of the result, repair, summary and restore window tests: made-up problems, a
// parent window for a list, clicks and wheel turns as the mouse gives them, a read-back
// of what a window shows, and a sandbox with an engine of its own that keeps the
// unresolved-problems file and the program's settings as they were.

#include "core/ProblemRecord.h"
#include "engine/CorvaneEngine.h"
#include "tests/controls/Capture.h"
#include "tests/ui/UiTestSupport.h"

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

// A registry-value problem of the section whose texts carry the section and number, so
// a test can tell problems apart.
[[nodiscard]] CError MakeProblem(int section, int number);
// Problems section by section: {section, how many}, in the order given.
[[nodiscard]] CErrorListEx MakeProblems(std::initializer_list<std::pair<int, int>> sectionCounts);

// A visible top-level window to hold a list, destroyed with the object.
class CHostWindow {
public:
    CHostWindow();
    ~CHostWindow();
    CHostWindow(const CHostWindow&) = delete;
    CHostWindow& operator=(const CHostWindow&) = delete;
    [[nodiscard]] HWND Get() const { return m_window; }

private:
    HWND m_window = nullptr;
};

// A left click (button down and up) at a client point of the window.
void Click(HWND window, int x, int y);
// The pointer moving to a client point of the window.
void MoveMouse(HWND window, int x, int y);
// One wheel turn of `delta` (120 per notch; positive turns away from the user, up).
void TurnWheel(HWND window, int delta);
// A scroll-bar request (SB_LINEDOWN ...), as the bar sends it.
void ScrollBar(HWND window, int code);

// What the window's client area shows now, after painting what is pending.
[[nodiscard]] inline Capture ReadClient(HWND window)
{
    PaintNow(window);
    return CaptureClient(window);
}

// The bytes of a file, or nothing when it cannot be read.
[[nodiscard]] std::optional<std::string> FileBytes(const std::wstring& path);

// Keeps the settings, the unresolved-problems file and the engine's problem list; starts
// with no stored problems, an empty list and all counters at 0, and puts everything back
// at the end.
class ResultsSandbox {
public:
    ResultsSandbox();
    ~ResultsSandbox();
    ResultsSandbox(const ResultsSandbox&) = delete;
    ResultsSandbox& operator=(const ResultsSandbox&) = delete;

    // Replaces the engine's problem list.
    void SetProblems(const CErrorListEx& problems) { engine.ProblemList() = problems; }
    // The problems stored in the unresolved-problems file now.
    [[nodiscard]] static CErrorListEx StoredProblems();

private:
    SettingsSandbox m_settings;
    std::optional<std::string> m_storedBytes;

public:
    // The windows' engine; made after the unresolved-problems file is put aside.
    CCorvaneEngine engine;
};
