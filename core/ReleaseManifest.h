#pragma once
// The release statement of the self-update: a short text that names the product, the
// version and the size and SHA-256 of the program file, signed by the maker as a whole.
// It comes from the network, so it is read strictly: exactly its four lines, in order.
//
//     product: Velmora
//     version: 3.0.7
//     size: 1536000
//     sha256: <64 lower-case hexadecimal digits>
//
// each line ended by "\n".

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

inline constexpr wchar_t kServedManifestFile[] = L"it-velmora-latest-version/velmora_manifest.txt";
inline constexpr char kReleaseProduct[] = "Velmora";

struct ReleaseManifest {
    std::wstring version;
    std::uint64_t size = 0;
    std::array<std::uint8_t, 32> sha256{};
};

// False for any other text: another product, a version that is not one (IsVersionText),
// a size of 0 or above 2 GiB, a digest of another length or spelling, a missing, extra or
// reordered line.
[[nodiscard]] bool ParseReleaseManifest(std::string_view text, ReleaseManifest& manifest);
