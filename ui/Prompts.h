#pragma once
// Every message box of the program goes through here, so that the in-process window
// tests can read each text and give the answer a user would.

#include <windows.h>

#include <functional>
#include <string>

// Asked instead of MessageBoxW while installed; returns the button id (IDOK, IDYES...).
using PromptHandler = std::function<int(HWND owner, const std::wstring& text, const std::wstring& title, UINT type)>;

inline constexpr wchar_t kProductTitle[] = L"Velmora";

// MessageBoxW, or the installed handler. Returns the chosen button's id.
int ShowPrompt(HWND owner, const std::wstring& text, const std::wstring& title, UINT type);
// A message box titled with the program's file name without its extension, the title of
// the program's general messages.
int ShowAppPrompt(HWND owner, const std::wstring& text, UINT type = MB_OK);
// The program's file name without folder and extension ("Velmora" when it cannot be read).
[[nodiscard]] std::wstring ProgramFileTitle();

// Installs a handler for its lifetime and restores the previous one afterwards. UI thread.
class CPromptInterceptor {
public:
    explicit CPromptInterceptor(PromptHandler handler);
    ~CPromptInterceptor();
    CPromptInterceptor(const CPromptInterceptor&) = delete;
    CPromptInterceptor& operator=(const CPromptInterceptor&) = delete;

private:
    PromptHandler m_previous;
};
