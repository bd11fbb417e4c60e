#include "core/ProblemRecord.h"
#include "core/ScanSections.h"
#include "core/TextSplit.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

CError SampleError()
{
    CError e;
    e.ErrorType = 1;
    e.Section = 4;
    e.Subject = L"C:\\Programmi\\Tool\\tool.exe";
    e.Reason = L"The value in HKEY_LOCAL_MACHINE\\Run\\Tool  contains an invalid path C:\\Programmi\\Tool\\tool.exe";
    e.Summary = L"The file is missing or invalid.";
    e.ListOnly = true;
    e.Item.Type = 2;
    e.Item.Root = kRootLocalMachine;
    e.Item.Hive = L"HKEY_LOCAL_MACHINE";
    e.Item.SubKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
    e.Item.ValueName = L"Tool";
    e.Item.ValueData = L"C:\\Programmi\\Tool\\tool.exe";
    e.Item.Tag = 3;
    return e;
}

std::wstring WithoutTerminator(const std::wstring& line)
{
    EXPECT_EQ(line.substr(line.size() - 4), L";;\r\n");
    return line.substr(0, line.size() - 4);
}

}  // namespace

TEST(Sections, NamesTooltipsAndFlags)
{
    EXPECT_EQ(SectionName(0), L"ActiveX / OLE");
    EXPECT_EQ(SectionName(7), L"Chiavi di registro vuote");
    EXPECT_EQ(SectionName(11), L"Scorciatoie di programma");
    EXPECT_EQ(SectionName(12), L"");
    EXPECT_EQ(SectionName(-1), L"");
    EXPECT_EQ(SectionDescription(12), L"");
    EXPECT_EQ(SectionDescription(4).substr(0, 17), L"Avvio di Windows:");
    EXPECT_NE(SectionDescription(4).find(L"nell\u2019Avvio"), std::wstring::npos);
    const bool listOnly[kSectionCount] = {true, true, false, false, false, true, false, false, true, false, false, false};
    for (int s = 0; s < kSectionCount; ++s) {
        EXPECT_EQ(SectionListOnly(s), listOnly[s]) << s;
        EXPECT_FALSE(SectionName(s).empty());
    }
    EXPECT_FALSE(SectionListOnly(12));
}

TEST(ProblemLine, WritesElevenFieldsInOrder)
{
    EXPECT_EQ(FormatProblemLine(SampleError()),
              L"1::4::C:\\Programmi\\Tool\\tool.exe::The value in HKEY_LOCAL_MACHINE\\Run\\Tool  contains an invalid "
              L"path C:\\Programmi\\Tool\\tool.exe::The file is missing or invalid.::HKEY_LOCAL_MACHINE::REG_EXPAND_SZ::"
              L"3::Software\\Microsoft\\Windows\\CurrentVersion\\Run::ValueName=Tool::ValueData=C:\\Programmi\\Tool\\"
              L"tool.exe::;;\r\n");
    EXPECT_EQ(FormatProblemLine(CError{}), L"0::0::::::::::REG_SZ::0::::ValueName=::ValueData=::;;\r\n");
}

TEST(ProblemLine, RoundTripsEveryStoredField)
{
    const CError original = SampleError();
    const CError back = ParseProblemRecord(WithoutTerminator(FormatProblemLine(original)));
    EXPECT_EQ(back.ErrorType, 1);
    EXPECT_EQ(back.Section, 4);
    EXPECT_EQ(back.Subject, original.Subject);
    EXPECT_EQ(back.Reason, original.Reason);
    EXPECT_EQ(back.Summary, original.Summary);
    EXPECT_FALSE(back.ListOnly);  // not stored
    EXPECT_EQ(back.Item.Hive, L"HKEY_LOCAL_MACHINE");
    EXPECT_EQ(back.Item.Root, kRootLocalMachine);
    EXPECT_EQ(back.Item.Type, 2u);
    EXPECT_EQ(back.Item.Tag, 3);
    EXPECT_EQ(back.Item.SubKey, original.Item.SubKey);
    EXPECT_EQ(back.Item.ValueName, L"Tool");
    EXPECT_EQ(back.Item.ValueData, original.Item.ValueData);
}

