#pragma once
// Splitting and number parsing shared by the line readers of the data files.

#include "core/ArrayEx.h"

#include <cstdint>
#include <string>
#include <string_view>

// The pieces before each occurrence of the separator, in order; text after the last
// separator is dropped ("a::b" -> {"a"}), empty pieces are kept. The separator must
// not be empty (an empty one gives an empty array).
[[nodiscard]] CStringArrayEx SplitByString(std::wstring_view text, std::wstring_view separator);

// Removes every occurrence of what (not empty) from text.
[[nodiscard]] std::wstring RemoveAll(std::wstring text, std::wstring_view what);

// Decimal conversion as the C runtime's atoi reads it: leading white space and one
// sign are accepted, conversion stops at the first non-digit, no digits give 0.
// Values beyond the 32-bit range saturate.
[[nodiscard]] std::int32_t ParseDecimal(std::wstring_view text);
