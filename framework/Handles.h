#pragma once
// One RAII owner per release function, so no path can leak an OS handle.

#include "framework/NotifyTarget.h"

#include <windows.h>
#include <oleauto.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

// Generic owner: Traits supplies the empty value and the release call.
template <typename Traits>
class UniqueResource {
public:
    using Handle = typename Traits::Handle;

    UniqueResource() = default;
    explicit UniqueResource(Handle handle) : m_handle(handle) {}
    ~UniqueResource() { reset(); }
    UniqueResource(const UniqueResource&) = delete;
    UniqueResource& operator=(const UniqueResource&) = delete;
    UniqueResource(UniqueResource&& other) noexcept : m_handle(other.release()) {}
    UniqueResource& operator=(UniqueResource&& other) noexcept
    {
        if (this != &other)
            reset(other.release());
        return *this;
    }

    [[nodiscard]] Handle get() const { return m_handle; }
    explicit operator bool() const { return Traits::IsValid(m_handle); }

    void reset(Handle handle = Traits::Empty())
    {
        if (Traits::IsValid(m_handle))
            Traits::Release(m_handle);
        m_handle = handle;
    }
    [[nodiscard]] Handle release() { return std::exchange(m_handle, Traits::Empty()); }

    // For out-parameters: releases what is held and hands out the slot.
    Handle* put()
    {
        reset();
        return &m_handle;
    }

private:
    Handle m_handle = Traits::Empty();
};

namespace handle_traits {

bool IsPredefinedKey(HKEY key);

struct HKey {
    using Handle = HKEY;
    static Handle Empty() { return nullptr; }
    // Predefined roots are never closed: they may be the result of an open of "".
    static bool IsValid(Handle h) { return h != nullptr && !IsPredefinedKey(h); }
    static void Release(Handle h) { ::RegCloseKey(h); }
};

struct Kernel {
    using Handle = HANDLE;
    static Handle Empty() { return nullptr; }
    static bool IsValid(Handle h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static void Release(Handle h) { ::CloseHandle(h); }
};

struct Find {
    using Handle = HANDLE;
    static Handle Empty() { return INVALID_HANDLE_VALUE; }
    static bool IsValid(Handle h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static void Release(Handle h) { ::FindClose(h); }
};

template <typename T>
struct Gdi {
    using Handle = T;
    static Handle Empty() { return nullptr; }
    static bool IsValid(Handle h) { return h != nullptr; }
    static void Release(Handle h) { ::DeleteObject(h); }
};

struct Bstr {
    using Handle = BSTR;
    static Handle Empty() { return nullptr; }
    static bool IsValid(Handle h) { return h != nullptr; }
    static void Release(Handle h) { ::SysFreeString(h); }
};

struct Dc {
    using Handle = HDC;
    static Handle Empty() { return nullptr; }
    static bool IsValid(Handle h) { return h != nullptr; }
    static void Release(Handle h) { ::DeleteDC(h); }
};

struct Module {
    using Handle = HMODULE;
    static Handle Empty() { return nullptr; }
    static bool IsValid(Handle h) { return h != nullptr; }
    static void Release(Handle h) { ::FreeLibrary(h); }
};

// Memory the system allocated with LocalAlloc for the caller (security descriptors, SID texts).
struct Local {
    using Handle = HLOCAL;
    static Handle Empty() { return nullptr; }
    static bool IsValid(Handle h) { return h != nullptr; }
    static void Release(Handle h) { ::LocalFree(h); }
};

}  // namespace handle_traits

using UniqueHKey = UniqueResource<handle_traits::HKey>;
using UniqueHandle = UniqueResource<handle_traits::Kernel>;
using UniqueFindHandle = UniqueResource<handle_traits::Find>;
template <typename T>
using UniqueGdiObject = UniqueResource<handle_traits::Gdi<T>>;
using UniqueBstr = UniqueResource<handle_traits::Bstr>;
using UniqueModule = UniqueResource<handle_traits::Module>;
using UniqueLocal = UniqueResource<handle_traits::Local>;
// A memory DC from CreateCompatibleDC (DeleteDC, not ReleaseDC).
using UniqueMemoryDc = UniqueResource<handle_traits::Dc>;

// Restores the previously selected object when the scope ends.
class SelectObjectGuard {
public:
    SelectObjectGuard(HDC dc, HGDIOBJ object) : m_dc(dc), m_previous(::SelectObject(dc, object)) {}
    ~SelectObjectGuard() { ::SelectObject(m_dc, m_previous); }
    SelectObjectGuard(const SelectObjectGuard&) = delete;
    SelectObjectGuard& operator=(const SelectObjectGuard&) = delete;

private:
    HDC m_dc;
    HGDIOBJ m_previous;
};

// A top-down 32-bit BI_RGB DIB section: row 0 first, one 0x00RRGGBB DWORD per pixel.
// Empty (and bits null) when the size is not positive or the system refuses.
[[nodiscard]] UniqueGdiObject<HBITMAP> CreateTopDownDib(HDC dc, int width, int height, void** bits);

// Owning COM interface pointer.
template <typename T>
class ComPtr {
public:
    ComPtr() = default;
    ~ComPtr() { reset(); }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ComPtr(ComPtr&& other) noexcept : m_ptr(std::exchange(other.m_ptr, nullptr)) {}
    ComPtr& operator=(ComPtr&& other) noexcept
    {
        if (this != &other) {
            reset();
            m_ptr = std::exchange(other.m_ptr, nullptr);
        }
        return *this;
    }

    [[nodiscard]] T* get() const { return m_ptr; }
    T* operator->() const { return m_ptr; }
    explicit operator bool() const { return m_ptr != nullptr; }
    void reset()
    {
        if (m_ptr)
            std::exchange(m_ptr, nullptr)->Release();
    }
    T** put()
    {
        reset();
        return &m_ptr;
    }
    void** put_void() { return reinterpret_cast<void**>(put()); }

    // QueryInterface into another owner; returns the HRESULT.
    template <typename U>
    HRESULT As(ComPtr<U>& target) const
    {
        return m_ptr ? m_ptr->QueryInterface(__uuidof(U), target.put_void()) : E_POINTER;
    }

private:
    T* m_ptr = nullptr;
};

// Initialises COM for the calling thread for the scope's lifetime.
class ComInitializer {
public:
    explicit ComInitializer(DWORD model = COINIT_APARTMENTTHREADED) : m_result(::CoInitializeEx(nullptr, model)) {}
    ~ComInitializer()
    {
        if (SUCCEEDED(m_result))
            ::CoUninitialize();
    }
    ComInitializer(const ComInitializer&) = delete;
    ComInitializer& operator=(const ComInitializer&) = delete;
    [[nodiscard]] bool Succeeded() const { return SUCCEEDED(m_result); }

private:
    HRESULT m_result;
};

// Roots travel as their 32-bit values (0x80000000...) and become HKEYs only here;
// HKEY constants are sign-extended pointers on x64, so a plain cast is wrong.
[[nodiscard]] HKEY RootToHKey(std::uint32_t root);

// Posts text to a window or thread as a BSTR in wParam. The receiver owns it and must
// call TakeText. When the post fails the BSTR is freed here and false is returned.
[[nodiscard]] bool PostText(const CNotifyTarget& target, UINT message, std::wstring_view text, LPARAM lParam = 0);

// Copies the text out of a BSTR posted by PostText and frees the BSTR.
[[nodiscard]] std::wstring TakeText(WPARAM wParam);
