#pragma once
// The texts of the update's signature: the maker's public key as PEM and the served
// signature file. Both arrive as text; everything here is bounds-checked, since the
// signature comes from the network.

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

inline constexpr wchar_t kServedSignatureFile[] = L"it-velmora-latest-version/velmora_signature.txt";

// An ECDSA P-256 signature as r and s, 32 bytes each, big-endian.
using EcP256Signature = std::array<std::uint8_t, 64>;

// The point of an ECDSA P-256 public key, coordinates big-endian.
struct EcP256PublicKey {
    std::array<std::uint8_t, 32> x{};
    std::array<std::uint8_t, 32> y{};
};

// Standard base64 with its padding; false for any other character or a bad length.
[[nodiscard]] bool DecodeBase64(std::string_view text, std::vector<std::uint8_t>& bytes);
// The served signature text: the base64 of exactly 64 bytes, optionally followed by one
// line break ("\n" or "\r\n").
[[nodiscard]] bool ParseSignatureText(std::wstring_view text, EcP256Signature& signature);
// A "PUBLIC KEY" PEM block holding a P-256 key as an uncompressed point; false for any
// other key, curve or text.
[[nodiscard]] bool ParsePublicKeyPem(std::string_view pem, EcP256PublicKey& key);
