#include "core/ScheduleText.h"

namespace {

// Digits only, at most maxDigits of them; -1 otherwise.
int SmallNumber(const std::wstring& text, std::size_t maxDigits)
{
    if (text.empty() || text.size() > maxDigits)
        return -1;
    int value = 0;
    for (const wchar_t c : text) {
        if (c < L'0' || c > L'9')
            return -1;
        value = value * 10 + (c - L'0');
    }
    return value;
}

bool ParseClock(const std::wstring& text, int& hour, int& minute)
{
    const std::size_t colon = text.find(L':');
    if (colon == std::wstring::npos)
        return false;
    const int h = SmallNumber(text.substr(0, colon), 2);
    const std::wstring minutes = text.substr(colon + 1);
    const int m = minutes.size() == 2 ? SmallNumber(minutes, 2) : -1;
    if (h < 0 || h > 23 || m < 0 || m > 59)
        return false;
    hour = h;
    minute = m;
    return true;
}

bool ParseDayMask(const std::wstring& text, std::uint16_t& mask)
{
    int value = -1;
    if (text.size() > 2 && text[0] == L'0' && (text[1] == L'x' || text[1] == L'X')) {
        const std::wstring hex = text.substr(2);
        if (hex.empty() || hex.size() > 2)
            return false;
        value = 0;
        for (const wchar_t c : hex) {
            int digit = -1;
            if (c >= L'0' && c <= L'9')
                digit = c - L'0';
            else if (c >= L'a' && c <= L'f')
                digit = c - L'a' + 10;
            else if (c >= L'A' && c <= L'F')
                digit = c - L'A' + 10;
            if (digit < 0)
                return false;
            value = value * 16 + digit;
        }
    } else {
        value = SmallNumber(text, 3);
    }
    if (value < 1 || value > kAllDaysOfWeek)
        return false;
    mask = static_cast<std::uint16_t>(value);
    return true;
}

std::string Clock(int hour, int minute)
{
    auto two = [](int v) { return std::string(v < 10 ? "0" : "") + std::to_string(v); };
    return two(hour) + ":" + two(minute);
}

}  // namespace

bool ParseScheduleWords(const std::vector<std::wstring>& words, ScanScheduleSetting& setting)
{
    ScanScheduleSetting parsed;
    if (words.size() == 1 && words[0] == L"none") {
        parsed.kind = ScheduleNone;
    } else if (words.size() == 2 && words[0] == L"daily") {
        parsed.kind = ScheduleDaily;
        if (!ParseClock(words[1], parsed.hour, parsed.minute))
            return false;
    } else if (words.size() == 3 && words[0] == L"weekly") {
        parsed.kind = ScheduleWeekly;
        if (!ParseClock(words[1], parsed.hour, parsed.minute) || !ParseDayMask(words[2], parsed.daysOfWeek))
            return false;
    } else {
        return false;
    }
    setting = parsed;
    return true;
}

std::string FormatScheduleSetting(const ScanScheduleSetting& setting)
{
    switch (setting.kind) {
    case ScheduleNone: return "none";
    case ScheduleDaily: return "daily " + Clock(setting.hour, setting.minute);
    case ScheduleWeekly:
        return "weekly " + Clock(setting.hour, setting.minute) + " " + std::to_string(setting.daysOfWeek);
    default: return "other " + std::to_string(setting.kind) + " " + Clock(setting.hour, setting.minute);
    }
}