TEST(ProblemLine, ReaderQuirksAreKept)
{
    CError e = SampleError();
    e.Item.Type = 7;  // REG_MULTI_SZ is written as REG_SZ and reads back as 1
    e.Item.Hive = L"HKEY_PERFORMANCE_DATA";
    e.Item.Root = kRootUsers;
    e.Item.ValueName = L"xValueName=y";
    CError back = ParseProblemRecord(WithoutTerminator(FormatProblemLine(e)));
    EXPECT_EQ(back.Item.Type, 1u);
    EXPECT_EQ(back.Item.Hive, L"HKEY_PERFORMANCE_DATA");
    EXPECT_EQ(back.Item.Root, kRootLocalMachine);
    EXPECT_EQ(back.Item.ValueName, L"xy");

    // "::" inside a field shifts every later field by one; nothing is escaped.
    e = SampleError();
    e.Item.ValueName = L"a::b";
    back = ParseProblemRecord(WithoutTerminator(FormatProblemLine(e)));
    EXPECT_EQ(back.Item.ValueName, L"a");
    EXPECT_EQ(back.Item.ValueData, L"b");

    // Numbers as atoi reads them.
    back = ParseProblemRecord(L"  -12abc:: +7::s::r::m::HKEY_USERS::REG_DWORD::x::k::v::d::");
    EXPECT_EQ(back.ErrorType, -12);
    EXPECT_EQ(back.Section, 7);
    EXPECT_EQ(back.Item.Tag, 0);
    EXPECT_EQ(back.Item.Root, kRootUsers);
    EXPECT_EQ(back.Item.Type, 4u);
}

TEST(ProblemLine, ShortRecordIsInvalidArgument)
{
    EXPECT_THROW((void)ParseProblemRecord(L"1::2::3::4::5::6::7::8::9::10"), std::invalid_argument);
    EXPECT_THROW((void)ParseProblemRecord(L""), std::invalid_argument);
    EXPECT_NO_THROW((void)ParseProblemRecord(L"1::2::3::4::5::6::7::8::9::10::11::"));
}

TEST(ProblemList, FilterBySectionKeepsOrder)
{
    CErrorListEx list;
    for (int i = 0; i < 6; ++i) {
        CError e;
        e.Section = i % 2 ? 4 : 9;
        e.Subject = std::to_wstring(i);
        list.Add(e);
    }
    const CErrorListEx fours = list.FilterBySection(4);
    ASSERT_EQ(fours.GetSize(), 3);
    EXPECT_EQ(fours[0].Subject, L"1");
    EXPECT_EQ(fours[2].Subject, L"5");
    EXPECT_EQ(list.FilterBySection(0).GetSize(), 0);
    EXPECT_EQ(CErrorListEx{}.FilterBySection(4).GetSize(), 0);
}

TEST(RepairedItems, LineFormatAndContains)
{
    CRegistryItem item;
    item.Root = kRootClassesRoot;
    item.Hive = L"HKEY_CLASSES_ROOT";
    item.Type = 1;
    item.SubKey = L"CLSID\\{X}";
    item.ValueName = L"AppID";
    item.ValueData = L"dropped";
    item.Tag = 9;
    EXPECT_EQ(FormatRepairedItemLine(item), L"HKEY_CLASSES_ROOT::REG_SZ::CLSID\\{X}::ValueName=AppID::;;\r\n");

    CRegistryItemListEx list;
    list.Add(item);
    const CRegistryItemListEx back = ParseRepairedItemsText(FormatRepairedItemsText(list));
    ASSERT_EQ(back.GetSize(), 1);
    EXPECT_EQ(back[0].Root, kRootClassesRoot);
    EXPECT_EQ(back[0].ValueData, L"");
    EXPECT_EQ(back[0].Tag, 0);
    EXPECT_TRUE(back.Contains(item));

    CRegistryItem other = item;
    other.Type = 4;
    other.Hive = L"whatever";
    other.ValueData = L"x";
    EXPECT_TRUE(back.Contains(other));  // type, hive text and data are not compared
    other.SubKey = L"clsid\\{X}";
    EXPECT_FALSE(back.Contains(other));  // case counts
    other = item;
    other.Root = kRootLocalMachine;
    EXPECT_FALSE(back.Contains(other));
    other = item;
    other.ValueName = L"";
    EXPECT_FALSE(back.Contains(other));
}

