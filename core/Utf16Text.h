#pragma once
// UTF-16LE text as the program's data files hold it: no byte-order mark written,
// one 16-bit code unit per wchar_t in both directions. Surrogates are never
// combined or checked, so the same bytes round-trip on Windows (16-bit wchar_t)
// and in the host build (32-bit wchar_t).

#include <string>
#include <string_view>

namespace utf16 {

// Decodes little-endian code units; a leading byte-order mark is dropped and a
// trailing odd byte (a truncated file) is ignored.
[[nodiscard]] std::wstring DecodeLe(std::string_view bytes);

// Encodes each code unit as two little-endian bytes; no byte-order mark.
// Units above 0xFFFF (possible only with a 32-bit wchar_t) keep their low 16 bits.
[[nodiscard]] std::string EncodeLe(std::wstring_view text);

// UTF-8 for console output and the HTML report. Paired surrogates become one
// code point; a lone surrogate becomes U+FFFD.
[[nodiscard]] std::string ToUtf8(std::wstring_view text);

}  // namespace utf16
