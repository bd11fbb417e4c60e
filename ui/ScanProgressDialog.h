#pragma once
// The window that runs one scan: it starts the scan, counts the problems of each section
// as the worker reports them (its messages arrive through the main window), marks the
// section being scanned with the animation, shows the item being examined and the
// progress, and closes when the scan has finished or the user stopped it.

#include "controls/AccessibleAnnotation.h"
#include "controls/BitmapButtonEx.h"
#include "controls/BitmapDialog.h"
#include "controls/PictureBoxEx.h"
#include "controls/XColorStatic.h"
#include "ui/ClosingGuard.h"
#include "ui/ScanService.h"

#include <array>
#include <string>

// The item text as shown: 71 characters or more become the first 70 and "..".
[[nodiscard]] std::wstring ShortenItemText(std::wstring text);
// The progress bar's position after section `section` (0..11): (s + 1) x 8.33...,
// truncated, so it depends on the section number and not on how many were chosen.
[[nodiscard]] int SectionProgressPosition(int section);
// Where the animation marks the row of section `section`.
[[nodiscard]] POINT AnimationPlace(int section);

class CScanProgressDialog : public CBitmapDialog {
public:
    static constexpr int kAnimationMarkSize = 21;

    explicit CScanProgressDialog(IScanService& scans);

    // Before showing: the sections to scan.
    void Prepare(const IScanService::Selection& sections) { m_sections = sections; }
    // Problems counted in the section being scanned.
    [[nodiscard]] int GetSectionProblemCount() const { return m_sectionProblems; }
    // After the window has closed: whether its scan started (finished or stopped since),
    // and whether it went through every chosen section.
    [[nodiscard]] bool ScanStarted() const { return m_started; }
    [[nodiscard]] bool ScanCompleted() const { return m_completed; }

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
    bool OnCommand(WORD id, WORD code, HWND control) override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    void SetUpControls();
    void StartAnimation();
    void OnProblemFound(WPARAM section, LPARAM foundSoFar);
    void OnItem(WPARAM text);
    void OnSectionStarted(WPARAM section);
    void OnSectionDone(WPARAM section);
    void Finish();
    void StopButton();
    // The OK and Cancel actions: a running scan is stopped (and the user told) first.
    void StopIfRunningAndClose(INT_PTR result);
    void Close(INT_PTR result);

    IScanService& m_scans;
    IScanService::Selection m_sections{};
    int m_sectionProblems = 0;
    // Set once the window has begun to close: a late worker message must not start a
    // second ending (a finish message queued just before a stop, for instance).
    CClosingGuard m_closing;
    bool m_started = false;
    bool m_completed = false;

    CBitmapButtonEx m_stop;
    CXColorStatic m_title;
    CXColorStatic m_notice;
    CXColorStatic m_item;
    std::array<CXColorStatic, kSectionCount> m_names;
    std::array<CXColorStatic, kSectionCount> m_counts;
    CPictureBoxEx m_animation;
    CAccessibleAnnotation m_bar{ROLE_SYSTEM_PROGRESSBAR};
};
