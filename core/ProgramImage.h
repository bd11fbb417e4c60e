#pragma once
// What a program file says about itself, read from its bytes: whether it is an
// executable image for a machine, and the "ProductVersion" of its version resource.
// Used on downloaded files, so every offset and length is checked against the file.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// Random access to the bytes of a file (or of memory).
class IByteSource {
public:
    virtual ~IByteSource() = default;
    [[nodiscard]] virtual std::uint64_t Size() const = 0;
    // Fills out with size bytes from offset; false when they are not all there.
    [[nodiscard]] virtual bool Read(std::uint64_t offset, void* out, std::size_t size) const = 0;
};

class CMemoryBytes final : public IByteSource {
public:
    explicit CMemoryBytes(std::string_view bytes) : m_bytes(bytes) {}
    [[nodiscard]] std::uint64_t Size() const override { return m_bytes.size(); }
    [[nodiscard]] bool Read(std::uint64_t offset, void* out, std::size_t size) const override;

private:
    std::string_view m_bytes;
};

inline constexpr std::uint16_t kMachineAmd64 = 0x8664;

// A PE executable (not a DLL) whose header names the machine, with the optional header
// of that machine's word size (PE32+ for 64-bit machines).
[[nodiscard]] bool IsExecutableImageFor(const IByteSource& image, std::uint16_t machine);
// "ProductVersion" of the first string table of the image's version resource; nullopt
// when the image has no such resource or string.
[[nodiscard]] std::optional<std::wstring> ImageProductVersion(const IByteSource& image);
