#include "core/ScanReport.h"

#include "core/ScanSections.h"

#include <utility>
#include <vector>

namespace {

// clang-format off
constexpr std::wstring_view kHeadTemplate =
    L"<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.0 Transitional//EN\" "
    L"\"http://www.w3.org/TR/xhtml1/DTD/xhtml1-transitional.dtd\">\r\n"
    L"<html xmlns=\"http://www.w3.org/1999/xhtml\">\r\n"
    L"<head>\r\n"
    L"<meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\" />\r\n"
    L"<title>VLM Scan Report</title>\r\n"
    L"</head>\r\n"
    L"<body>\r\n"
    L"<table width='70%' align='center' cellpadding='3' border='0'>\r\n"
    L"<tr><th colspan='2'><h2>VELMORA CLEANER | Registry Cleaner</h2></th></tr>\r\n"
    L"<tr><th colspan='2'><h2>Scan Result</h2></th></tr>\r\n"
    L"<tr><td colspan='2'></td></tr>\r\n"
    L"<tr><td width='25%' bordercolor='#000000'><strong>Version:</strong></td><td width='75%'>#version#</td></tr>\r\n"
    L"<tr><td width='25%' bordercolor='#000000'><strong>Release Date:</strong></td><td width='75%'>#release-date#</td></tr>\r\n"
    L"<tr><td width='25%' bordercolor='#000000'><strong>Web:</strong></td><td width='75%'>#web#</td></tr>\r\n"
    L"<tr><td width='25%' bordercolor='#000000'><strong>email:</strong></td><td width='75%'>#email#</td></tr>\r\n"
    L"<tr><td width='25%' bordercolor='#000000'><strong>Scan date:</strong></td><td width='75%'>#scan-date#</td></tr>\r\n"
    L"<tr><td><strong>Total problems found:</strong></td><td>#total-problems#</td></tr>\r\n"
    L"</table>\r\n"
    L"<hr />\r\n"
    L"<table width='70%' align='center' cellpadding='3' >\r\n"
    L"<tr><td width='25%'><strong>Problems affecting this computer.</strong><br /></td><td width='75%'></td></tr>\r\n"
    L"</table>\r\n"
    L"<hr />\r\n";

constexpr std::wstring_view kProblemTemplate =
    L"<table width='70%' align='center' cellpadding='3' >\r\n"
    L"<tr><td width='25%'><strong>Scan subsection:</strong></td><td width='75%'><strong>#scan-section#</strong></td></tr>\r\n"
    L"<tr><td width='25%'><strong>Type:</strong></td><td width='75%'>#error-type#</td></tr>\r\n"
    L"<tr><td width='25%'><strong>Reason:</strong></td><td width='75%'>#reason#</td></tr>\r\n"
    L"<tr><td width='25%'><strong>Section:</strong></td><td width='75%'>#key-section#</td></tr>\r\n"
    L"<tr><td width='25%'><strong>Sub Key:</strong></td><td width='75%'>#sub-key#</td></tr>\r\n"
    L"<tr><td width='25%'><strong>Value name:</strong></td><td width='75%'>#value-name#</td></tr>\r\n"
    L"<tr><td width='25%'><strong>Value:</strong></td><td width='75%'>#value-data#</td></tr>\r\n"
    L"<tr><td width='25%'><strong>File Path:</strong></td><td width='75%'>#file-path#</td></tr>\r\n"
    L"</table>\r\n"
    L"<hr />\r\n";
// clang-format on

constexpr std::wstring_view kTail = L" \t\t\t\t </body> \t\t\t\t </html> \t\t\t";

using Fields = std::vector<std::pair<std::wstring_view, std::wstring>>;

// Copies the template to out, putting the escaped value of each "#name#" placeholder
// in its place. One pass: what was inserted is never examined again.
void FillTemplate(std::wstring& out, std::wstring_view templ, const Fields& fields)
{
    std::size_t position = 0;
    while (position < templ.size()) {
        const std::size_t open = templ.find(L'#', position);
        if (open == std::wstring_view::npos)
            break;
        const std::size_t close = templ.find(L'#', open + 1);
        if (close == std::wstring_view::npos)
            break;
        const std::wstring_view name = templ.substr(open, close - open + 1);
        const Fields::value_type* field = nullptr;
        for (const auto& f : fields)
            if (f.first == name)
                field = &f;
        if (!field) {
            // Not a placeholder (e.g. the colour '#000000'): keep the '#' and go on after it.
            out.append(templ.substr(position, open + 1 - position));
            position = open + 1;
            continue;
        }
        out.append(templ.substr(position, open - position));
        out += HtmlEscape(field->second);
        position = close + 1;
    }
    out.append(templ.substr(position));
}

std::wstring ReportDateTime(const CalendarTime& t)
{
    return ZeroPadded(t.year, 4) + L'-' + ZeroPadded(t.month, 2) + L'-' + ZeroPadded(t.day, 2) + L' ' +
           ZeroPadded(t.hour, 2) + L':' + ZeroPadded(t.minute, 2) + L':' + ZeroPadded(t.second, 2);
}

}  // namespace

