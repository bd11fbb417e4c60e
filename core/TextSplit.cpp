#include "core/TextSplit.h"

#include <algorithm>
#include <limits>

CStringArrayEx SplitByString(std::wstring_view text, std::wstring_view separator)
{
    CStringArrayEx pieces;
    if (separator.empty())
        return pieces;
    std::size_t position = 0;
    for (;;) {
        const std::size_t found = text.find(separator, position);
        if (found == std::wstring_view::npos)
            break;
        pieces.Add(std::wstring(text.substr(position, found - position)));
        position = found + separator.size();
    }
    return pieces;
}

std::vector<std::wstring> SplitTokens(std::wstring_view text, wchar_t delimiter)
{
    std::vector<std::wstring> tokens;
    std::size_t position = 0;
    while (position < text.size()) {
        const std::size_t start = text.find_first_not_of(delimiter, position);
        if (start == std::wstring_view::npos)
            break;
        const std::size_t end = std::min(text.find(delimiter, start), text.size());
        tokens.emplace_back(text.substr(start, end - start));
        position = end;
    }
    return tokens;
}

std::wstring ReplaceAll(std::wstring_view text, std::wstring_view what, std::wstring_view replacement)
{
    if (what.empty())
        return std::wstring(text);
    std::wstring out;
    out.reserve(text.size());
    std::size_t position = 0;
    for (;;) {
        const std::size_t found = text.find(what, position);
        if (found == std::wstring_view::npos) {
            out.append(text.substr(position));
            return out;
        }
        out.append(text.substr(position, found - position));
        out.append(replacement);
        position = found + what.size();
    }
}

std::wstring RemoveAll(std::wstring text, std::wstring_view what)
{
    return ReplaceAll(text, what, L"");
}

std::int32_t ParseDecimal(std::wstring_view text)
{
    std::size_t i = 0;
    auto isSpace = [](wchar_t c) { return c == L' ' || (c >= L'\t' && c <= L'\r'); };
    while (i < text.size() && isSpace(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == L'+' || text[i] == L'-')) {
        negative = text[i] == L'-';
        ++i;
    }
    constexpr std::int64_t limit = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
    std::int64_t value = 0;
    for (; i < text.size() && text[i] >= L'0' && text[i] <= L'9'; ++i) {
        value = value * 10 + (text[i] - L'0');
        if (value > limit)
            value = limit;
    }
    if (negative)
        return static_cast<std::int32_t>(-value);
    return static_cast<std::int32_t>(value >= limit ? limit - 1 : value);
}
