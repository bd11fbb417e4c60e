#include "core/ScanCommand.h"

#include <gtest/gtest.h>

namespace {

using Sections = std::array<std::uint8_t, kSectionCount>;

Sections Only(std::initializer_list<int> numbers)
{
    Sections s{};
    for (int n : numbers)
        s[static_cast<std::size_t>(n)] = 1;
    return s;
}

}  // namespace

TEST(ScanArguments, SectionLists)
{
    Sections s{};
    ASSERT_TRUE(ParseSectionList(L"all", s));
    EXPECT_EQ(s, Only({0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}));
    ASSERT_TRUE(ParseSectionList(L"none", s));
    EXPECT_EQ(s, Sections{});
    ASSERT_TRUE(ParseSectionList(L"11,0,4,4", s));
    EXPECT_EQ(s, Only({0, 4, 11}));
    const Sections before = s;
    for (const wchar_t* bad : {L"", L"12", L"-1", L"1,,2", L"1,", L",1", L"1 ,2", L"ALL", L"x", L"100", L"+1"}) {
        EXPECT_FALSE(ParseSectionList(bad, s)) << "list of length " << std::wstring(bad).size();
        EXPECT_EQ(s, before);
    }
}

TEST(ScanArguments, FlagsDefaultsAndErrors)
{
    ScanOptions o;
    EXPECT_EQ(ParseScanArguments({}, o), L"");
    EXPECT_EQ(o.sections, Only({0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}));
    EXPECT_FALSE(o.noPause);
    EXPECT_FALSE(o.json);
    EXPECT_EQ(ParseScanArguments({L"--json", L"--sections", L"3,10", L"--no-pause"}, o), L"");
    EXPECT_EQ(o.sections, Only({3, 10}));
    EXPECT_TRUE(o.noPause);
    EXPECT_TRUE(o.json);
    EXPECT_EQ(ParseScanArguments({L"--sections=7"}, o), L"");
    EXPECT_EQ(o.sections, Only({7}));
    EXPECT_NE(ParseScanArguments({L"--sections"}, o), L"");
    EXPECT_NE(ParseScanArguments({L"--sections", L"12"}, o), L"");
    EXPECT_NE(ParseScanArguments({L"--verbose"}, o), L"");
    EXPECT_NE(CliUsage().find("velmora-cli scan [--sections LIST] [--no-pause] [--json]"), std::string::npos);
}

TEST(ScanOutput, ProblemLinesAreUtf8InListOrder)
{
    CErrorListEx list;
    CError a;
    a.Subject = L"C:\\d\u00e9mo.lnk";
    CError b;
    b.ErrorType = 2;
    b.Section = 7;
    list.Add(a);
    list.Add(b);
    EXPECT_EQ(ProblemLinesUtf8(list), "0::0::C:\\d\xc3\xa9mo.lnk::::::::REG_SZ::0::::ValueName=::ValueData=::;;\r\n"
                                      "2::7::::::::::REG_SZ::0::::ValueName=::ValueData=::;;\r\n");
    EXPECT_EQ(ProblemLinesUtf8(CErrorListEx{}), "");
}

TEST(ScanOutput, JsonHasEveryFieldAndEscapes)
{
    EXPECT_EQ(ProblemsJson(CErrorListEx{}), "[]\n");
    CError e;
    e.ErrorType = 1;
    e.Section = 6;
    e.Subject = L"C:\\x \"q\".dll";
    e.Reason = std::wstring(L"tab\there\x01") + L"\u00e8";
    e.Summary = L"s";
    e.ListOnly = true;
    e.Item.Hive = L"HKEY_LOCAL_MACHINE";
    e.Item.Type = 4;
    e.Item.SubKey = L"k";
    e.Item.ValueName = std::wstring(1, static_cast<wchar_t>(0xD83D)) + static_cast<wchar_t>(0xDE00);  // a pair
    e.Item.ValueData = std::wstring(1, static_cast<wchar_t>(0xDC00));                                // lone
    e.Item.Tag = -3;
    CErrorListEx list;
    list.Add(e);
    list.Add(CError{});
    EXPECT_EQ(ProblemsJson(list),
              "[\n"
              "  {\"errorType\": 1, \"section\": 6, \"subject\": \"C:\\\\x \\\"q\\\".dll\", "
              "\"reason\": \"tab\\there\\u0001\xc3\xa8\", \"summary\": \"s\", \"listOnly\": true, "
              "\"hive\": \"HKEY_LOCAL_MACHINE\", \"type\": 4, \"subKey\": \"k\", \"valueName\": \"\xf0\x9f\x98\x80\", "
              "\"valueData\": \"\\udc00\", \"tag\": -3},\n"
              "  {\"errorType\": 0, \"section\": 0, \"subject\": \"\", \"reason\": \"\", \"summary\": \"\", "
              "\"listOnly\": false, \"hive\": \"\", \"type\": 0, \"subKey\": \"\", \"valueName\": \"\", "
              "\"valueData\": \"\", \"tag\": 0}\n"
              "]\n");
}

TEST(ScanOutput, CountsOfSelectedSections)
{
    SectionCounters counters;
    counters[3].Found = 2;
    counters[10].Found = 5;
    counters[4].Found = 9;  // not selected: not shown, not added
    EXPECT_EQ(SectionCountsText(Only({3, 10}), counters),
              "3 Files di Aiuto: 2\r\n10 Caratteri di Windows: 5\r\ntotal: 7\r\n");
}
