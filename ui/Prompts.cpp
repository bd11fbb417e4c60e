#include "ui/Prompts.h"

#include <utility>

namespace {

PromptHandler& InstalledHandler()
{
    static PromptHandler handler;
    return handler;
}

}  // namespace

int ShowPrompt(HWND owner, const std::wstring& text, const std::wstring& title, UINT type)
{
    if (const PromptHandler& handler = InstalledHandler())
        return handler(owner, text, title, type);
    return ::MessageBoxW(owner, text.c_str(), title.c_str(), type);
}

int ShowAppPrompt(HWND owner, const std::wstring& text, UINT type)
{
    return ShowPrompt(owner, text, ProgramFileTitle(), type);
}

std::wstring ProgramFileTitle()
{
    wchar_t path[MAX_PATH] = {};
    const DWORD length = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return kProductTitle;
    std::wstring name(path, length);
    const size_t slash = name.find_last_of(L"\\/");
    if (slash != std::wstring::npos)
        name.erase(0, slash + 1);
    const size_t dot = name.rfind(L'.');
    if (dot != std::wstring::npos && dot > 0)
        name.erase(dot);
    return name.empty() ? std::wstring(kProductTitle) : name;
}

CPromptInterceptor::CPromptInterceptor(PromptHandler handler)
    : m_previous(std::exchange(InstalledHandler(), std::move(handler)))
{
}

CPromptInterceptor::~CPromptInterceptor() { InstalledHandler() = std::move(m_previous); }
