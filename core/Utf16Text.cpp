#include "Utf16Text.h"

namespace utf16 {

std::wstring DecodeLe(std::string_view bytes)
{
    std::wstring text;
    text.reserve(bytes.size() / 2);
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const auto low = static_cast<unsigned char>(bytes[i]);
        const auto high = static_cast<unsigned char>(bytes[i + 1]);
        text.push_back(static_cast<wchar_t>(low | (high << 8)));
    }
    if (!text.empty() && text.front() == 0xFEFF)
        text.erase(0, 1);
    return text;
}

std::string EncodeLe(std::wstring_view text)
{
    std::string bytes;
    bytes.reserve(text.size() * 2);
    for (const wchar_t unit : text) {
        const auto value = static_cast<unsigned>(unit) & 0xFFFFu;
        bytes.push_back(static_cast<char>(value & 0xFF));
        bytes.push_back(static_cast<char>(value >> 8));
    }
    return bytes;
}

namespace {

void AppendCodePoint(std::string& out, char32_t cp)
{
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

bool IsHighSurrogate(char32_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(char32_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

}  // namespace

std::string ToUtf8(std::wstring_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto unit = static_cast<char32_t>(static_cast<unsigned>(text[i]) & 0xFFFFu);
        if (IsHighSurrogate(unit) && i + 1 < text.size()) {
            const auto next = static_cast<char32_t>(static_cast<unsigned>(text[i + 1]) & 0xFFFFu);
            if (IsLowSurrogate(next)) {
                AppendCodePoint(out, 0x10000 + ((unit - 0xD800) << 10) + (next - 0xDC00));
                ++i;
                continue;
            }
        }
        AppendCodePoint(out, (IsHighSurrogate(unit) || IsLowSurrogate(unit)) ? 0xFFFD : unit);
    }
    return out;
}

}  // namespace utf16
