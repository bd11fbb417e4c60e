#pragma once
// The program's data lives in folders a user program could replace by a link or a
// junction; followed blindly, an elevated write or delete would land wherever the link
// points. These checks come before every write, replacement or deletion there.

#include <initializer_list>
#include <string>

// True when the path exists and is a reparse point (symbolic link, junction, mount
// point), and also when its attributes cannot be read for a reason other than its
// absence: what cannot be checked is not trusted. A missing path is not a link.
[[nodiscard]] bool IsLinkOrUnreadable(const std::wstring& path);

// True when none of the paths is a link (IsLinkOrUnreadable false for each).
[[nodiscard]] bool NoneIsLink(std::initializer_list<std::wstring> paths);

// True when a folder on the path's parent chain, from the top of its drive down, is a
// link or cannot be checked (IsLinkOrUnreadable); missing folders are no links.
[[nodiscard]] bool ParentChainHoldsLink(const std::wstring& path);

// Creates the folder when it is missing. False when the folder is a link, cannot be
// created, or is not a folder afterwards.
[[nodiscard]] bool EnsureRealFolder(const std::wstring& folder);
