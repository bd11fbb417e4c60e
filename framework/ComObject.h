#pragma once
// The reference counting every COM object of the program shares, and the one place
// where such an object is made: it lives as long as the last reference to it.

#include <windows.h>

#include <new>
#include <utility>

#include "framework/Handles.h"

template <typename Interface>
class CComObjectBase : public Interface {
public:
    CComObjectBase(const CComObjectBase&) = delete;
    CComObjectBase& operator=(const CComObjectBase&) = delete;

    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(::InterlockedIncrement(&m_references)); }
    ULONG STDMETHODCALLTYPE Release() override
    {
        const LONG left = ::InterlockedDecrement(&m_references);
        if (left == 0)
            delete this;
        return static_cast<ULONG>(left);
    }

protected:
    CComObjectBase() = default;
    virtual ~CComObjectBase() = default;

private:
    LONG m_references = 1;
};

// A new object holding its first reference; empty when memory runs out.
template <typename T, typename... Args>
[[nodiscard]] ComPtr<T> MakeComObject(Args&&... args)
{
    ComPtr<T> object;
    *object.put() = new (std::nothrow) T(std::forward<Args>(args)...);
    return object;
}
