#pragma once
// The scan progress window's animation: a static control that shows a picture file.
// A GIF is decoded here and, when it has several frames, played by a thread of its own
// until stopped; any other image goes to the system's picture loader (IPicture). To
// assistive software it is an animation named by the window that shows it.

#include <windows.h>

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <utility>

#include "controls/Accessible.h"
#include "framework/Handles.h"
#include "framework/SubclassedWindow.h"

class CPictureBoxEx : public CSubclassedWindow, private IAccessibleSource {
public:
    // Longest wait of Stop for the animation thread.
    static constexpr DWORD kStopWaitMs = 5000;
    // Files above this size are refused rather than read whole into memory.
    static constexpr std::uint64_t kMaxFileBytes = 64u << 20;

    CPictureBoxEx() = default;
    ~CPictureBoxEx() override;

    // Stops what plays, then reads the file whole (others may read it meanwhile, nobody
    // may write it) and decodes it; on success the control takes the image's size.
    // False when the file cannot be opened or read, is too large, or does not decode: the
    // control is then empty (it paints as a plain static).
    [[nodiscard]] bool Load(const std::wstring& path);
    // The same from bytes in memory.
    [[nodiscard]] bool LoadFromMemory(std::span<const std::uint8_t> bytes);
    // Several frames: starts the animation thread (nothing when it already runs); one
    // frame: renders it once. Nothing without a loaded image.
    void Draw();
    // Stops the animation (waiting at most kStopWaitMs) and frees the image. A thread that
    // has not ended by then keeps its frames and off-screen bitmap alive until it does.
    void Stop();

    // What the animation stands for, as assistive software says it.
    void SetAccessibleName(std::wstring name) { m_name = std::move(name); }
    // Shown behind transparent pixels; white until set.
    void SetBackgroundColor(COLORREF color) { m_background = color; }
    [[nodiscard]] bool HasImage() const { return static_cast<bool>(m_canvas); }
    [[nodiscard]] size_t GetFrameCount() const;
    [[nodiscard]] SIZE GetImageSize() const;
    [[nodiscard]] bool IsAnimating() const { return static_cast<bool>(m_thread); }
    // The frame the off-screen bitmap shows now (0 without an image).
    [[nodiscard]] size_t GetCurrentFrame() const;
    // The off-screen bitmap the control paints from (null without an image).
    [[nodiscard]] HBITMAP GetOffscreenBitmap() const;

    struct Canvas;  // frames and off-screen bitmap, shared with the animation thread

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    [[nodiscard]] bool Prepare(std::shared_ptr<Canvas> canvas);
    void Paint();

    [[nodiscard]] long AccessibleRole(long /*child*/) const override { return ROLE_SYSTEM_ANIMATION; }
    [[nodiscard]] std::wstring AccessibleName(long /*child*/) const override { return m_name; }
    [[nodiscard]] long AccessibleState(long /*child*/) const override { return STATE_SYSTEM_READONLY; }

    COLORREF m_background = RGB(255, 255, 255);
    std::shared_ptr<Canvas> m_canvas;
    UniqueHandle m_thread;  // our own handle to the animation thread, for the stop's wait
    std::wstring m_name;
    CAccessibleHost m_accessible{*this};
};
