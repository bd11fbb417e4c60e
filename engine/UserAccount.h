#pragma once
// The account this process runs as.

#include <string>

// The logged-on user's name (GetUserNameW); empty when it cannot be read.
[[nodiscard]] std::wstring LoggedOnUserName();
