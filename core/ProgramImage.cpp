#include "core/ProgramImage.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

constexpr std::uint16_t kDosMagic = 0x5A4D;  // "MZ"
constexpr std::uint32_t kPeSignature = 0x00004550;  // "PE\0\0"
constexpr std::uint16_t kPe32Magic = 0x10B;
constexpr std::uint16_t kPe32PlusMagic = 0x20B;
constexpr std::uint16_t kExecutableImage = 0x0002;
constexpr std::uint16_t kDll = 0x2000;
constexpr std::uint32_t kResourceDirectory = 2;
constexpr std::uint32_t kVersionResourceType = 16;
constexpr std::uint32_t kSubdirectoryFlag = 0x80000000;
constexpr std::uint16_t kMaxSections = 96;
// A version resource is a few kilobytes; anything far larger is not one.
constexpr std::uint32_t kMaxVersionResource = 64 * 1024;

template <typename T>
bool ReadValue(const IByteSource& image, std::uint64_t offset, T& value)
{
    unsigned char bytes[sizeof(T)];
    if (!image.Read(offset, bytes, sizeof(T)))
        return false;
    value = 0;
    for (std::size_t i = sizeof(T); i-- > 0;)
        value = static_cast<T>((value << 8) | bytes[i]);
    return true;
}

struct Headers {
    std::uint16_t machine = 0;
    std::uint16_t characteristics = 0;
    std::uint16_t optionalMagic = 0;
    std::uint64_t optionalHeader = 0;
    std::uint16_t optionalSize = 0;
    std::uint16_t sectionCount = 0;
};

bool ReadHeaders(const IByteSource& image, Headers& headers)
{
    std::uint16_t dosMagic = 0;
    std::uint32_t peOffset = 0;
    std::uint32_t signature = 0;
    if (!ReadValue(image, 0, dosMagic) || dosMagic != kDosMagic || !ReadValue(image, 0x3C, peOffset) ||
        !ReadValue(image, peOffset, signature) || signature != kPeSignature)
        return false;
    const std::uint64_t fileHeader = std::uint64_t{peOffset} + 4;
    headers.optionalHeader = fileHeader + 20;
    return ReadValue(image, fileHeader, headers.machine) && ReadValue(image, fileHeader + 2, headers.sectionCount) &&
           ReadValue(image, fileHeader + 16, headers.optionalSize) &&
           ReadValue(image, fileHeader + 18, headers.characteristics) &&
           ReadValue(image, headers.optionalHeader, headers.optionalMagic);
}

bool Is64BitMachine(std::uint16_t machine) { return machine == kMachineAmd64 || machine == 0xAA64; }

// File offset of an address of the loaded image, through the section table.
bool FileOffsetOf(const IByteSource& image, const Headers& headers, std::uint32_t rva, std::uint32_t size,
                  std::uint64_t& offset)
{
    const std::uint64_t table = headers.optionalHeader + headers.optionalSize;
    for (std::uint16_t i = 0; i < headers.sectionCount && i < kMaxSections; ++i) {
        const std::uint64_t section = table + std::uint64_t{i} * 40;
        std::uint32_t address = 0;
        std::uint32_t rawSize = 0;
        std::uint32_t rawOffset = 0;
        if (!ReadValue(image, section + 12, address) || !ReadValue(image, section + 16, rawSize) ||
            !ReadValue(image, section + 20, rawOffset))
            return false;
        if (rva >= address && std::uint64_t{rva} - address + size <= rawSize) {
            offset = std::uint64_t{rawOffset} + (rva - address);
            return true;
        }
    }
    return false;
}

// The offset field of the resource directory entry with the id (or the first entry when
// id is 0), relative to the start of the resource section.
bool FindResourceEntry(const IByteSource& image, std::uint64_t root, std::uint32_t directory, std::uint32_t id,
                       std::uint32_t& target)
{
    std::uint16_t named = 0;
    std::uint16_t ids = 0;
    const std::uint64_t at = root + directory;
    if (!ReadValue(image, at + 12, named) || !ReadValue(image, at + 14, ids))
        return false;
    const std::uint32_t count = std::uint32_t{named} + ids;
    for (std::uint32_t i = 0; i < count; ++i) {
        std::uint32_t name = 0;
        const std::uint64_t entry = at + 16 + std::uint64_t{i} * 8;
        if (!ReadValue(image, entry, name) || !ReadValue(image, entry + 4, target))
            return false;
        if (id == 0 || name == id)
            return true;
    }
    return false;
}

