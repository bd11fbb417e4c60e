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

std::wstring JoinRecord(std::initializer_list<std::wstring_view> fields)
{
    std::size_t size = kRecordEnd.size();
    for (const std::wstring_view field : fields)
        size += field.size() + kFieldEnd.size();
    std::wstring line;
    line.reserve(size);
    for (const std::wstring_view field : fields) {
        line += field;
        line += kFieldEnd;
    }
    line += kRecordEnd;
    return line;
}

std::wstring FormatProblemLine(const CError& error)
{
    const CRegistryItem& item = error.Item;
    return JoinRecord({std::to_wstring(error.ErrorType), std::to_wstring(error.Section), error.Subject, error.Reason,
                       error.Summary, item.Hive, TypeName(item.Type), std::to_wstring(item.Tag), item.SubKey,
                       L"ValueName=" + item.ValueName, L"ValueData=" + item.ValueData});
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
    return JoinRecord({item.Hive, TypeName(item.Type), item.SubKey, L"ValueName=" + item.ValueName});
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
    // Record by record rather than through a split copy of the whole file: "log.dat"
    // only grows, and the scan's peak memory should not. Text after the last record end
    // is dropped, as SplitByString drops it.
    CRegistryItemListEx items;
    for (std::size_t start = 0;;) {
        const std::size_t end = text.find(kRecordEnd, start);
        if (end == std::wstring_view::npos)
            break;
        try {
            items.Add(ParseRepairedItemRecord(text.substr(start, end - start)));
        } catch (const std::invalid_argument&) {
            // A malformed record is skipped; the others still count.
        }
        start = end + kRecordEnd.size();
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
