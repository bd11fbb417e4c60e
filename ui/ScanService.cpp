#include "ui/ScanService.h"

#include "engine/CorvaneEngine.h"

namespace {

class CEngineScanService final : public IScanService {
public:
    void SetNotifyWindow(HWND window) override { Engine().SetNotifyWindow(window); }
    bool StartScan(const Selection& sections) override { return Engine().StartScan(sections); }
    void StopScan() override { Engine().StopScan(); }
    bool HasScanWorker() const override { return Engine().ScanThreadHandle() != nullptr; }
    bool IsScanning() const override { return Engine().IsScanning(); }
    int GetTotalFound() const override { return Engine().GetTotalFound(); }
    std::wstring LastScanDate() const override { return Engine().LastScanDate(); }
    bool ClearUnresolvedProblems() override { return Engine().ClearUnresolvedProblems(); }
    bool LoadIgnoredProblems() override { return Engine().LoadIgnoredProblems(); }

private:
    static CCorvaneEngine& Engine() { return CCorvaneEngine::Instance(); }
};

}  // namespace

IScanService& EngineScanService()
{
    static CEngineScanService service;
    return service;
}
