#include "core/BackupFile.h"

#include "core/ProblemRecord.h"
#include "core/TextSplit.h"

#include <algorithm>
#include <stdexcept>
#include <tuple>

namespace {

bool IsDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

// The value of text[from, from + count) when all of it is digits; -1 otherwise.
int Digits(std::wstring_view text, std::size_t from, std::size_t count)
{
    if (from + count > text.size())
        return -1;
    int value = 0;
    for (std::size_t i = from; i < from + count; ++i) {
        if (!IsDigit(text[i]))
            return -1;
        value = value * 10 + (text[i] - L'0');
    }
    return value;
}

bool EqualsIgnoringAsciiCase(std::wstring_view a, std::wstring_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        wchar_t x = a[i];
        wchar_t y = b[i];
        if (x >= L'A' && x <= L'Z')
            x = static_cast<wchar_t>(x - L'A' + L'a');
        if (y >= L'A' && y <= L'Z')
            y = static_cast<wchar_t>(y - L'A' + L'a');
        if (x != y)
            return false;
    }
    return true;
}

std::wstring_view FileNameOf(std::wstring_view path)
{
    const std::size_t cut = path.find_last_of(L"\\/");
    return cut == std::wstring_view::npos ? path : path.substr(cut + 1);
}

bool HasNul(std::wstring_view text) { return text.find(L'\0') != std::wstring_view::npos; }

bool IsPlainFileName(std::wstring_view name)
{
    return !name.empty() && name != L"." && name != L".." && name.find_first_of(L"\\/:") == std::wstring_view::npos &&
           !HasNul(name);
}

bool IsFullPath(std::wstring_view path)
{
    const bool drive = path.size() > 3 && ((path[0] >= L'A' && path[0] <= L'Z') || (path[0] >= L'a' && path[0] <= L'z')) &&
                       path[1] == L':' && path[2] == L'\\';
    const bool share = path.size() > 2 && path[0] == L'\\' && path[1] == L'\\' && path[2] != L'\\' && path[2] != L'?';
    return (drive || share) && !HasNul(path);
}

}  // namespace

std::wstring FormatPreservedFileLine(const PreservedFile& file)
{
    return JoinRecord({file.StoredName, file.OriginalPath});
}

std::optional<std::vector<PreservedFile>> ParsePreservedFileListing(std::wstring_view text)
{
    std::vector<PreservedFile> files;
    for (const std::wstring& record : SplitByString(text, kRecordEnd)) {
        const CStringArrayEx fields = SplitByString(record, kFieldEnd);
        if (fields.GetSize() != 2 || record.size() != fields[0].size() + fields[1].size() + 2 * kFieldEnd.size() ||
            !IsPlainFileName(fields[0]) || !IsFullPath(fields[1]))
            return std::nullopt;
        files.push_back({fields[0], fields[1]});
    }
    return files;
}

std::wstring PreservedFilesFolder(std::wstring_view backupPath)
{
    constexpr std::wstring_view kExtension = L".dat";
    if (backupPath.size() >= kExtension.size() &&
        EqualsIgnoringAsciiCase(backupPath.substr(backupPath.size() - kExtension.size()), kExtension))
        backupPath.remove_suffix(kExtension.size());
    return std::wstring(backupPath) + L".files";
}

std::wstring FormatBackupLine(std::int32_t action, const CRegistryItem& item)
{
    return JoinRecord({std::to_wstring(action), item.Hive, TypeName(item.Type), item.SubKey,
                       L"ValueName=" + item.ValueName, item.ValueData});
}

BackupEntry ParseBackupRecord(std::wstring_view record)
{
    const CStringArrayEx fields = SplitByString(record, kFieldEnd);
    if (fields.GetSize() < 6)
        throw std::invalid_argument("backup record with fewer than six fields");
    BackupEntry entry;
    entry.Action = ParseDecimal(fields[0]);
    entry.Item.Hive = fields[1];
    entry.Item.Root = HiveToRoot(fields[1]);
    entry.Item.Type = TypeFromName(fields[2]);
    entry.Item.SubKey = fields[3];
    entry.Item.ValueName = RemoveAll(fields[4], L"ValueName=");
    entry.Item.ValueData = fields[5];
    return entry;
}

