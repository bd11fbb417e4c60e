#pragma once
// The state one scan shares between its checks, and the common steps every check
// uses to report what it examines and what it finds.
//
// Ownership seam: the problem list, the section counters and the repaired-items list
// belong to the scan's owner (the engine), which lends them through ScanTarget and
// keeps them alive until the worker has ended. The worker is their only writer while
// it runs; the owner reads them after WM_SCAN_FINISHED or after waiting for the thread.

#include "core/ProblemRecord.h"
#include "core/RegistryItem.h"
#include "core/RegistryItemIndex.h"
#include "core/ScanSections.h"
#include "engine/FileFinder.h"
#include "engine/PathCheckCache.h"
#include "framework/Handles.h"
#include "framework/NotifyTarget.h"

#include <shobjidl.h>
#include <windows.h>

#include <array>
#include <atomic>
#include <cstdint>
#include <string>

struct ScanTarget {
    CErrorListEx* problems = nullptr;               // problems are appended here
    SectionCounters* counters = nullptr;            // Found of the section is counted per problem
    // Items already repaired are not reported; null: none. Indexed when the worker
    // starts, so the list must not change from then until the worker has ended.
    const CRegistryItemListEx* repaired = nullptr;
    CNotifyTarget notify;                           // receives the scan messages; none: nothing is posted
    // WM_SCAN_ITEM and WM_SCAN_PROBLEM_FOUND are posted only when this many
    // milliseconds have passed since the last one of their kind (0: for every item and
    // problem). A display needs no more, and the receiver's queue then stays short
    // however large the registry is or however many problems it holds; a section's
    // last count is always posted before it ends, and every other message always.
    unsigned itemIntervalMs = kDefaultItemIntervalMs;
    // False for a receiver that shows no progress: then neither WM_SCAN_ITEM nor
    // WM_SCAN_PROBLEM_FOUND is posted, only the section and finish messages.
    bool progress = true;

    static constexpr unsigned kDefaultItemIntervalMs = 20;
};

class ScanContext {
public:
    explicit ScanContext(const ScanTarget& target);
    ~ScanContext();
    ScanContext(const ScanContext&) = delete;
    ScanContext& operator=(const ScanContext&) = delete;

    // Creates the shell-link object the shortcut check uses, on the calling thread
    // (which must have initialised COM). False when it cannot be created; the shortcut
    // check then reports nothing.
    bool CreateShellLink();
    void ReleaseShellLink() { shellLink.reset(); }
    // Indexes the repaired items; called by the worker before its first section, since
    // the owner may load the list only after creating the scan (see StartScan).
    void IndexRepairedItems();

    // Stores the section's root and numbers and posts WM_SCAN_SECTION_STARTED.
    void BeginSection(const std::wstring& rootName, RootKey rootKey, int sectionNumber, int sectionOrdinal,
                      bool sectionListOnly);
    // The section's last problem count, its pause (only while pacing is on, and cut
    // short by a stop), then WM_SCAN_SECTION_DONE.
    void EndSection();
    // WM_SCAN_FINISHED, posted again while the receiver's queue is full (only while running).
    void Finish();
    // Clears running, stops the file finder and ends a pause at once; any thread.
    void RequestStop();
    // Posts WM_SCAN_ITEM with "root name\text" (the bare text in the shortcut section),
    // at most once per item interval.
    void ReportItem(const std::wstring& text);
    // False while an item posted within the item interval still stands for the
    // current one: callers can skip building the text.
    [[nodiscard]] bool ItemDue() const;
    // Adds a problem unless the scan was stopped or the item was already repaired:
    // counts it, appends it, posts the section's count (at most once per interval).
    void AddProblem(const std::wstring& subject, const std::wstring& reason, const std::wstring& summary,
                    const CRegistryItem& item, std::int32_t errorType);
    // The same for a broken shortcut, without the repaired-items filter.
    void AddShortcutProblem(const std::wstring& path);

    // Posts only while running (and when there is a window to post to).
    void Post(UINT message, WPARAM wParam, LPARAM lParam) const;

    // Cleared by RequestStop; every loop polls it.
    std::atomic<bool> running{false};
    int section = 0;
    bool listOnly = false;
    std::wstring rootName;
    RootKey root = 0;
    int ordinal = 0;
    ComPtr<IShellLinkW> shellLink;
    CFileFinder finder;  // its callback is the shortcut handler, with this context as user value
    CPathCheckCache pathChecks;  // every file check of the scan goes through it

private:
    void Append(CError&& error);
    void PostProblemCount();

    ScanTarget m_target;
    UniqueHandle m_stopEvent;  // manual reset: signalled by RequestStop
    CRegistryItemIndex m_repaired;  // over m_target.repaired, which stays unchanged while the scan runs
    ULONGLONG m_lastItemTick = 0;
    bool m_itemPosted = false;
    std::array<int, kSectionCount> m_sectionFound{};
    ULONGLONG m_lastProblemTick = 0;
    bool m_problemPosted = false;
    bool m_problemCountPending = false;
};
