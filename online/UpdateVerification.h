#pragma once
// Whether a downloaded program file may replace the program: it carries the maker's
// signature (ECDSA P-256 over the SHA-256 of its bytes, verified with the system's CNG
// against the public key built into the program), it is an executable for this
// machine, and its "ProductVersion" is the served version. The file is read through
// the handle the download holds, so what is checked is what gets installed.

#include "core/UpdateSignature.h"

#include <windows.h>

#include <string>
#include <string_view>

// The maker's public key (PEM), chosen when the program is configured.
extern const char kUpdatePublicKeyPem[];

// The signature verifies for the file's bytes under the key. False for a key or
// signature text that does not parse and for any failure of the system's crypto.
[[nodiscard]] bool IsSignedBy(HANDLE file, std::wstring_view signatureText, std::string_view publicKeyPem);
// Every check above, with the built-in key.
[[nodiscard]] bool IsGenuineProgram(HANDLE file, std::wstring_view signatureText, const std::wstring& servedVersion);
