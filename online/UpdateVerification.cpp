#include "online/UpdateVerification.h"

#include "core/ProgramImage.h"
#include "framework/Handles.h"

#include <bcrypt.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

namespace handle_traits {
struct BCryptAlgorithm {
    using Handle = BCRYPT_ALG_HANDLE;
    static Handle Empty() { return nullptr; }
    static bool IsValid(Handle h) { return h != nullptr; }
    static void Release(Handle h) { ::BCryptCloseAlgorithmProvider(h, 0); }
};
struct BCryptKey {
    using Handle = BCRYPT_KEY_HANDLE;
    static Handle Empty() { return nullptr; }
    static bool IsValid(Handle h) { return h != nullptr; }
    static void Release(Handle h) { ::BCryptDestroyKey(h); }
};
struct BCryptHash {
    using Handle = BCRYPT_HASH_HANDLE;
    static Handle Empty() { return nullptr; }
    static bool IsValid(Handle h) { return h != nullptr; }
    static void Release(Handle h) { ::BCryptDestroyHash(h); }
};
}  // namespace handle_traits

namespace {

using UniqueAlgorithm = UniqueResource<handle_traits::BCryptAlgorithm>;
using UniqueKey = UniqueResource<handle_traits::BCryptKey>;
using UniqueHash = UniqueResource<handle_traits::BCryptHash>;

constexpr DWORD kReadBlockBytes = 64 * 1024;
constexpr ULONG kDigestBytes = 32;

bool Succeeded(NTSTATUS status) { return status >= 0; }

// The file behind a handle, read at explicit offsets (the handle's position is not used).
class CFileBytes final : public IByteSource {
public:
    explicit CFileBytes(HANDLE file) : m_file(file)
    {
        LARGE_INTEGER size{};
        m_size = ::GetFileSizeEx(file, &size) ? static_cast<std::uint64_t>(size.QuadPart) : 0;
    }
    [[nodiscard]] std::uint64_t Size() const override { return m_size; }
    [[nodiscard]] bool Read(std::uint64_t offset, void* out, std::size_t size) const override
    {
        if (offset > m_size || size > m_size - offset || size > MAXDWORD)
            return false;
        OVERLAPPED at{};
        at.Offset = static_cast<DWORD>(offset);
        at.OffsetHigh = static_cast<DWORD>(offset >> 32);
        DWORD read = 0;
        return ::ReadFile(m_file, out, static_cast<DWORD>(size), &read, &at) && read == size;
    }

private:
    HANDLE m_file;
    std::uint64_t m_size = 0;
};

using Digest = std::array<UCHAR, kDigestBytes>;

// SHA-256 of a source's bytes, read in blocks.
bool HashBytes(const IByteSource& source, Digest& digest)
{
    UniqueAlgorithm sha256;
    UniqueHash hash;
    if (!Succeeded(::BCryptOpenAlgorithmProvider(sha256.put(), BCRYPT_SHA256_ALGORITHM, nullptr, 0)) ||
        !Succeeded(::BCryptCreateHash(sha256.get(), hash.put(), nullptr, 0, nullptr, 0, 0)))
        return false;
    std::vector<UCHAR> block(kReadBlockBytes);
    for (std::uint64_t offset = 0; offset < source.Size();) {
        const auto size = static_cast<DWORD>(std::min<std::uint64_t>(kReadBlockBytes, source.Size() - offset));
        if (!source.Read(offset, block.data(), size) ||
            !Succeeded(::BCryptHashData(hash.get(), block.data(), size, 0)))
            return false;
        offset += size;
    }
    return Succeeded(::BCryptFinishHash(hash.get(), digest.data(), kDigestBytes, 0));
}

// The signature verifies for the bytes under the key.
bool IsSignedBy(std::string_view bytes, std::wstring_view signatureText, std::string_view publicKeyPem)
{
    EcP256Signature signature;
    EcP256PublicKey point;
    Digest digest;
    if (!ParseSignatureText(signatureText, signature) || !ParsePublicKeyPem(publicKeyPem, point) ||
        !HashBytes(CMemoryBytes(bytes), digest))
        return false;

    std::vector<UCHAR> blob(sizeof(BCRYPT_ECCKEY_BLOB) + point.x.size() + point.y.size());
    const BCRYPT_ECCKEY_BLOB header{BCRYPT_ECDSA_PUBLIC_P256_MAGIC, static_cast<ULONG>(point.x.size())};
    std::memcpy(blob.data(), &header, sizeof(header));
    std::memcpy(blob.data() + sizeof(header), point.x.data(), point.x.size());
    std::memcpy(blob.data() + sizeof(header) + point.x.size(), point.y.data(), point.y.size());
    UniqueAlgorithm ecdsa;
    UniqueKey key;
    return Succeeded(::BCryptOpenAlgorithmProvider(ecdsa.put(), BCRYPT_ECDSA_P256_ALGORITHM, nullptr, 0)) &&
           Succeeded(::BCryptImportKeyPair(ecdsa.get(), nullptr, BCRYPT_ECCPUBLIC_BLOB, key.put(), blob.data(),
                                           static_cast<ULONG>(blob.size()), 0)) &&
           ::BCryptVerifySignature(key.get(), nullptr, digest.data(), kDigestBytes, signature.data(),
                                   static_cast<ULONG>(signature.size()), 0) == 0;
}

}  // namespace

bool ReadSignedManifest(std::string_view statement, std::wstring_view signatureText, ReleaseManifest& manifest)
{
    // Only a statement that verifies is read at all.
    return IsSignedBy(statement, signatureText, kUpdatePublicKeyPem) && ParseReleaseManifest(statement, manifest);
}

bool IsProgramOfRelease(HANDLE file, const ReleaseManifest& manifest)
{
    const CFileBytes image(file);
    Digest digest;
    return image.Size() == manifest.size && HashBytes(image, digest) &&
           std::equal(digest.begin(), digest.end(), manifest.sha256.begin()) &&
           IsExecutableImageFor(image, kMachineAmd64) && ImageProductVersion(image) == manifest.version;
}
