#pragma once
// Saves what a window shows as BMP pictures in one folder, and keeps the tally of what
// was written and what could not be.

#include <windows.h>

#include <string>
#include <vector>

#include "tests/gallery/GalleryWindows.h"

class CPhotographer final : public IWindowCamera {
public:
    explicit CPhotographer(std::wstring folder);

    // NAME.bmp: the window's client area as it is now, brought to the top and painted.
    void Take(HWND window, const std::wstring& name) override;
    // NAME-normal.bmp, then with the pointer over every button and check box (-hover),
    // then pressed (-pressed), then disabled (-disabled). Leaves the window disabled.
    void TakeStates(HWND window, const std::wstring& name) override;
    // A window that did not open is reported once under its picture's name.
    void Missed(const std::wstring& name) override;

    [[nodiscard]] const std::vector<std::wstring>& Written() const { return m_written; }
    [[nodiscard]] const std::vector<std::wstring>& Failed() const { return m_failed; }

private:
    std::wstring m_folder;
    std::vector<std::wstring> m_written;
    std::vector<std::wstring> m_failed;
};
