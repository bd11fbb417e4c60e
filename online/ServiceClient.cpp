#include "online/ServiceClient.h"

#include "engine/Settings.h"

#include <utility>

namespace Service {

namespace {

constexpr wchar_t kDefaultServiceUrl[] = L"http://logservice.velmora.invalid/service.asmx";
constexpr wchar_t kDefaultServiceNamespace[] = L"http://logservice.velmora.invalid/";

}  // namespace

ServiceEndpoint ConfiguredServiceEndpoint()
{
    ServiceEndpoint endpoint{kDefaultServiceUrl, kDefaultServiceNamespace};
    if (std::wstring url = ReadSetting(L"LogServiceUrl"); !url.empty())
        endpoint.url = std::move(url);
    if (std::wstring uri = ReadSetting(L"LogServiceNamespace"); !uri.empty())
        endpoint.namespaceUri = std::move(uri);
    return endpoint;
}

class CHttpConnection {};

CServiceT::CServiceT(ServiceEndpoint endpoint) : m_endpoint(std::move(endpoint)) {}

CServiceT::~CServiceT() = default;

void CServiceT::SetTimeout(DWORD milliseconds)
{
    m_timeoutMs = milliseconds;
}

HRESULT CServiceT::ReportComputerLog(const std::optional<std::wstring>&, const std::optional<std::wstring>&,
                                     const std::optional<std::wstring>&, const std::optional<std::wstring>&,
                                     std::int32_t* logId, bool* result)
{
    if (!logId || !result)
        return E_POINTER;
    return E_NOTIMPL;
}

HRESULT CServiceT::GetStatus(std::int32_t, const std::optional<std::wstring>&, std::optional<std::wstring>* comments,
                             std::optional<std::wstring>* solutionCommands, std::int32_t* result)
{
    if (!comments || !solutionCommands || !result)
        return E_POINTER;
    return E_NOTIMPL;
}

}  // namespace Service
