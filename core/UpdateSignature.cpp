#include "core/UpdateSignature.h"

#include <algorithm>
#include <string>

namespace {

constexpr std::string_view kPemBegin = "-----BEGIN PUBLIC KEY-----";
constexpr std::string_view kPemEnd = "-----END PUBLIC KEY-----";
// SubjectPublicKeyInfo of an id-ecPublicKey on prime256v1 holding a 65-byte BIT STRING
// that starts with 04 (uncompressed point): every such key has exactly this prefix.
constexpr std::array<std::uint8_t, 27> kP256KeyInfoPrefix{0x30, 0x59, 0x30, 0x13, 0x06, 0x07, 0x2a, 0x86, 0x48,
                                                          0xce, 0x3d, 0x02, 0x01, 0x06, 0x08, 0x2a, 0x86, 0x48,
                                                          0xce, 0x3d, 0x03, 0x01, 0x07, 0x03, 0x42, 0x00, 0x04};

int Base64Value(char c)
{
    if (c >= 'A' && c <= 'Z')
        return c - 'A';
    if (c >= 'a' && c <= 'z')
        return c - 'a' + 26;
    if (c >= '0' && c <= '9')
        return c - '0' + 52;
    if (c == '+')
        return 62;
    if (c == '/')
        return 63;
    return -1;
}

}  // namespace

bool DecodeBase64(std::string_view text, std::vector<std::uint8_t>& bytes)
{
    if (text.size() % 4 != 0)
        return false;
    std::size_t padding = 0;
    while (padding < 2 && padding < text.size() && text[text.size() - 1 - padding] == '=')
        ++padding;
    std::vector<std::uint8_t> decoded;
    decoded.reserve(text.size() / 4 * 3);
    std::uint32_t bits = 0;
    int bitCount = 0;
    for (std::size_t at = 0; at < text.size() - padding; ++at) {
        const int value = Base64Value(text[at]);
        if (value < 0)
            return false;
        bits = (bits << 6) | static_cast<std::uint32_t>(value);
        bitCount += 6;
        if (bitCount >= 8) {
            bitCount -= 8;
            decoded.push_back(static_cast<std::uint8_t>(bits >> bitCount));
            bits &= (1u << bitCount) - 1;
        }
    }
    // Bits left over in the last character must be zero, so each byte string has one text.
    if (bits != 0)
        return false;
    bytes = std::move(decoded);
    return true;
}

bool ParseSignatureText(std::wstring_view text, EcP256Signature& signature)
{
    if (text.size() >= 1 && text.back() == L'\n')
        text.remove_suffix(text.size() >= 2 && text[text.size() - 2] == L'\r' ? 2 : 1);
    std::string narrow;
    for (const wchar_t c : text) {
        if (c > 0x7F)
            return false;
        narrow.push_back(static_cast<char>(c));
    }
    std::vector<std::uint8_t> bytes;
    if (!DecodeBase64(narrow, bytes) || bytes.size() != signature.size())
        return false;
    std::copy(bytes.begin(), bytes.end(), signature.begin());
    return true;
}

bool ParsePublicKeyPem(std::string_view pem, EcP256PublicKey& key)
{
    const std::size_t begin = pem.find(kPemBegin);
    const std::size_t end = pem.find(kPemEnd);
    if (begin == std::string_view::npos || end == std::string_view::npos || end < begin)
        return false;
    std::string body;
    for (const char c : pem.substr(begin + kPemBegin.size(), end - begin - kPemBegin.size()))
        if (c != '\r' && c != '\n')
            body.push_back(c);
    std::vector<std::uint8_t> der;
    if (!DecodeBase64(body, der) || der.size() != kP256KeyInfoPrefix.size() + 64 ||
        !std::equal(kP256KeyInfoPrefix.begin(), kP256KeyInfoPrefix.end(), der.begin()))
        return false;
    const auto point = der.begin() + kP256KeyInfoPrefix.size();
    std::copy(point, point + 32, key.x.begin());
    std::copy(point + 32, point + 64, key.y.begin());
    return true;
}
