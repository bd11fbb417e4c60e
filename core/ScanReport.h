#pragma once
// The HTML scan report: a self-contained XHTML page built as UTF-16 text (the caller
// writes it as UTF-8), and the report file's name.

#include "core/CalendarTime.h"
#include "core/ProblemRecord.h"

#include <string>
#include <string_view>

// The product's addresses shown in the report head.
inline constexpr std::wstring_view kReportWebAddress = L"https://www.velmora.example/";
inline constexpr std::wstring_view kReportSupportEmail = L"supporto@velmora.example";

struct ScanReportHead {
    std::wstring productVersion;  // shown with its dots
    std::wstring releaseDate;
    CalendarTime reportTime;  // when the report was made (not when the scan ran)
};

// Every &, <, >, " and ' as its character reference, so registry text can never
// become markup or script in the page.
[[nodiscard]] std::wstring HtmlEscape(std::wstring_view text);

// "vlm_<version without dots>_YYYYMMDD_HHMMSS.html".
[[nodiscard]] std::wstring ReportFileName(const std::wstring& productVersion, const CalendarTime& time);

// The whole page: head (version, release date, report time, problem count with at
// least two digits), one block per problem in list order, tail. Every inserted text
// is escaped, and inserted text is never searched for placeholders again, so a
// problem's text cannot fill or change another field.
[[nodiscard]] std::wstring BuildScanReport(const ScanReportHead& head, const CErrorListEx& problems);