bool VersionResource(const IByteSource& image, std::vector<std::uint8_t>& resource)
{
    Headers headers;
    if (!ReadHeaders(image, headers))
        return false;
    const std::uint64_t directories = headers.optionalHeader + (headers.optionalMagic == kPe32PlusMagic ? 112 : 96);
    std::uint32_t directoryCount = 0;
    std::uint32_t resourceRva = 0;
    std::uint32_t resourceSize = 0;
    std::uint64_t root = 0;
    if (!ReadValue(image, directories - 4, directoryCount) || directoryCount <= kResourceDirectory ||
        !ReadValue(image, directories + kResourceDirectory * 8, resourceRva) ||
        !ReadValue(image, directories + kResourceDirectory * 8 + 4, resourceSize) || resourceRva == 0 ||
        !FileOffsetOf(image, headers, resourceRva, 16, root))
        return false;
    // Type, then name, then language: a subdirectory at each of the first two levels.
    std::uint32_t entry = 0;
    if (!FindResourceEntry(image, root, 0, kVersionResourceType, entry) || !(entry & kSubdirectoryFlag) ||
        !FindResourceEntry(image, root, entry & ~kSubdirectoryFlag, 0, entry) || !(entry & kSubdirectoryFlag) ||
        !FindResourceEntry(image, root, entry & ~kSubdirectoryFlag, 0, entry) || (entry & kSubdirectoryFlag))
        return false;
    std::uint32_t dataRva = 0;
    std::uint32_t dataSize = 0;
    std::uint64_t data = 0;
    if (!ReadValue(image, root + entry, dataRva) || !ReadValue(image, root + entry + 4, dataSize) ||
        dataSize == 0 || dataSize > kMaxVersionResource || !FileOffsetOf(image, headers, dataRva, dataSize, data))
        return false;
    resource.resize(dataSize);
    return image.Read(data, resource.data(), dataSize);
}

// One node of a version resource: its key, where its value starts and where its
// children start and end (offsets into the resource).
struct VersionBlock {
    std::u16string key;
    std::size_t value = 0;
    std::size_t children = 0;
    std::size_t end = 0;
};

std::uint16_t Word(const std::vector<std::uint8_t>& bytes, std::size_t at)
{
    return static_cast<std::uint16_t>(bytes[at] | (bytes[at + 1] << 8));
}

std::size_t AlignTo4(std::size_t at) { return (at + 3) & ~std::size_t{3}; }

bool ReadBlock(const std::vector<std::uint8_t>& bytes, std::size_t at, std::size_t limit, VersionBlock& block)
{
    if (at + 6 > limit)
        return false;
    const std::uint16_t length = Word(bytes, at);
    const std::uint16_t valueLength = Word(bytes, at + 2);
    const std::uint16_t type = Word(bytes, at + 4);
    if (length < 6 || at + length > limit)
        return false;
    block.end = at + length;
    block.key.clear();
    std::size_t cursor = at + 6;
    for (;; cursor += 2) {
        if (cursor + 2 > block.end)
            return false;
        const std::uint16_t unit = Word(bytes, cursor);
        if (unit == 0)
            break;
        block.key.push_back(static_cast<char16_t>(unit));
    }
    block.value = AlignTo4(cursor + 2);
    // Text values count 16-bit units, binary ones bytes.
    const std::size_t valueBytes = type == 1 ? std::size_t{valueLength} * 2 : valueLength;
    block.children = std::min(AlignTo4(block.value + valueBytes), block.end);
    return true;
}

bool FindChild(const std::vector<std::uint8_t>& bytes, const VersionBlock& parent, std::u16string_view key,
               VersionBlock& child)
{
    for (std::size_t at = parent.children; at < parent.end;) {
        if (!ReadBlock(bytes, at, parent.end, child))
            return false;
        if (key.empty() || child.key == key)
            return true;
        at = AlignTo4(child.end);
    }
    return false;
}

}  // namespace

bool CMemoryBytes::Read(std::uint64_t offset, void* out, std::size_t size) const
{
    if (offset > m_bytes.size() || size > m_bytes.size() - offset)
        return false;
    std::memcpy(out, m_bytes.data() + offset, size);
    return true;
}

bool IsExecutableImageFor(const IByteSource& image, std::uint16_t machine)
{
    Headers headers;
    if (!ReadHeaders(image, headers) || headers.machine != machine)
        return false;
    const std::uint16_t wantedMagic = Is64BitMachine(machine) ? kPe32PlusMagic : kPe32Magic;
    return headers.optionalMagic == wantedMagic && (headers.characteristics & kExecutableImage) &&
           !(headers.characteristics & kDll);
}

std::optional<std::wstring> ImageProductVersion(const IByteSource& image)
{
    std::vector<std::uint8_t> resource;
    VersionBlock root;
    VersionBlock strings;
    VersionBlock table;
    VersionBlock product;
    if (!VersionResource(image, resource) || !ReadBlock(resource, 0, resource.size(), root) ||
        root.key != u"VS_VERSION_INFO" || !FindChild(resource, root, u"StringFileInfo", strings) ||
        !FindChild(resource, strings, u"", table) || !FindChild(resource, table, u"ProductVersion", product))
        return std::nullopt;
    std::wstring version;
    for (std::size_t at = product.value; at + 2 <= product.end; at += 2) {
        const std::uint16_t unit = Word(resource, at);
        if (unit == 0)
            break;
        version.push_back(static_cast<wchar_t>(unit));
    }
    return version;
}