std::wstring HtmlEscape(std::wstring_view text)
{
    std::wstring out;
    out.reserve(text.size());
    for (const wchar_t c : text) {
        switch (c) {
        case L'&': out += L"&amp;"; break;
        case L'<': out += L"&lt;"; break;
        case L'>': out += L"&gt;"; break;
        case L'"': out += L"&quot;"; break;
        case L'\'': out += L"&#39;"; break;
        default: out.push_back(c); break;
        }
    }
    return out;
}

std::wstring ReportFileName(const std::wstring& productVersion, const CalendarTime& t)
{
    std::wstring version;
    for (const wchar_t c : productVersion)
        if (c != L'.')
            version.push_back(c);
    return L"vlm_" + version + L'_' + ZeroPadded(t.year, 4) + ZeroPadded(t.month, 2) + ZeroPadded(t.day, 2) + L'_' +
           ZeroPadded(t.hour, 2) + ZeroPadded(t.minute, 2) + ZeroPadded(t.second, 2) + L".html";
}

std::wstring BuildScanReport(const ScanReportHead& head, const CErrorListEx& problems)
{
    std::wstring page;
    page.reserve(kHeadTemplate.size() + kTail.size() +
                 static_cast<std::size_t>(problems.GetSize()) * (kProblemTemplate.size() + 256));
    FillTemplate(page, kHeadTemplate,
                 {{L"#version#", head.productVersion},
                  {L"#release-date#", head.releaseDate},
                  {L"#web#", std::wstring(kReportWebAddress)},
                  {L"#email#", std::wstring(kReportSupportEmail)},
                  {L"#scan-date#", ReportDateTime(head.reportTime)},
                  {L"#total-problems#", ZeroPadded(static_cast<int>(problems.GetSize()), 2)}});
    const std::wstring notApplicable = L"N/A";
    for (const CError& problem : problems) {
        // A shortcut problem names a file, not a registry entry.
        const bool shortcut = problem.Section == ProgramShortcuts;
        const CRegistryItem& item = problem.Item;
        FillTemplate(page, kProblemTemplate,
                     {{L"#scan-section#", SectionName(problem.Section)},
                      {L"#error-type#", problem.Summary},
                      {L"#reason#", problem.Reason},
                      {L"#key-section#", shortcut ? notApplicable : item.Hive},
                      {L"#sub-key#", shortcut ? notApplicable : item.SubKey},
                      {L"#value-name#", shortcut ? notApplicable : item.ValueName},
                      {L"#value-data#", shortcut ? notApplicable : item.ValueData},
                      {L"#file-path#", shortcut ? problem.Subject : notApplicable}});
    }
    page += kTail;
    return page;
}
