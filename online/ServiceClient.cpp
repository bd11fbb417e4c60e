#include "online/ServiceClient.h"

#include "core/HttpClient.h"
#include "core/SoapReply.h"
#include "core/SoapRequest.h"
#include "engine/Settings.h"
#include "online/SocketChannel.h"

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

// The socket and the HTTP state, kept from one call to the next on the same proxy.
class CHttpConnection {
public:
    CHttpConnection(DWORD timeoutMs, const std::atomic<bool>* abandoned, std::chrono::milliseconds deadline)
        : m_channel(timeoutMs, abandoned), m_client(m_channel, deadline)
    {
    }
    CHttpClient& Client() { return m_client; }

private:
    CSocketChannel m_channel;
    CHttpClient m_client;
};

CServiceT::CServiceT(ServiceEndpoint endpoint, const std::atomic<bool>* abandoned)
    : m_endpoint(std::move(endpoint)), m_abandoned(abandoned), m_deadline(kHttpExchangeDeadline)
{
}

CServiceT::~CServiceT() = default;

void CServiceT::SetTimeout(DWORD milliseconds)
{
    m_timeoutMs = milliseconds;
    m_connection.reset();
}

void CServiceT::SetDeadline(std::chrono::milliseconds deadline)
{
    m_deadline = deadline;
    m_connection.reset();
}

HRESULT CServiceT::Invoke(const char* operation, const std::string& namespaceUri, const std::string& body,
                          SoapReply& reply)
{
    const std::optional<HttpUrl> url = ParseHttpUrl(m_endpoint.url);
    if (!url)
        return E_INVALIDARG;
    if (!m_connection)
        m_connection = std::make_unique<CHttpConnection>(m_timeoutMs, m_abandoned, m_deadline);
    const HttpExchangeResult exchange =
        m_connection->Client().Post(*url, SoapActionValue(namespaceUri, operation), body);
    const bool answered = exchange.complete && exchange.status == 200;
    if (!answered && exchange.status != 500)
        return E_FAIL;  // no reply, or a status that carries none (202 included)
    std::optional<SoapReply> parsed = ParseSoapReply(exchange.body, namespaceUri, operation);
    if (parsed && parsed->fault)
        return DISP_E_EXCEPTION;
    if (!answered || !parsed)
        return E_FAIL;
    reply = std::move(*parsed);
    return S_OK;
}

HRESULT CServiceT::ReportComputerLog(const std::optional<std::wstring>& email,
                                     const std::optional<std::wstring>& productVersion,
                                     const std::optional<std::wstring>& log,
                                     const std::optional<std::wstring>& description, std::int32_t* logId,
                                     bool* result)
{
    if (!logId || !result)
        return E_POINTER;
    const std::optional<std::string> namespaceUri = SoapNamespaceText(m_endpoint.namespaceUri);
    if (!namespaceUri)
        return E_INVALIDARG;
    const ReportComputerLogRequest request{email, productVersion, log, description, *logId};
    SoapReply reply;
    if (const HRESULT hr =
            Invoke("ReportComputerLog", *namespaceUri, BuildReportComputerLogBody(*namespaceUri, request), reply);
        FAILED(hr))
        return hr;
    ReportComputerLogResults results{*logId, *result};
    if (!ReadReportComputerLogResults(reply, results))
        return E_FAIL;
    *logId = results.logId;
    *result = results.accepted;
    return S_OK;
}

HRESULT CServiceT::GetStatus(std::int32_t id, const std::optional<std::wstring>& email,
                             std::optional<std::wstring>* comments, std::optional<std::wstring>* solutionCommands,
                             std::int32_t* result)
{
    if (!comments || !solutionCommands || !result)
        return E_POINTER;
    const std::optional<std::string> namespaceUri = SoapNamespaceText(m_endpoint.namespaceUri);
    if (!namespaceUri)
        return E_INVALIDARG;
    const GetStatusRequest request{id, email, *comments, *solutionCommands};
    SoapReply reply;
    if (const HRESULT hr = Invoke("GetStatus", *namespaceUri, BuildGetStatusBody(*namespaceUri, request), reply);
        FAILED(hr))
        return hr;
    GetStatusResults results{*comments, *solutionCommands, *result};
    if (!ReadGetStatusResults(reply, results))
        return E_FAIL;
    *comments = std::move(results.comments);
    *solutionCommands = std::move(results.solutionCommands);
    *result = results.result;
    return S_OK;
}

}  // namespace Service
