#include "engine/IgnoredProblemsStore.h"

#include "core/SettingsTable.h"
#include "core/TextSplit.h"
#include "core/Utf16Text.h"
#include "engine/FileSystem.h"
#include "engine/HandleFiles.h"
#include "engine/LinkGuard.h"
#include "engine/RepairedItems.h"
#include "engine/Settings.h"
#include "framework/File.h"

#include <stdexcept>

namespace {


// False when the folder or the file is a link: nothing may then be written there.
bool PrepareFolder()
{
    return EnsureRealFolder(CRepairedItems::FolderPath()) && !IsLinkOrUnreadable(CIgnoredProblemsStore::FilePath());
}

void CountIn(SectionCounters& counters, int section, std::atomic<std::int32_t> SectionCounter::*counter)
{
    if (section >= 0 && section < kSectionCount)
        ++(counters[static_cast<std::size_t>(section)].*counter);
}

// The number of problems the file on disk holds now (0 when it is missing or unreadable).
std::ptrdiff_t RecordsOnDisk(const std::wstring& path)
{
    std::string bytes;
    if (!FileExists(path) || !CFile::ReadAll(path, bytes))
        return 0;
    return CIgnoredProblemsStore::ParseProblems(utf16::DecodeLe(bytes)).GetSize();
}

}  // namespace

std::wstring CIgnoredProblemsStore::FilePath() { return CRepairedItems::FolderPath() + L"\\unresolvederrors.dat"; }

bool CIgnoredProblemsStore::SaveUnresolvedProblems(CErrorListEx& problems, SectionCounters& counters,
                                                   const std::vector<bool>& stays)
{
    const bool safe = PrepareFolder();
    const std::wstring path = FilePath();
    std::wstring text;
    CErrorListEx remaining;
    std::ptrdiff_t written = 0;
    for (std::ptrdiff_t i = 0; i < problems.GetSize(); ++i) {
        const CError& problem = problems[i];
        if (static_cast<std::size_t>(i) < stays.size() && stays[static_cast<std::size_t>(i)]) {
            remaining.Add(problem);
            continue;
        }
        CountIn(counters, problem.Section, &SectionCounter::Ignored);
        text += FormatProblemLine(problem);
        ++written;
    }
    problems = std::move(remaining);

    const bool saved = safe && ReplaceFileByHandles(path, utf16::EncodeLe(text));
    const std::ptrdiff_t held = saved ? written : RecordsOnDisk(path);
    (void)WriteSetting(SettingName(Setting::UnresolvedCount), std::to_wstring(held));
    return saved;
}

bool CIgnoredProblemsStore::AddUnresolvedProblems(const CErrorListEx& problems)
{
    if (!PrepareFolder())
        return false;
    const std::wstring path = FilePath();
    std::string bytes;
    if (FileExists(path) && !CFile::ReadAll(path, bytes))
        return false;
    // Whole records only: a cut last record of the old file must not swallow the first new one.
    std::wstring text;
    for (const CError& problem : ParseProblems(utf16::DecodeLe(bytes)))
        text += FormatProblemLine(problem);
    for (const CError& problem : problems)
        text += FormatProblemLine(problem);
    const bool saved = ReplaceFileByHandles(path, utf16::EncodeLe(text));
    (void)WriteSetting(SettingName(Setting::UnresolvedCount), std::to_wstring(RecordsOnDisk(path)));
    return saved;
}

bool CIgnoredProblemsStore::ClearUnresolvedProblems()
{
    const std::wstring path = FilePath();
    bool cleared = true;
    if (IsLinkOrUnreadable(CRepairedItems::FolderPath()) || IsLinkOrUnreadable(path))
        cleared = false;
    else if (FileExists(path))
        cleared = DeleteFileByHandles(path);
    (void)WriteSetting(SettingName(Setting::UnresolvedCount), std::to_wstring(cleared ? 0 : RecordsOnDisk(path)));
    return cleared;
}

CErrorListEx CIgnoredProblemsStore::ParseProblems(const std::wstring& text)
{
    CErrorListEx problems;
    for (const std::wstring& record : SplitByString(text, kRecordEnd)) {
        try {
            CError problem = ParseProblemRecord(record);
            problem.ListOnly = SectionListOnly(problem.Section);
            problems.Add(std::move(problem));
        } catch (const std::invalid_argument&) {
            // One unreadable record must not hide the others.
        }
    }
    return problems;
}

bool CIgnoredProblemsStore::LoadIgnoredProblems(CErrorListEx& problems, SectionCounters& counters)
{
    ResetCounters(counters);
    problems.SetSize(0);
    (void)EnsureRealFolder(CRepairedItems::FolderPath());
    const std::wstring path = FilePath();
    if (!FileExists(path))
        return true;
    std::string bytes;
    if (!CFile::ReadAll(path, bytes))
        return false;
    problems = ParseProblems(utf16::DecodeLe(bytes));
    for (const CError& problem : problems)
        CountIn(counters, problem.Section, &SectionCounter::Found);
    return true;
}
