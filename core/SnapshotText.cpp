#include "core/SnapshotText.h"

#include "core/TextSplit.h"

namespace {

constexpr wchar_t kLineEnd[] = L"\r\n";

void AddHeadings(SnapshotForms& forms, const std::wstring& plain, const std::wstring& marked)
{
    forms.plain += kLineEnd + plain + kLineEnd;
    forms.marked += kLineEnd + marked + kLineEnd;
}

// The plain form reads the bold markers as a label, so the whole line is rewritten,
// data included.
void AddRunLines(SnapshotForms& forms, const CStringArrayEx& lines)
{
    for (std::ptrdiff_t i = 0; i < lines.GetSize(); ++i) {
        forms.plain += RemoveAll(ReplaceAll(lines[i], L"<b>", L"ValueName= "), L"</b>");
        forms.marked += lines[i];
    }
}

}  // namespace

SnapshotForms FormatSnapshot(const SnapshotFacts& facts)
{
    SnapshotForms forms;
    AddHeadings(forms, L"Running Processes", L"<b>Running Processes</b>");
    for (const SnapshotProcess& process : facts.processes) {
        forms.plain += process.path + kLineEnd;
        forms.marked += process.path + L", " + std::to_wstring(process.size) + L", " + process.md5 + kLineEnd;
    }
    AddHeadings(forms, L"HKEY_LOCAL_MACHINE", L"<b>Startup registry items (LOCAL MACHINE)</b>");
    AddRunLines(forms, facts.machineRun);
    AddHeadings(forms, L"HKEY_CURRENT_USER", L"<b>Startup registry items (CURRENT USER)</b>");
    AddRunLines(forms, facts.userRun);
    AddHeadings(forms, L"BHO Items", L"<b>BHO Items</b>");
    for (std::ptrdiff_t i = 0; i < facts.helperObjects.GetSize(); ++i) {
        forms.plain += facts.helperObjects[i];
        forms.marked += facts.helperObjects[i];
    }
    return forms;
}
