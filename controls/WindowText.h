#pragma once
// The whole text of a window, however long.

#include <windows.h>

#include <string>

[[nodiscard]] std::wstring ReadWindowText(HWND window);
