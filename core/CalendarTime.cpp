#include "core/CalendarTime.h"

std::wstring ItalianMonthAbbreviation(int month)
{
    static const wchar_t* const kMonths[12] = {L"GEN", L"FEB", L"MAR", L"APR", L"MAG", L"GIU",
                                               L"LUG", L"AGO", L"SET", L"OTT", L"NOV", L"DIC"};
    if (month < 1 || month > 12)
        return {};
    return kMonths[month - 1];
}

std::wstring ZeroPadded(int value, int width)
{
    const bool negative = value < 0;
    std::wstring digits = std::to_wstring(negative ? -static_cast<long long>(value) : static_cast<long long>(value));
    if (static_cast<int>(digits.size()) < width)
        digits.insert(0, static_cast<std::size_t>(width) - digits.size(), L'0');
    return negative ? L"-" + digits : digits;
}

std::wstring FormatLastScanDate(const CalendarTime& time)
{
    return ZeroPadded(time.day, 2) + L'-' + ItalianMonthAbbreviation(time.month) + L'-' + std::to_wstring(time.year);
}