TEST(RepairedItems, TextReaderSkipsBadRecordsAndUnterminatedTail)
{
    const std::wstring text = L"\uFEFFHKEY_USERS::REG_DWORD::a::ValueName=x::;;\r\n"
                              L"broken::record;;\r\n"
                              L"HKEY_CURRENT_USER::REG_SZ::b::ValueName=ValueName=y::;;\r\n"
                              L"HKEY_CURRENT_USER::REG_SZ::c::ValueName=z::";
    const CRegistryItemListEx items = ParseRepairedItemsText(text);
    ASSERT_EQ(items.GetSize(), 2);
    EXPECT_EQ(items[0].Hive, L"HKEY_USERS");
    EXPECT_EQ(items[0].Root, kRootUsers);
    EXPECT_EQ(items[0].Type, 4u);
    EXPECT_EQ(items[0].SubKey, L"a");
    EXPECT_EQ(items[0].ValueName, L"x");
    EXPECT_EQ(items[1].Root, kRootCurrentUser);
    EXPECT_EQ(items[1].ValueName, L"y");
    EXPECT_THROW((void)ParseRepairedItemRecord(L"HKEY_USERS::REG_SZ::a"), std::invalid_argument);
}

TEST(Conversions, ExactAndCaseSensitive)
{
    EXPECT_EQ(HiveToRoot(L"HKEY_CLASSES_ROOT"), 0x80000000u);
    EXPECT_EQ(HiveToRoot(L"HKEY_CURRENT_USER"), 0x80000001u);
    EXPECT_EQ(HiveToRoot(L"HKEY_LOCAL_MACHINE"), 0x80000002u);
    EXPECT_EQ(HiveToRoot(L"HKEY_USERS"), 0x80000003u);
    EXPECT_EQ(HiveToRoot(L"hkey_users"), kRootLocalMachine);
    EXPECT_EQ(HiveToRoot(L""), kRootLocalMachine);
    for (RootKey r = kRootClassesRoot; r <= kRootUsers; ++r)
        EXPECT_EQ(HiveToRoot(RootToHive(r)), r);
    EXPECT_EQ(RootToHive(0x80000004u), L"");
    EXPECT_EQ(TypeFromName(L"REG_SZ"), 1u);
    EXPECT_EQ(TypeFromName(L"REG_EXPAND_SZ"), 2u);
    EXPECT_EQ(TypeFromName(L"REG_DWORD"), 4u);
    EXPECT_EQ(TypeFromName(L"reg_dword"), 1u);
    EXPECT_EQ(TypeFromName(L"REG_BINARY"), 1u);
    EXPECT_EQ(TypeName(1), L"REG_SZ");
    EXPECT_EQ(TypeName(2), L"REG_EXPAND_SZ");
    EXPECT_EQ(TypeName(4), L"REG_DWORD");
    EXPECT_EQ(TypeName(7), L"REG_SZ");
    EXPECT_EQ(TypeName(0), L"REG_SZ");
}

TEST(Counters, ResetZeroesAllThirtySix)
{
    SectionCounters counters;
    counters[3].Found = 5;
    counters[11].Repaired = 2;
    counters[0].Ignored = 1;
    ResetCounters(counters);
    for (const SectionCounter& c : counters) {
        EXPECT_EQ(c.Found.load(), 0);
        EXPECT_EQ(c.Repaired.load(), 0);
        EXPECT_EQ(c.Ignored.load(), 0);
    }
}
