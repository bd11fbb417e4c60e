// The last-scan date, the schedule words and the service commands' arguments.

#include "core/CalendarTime.h"
#include "core/ScheduleText.h"
#include "core/ServiceCommandLine.h"

#include <gtest/gtest.h>

TEST(LastScanDate, ItalianMonthAbbreviations)
{
    EXPECT_EQ(FormatLastScanDate(CalendarTime{2026, 12, 7}), L"07-DIC-2026");
    EXPECT_EQ(FormatLastScanDate(CalendarTime{2027, 1, 1}), L"01-GEN-2027");
    EXPECT_EQ(FormatLastScanDate(CalendarTime{2026, 12, 31}), L"31-DIC-2026");
    const wchar_t* months[] = {L"GEN", L"FEB", L"MAR", L"APR", L"MAG", L"GIU",
                               L"LUG", L"AGO", L"SET", L"OTT", L"NOV", L"DIC"};
    for (int m = 1; m <= 12; ++m)
        EXPECT_EQ(ItalianMonthAbbreviation(m), months[m - 1]);
    EXPECT_EQ(ItalianMonthAbbreviation(0), L"");
    EXPECT_EQ(ItalianMonthAbbreviation(13), L"");
    EXPECT_EQ(FormatLastScanDate(CalendarTime{2026, 13, 5}), L"05--2026");
    EXPECT_EQ(ZeroPadded(-5, 3), L"-005");
}

TEST(ScheduleWords, ThreeFormsAndTheirLimits)
{
    ScanScheduleSetting s;
    ASSERT_TRUE(ParseScheduleWords({L"daily", L"21:30"}, s));
    EXPECT_EQ(s.kind, ScheduleDaily);
    EXPECT_EQ(s.hour, 21);
    EXPECT_EQ(s.minute, 30);
    EXPECT_EQ(FormatScheduleSetting(s), "daily 21:30");

    ASSERT_TRUE(ParseScheduleWords({L"weekly", L"7:05", L"0x41"}, s));
    EXPECT_EQ(s.kind, ScheduleWeekly);
    EXPECT_EQ(s.daysOfWeek, 0x41);
    EXPECT_EQ(FormatScheduleSetting(s), "weekly 07:05 65");
    ASSERT_TRUE(ParseScheduleWords({L"weekly", L"00:00", L"127"}, s));
    EXPECT_EQ(s.daysOfWeek, kAllDaysOfWeek);

    ASSERT_TRUE(ParseScheduleWords({L"none"}, s));
    EXPECT_EQ(s.kind, ScheduleNone);
    EXPECT_EQ(FormatScheduleSetting(s), "none");

    const ScanScheduleSetting before{ScheduleDaily, 1, 2, 0};
    const std::vector<std::vector<std::wstring>> bad = {
        {},
        {L"daily"},
        {L"daily", L"24:00"},
        {L"daily", L"12:60"},
        {L"daily", L"12:5"},
        {L"daily", L"123:05"},
        {L"daily", L"-1:05"},
        {L"daily", L"12:30", L"5"},
        {L"weekly", L"12:30"},
        {L"weekly", L"12:30", L"0"},
        {L"weekly", L"12:30", L"128"},
        {L"weekly", L"12:30", L"0x80"},
        {L"weekly", L"12:30", L"0x"},
        {L"weekly", L"12:30", L"monday"},
        {L"none", L"now"},
        {L"Daily", L"12:30"},
        {L"monthly", L"12:30"},
    };
    for (const auto& words : bad) {
        s = before;
        EXPECT_FALSE(ParseScheduleWords(words, s)) << words.size();
        EXPECT_EQ(s.kind, before.kind);
        EXPECT_EQ(s.hour, before.hour);
    }
    EXPECT_EQ(FormatScheduleSetting(ScanScheduleSetting{3, 9, 0, 0}), "other 3 09:00");
}

TEST(ServiceArguments, EachCommandTakesItsOwnArguments)
{
    ServiceOptions o;
    EXPECT_EQ(ParseServiceArguments(L"repair", {}, o), L"");
    EXPECT_EQ(o.command, ServiceCommand::Repair);
    EXPECT_FALSE(o.noPause);
    for (std::uint8_t byte : o.sections)
        EXPECT_EQ(byte, 1);

    EXPECT_EQ(ParseServiceArguments(L"report", {L"--sections=4,11", L"--no-pause"}, o), L"");
    EXPECT_EQ(o.command, ServiceCommand::Report);
    EXPECT_TRUE(o.noPause);
    EXPECT_EQ(o.sections[4] + o.sections[11], 2);
    EXPECT_EQ(o.sections[0], 0);

    EXPECT_EQ(ParseServiceArguments(L"restore", {L"--no-pause", L"C:\\b\\x.dat"}, o), L"");
    EXPECT_EQ(o.file, L"C:\\b\\x.dat");

    EXPECT_EQ(ParseServiceArguments(L"schedule", {}, o), L"");
    EXPECT_FALSE(o.scheduleGiven);
    EXPECT_EQ(ParseServiceArguments(L"schedule", {L"weekly", L"08:15", L"62", L"--no-pause"}, o), L"");
    EXPECT_TRUE(o.scheduleGiven);
    EXPECT_EQ(o.schedule.daysOfWeek, 62);
    EXPECT_EQ(ParseServiceArguments(L"schedule", {L"remove"}, o), L"");
    EXPECT_TRUE(o.scheduleRemove);

    EXPECT_EQ(ParseServiceArguments(L"backups", {L"--no-pause"}, o), L"");
    EXPECT_EQ(ParseServiceArguments(L"ignored", {}, o), L"");
    EXPECT_EQ(o.command, ServiceCommand::Ignored);

    // Errors: each gives a text and never throws.
    EXPECT_NE(ParseServiceArguments(L"repair", {L"--sections"}, o), L"");
    EXPECT_NE(ParseServiceArguments(L"repair", {L"--sections", L"12"}, o), L"");
    EXPECT_NE(ParseServiceArguments(L"repair", {L"extra"}, o), L"");
    EXPECT_NE(ParseServiceArguments(L"repair", {L"--json"}, o), L"");
    EXPECT_NE(ParseServiceArguments(L"backups", {L"--sections", L"1"}, o), L"");
    EXPECT_NE(ParseServiceArguments(L"restore", {}, o), L"");
    EXPECT_NE(ParseServiceArguments(L"restore", {L"a.dat", L"b.dat"}, o), L"");
    EXPECT_NE(ParseServiceArguments(L"schedule", {L"daily", L"25:00"}, o), L"");
    EXPECT_NE(ParseServiceArguments(L"schedule", {L"remove", L"now"}, o), L"");
    EXPECT_NE(ParseServiceArguments(L"scan", {}, o), L"");
    EXPECT_TRUE(IsServiceCommand(L"schedule"));
    EXPECT_FALSE(IsServiceCommand(L"scan"));
}

TEST(ServiceArguments, RepairCountsListTheChosenSections)
{
    SectionCounters counters;
    counters[4].Found = 3;
    counters[4].Repaired = 2;
    counters[7].Found = 1;
    counters[7].Repaired = 1;
    counters[9].Found = 5;  // not chosen: not listed, not in the total
    std::array<std::uint8_t, kSectionCount> chosen{};
    chosen[4] = chosen[7] = 1;
    EXPECT_EQ(RepairCountsText(chosen, counters),
              "4 Avvio di Windows: found 3, repaired 2\r\n"
              "7 Chiavi di registro vuote: found 1, repaired 1\r\n"
              "total: found 4, repaired 3\r\n");
}
