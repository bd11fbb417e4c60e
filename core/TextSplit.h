#pragma once
// Splitting and number parsing shared by the line readers of the data files.

#include "core/ArrayEx.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The pieces before each occurrence of the separator, in order; text after the last
// separator is dropped ("a::b" -> {"a"}), empty pieces are kept. The separator must
// not be empty (an empty one gives an empty array).
[[nodiscard]] CStringArrayEx SplitByString(std::wstring_view text, std::wstring_view separator);

// The maximal runs of characters other than the delimiter, in order: leading, trailing
// and repeated delimiters give no empty token ("%%a%%b%" -> {"a", "b"}).
[[nodiscard]] std::vector<std::wstring> SplitTokens(std::wstring_view text, wchar_t delimiter);

// Every occurrence of what (not empty) in text replaced by replacement.
[[nodiscard]] std::wstring ReplaceAll(std::wstring_view text, std::wstring_view what, std::wstring_view replacement);

// Removes every occurrence of what (not empty) from text.
[[nodiscard]] std::wstring RemoveAll(std::wstring text, std::wstring_view what);

// Decimal conversion as the C runtime's atoi reads it: leading white space and one
// sign are accepted, conversion stops at the first non-digit, no digits give 0.
// Values beyond the 32-bit range saturate.
[[nodiscard]] std::int32_t ParseDecimal(std::wstring_view text);
