#pragma once
// What the scan windows ask of the engine. The program's is
// CEngineServices; the window tests give their own, so they can play a scan's
// messages without a real scan running beside them.

#include "core/ScanSections.h"

#include <windows.h>

#include <array>
#include <cstdint>
#include <string>

class IScanService {
public:
    using Selection = std::array<std::uint8_t, kSectionCount>;  // byte n non-zero: scan section n

    virtual ~IScanService() = default;

    // Where the workers post their messages (the main window).
    virtual void SetNotifyWindow(HWND window) = 0;
    // Starts a scan of the chosen sections; false when the worker could not start.
    [[nodiscard]] virtual bool StartScan(const Selection& sections) = 0;
    // Stops the scan worker, waiting for it; nothing when there is none.
    virtual void StopScan() = 0;
    // A scan worker object exists, running or finished.
    [[nodiscard]] virtual bool HasScanWorker() const = 0;
    // A scan worker exists and has not ended.
    [[nodiscard]] virtual bool IsScanning() const = 0;
    [[nodiscard]] virtual int GetTotalFound() const = 0;
    [[nodiscard]] virtual std::wstring LastScanDate() const = 0;
    // Deletes the stored unresolved problems and sets their count to 0; false when the
    // file could not be deleted.
    [[nodiscard]] virtual bool ClearUnresolvedProblems() = 0;
    // Replaces the problem list by the stored unresolved problems; false when the file
    // exists but cannot be read.
    [[nodiscard]] virtual bool LoadIgnoredProblems() = 0;
};
