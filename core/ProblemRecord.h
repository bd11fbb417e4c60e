#pragma once
// A found problem, the problem list, and the two line formats of the data files:
// the problem line (unresolved problems, result windows) and the repaired-items
// line ("log.dat"). Lines are UTF-16 text; nothing is escaped or quoted.

#include "core/ArrayEx.h"
#include "core/RegistryItem.h"

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

enum ErrorType : std::int32_t {
    MissingShortcut = 0,  // a shortcut whose target is gone; the repair deletes the file (Subject)
    InvalidValue = 1,     // a value naming a missing file, type library or AppID
    EmptyKey = 2,         // an empty registry key
};

struct CError {
    std::int32_t ErrorType = 0;
    std::int32_t Section = 0;
    std::wstring Subject;
    std::wstring Reason;
    std::wstring Summary;
    bool ListOnly = false;
    CRegistryItem Item;
};

class CErrorListEx : public CArrayEx<CError> {
public:
    // Copies of the problems of one section, in insertion order (empty when none).
    [[nodiscard]] CErrorListEx FilterBySection(std::int32_t section) const;
};

// "%d::%d::%s::%s::%s::%s::%s::%d::%s::ValueName=%s::ValueData=%s::;;\r\n"
// (ListOnly is not stored; a type other than 1, 2, 4 is written as REG_SZ).
[[nodiscard]] std::wstring FormatProblemLine(const CError& error);

// Reads one record cut out at ";;\r\n" (without the terminator). Throws
// std::invalid_argument when it has fewer than eleven "::" fields.
[[nodiscard]] CError ParseProblemRecord(std::wstring_view record);

// "%s::%s::%s::ValueName=%s::;;\r\n": hive name, type name, key path, value name.
[[nodiscard]] std::wstring FormatRepairedItemLine(const CRegistryItem& item);

// Reads one "log.dat" record (without the terminator). Throws std::invalid_argument
// when it has fewer than four fields. ValueData stays empty and Tag 0.
[[nodiscard]] CRegistryItem ParseRepairedItemRecord(std::wstring_view record);

// The whole "log.dat" text: a leading byte-order mark is accepted, an unterminated
// last record is lost, a malformed record is skipped and the rest kept.
[[nodiscard]] CRegistryItemListEx ParseRepairedItemsText(std::wstring_view text);
[[nodiscard]] std::wstring FormatRepairedItemsText(const CRegistryItemListEx& items);

inline constexpr std::wstring_view kRecordEnd = L";;\r\n";
inline constexpr std::wstring_view kFieldEnd = L"::";

// One record of the data files: every field followed by "::", then ";;" CR LF.
// Nothing is escaped, as the files have always been written.
[[nodiscard]] std::wstring JoinRecord(std::initializer_list<std::wstring_view> fields);
