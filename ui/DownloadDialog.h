#pragma once
// The download window of the self-update: it follows the download worker (its messages
// arrive through the main window) with a progress bar, the kilobytes downloaded, the
// speed, the file size and the time elapsed, and closes when the transfer has ended.
// "Interrompi" and Escape cancel the download; Enter does nothing.

#include "controls/AccessibleAnnotation.h"
#include "controls/BitmapButtonEx.h"
#include "controls/BitmapDialog.h"
#include "controls/XColorStatic.h"
#include "ui/ClosingGuard.h"

#include <array>
#include <cstdint>

// What the download window asks of the update workers.
class IDownloadService {
public:
    virtual ~IDownloadService() = default;
    // Cancels the download worker; it posts nothing more.
    virtual void StopDownload() = 0;
};

class CDownloadDialog : public CBitmapDialog {
public:
    explicit CDownloadDialog(IDownloadService& downloads);

protected:
    BOOL OnInitDialog() override;
    void OnOK() override {}
    void OnCancel() override;
    bool OnCommand(WORD id, WORD code, HWND control) override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    void SetUpControls();
    void OnStarted(std::uint64_t expectedBytes);
    void OnProgress(std::uint64_t bytes);

    IDownloadService& m_downloads;
    ULONGLONG m_startTick = 0;
    CClosingGuard m_closing;

    CXColorStatic m_title;
    CXColorStatic m_notice;
    CAccessibleAnnotation m_bar{ROLE_SYSTEM_PROGRESSBAR};
    std::array<CXColorStatic, 8> m_figureLabels;
    CBitmapButtonEx m_cancel;
};
