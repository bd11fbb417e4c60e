#pragma once
// One-call registry functions. Each opens the key itself, closes whatever it opened
// and reports failure only through its result (empty text, a documented default, or
// false); none throws. Writing functions open the key with KEY_WRITE and create it
// (RegCreateKeyW) when that fails; reading functions open with KEY_READ.

#include "core/ArrayEx.h"
#include "core/RegistryItem.h"

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>

// Registry names are read into 256-character buffers, data with a data size of 1024
// bytes into a 2048-byte buffer (at most 511 characters and the terminator).
inline constexpr DWORD kRegNameChars = 256;
inline constexpr DWORD kRegDataBytes = 1024;
inline constexpr DWORD kRegBufferBytes = 2048;

// The value as text whatever its type; empty when the key or value cannot be read or
// the data is longer than 1024 bytes.
[[nodiscard]] std::wstring RegReadString(HKEY root, const std::wstring& keyPath, const std::wstring& valueName);
// The same for a key the caller holds open, without opening it again.
[[nodiscard]] std::wstring RegReadString(HKEY key, const std::wstring& valueName);
// Below HKEY_LOCAL_MACHINE; 0xFFFFFFFF when the key or value is missing.
[[nodiscard]] DWORD RegReadDword(const std::wstring& keyPath, const std::wstring& valueName);
// Below HKEY_LOCAL_MACHINE; all bits set when missing.
[[nodiscard]] std::uint64_t RegReadQword(const std::wstring& keyPath, const std::wstring& valueName);
// Below HKEY_LOCAL_MACHINE; reads at most size bytes into buffer.
[[nodiscard]] bool RegReadBinary(const std::wstring& keyPath, const std::wstring& valueName, void* buffer, DWORD size);

bool RegWriteValue(HKEY root, const std::wstring& keyPath, const std::wstring& valueName, DWORD type, const void* data,
                   DWORD size);
bool RegWriteString(HKEY root, const std::wstring& keyPath, const std::wstring& valueName, const std::wstring& text);
bool RegWriteDword(HKEY root, const std::wstring& keyPath, const std::wstring& valueName, DWORD value);
bool RegWriteQword(const std::wstring& keyPath, const std::wstring& valueName, std::uint64_t value);
bool RegWriteBinary(const std::wstring& keyPath, const std::wstring& valueName, const void* bytes, DWORD size);

// True only when the key opens for writing and the value is deleted.
bool RegDeleteValueAt(HKEY root, const std::wstring& keyPath, const std::wstring& valueName);
// RegDeleteKeyW: a key that still has subkeys is not deleted (false).
bool RegDeleteKeyAt(HKEY root, const std::wstring& keyPath);
bool RegCreateKeyAt(HKEY root, const std::wstring& keyPath);

// True when the key opens with KEY_READ below the given open key or root.
[[nodiscard]] bool RegKeyExists(const std::wstring& keyPath, HKEY parent);

// One line "<b>[name]</b>, data\r\n" per readable value (data taken as text whatever
// its type); empty when the key cannot be opened.
[[nodiscard]] CStringArrayEx RegListValuesHtml(HKEY root, const std::wstring& keyPath);
// Below HKEY_LOCAL_MACHINE: one entry per subkey, its name followed by CR LF.
[[nodiscard]] CStringArrayEx RegListSubkeys(const std::wstring& keyPath);

// The text of REG_SZ / REG_EXPAND_SZ data when the data says exactly that and nothing
// more: an even byte count ending in one NUL unit, with no other NUL before it. Data
// with an embedded NUL, an odd length or no terminator gives nothing: no text could
// write it back as it is.
[[nodiscard]] std::optional<std::wstring> RegExactString(const BYTE* data, DWORD size);

// A value as every remover reads it before deleting it: the data as the text its backup
// line carries, and only when that line brings the value back byte for byte.
struct ExactValue {
    LONG status = ERROR_SUCCESS;  // of the query; ERROR_MORE_DATA when larger than the limit
    DWORD type = REG_NONE;
    // REG_SZ / REG_EXPAND_SZ: RegExactString; REG_DWORD of four bytes: decimal. Nothing
    // for any other type or size, and when the query failed.
    std::optional<std::wstring> text;
};
// Reads the value of the open key with at most maxBytes of data.
[[nodiscard]] ExactValue RegReadExactValue(HKEY key, const std::wstring& valueName, DWORD maxBytes);

// Text from registry data as a zero-filled buffer would hold it: the bytes as UTF-16
// code units (an odd last byte makes a unit of its own) up to the first zero unit.
[[nodiscard]] std::wstring RegDataText(const BYTE* data, DWORD size);
