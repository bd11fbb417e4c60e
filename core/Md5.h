#pragma once
// MD5 (RFC 1321), fed in pieces so a large file is digested while it is read rather
// than after loading it whole.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

class CMd5 {
public:
    CMd5();

    void Update(const std::uint8_t* data, std::size_t size);
    // The digest of everything fed so far; the object is then spent (feed nothing more).
    [[nodiscard]] std::array<std::uint8_t, 16> Finish();
    // Finish as 32 lower-case hexadecimal digits.
    [[nodiscard]] std::wstring FinishHex();

private:
    void Transform(const std::uint8_t* block);

    std::array<std::uint32_t, 4> m_state;
    std::array<std::uint8_t, 64> m_buffer{};
    std::uint64_t m_length = 0;  // bytes fed so far
};