bool BackupLineRoundTrips(std::int32_t action, const CRegistryItem& item)
{
    if (RootToHive(item.Root).empty() || RootToHive(item.Root) != item.Hive)
        return false;
    if (HasNul(item.SubKey) || HasNul(item.ValueName) || HasNul(item.ValueData))
        return false;
    if (action == RestoreValue && item.Type != kTypeString && item.Type != kTypeExpandString &&
        item.Type != kTypeDword)
        return false;
    const std::wstring line = FormatBackupLine(action, item);
    const CStringArrayEx records = SplitByString(line, kRecordEnd);
    if (records.GetSize() != 1 || records[0].size() + kRecordEnd.size() != line.size())
        return false;
    BackupEntry back;
    try {
        back = ParseBackupRecord(records[0]);
    } catch (const std::invalid_argument&) {
        return false;
    }
    if (SplitByString(records[0], kFieldEnd).GetSize() != 6)
        return false;
    if (back.Action != action || back.Item.Hive != item.Hive || back.Item.Root != item.Root ||
        back.Item.SubKey != item.SubKey || back.Item.ValueName != item.ValueName)
        return false;
    if (action != RestoreValue)
        return true;
    if (back.Item.Type != item.Type)
        return false;
    if (item.Type == kTypeDword)
        return std::to_wstring(BackupDwordValue(back.Item.ValueData)) == item.ValueData;
    return back.Item.ValueData == item.ValueData;
}

std::uint32_t BackupDwordValue(std::wstring_view text)
{
    std::size_t i = 0;
    while (i < text.size() && (text[i] == L' ' || (text[i] >= L'\t' && text[i] <= L'\r')))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == L'+' || text[i] == L'-')) {
        negative = text[i] == L'-';
        ++i;
    }
    std::uint32_t value = 0;
    for (; i < text.size() && IsDigit(text[i]); ++i)
        value = value * 10u + static_cast<std::uint32_t>(text[i] - L'0');
    return negative ? 0u - value : value;
}

std::wstring BackupFileName(const CalendarTime& time, int sequence)
{
    std::wstring name = ZeroPadded(time.year, 4) + ZeroPadded(time.month, 2) + ZeroPadded(time.day, 2) + L'_' +
                        ZeroPadded(time.hour, 2) + ZeroPadded(time.minute, 2);
    if (sequence > 1)
        name += L'_' + std::to_wstring(sequence);
    return name + L".dat";
}

std::optional<BackupNameStamp> ParseBackupFileName(std::wstring_view fileName)
{
    constexpr std::wstring_view kExtension = L".dat";
    if (fileName.size() < 13 + kExtension.size() ||
        !EqualsIgnoringAsciiCase(fileName.substr(fileName.size() - kExtension.size()), kExtension))
        return std::nullopt;
    const std::wstring_view stem = fileName.substr(0, fileName.size() - kExtension.size());
    BackupNameStamp stamp;
    stamp.time.year = Digits(stem, 0, 4);
    stamp.time.month = Digits(stem, 4, 2);
    stamp.time.day = Digits(stem, 6, 2);
    stamp.time.hour = Digits(stem, 9, 2);
    stamp.time.minute = Digits(stem, 11, 2);
    if (stem[8] != L'_' || stamp.time.year < 0 || stamp.time.month < 0 || stamp.time.day < 0 ||
        stamp.time.hour < 0 || stamp.time.minute < 0)
        return std::nullopt;
    if (stem.size() == 13)
        return stamp;
    // "_<n>" with n from 2 on, without leading zeros: exactly what BackupFileName writes.
    const std::wstring_view suffix = stem.substr(13);
    if (suffix.size() < 2 || suffix.size() > 10 || suffix[0] != L'_' || suffix[1] == L'0')
        return std::nullopt;
    const int sequence = Digits(suffix, 1, suffix.size() - 1);
    if (sequence < 2)
        return std::nullopt;
    stamp.sequence = sequence;
    return stamp;
}

void SortBackupsNewestFirst(std::vector<std::wstring>& paths)
{
    auto key = [](const std::wstring& path) {
        const std::wstring_view name = FileNameOf(path);
        const auto stamp = ParseBackupFileName(name);
        if (!stamp)
            return std::make_tuple(false, CalendarTime{}, 0, name);
        return std::make_tuple(true, stamp->time, stamp->sequence, name);
    };
    auto newer = [&key](const std::wstring& a, const std::wstring& b) {
        const auto ka = key(a);
        const auto kb = key(b);
        if (std::get<0>(ka) != std::get<0>(kb))
            return std::get<0>(ka);  // named backups before anything else
        const CalendarTime& ta = std::get<1>(ka);
        const CalendarTime& tb = std::get<1>(kb);
        const auto ra = std::tie(ta.year, ta.month, ta.day, ta.hour, ta.minute, std::get<2>(ka), std::get<3>(ka));
        const auto rb = std::tie(tb.year, tb.month, tb.day, tb.hour, tb.minute, std::get<2>(kb), std::get<3>(kb));
        return rb < ra;
    };
    std::stable_sort(paths.begin(), paths.end(), newer);
}
