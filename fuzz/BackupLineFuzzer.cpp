// libFuzzer target for the backup file reader in core/BackupFile (host build).
//
//   clang++ -std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined -I. core/BackupFile.cpp \
//       core/CalendarTime.cpp core/ProblemRecord.cpp core/RegistryItem.cpp core/TextSplit.cpp \
//       core/Utf16Text.cpp fuzz/BackupLineFuzzer.cpp -o backup_fuzzer
//   ./backup_fuzzer fuzz/corpus/backupline
//
// The input is a backup file (UTF-16LE). Besides crashes and sanitizer reports it stops
// when a record that reads and passes BackupLineRoundTrips does not come back from its
// own line unchanged, or when a file name that parses does not come back from
// BackupFileName, or when a ".files" listing line it accepts does not list back the same.

#include "core/BackupFile.h"
#include "core/ProblemRecord.h"
#include "core/TextSplit.h"
#include "core/Utf16Text.h"
#include "fuzz/FuzzCheck.h"

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::wstring text = utf16::DecodeLe(std::string_view(reinterpret_cast<const char*>(data), size));
    std::vector<std::wstring> names;
    for (const std::wstring& record : SplitByString(text, kRecordEnd)) {
        names.push_back(record);
        BackupEntry entry;
        try {
            entry = ParseBackupRecord(record);
        } catch (const std::invalid_argument&) {
            continue;
        }
        (void)BackupDwordValue(entry.Item.ValueData);
        if (!BackupLineRoundTrips(entry.Action, entry.Item))
            continue;
        const std::wstring line = FormatBackupLine(entry.Action, entry.Item);
        const BackupEntry again = ParseBackupRecord(line.substr(0, line.size() - kRecordEnd.size()));
        Check(again.Action == entry.Action && again.Item.Hive == entry.Item.Hive &&
              again.Item.SubKey == entry.Item.SubKey && again.Item.ValueName == entry.Item.ValueName);
        if (entry.Action == RestoreValue)
            Check(again.Item.Type == entry.Item.Type && again.Item.ValueData == entry.Item.ValueData);
    }
    for (const std::wstring& name : names) {
        if (const auto stamp = ParseBackupFileName(name)) {
            const std::wstring rebuilt = BackupFileName(stamp->time, stamp->sequence);
            std::wstring lowerExtension = name;
            for (std::size_t i = lowerExtension.size() - 3; i < lowerExtension.size(); ++i)
                if (lowerExtension[i] >= L'A' && lowerExtension[i] <= L'Z')
                    lowerExtension[i] = static_cast<wchar_t>(lowerExtension[i] - L'A' + L'a');
            Check(rebuilt == lowerExtension);
        }
    }
    SortBackupsNewestFirst(names);
    // The same bytes as a ".files" listing: every file it accepts lists back the same.
    if (const auto files = ParsePreservedFileListing(text))
        for (const PreservedFile& file : *files) {
            const auto again = ParsePreservedFileListing(FormatPreservedFileLine(file));
            Check(again && again->size() == 1 && again->front().StoredName == file.StoredName &&
                  again->front().OriginalPath == file.OriginalPath);
        }
    return 0;
}
