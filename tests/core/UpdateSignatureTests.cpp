#include "core/ProgramImage.h"
#include "core/ReleaseManifest.h"
#include "core/UpdateSignature.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

namespace {

constexpr char kTestPublicKey[] = "-----BEGIN PUBLIC KEY-----\n"
                                  "MFkwEwYHKoZIzj0CAQYIKoZIzj0DAQcDQgAEszpWDj10wXZCatCq4hiIPM1MNs4U\n"
                                  "E0TtaY45pJHdjzdNBz7t3KH/GZV7bFkLFAbptuNopaMB52yu2+Qlq3HJ5g==\n"
                                  "-----END PUBLIC KEY-----\n";

std::string ReadTestImage()
{
#ifdef _WIN32
    // Under Wine the source tree is reached through drive Z:, the Linux root.
    const std::string data = std::string("Z:") + VELMORA_TEST_DATA;
#else
    const std::string data = VELMORA_TEST_DATA;
#endif
    std::ifstream in(data + "/image/tiny-3.0.7.exe", std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

TEST(UpdateSignature, SignatureTexts)
{
    const std::wstring good =
        L"TpKUpmTQcdeR95D3u0PxqmIMLhqZLCEs7xir/sqiNERU1XKA/rMlMmg1eOXeJzd7kNijojW2J1ZNhEEZENekEg==";
    struct Case {
        std::wstring text;
        bool accepted;
    };
    const Case cases[] = {
        {good, true},
        {good + L"\n", true},
        {good + L"\r\n", true},
        {good + L"\n\n", false},
        {L" " + good, false},
        {good.substr(0, 84), false},                   // 63 bytes
        {good.substr(0, 86) + L"A=", false},           // 65 bytes
        {good.substr(0, 85) + L"h==", false},          // bits beyond the last byte
        {good.substr(0, 10) + L"*" + good.substr(11), false},
        {good.substr(0, 10) + wchar_t(0x41 + 0x100) + good.substr(11), false},
        {L"<html><body>404</body></html>", false},
        {L"", false},
    };
    for (const Case& c : cases) {
        EcP256Signature signature{};
        EXPECT_EQ(ParseSignatureText(c.text, signature), c.accepted) << c.text.size();
        if (c.accepted) {
            EXPECT_EQ(signature.front(), 0x4E);
            EXPECT_EQ(signature.back(), 0x12);
        }
    }
}

TEST(UpdateSignature, PublicKeys)
{
    EcP256PublicKey key;
    ASSERT_TRUE(ParsePublicKeyPem(kTestPublicKey, key));
    EXPECT_EQ(key.x.front(), 0xB3);
    EXPECT_EQ(key.y.back(), 0xE6);

    const std::string pem = kTestPublicKey;
    const std::string notKeys[] = {
        "",
        pem.substr(0, pem.find("-----END")),
        // A P-384 key.
        "-----BEGIN PUBLIC KEY-----\nMHYwEAYHKoZIzj0CAQYFK4EEACIDYgAE\n-----END PUBLIC KEY-----\n",
        // The same point compressed (02...) instead of uncompressed.
        std::string(pem).replace(pem.find("AEsz"), 4, "AIsz"),
        std::string(pem).replace(pem.find("MFkw"), 4, "MFow"),
    };
    for (const std::string& text : notKeys)
        EXPECT_FALSE(ParsePublicKeyPem(text, key)) << text;
}

TEST(UpdateSignature, ReleaseManifests)
{
    const std::string digest = "00112233445566778899aabbccddeeff00112233445566778899aabbccddeeff";
    const std::string good = "product: Velmora\nversion: 3.0.10\nsize: 1536000\nsha256: " + digest + "\n";
    ReleaseManifest manifest;
    ASSERT_TRUE(ParseReleaseManifest(good, manifest));
    EXPECT_EQ(manifest.version, L"3.0.10");
    EXPECT_EQ(manifest.size, 1536000u);
    EXPECT_EQ(manifest.sha256.front(), 0x00);
    EXPECT_EQ(manifest.sha256[5], 0x55);
    EXPECT_EQ(manifest.sha256.back(), 0xFF);

    const auto replaced = [&good](const std::string& from, const std::string& to) {
        return std::string(good).replace(good.find(from), from.size(), to);
    };
    const std::string refused[] = {
        "",
        good.substr(0, good.size() - 1),
        good + "\n",
        good + "extra: 1\n",
        replaced("Velmora", "Other"),
        replaced("product: ", "product:"),
        replaced("version: 3.0.10", "version: 3.0.10 "),
        replaced("version: 3.0.10", "version: v3.0.10"),
        replaced("size: 1536000", "size:  1536000"),
        replaced("size: 1536000", "size: 0"),
        replaced("size: 1536000", "size: 2147483649"),
        replaced("size: 1536000", "size: 1536000x"),
        replaced("00112233", "0011223"),
        replaced("aabb", "AABB"),
        replaced("aabb", "aagb"),
        replaced("\nsize", "\r\nsize"),
        "version: 3.0.10\nproduct: Velmora\nsize: 1536000\nsha256: " + digest + "\n",
        std::string(good).insert(10, 1, '\0'),
    };
    for (const std::string& text : refused)
        EXPECT_FALSE(ParseReleaseManifest(text, manifest)) << text;
    EXPECT_EQ(manifest.version, L"3.0.10");
}

TEST(ProgramImage, ExecutableAndVersion)
{
    const std::string image = ReadTestImage();
    ASSERT_GT(image.size(), 1024u);
    const std::size_t pe = static_cast<unsigned char>(image[0x3C]) | (static_cast<unsigned char>(image[0x3D]) << 8);
    struct Case {
        const char* name;
        std::size_t offset;
        char value;
        bool executable;
        bool versioned;
    };
    const Case cases[] = {
        {"as built", 0, 'M', true, true},
        {"no MZ", 0, 'X', false, false},
        {"no PE signature", pe, 'X', false, false},
        {"another machine", pe + 4, '\x4c', false, true},
        {"a DLL", pe + 23, '\x20', false, true},
        {"PE32 optional header", pe + 25, '\x01', false, false},
        {"header far away", 0x3F, '\x7f', false, false},
    };
    for (const Case& c : cases) {
        std::string changed = image;
        changed[c.offset] = c.value;
        const CMemoryBytes bytes(changed);
        EXPECT_EQ(IsExecutableImageFor(bytes, kMachineAmd64), c.executable) << c.name;
        EXPECT_EQ(ImageProductVersion(bytes), c.versioned ? std::optional<std::wstring>(L"3.0.7") : std::nullopt)
            << c.name;
    }
    // Every cut-off copy is read without reaching past its end.
    for (std::size_t size = 0; size < image.size(); size += 7) {
        const CMemoryBytes cut(std::string_view(image).substr(0, size));
        (void)IsExecutableImageFor(cut, kMachineAmd64);
        (void)ImageProductVersion(cut);
    }
}
