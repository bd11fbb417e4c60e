#pragma once
// Whether a release may replace the program. The maker signs a release statement (the
// product, the version, and the size and SHA-256 of the program file; ECDSA P-256 over the
// SHA-256 of the statement, verified with the system's CNG against the public key built
// into the program). A downloaded file is that release's program when it has exactly the
// stated size and hash, is an executable for this machine, and its "ProductVersion" is
// the stated version. The file is read through the handle the download holds, so what is
// checked is what gets installed.

#include "core/ReleaseManifest.h"
#include "core/UpdateSignature.h"

#include <windows.h>

#include <string>
#include <string_view>

// The maker's public key (PEM), chosen when the program is configured.
extern const char kUpdatePublicKeyPem[];

// The served statement, signed with the built-in key and well formed. False for a
// signature text that does not parse and for any failure of the system's crypto.
[[nodiscard]] bool ReadSignedManifest(std::string_view statement, std::wstring_view signatureText,
                                      ReleaseManifest& manifest);
// The file is the program the statement describes.
[[nodiscard]] bool IsProgramOfRelease(HANDLE file, const ReleaseManifest& manifest);
