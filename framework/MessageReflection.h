#pragma once
// Owner drawing and list notifications go to a control's parent window. A control that
// draws itself or reacts to its own notifications, whatever class its parent has, installs
// a CMessageReflector: the parent is subclassed for as long as the reflector runs, and the
// parent's WM_DRAWITEM and WM_NOTIFY messages that name the control reach the control first.

#include <windows.h>

class CReflectedMessageSink {
public:
    // True when handled; `result` then goes back to the sender and the parent never sees
    // the message. False passes it on to the parent unchanged.
    virtual bool OnReflectedMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) = 0;

protected:
    ~CReflectedMessageSink() = default;
};

class CMessageReflector {
public:
    CMessageReflector() = default;
    ~CMessageReflector() { Stop(); }
    CMessageReflector(const CMessageReflector&) = delete;
    CMessageReflector& operator=(const CMessageReflector&) = delete;

    // Starts reflecting (stopping any earlier reflection first). False when the control
    // has no parent or the parent cannot be subclassed; nothing is reflected then.
    // Call on the thread that owns the windows.
    [[nodiscard]] bool Start(HWND control, CReflectedMessageSink& sink);
    // Idempotent; also safe after the parent is gone.
    void Stop();

private:
    static LRESULT CALLBACK ParentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                       DWORD_PTR self);
    [[nodiscard]] bool Concerns(UINT message, LPARAM lParam) const;

    HWND m_parent = nullptr;
    HWND m_control = nullptr;
    CReflectedMessageSink* m_sink = nullptr;
};
