#include "core/ProblemRecord.h"

#include "core/TextSplit.h"

#include <stdexcept>

CErrorListEx CErrorListEx::FilterBySection(std::int32_t section) const
{
    CErrorListEx result;
    for (const CError& e : *this)
        if (e.Section == section)
            result.Add(e);
    return result;
}

std::wstring FormatProblemLine(const CError& error)
{
    const CRegistryItem& item = error.Item;
    std::wstring line;
    line.reserve(128 + error.Subject.size() + error.Reason.size() + item.SubKey.size() + item.ValueData.size());
    auto field = [&line](std::wstring_view text) {
        line += text;
        line += kFieldEnd;
    };
    field(std::to_wstring(error.ErrorType));
    field(std::to_wstring(error.Section));
    field(error.Subject);
    field(error.Reason);
    field(error.Summary);
    field(item.Hive);
    field(TypeName(item.Type));
    field(std::to_wstring(item.Tag));
    field(item.SubKey);
    field(L"ValueName=" + item.ValueName);
    field(L"ValueData=" + item.ValueData);
    line += kRecordEnd;
    return line;
}

CError ParseProblemRecord(std::wstring_view record)
{
    const CStringArrayEx fields = SplitByString(record, kFieldEnd);
    if (fields.GetSize() < 11)
        throw std::invalid_argument("problem record with fewer than eleven fields");
    CError error;
    error.ErrorType = ParseDecimal(fields[0]);
    error.Section = ParseDecimal(fields[1]);
    error.Subject = fields[2];
    error.Reason = fields[3];
    error.Summary = fields[4];
    error.Item.Hive = fields[5];
    error.Item.Root = HiveToRoot(fields[5]);
    error.Item.Type = TypeFromName(fields[6]);
    error.Item.Tag = ParseDecimal(fields[7]);
    error.Item.SubKey = fields[8];
    error.Item.ValueName = RemoveAll(fields[9], L"ValueName=");
    error.Item.ValueData = RemoveAll(fields[10], L"ValueData=");
    return error;
}

std::wstring FormatRepairedItemLine(const CRegistryItem& item)
{
    std::wstring line;
    line.reserve(48 + item.Hive.size() + item.SubKey.size() + item.ValueName.size());
    line += item.Hive;
    line += kFieldEnd;
    line += TypeName(item.Type);
    line += kFieldEnd;
    line += item.SubKey;
    line += kFieldEnd;
    line += L"ValueName=";
    line += item.ValueName;
    line += kFieldEnd;
    line += kRecordEnd;
    return line;
}

CRegistryItem ParseRepairedItemRecord(std::wstring_view record)
{
    const CStringArrayEx fields = SplitByString(record, kFieldEnd);
    if (fields.GetSize() < 4)
        throw std::invalid_argument("repaired-item record with fewer than four fields");
    CRegistryItem item;
    item.Hive = fields[0];
    item.Root = HiveToRoot(fields[0]);
    item.Type = TypeFromName(fields[1]);
    item.SubKey = fields[2];
    item.ValueName = RemoveAll(fields[3], L"ValueName=");
    return item;
}

CRegistryItemListEx ParseRepairedItemsText(std::wstring_view text)
{
    if (!text.empty() && text.front() == 0xFEFF)
        text.remove_prefix(1);
    CRegistryItemListEx items;
    for (const std::wstring& record : SplitByString(text, kRecordEnd)) {
        try {
            items.Add(ParseRepairedItemRecord(record));
        } catch (const std::invalid_argument&) {
            // A malformed record is skipped; the others still count.
        }
    }
    return items;
}

std::wstring FormatRepairedItemsText(const CRegistryItemListEx& items)
{
    std::wstring text;
    for (const CRegistryItem& item : items)
        text += FormatRepairedItemLine(item);
    return text;
}
