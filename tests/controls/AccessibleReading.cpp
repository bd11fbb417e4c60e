#include "tests/controls/AccessibleReading.h"

#include "framework/Handles.h"

AccessibleReading ReadAccessible(HWND window, long child)
{
    AccessibleReading reading;
    ComPtr<IAccessible> object;
    if (FAILED(::AccessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_CLIENT), IID_IAccessible,
                                            object.put_void())) ||
        !object)
        return reading;
    VARIANT id{};
    id.vt = VT_I4;
    id.lVal = child;
    VARIANT value{};
    if (object->get_accRole(id, &value) == S_OK && value.vt == VT_I4)
        reading.role = value.lVal;
    if (object->get_accState(id, &value) == S_OK && value.vt == VT_I4)
        reading.state = value.lVal;
    BSTR name = nullptr;
    if (object->get_accName(id, &name) == S_OK && name) {
        reading.name = name;
        ::SysFreeString(name);
    }
    if (child == CHILDID_SELF)
        object->get_accChildCount(&reading.children);
    return reading;
}
