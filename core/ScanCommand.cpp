#include "core/ScanCommand.h"

#include "core/Utf16Text.h"

namespace {

void AppendJsonString(std::string& out, std::wstring_view text)
{
    static const char kHex[] = "0123456789abcdef";
    auto escapeUnit = [&](unsigned unit) {
        out += "\\u";
        for (int shift = 12; shift >= 0; shift -= 4)
            out.push_back(kHex[(unit >> shift) & 0xF]);
    };
    out.push_back('"');
    for (std::size_t i = 0; i < text.size(); ++i) {
        const unsigned unit = static_cast<unsigned>(text[i]) & 0xFFFFu;
        switch (unit) {
        case '"': out += "\\\""; continue;
        case '\\': out += "\\\\"; continue;
        case '\n': out += "\\n"; continue;
        case '\r': out += "\\r"; continue;
        case '\t': out += "\\t"; continue;
        case '\b': out += "\\b"; continue;
        case '\f': out += "\\f"; continue;
        default: break;
        }
        if (unit < 0x20) {
            escapeUnit(unit);
        } else if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < text.size() &&
                   (static_cast<unsigned>(text[i + 1]) & 0xFFFFu) >= 0xDC00 &&
                   (static_cast<unsigned>(text[i + 1]) & 0xFFFFu) <= 0xDFFF) {
            out += utf16::ToUtf8(text.substr(i, 2));
            ++i;
        } else if (unit >= 0xD800 && unit <= 0xDFFF) {
            escapeUnit(unit);
        } else {
            out += utf16::ToUtf8(text.substr(i, 1));
        }
    }
    out.push_back('"');
}

bool IsDigits(std::wstring_view text)
{
    if (text.empty())
        return false;
    for (const wchar_t c : text)
        if (c < L'0' || c > L'9')
            return false;
    return true;
}

}  // namespace

bool ParseSectionList(std::wstring_view list, std::array<std::uint8_t, kSectionCount>& sections)
{
    if (list == L"all") {
        sections.fill(1);
        return true;
    }
    if (list == L"none") {
        sections.fill(0);
        return true;
    }
    std::array<std::uint8_t, kSectionCount> chosen{};
    std::size_t start = 0;
    for (;;) {
        const std::size_t comma = list.find(L',', start);
        const std::wstring_view item = list.substr(start, comma == std::wstring_view::npos ? comma : comma - start);
        if (!IsDigits(item) || item.size() > 2)
            return false;
        const int number = item.size() == 1 ? item[0] - L'0' : (item[0] - L'0') * 10 + (item[1] - L'0');
        if (number >= kSectionCount)
            return false;
        chosen[static_cast<std::size_t>(number)] = 1;
        if (comma == std::wstring_view::npos)
            break;
        start = comma + 1;
    }
    sections = chosen;
    return true;
}

std::wstring ParseScanArguments(const std::vector<std::wstring>& args, ScanOptions& options)
{
    options = ScanOptions{};
    options.sections.fill(1);
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::wstring& arg = args[i];
        std::wstring list;
        if (arg == L"--sections") {
            if (i + 1 >= args.size())
                return L"--sections needs a list of section numbers";
            list = args[++i];
        } else if (arg.rfind(L"--sections=", 0) == 0) {
            list = arg.substr(11);
        } else if (arg == L"--no-pause") {
            options.noPause = true;
            continue;
        } else if (arg == L"--json") {
            options.json = true;
            continue;
        } else {
            return L"unknown argument: " + arg;
        }
        if (!ParseSectionList(list, options.sections))
            return L"bad section list: " + list;
    }
    return {};
}

std::string CliUsage()
{
    std::string text = "usage: velmora-cli scan [--sections LIST] [--no-pause] [--json]\r\n"
                       "\r\n"
                       "  --sections LIST  comma-separated section numbers 0..11, all (the default) or none\r\n"
                       "  --no-pause       no pause after each section\r\n"
                       "  --json           a JSON array instead of problem lines\r\n"
                       "\r\n"
                       "Problems go to standard output, per-section counts to standard error.\r\n"
                       "Sections:\r\n";
    for (int s = 0; s < kSectionCount; ++s)
        text += "  " + std::to_string(s) + "  " + utf16::ToUtf8(SectionName(s)) + "\r\n";
    return text;
}

std::string ProblemLinesUtf8(const CErrorListEx& problems)
{
    std::string out;
    for (const CError& e : problems)
        out += utf16::ToUtf8(FormatProblemLine(e));
    return out;
}

std::string ProblemsJson(const CErrorListEx& problems)
{
    if (problems.IsEmpty())
        return "[]\n";
    std::string out = "[\n";
    bool first = true;
    for (const CError& e : problems) {
        if (!first)
            out += ",\n";
        first = false;
        auto text = [&out](const char* name, std::wstring_view value) {
            out += ", \"";
            out += name;
            out += "\": ";
            AppendJsonString(out, value);
        };
        auto number = [&out](const char* name, long long value) {
            out += ", \"";
            out += name;
            out += "\": " + std::to_string(value);
        };
        out += "  {\"errorType\": " + std::to_string(e.ErrorType);
        number("section", e.Section);
        text("subject", e.Subject);
        text("reason", e.Reason);
        text("summary", e.Summary);
        out += std::string(", \"listOnly\": ") + (e.ListOnly ? "true" : "false");
        text("hive", e.Item.Hive);
        number("type", e.Item.Type);
        text("subKey", e.Item.SubKey);
        text("valueName", e.Item.ValueName);
        text("valueData", e.Item.ValueData);
        number("tag", e.Item.Tag);
        out += "}";
    }
    out += "\n]\n";
    return out;
}

std::string SectionCountsText(const std::array<std::uint8_t, kSectionCount>& sections,
                              const SectionCounters& counters)
{
    std::string out;
    long long total = 0;
    for (int s = 0; s < kSectionCount; ++s) {
        if (!sections[static_cast<std::size_t>(s)])
            continue;
        const int found = counters[static_cast<std::size_t>(s)].Found.load();
        total += found;
        out += std::to_string(s) + " " + utf16::ToUtf8(SectionName(s)) + ": " + std::to_string(found) + "\r\n";
    }
    out += "total: " + std::to_string(total) + "\r\n";
    return out;
}
