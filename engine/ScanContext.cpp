#include "engine/ScanContext.h"

#include "engine/ScanMessages.h"
#include "engine/Scanners.h"
#include "framework/Pacing.h"
#include "framework/WinThread.h"

#include <cstdlib>
#include <ctime>

ScanContext::ScanContext(const ScanTarget& target)
    : m_target(target),
      m_stopEvent(::CreateEventW(nullptr, TRUE, FALSE, nullptr))
{
    finder.KeepAll = false;
    finder.SetCallback(&ShortcutHandler, this);
}

ScanContext::~ScanContext() = default;

void ScanContext::IndexRepairedItems()
{
    if (m_target.repaired)
        m_repaired = CRegistryItemIndex(*m_target.repaired);
}

bool ScanContext::CreateShellLink()
{
    return SUCCEEDED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                        shellLink.put_void()));
}

void ScanContext::Post(UINT message, WPARAM wParam, LPARAM lParam) const
{
    if (running)
        (void)m_target.notify.Post(message, wParam, lParam);
}

void ScanContext::RequestStop()
{
    running = false;
    finder.StopRequested = true;
    if (m_stopEvent)
        ::SetEvent(m_stopEvent.get());
}

void ScanContext::Finish()
{
    if (running && m_target.notify)
        (void)m_target.notify.PostUntilQueued(WM_SCAN_FINISHED, 0, 0, m_stopEvent.get());
}

void ScanContext::BeginSection(const std::wstring& rootNameText, RootKey rootKey, int sectionNumber,
                               int sectionOrdinal, bool sectionListOnly)
{
    if (m_problemCountPending)
        PostProblemCount();  // for the root that ends here
    rootName = rootNameText;
    root = rootKey;
    section = sectionNumber;
    ordinal = sectionOrdinal;
    listOnly = sectionListOnly;
    Post(WM_SCAN_SECTION_STARTED, static_cast<WPARAM>(section), ordinal);
}

void ScanContext::EndSection()
{
    if (m_problemCountPending)
        PostProblemCount();
    if (PacingEnabled()) {
        const std::time_t now = std::time(nullptr);
        const std::tm* local = std::localtime(&now);
        unsigned seed = static_cast<unsigned>(now);
        if (local)
            seed += static_cast<unsigned>(local->tm_year + 1900 + local->tm_mon + 1 + local->tm_mday);
        std::srand(seed);
        PacedWait(m_stopEvent.get(), static_cast<DWORD>((std::rand() % 20) * 100 + 100));
    }
    Post(WM_SCAN_SECTION_DONE, static_cast<WPARAM>(section), ordinal);
}

bool ScanContext::ItemDue() const
{
    if (!running || !m_target.notify || !m_target.progress)
        return false;
    return !m_itemPosted || m_target.itemIntervalMs == 0 ||
           ::GetTickCount64() - m_lastItemTick >= m_target.itemIntervalMs;
}

void ScanContext::ReportItem(const std::wstring& text)
{
    if (!ItemDue())
        return;
    m_itemPosted = true;
    m_lastItemTick = ::GetTickCount64();
    if (section == ProgramShortcuts)
        (void)PostText(m_target.notify, WM_SCAN_ITEM, text, 0);
    else
        (void)PostText(m_target.notify, WM_SCAN_ITEM, rootName + L'\\' + text, 0);
}

void ScanContext::Append(CError&& error)
{
    if (m_target.counters && section >= 0 && section < kSectionCount)
        ++(*m_target.counters)[static_cast<std::size_t>(section)].Found;
    if (m_target.problems)
        m_target.problems->Add(std::move(error));
    if (section < 0 || section >= kSectionCount)
        return;
    ++m_sectionFound[static_cast<std::size_t>(section)];
    m_problemCountPending = true;
    if (!m_problemPosted || m_target.itemIntervalMs == 0 ||
        ::GetTickCount64() - m_lastProblemTick >= m_target.itemIntervalMs)
        PostProblemCount();
}

void ScanContext::PostProblemCount()
{
    m_problemCountPending = false;
    if (!m_target.progress)
        return;
    m_problemPosted = true;
    m_lastProblemTick = ::GetTickCount64();
    if (section >= 0 && section < kSectionCount)
        Post(WM_SCAN_PROBLEM_FOUND, static_cast<WPARAM>(section), m_sectionFound[static_cast<std::size_t>(section)]);
}

void ScanContext::AddProblem(const std::wstring& subject, const std::wstring& reason, const std::wstring& summary,
                             const CRegistryItem& item, std::int32_t errorType)
{
    if (!running || m_repaired.Contains(item))
        return;
    CError error;
    error.ErrorType = errorType;
    error.Section = section;
    error.Subject = subject;
    error.Reason = reason;
    error.Summary = summary;
    error.ListOnly = listOnly;
    error.Item = item;
    Append(std::move(error));
}

void ScanContext::AddShortcutProblem(const std::wstring& path)
{
    if (!running)
        return;
    CError error;
    error.ErrorType = MissingShortcut;
    error.Section = section;
    error.Subject = path;
    error.Reason = L"The target file for this shortcut file does not exist.";
    error.Summary = L"Missing Shortcut.";
    error.ListOnly = listOnly;
    Append(std::move(error));
}
