// The HTML report page: exact bytes of head, problem blocks and tail, escaping, and
// the file name.

#include "core/ScanReport.h"
#include "core/Utf16Text.h"

#include <gtest/gtest.h>

namespace {

const std::wstring kHead =
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
    L"<tr><td width='25%' bordercolor='#000000'><strong>Version:</strong></td><td width='75%'>3.0.6</td></tr>\r\n"
    L"<tr><td width='25%' bordercolor='#000000'><strong>Release Date:</strong></td><td width='75%'>08/12/2026</td></tr>\r\n"
    L"<tr><td width='25%' bordercolor='#000000'><strong>Web:</strong></td><td width='75%'>https://www.velmora.example/</td></tr>\r\n"
    L"<tr><td width='25%' bordercolor='#000000'><strong>email:</strong></td><td width='75%'>supporto@velmora.example</td></tr>\r\n"
    L"<tr><td width='25%' bordercolor='#000000'><strong>Scan date:</strong></td><td width='75%'>2026-12-07 21:44:13</td></tr>\r\n";

const std::wstring kHeadEnd =
    L"</table>\r\n"
    L"<hr />\r\n"
    L"<table width='70%' align='center' cellpadding='3' >\r\n"
    L"<tr><td width='25%'><strong>Problems affecting this computer.</strong><br /></td><td width='75%'></td></tr>\r\n"
    L"</table>\r\n"
    L"<hr />\r\n";

const std::wstring kTail = L" \t\t\t\t </body> \t\t\t\t </html> \t\t\t";

std::wstring Block(const std::wstring& section, const std::wstring& type, const std::wstring& reason,
                   const std::wstring& hive, const std::wstring& key, const std::wstring& name,
                   const std::wstring& data, const std::wstring& file)
{
    auto row = [](const wchar_t* label, const std::wstring& value) {
        return L"<tr><td width='25%'><strong>" + std::wstring(label) + L"</strong></td><td width='75%'>" + value +
               L"</td></tr>\r\n";
    };
    return L"<table width='70%' align='center' cellpadding='3' >\r\n" +
           row(L"Scan subsection:", L"<strong>" + section + L"</strong>") + row(L"Type:", type) +
           row(L"Reason:", reason) + row(L"Section:", hive) + row(L"Sub Key:", key) + row(L"Value name:", name) +
           row(L"Value:", data) + row(L"File Path:", file) + L"</table>\r\n<hr />\r\n";
}

const ScanReportHead kReportHead{L"3.0.6", L"08/12/2026", CalendarTime{2026, 12, 7, 21, 44, 13}};

}  // namespace

TEST(ScanReport, EmptyListGivesHeadWithTwoDigitCountAndTail)
{
    const std::wstring expected =
        kHead + L"<tr><td><strong>Total problems found:</strong></td><td>00</td></tr>\r\n" + kHeadEnd + kTail;
    EXPECT_EQ(BuildScanReport(kReportHead, CErrorListEx{}), expected);
}

TEST(ScanReport, ProblemBlocksEscapeEveryInsertedText)
{
    CErrorListEx problems;
    CError value;
    value.ErrorType = InvalidValue;
    value.Section = 4;
    value.Subject = L"C:\\x.exe";
    value.Reason = L"The value in \"A\" & 'B'  contains an invalid path <x>";
    value.Summary = L"The file is missing or invalid.";
    value.Item.Hive = L"HKEY_CURRENT_USER";
    value.Item.SubKey = L"Software\\#value-data#";  // a placeholder in data is text, not a field
    value.Item.ValueName = L"<script>alert(1)</script>";
    value.Item.ValueData = L"C:\\a&b\\x.exe\u00e8";
    problems.Add(value);
    CError shortcut;
    shortcut.Section = 11;
    shortcut.Subject = L"C:\\users\\me\\Desktop\\<b>.lnk";
    shortcut.Reason = L"The target file for this shortcut file does not exist.";
    shortcut.Summary = L"Missing Shortcut.";
    shortcut.Item.Hive = L"ignored";
    problems.Add(shortcut);

    const std::wstring expected =
        kHead + L"<tr><td><strong>Total problems found:</strong></td><td>02</td></tr>\r\n" + kHeadEnd +
        Block(L"Avvio di Windows", L"The file is missing or invalid.",
              L"The value in &quot;A&quot; &amp; &#39;B&#39;  contains an invalid path &lt;x&gt;", L"HKEY_CURRENT_USER",
              L"Software\\#value-data#", L"&lt;script&gt;alert(1)&lt;/script&gt;", L"C:\\a&amp;b\\x.exe\u00e8",
              L"N/A") +
        Block(L"Scorciatoie di programma", L"Missing Shortcut.",
              L"The target file for this shortcut file does not exist.", L"N/A", L"N/A", L"N/A", L"N/A",
              L"C:\\users\\me\\Desktop\\&lt;b&gt;.lnk") +
        kTail;
    const std::wstring page = BuildScanReport(kReportHead, problems);
    EXPECT_EQ(page, expected);
    // As written to disk: UTF-8 without a byte-order mark.
    const std::string bytes = utf16::ToUtf8(page);
    EXPECT_EQ(bytes.rfind("<!DOCTYPE", 0), 0u);
    EXPECT_NE(bytes.find("x.exe\xC3\xA8"), std::string::npos);
    EXPECT_EQ(bytes.find("<script>"), std::string::npos);
}

TEST(ScanReport, CountHasAtLeastTwoDigitsAndFileNameDropsTheDots)
{
    CErrorListEx many;
    many.SetSize(145);
    EXPECT_NE(BuildScanReport(kReportHead, many).find(L"<td>145</td>"), std::wstring::npos);
    many.SetSize(7);
    EXPECT_NE(BuildScanReport(kReportHead, many).find(L"<td>07</td>"), std::wstring::npos);

    EXPECT_EQ(ReportFileName(L"3.0.6", CalendarTime{2026, 12, 7, 21, 44, 13}), L"vlm_306_20261207_214413.html");
    EXPECT_EQ(ReportFileName(L"3.0.6", CalendarTime{2027, 1, 2, 3, 4, 5}), L"vlm_306_20270102_030405.html");
    EXPECT_EQ(HtmlEscape(L"a&&<>\"'b"), L"a&amp;&amp;&lt;&gt;&quot;&#39;b");
}
