#pragma once
// A local date and time as plain numbers, so the texts built from it (the last-scan
// date, backup file names, report stamps) can be made and tested without a clock.

#include <string>

struct CalendarTime {
    int year = 0;
    int month = 0;  // 1..12
    int day = 0;    // 1..31
    int hour = 0;   // 0..23
    int minute = 0;
    int second = 0;
};

// "%.2d-%s-%d" of day, the Italian month abbreviation and the year: 07-DIC-2026.
// A month outside 1..12 gives an empty abbreviation (07--2026) rather than reading
// past the month table.
[[nodiscard]] std::wstring FormatLastScanDate(const CalendarTime& time);

// The Italian three-letter abbreviation of month 1..12 ("GEN" ... "DIC"); empty otherwise.
[[nodiscard]] std::wstring ItalianMonthAbbreviation(int month);

// Decimal text of value, zero-padded to at least width digits ("%.*d"); a negative
// value keeps its sign in front of the padding.
[[nodiscard]] std::wstring ZeroPadded(int value, int width);
