#include "engine/Registry.h"

#include "framework/Handles.h"

#include <vector>

namespace {

UniqueHKey OpenForWrite(HKEY root, const std::wstring& keyPath)
{
    UniqueHKey key;
    if (::RegOpenKeyExW(root, keyPath.c_str(), 0, KEY_WRITE, key.put()) == ERROR_SUCCESS)
        return key;
    if (::RegCreateKeyW(root, keyPath.c_str(), key.put()) == ERROR_SUCCESS)
        return key;
    return UniqueHKey{};
}

UniqueHKey OpenForRead(HKEY root, const std::wstring& keyPath)
{
    UniqueHKey key;
    if (::RegOpenKeyExW(root, keyPath.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS)
        return UniqueHKey{};
    return key;
}

// Reads a value of known size below HKEY_LOCAL_MACHINE; false when missing or larger.
bool ReadFixed(const std::wstring& keyPath, const std::wstring& valueName, void* out, DWORD size)
{
    UniqueHKey key = OpenForRead(HKEY_LOCAL_MACHINE, keyPath);
    if (!key)
        return false;
    DWORD bytes = size;
    return ::RegQueryValueExW(key.get(), valueName.c_str(), nullptr, nullptr, static_cast<BYTE*>(out), &bytes) ==
           ERROR_SUCCESS;
}

}  // namespace

std::optional<std::wstring> RegExactString(const BYTE* data, DWORD size)
{
    if (size < sizeof(wchar_t) || size % sizeof(wchar_t) != 0)
        return std::nullopt;
    const DWORD units = size / sizeof(wchar_t);
    std::wstring text;
    text.reserve(units - 1);
    for (DWORD i = 0; i + 1 < units; ++i) {
        const auto unit = static_cast<wchar_t>(data[2 * i] | (data[2 * i + 1] << 8));
        if (unit == 0)
            return std::nullopt;
        text.push_back(unit);
    }
    if (data[size - 2] != 0 || data[size - 1] != 0)
        return std::nullopt;
    return text;
}

ExactValue RegReadExactValue(HKEY key, const std::wstring& valueName, DWORD maxBytes)
{
    ExactValue value;
    std::vector<BYTE> data(maxBytes);
    DWORD size = maxBytes;
    value.status = ::RegQueryValueExW(key, valueName.c_str(), nullptr, &value.type, data.data(), &size);
    if (value.status != ERROR_SUCCESS)
        return value;
    if (value.type == REG_SZ || value.type == REG_EXPAND_SZ) {
        value.text = RegExactString(data.data(), size);
    } else if (value.type == REG_DWORD && size == sizeof(DWORD)) {
        const DWORD number = static_cast<DWORD>(data[0]) | static_cast<DWORD>(data[1]) << 8 |
                             static_cast<DWORD>(data[2]) << 16 | static_cast<DWORD>(data[3]) << 24;
        value.text = std::to_wstring(number);
    }
    return value;
}

std::wstring RegDataText(const BYTE* data, DWORD size)
{
    std::wstring text;
    text.reserve(size / 2 + 1);
    for (DWORD i = 0; i < size; i += 2) {
        const unsigned low = data[i];
        const unsigned high = i + 1 < size ? data[i + 1] : 0u;
        const auto unit = static_cast<wchar_t>(low | (high << 8));
        if (unit == 0)
            break;
        text.push_back(unit);
    }
    return text;
}

std::wstring RegReadString(HKEY root, const std::wstring& keyPath, const std::wstring& valueName)
{
    UniqueHKey key = OpenForRead(root, keyPath);
    if (!key)
        return {};
    return RegReadString(key.get(), valueName);
}

std::wstring RegReadString(HKEY key, const std::wstring& valueName)
{
    BYTE buffer[kRegBufferBytes];
    DWORD size = kRegDataBytes;
    if (::RegQueryValueExW(key, valueName.c_str(), nullptr, nullptr, buffer, &size) != ERROR_SUCCESS)
        return {};
    return RegDataText(buffer, size);
}

DWORD RegReadDword(const std::wstring& keyPath, const std::wstring& valueName)
{
    DWORD value = 0;
    return ReadFixed(keyPath, valueName, &value, sizeof value) ? value : 0xFFFFFFFFu;
}

std::uint64_t RegReadQword(const std::wstring& keyPath, const std::wstring& valueName)
{
    std::uint64_t value = 0;
    return ReadFixed(keyPath, valueName, &value, sizeof value) ? value : ~std::uint64_t{0};
}

bool RegReadBinary(const std::wstring& keyPath, const std::wstring& valueName, void* buffer, DWORD size)
{
    return ReadFixed(keyPath, valueName, buffer, size);
}

bool RegWriteValue(HKEY root, const std::wstring& keyPath, const std::wstring& valueName, DWORD type, const void* data,
                   DWORD size)
{
    UniqueHKey key = OpenForWrite(root, keyPath);
    if (!key)
        return false;
    return ::RegSetValueExW(key.get(), valueName.c_str(), 0, type, static_cast<const BYTE*>(data), size) ==
           ERROR_SUCCESS;
}

bool RegWriteString(HKEY root, const std::wstring& keyPath, const std::wstring& valueName, const std::wstring& text)
{
    return RegWriteValue(root, keyPath, valueName, REG_SZ, text.c_str(),
                    static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

bool RegWriteDword(HKEY root, const std::wstring& keyPath, const std::wstring& valueName, DWORD value)
{
    return RegWriteValue(root, keyPath, valueName, REG_DWORD, &value, sizeof value);
}

bool RegWriteQword(const std::wstring& keyPath, const std::wstring& valueName, std::uint64_t value)
{
    return RegWriteValue(HKEY_LOCAL_MACHINE, keyPath, valueName, REG_QWORD, &value, sizeof value);
}

bool RegWriteBinary(const std::wstring& keyPath, const std::wstring& valueName, const void* bytes, DWORD size)
{
    return RegWriteValue(HKEY_LOCAL_MACHINE, keyPath, valueName, REG_BINARY, bytes, size);
}

bool RegDeleteValueAt(HKEY root, const std::wstring& keyPath, const std::wstring& valueName)
{
    UniqueHKey key;
    if (::RegOpenKeyExW(root, keyPath.c_str(), 0, KEY_WRITE, key.put()) != ERROR_SUCCESS)
        return false;
    return ::RegDeleteValueW(key.get(), valueName.c_str()) == ERROR_SUCCESS;
}

bool RegDeleteKeyAt(HKEY root, const std::wstring& keyPath)
{
    return ::RegDeleteKeyW(root, keyPath.c_str()) == ERROR_SUCCESS;
}

bool RegCreateKeyAt(HKEY root, const std::wstring& keyPath)
{
    UniqueHKey key;
    return ::RegCreateKeyW(root, keyPath.c_str(), key.put()) == ERROR_SUCCESS;
}

bool RegKeyExists(const std::wstring& keyPath, HKEY parent)
{
    return static_cast<bool>(OpenForRead(parent, keyPath));
}

CStringArrayEx RegListValuesHtml(HKEY root, const std::wstring& keyPath)
{
    CStringArrayEx lines;
    UniqueHKey key = OpenForRead(root, keyPath);
    if (!key)
        return lines;
    DWORD count = 0;
    if (::RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count, nullptr, nullptr,
                           nullptr, nullptr) != ERROR_SUCCESS)
        return lines;
    for (DWORD i = 0; i < count; ++i) {
        wchar_t name[kRegNameChars];
        DWORD nameChars = kRegNameChars;
        BYTE data[kRegBufferBytes];
        DWORD size = kRegDataBytes;
        if (::RegEnumValueW(key.get(), i, name, &nameChars, nullptr, nullptr, data, &size) != ERROR_SUCCESS)
            continue;
        lines.Add(L"<b>[" + std::wstring(name, nameChars) + L"]</b>, " + RegDataText(data, size) + L"\r\n");
    }
    return lines;
}

CStringArrayEx RegListSubkeys(const std::wstring& keyPath)
{
    CStringArrayEx names;
    UniqueHKey key = OpenForRead(HKEY_LOCAL_MACHINE, keyPath);
    if (!key)
        return names;
    DWORD count = 0;
    if (::RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, &count, nullptr, nullptr, nullptr, nullptr, nullptr,
                           nullptr, nullptr) != ERROR_SUCCESS)
        return names;
    for (DWORD i = 0; i < count; ++i) {
        wchar_t name[kRegNameChars];
        DWORD nameChars = kRegNameChars;
        if (::RegEnumKeyExW(key.get(), i, name, &nameChars, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS)
            names.Add(std::wstring(name, nameChars) + L"\r\n");
    }
    return names;
}
