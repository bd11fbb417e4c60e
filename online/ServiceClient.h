#pragma once
// The log service's SOAP 1.1 proxy: ReportComputerLog submits a system snapshot,
// GetStatus asks whether a solution for it is ready. Each object opens its own HTTP/1.1
// connection, kept for a further call unless the server closes it. Each call ends by
// an overall deadline, whatever the server does. It never shows a message; it only
// returns a status.

#include <windows.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

struct SoapReply;

namespace Service {

struct ServiceEndpoint {
    std::wstring url;           // plain HTTP, e.g. http://127.0.0.1:8080/service.asmx
    std::wstring namespaceUri;  // ends in "/"; the SOAPAction prefix and the body's namespace
};

// The built-in endpoint, each half overridden by a non-empty REG_SZ value under
// HKEY_LOCAL_MACHINE\Software\Velmora: LogServiceUrl and LogServiceNamespace.
[[nodiscard]] ServiceEndpoint ConfiguredServiceEndpoint();

class CHttpConnection;

class CServiceT {
public:
    // abandoned: set from another thread to end a call under way, failed, within a
    // fraction of a second (null: the call runs to its deadline).
    explicit CServiceT(ServiceEndpoint endpoint, const std::atomic<bool>* abandoned = nullptr);
    ~CServiceT();
    CServiceT(const CServiceT&) = delete;
    CServiceT& operator=(const CServiceT&) = delete;

    // Both calls return S_OK only when the service answered 200 with a reply that
    // parsed; then the out values hold the reply's values (a value the reply leaves
    // out keeps what the caller put in). Otherwise the out values are unchanged and the
    // result is E_POINTER for a null out pointer (before any traffic), E_INVALIDARG for
    // an unusable endpoint, DISP_E_EXCEPTION for a SOAP fault and E_FAIL for everything
    // else (no connection, time-out, cut-off or oversized reply, a status other than 200,
    // a reply that does not parse, the deadline passed, the call abandoned). Absent
    // (nullopt) strings travel as xsi:nil elements, empty ones as empty elements.
    [[nodiscard]] HRESULT ReportComputerLog(const std::optional<std::wstring>& email,
                                            const std::optional<std::wstring>& productVersion,
                                            const std::optional<std::wstring>& log,
                                            const std::optional<std::wstring>& description,
                                            std::int32_t* logId /*in/out*/, bool* result /*out*/);
    [[nodiscard]] HRESULT GetStatus(std::int32_t id, const std::optional<std::wstring>& email,
                                    std::optional<std::wstring>* comments /*in/out*/,
                                    std::optional<std::wstring>* solutionCommands /*in/out*/,
                                    std::int32_t* result /*out*/);

    // Each connect, send and receive waits at most this long (10,000 ms unless set).
    void SetTimeout(DWORD milliseconds);
    // A call, from the name lookup to the last byte of the reply, ends by then
    // (kHttpExchangeDeadline unless set).
    void SetDeadline(std::chrono::milliseconds deadline);

private:
    [[nodiscard]] HRESULT Invoke(const char* operation, const std::string& namespaceUri, const std::string& body,
                                 SoapReply& reply);

    ServiceEndpoint m_endpoint;
    const std::atomic<bool>* m_abandoned;
    DWORD m_timeoutMs = 10000;
    std::chrono::milliseconds m_deadline;
    std::unique_ptr<CHttpConnection> m_connection;
};

}  // namespace Service
