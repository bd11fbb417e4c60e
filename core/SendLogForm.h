#pragma once
// The checks of the send-log form, in the order the user meets them.

#include <string>

// A local part, "@", and a domain whose first two "."-tokens are both non-empty;
// anything after a second "@" is not examined.
[[nodiscard]] bool IsPlausibleEmail(const std::wstring& email);

// The message for the first field that is not acceptable; empty when all are.
[[nodiscard]] std::wstring SendLogFieldProblem(const std::wstring& name, const std::wstring& email,
                                               const std::wstring& description);
