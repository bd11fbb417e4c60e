// The web-service client against the stand-in log service (tools/log-service.py),
// which the test run starts on 127.0.0.1 and which parses requests on its own.

#include "engine/Registry.h"
#include "engine/Settings.h"
#include "online/ServiceClient.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

namespace {

using Service::CServiceT;
using Service::ServiceEndpoint;

constexpr wchar_t kNamespace[] = L"http://logservice.velmora.invalid/";

class StandInService : public ::testing::Test {
protected:
    void SetUp() override
    {
        const wchar_t* state = _wgetenv(L"VELMORA_LOG_SERVICE_STATE");
        ASSERT_NE(state, nullptr) << "run through ctest, which starts the stand-in log service";
        // The service runs on the Linux side; Wine shows its folder on drive Z:.
        std::wstring folder = std::wstring(L"Z:") + state;
        for (wchar_t& c : folder)
            if (c == L'/')
                c = L'\\';
        m_state = folder;
        const std::string port = Read(L"port");
        ASSERT_FALSE(port.empty()) << "the stand-in log service is not running";
        m_port = std::stoi(port);
        SetMode("normal");
    }

    void TearDown() override { SetMode("normal"); }

    [[nodiscard]] ServiceEndpoint Endpoint() const
    {
        return {L"http://127.0.0.1:" + std::to_wstring(m_port) + L"/service.asmx", kNamespace};
    }

    void SetMode(const std::string& mode) const { Write(L"mode", mode); }

    void DropSolution(std::int32_t id, const std::string& commands, const std::string& instructions) const
    {
        Write(L"solutions\\" + std::to_wstring(id) + L".txt", commands + "\n" + instructions);
    }

    [[nodiscard]] std::string Read(const std::wstring& name) const
    {
        std::ifstream in(m_state / name, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    void Write(const std::wstring& name, const std::string& bytes) const
    {
        std::ofstream(m_state / name, std::ios::binary | std::ios::trunc) << bytes;
    }

    std::filesystem::path m_state;
    int m_port = 0;
};

TEST_F(StandInService, SubmitsALogThenFetchesItsSolutionFromTheConfiguredEndpoint)
{
    const ServiceEndpoint configured = Endpoint();
    ASSERT_TRUE(WriteSetting(L"LogServiceUrl", configured.url));
    ASSERT_TRUE(WriteSetting(L"LogServiceNamespace", configured.namespaceUri));
    const ServiceEndpoint endpoint = Service::ConfiguredServiceEndpoint();
    RegDeleteValueAt(HKEY_LOCAL_MACHINE, kSettingsKey, L"LogServiceUrl");
    RegDeleteValueAt(HKEY_LOCAL_MACHINE, kSettingsKey, L"LogServiceNamespace");
    EXPECT_EQ(endpoint.url, configured.url);
    EXPECT_EQ(endpoint.namespaceUri, configured.namespaceUri);

    const std::wstring email = L"utente@example.com";
    std::int32_t logId = -1;
    bool accepted = false;
    ASSERT_EQ(CServiceT(endpoint).ReportComputerLog(email, L"IT 3.0.6", L"<b>Processi</b>\r\nexplorer.exe", 
                                                    L"Riga uno\r\nperch\u00e9 & <cose>", &logId, &accepted),
              S_OK);
    EXPECT_TRUE(accepted);
    ASSERT_GT(logId, 0);

    const std::string request = Read(L"last-request");
    EXPECT_NE(request.find("Host: 127.0.0.1:" + std::to_string(m_port) + "\r\n"), std::string::npos) << request;
    EXPECT_NE(request.find("<Description>Riga uno&#x000D;&#x000A;perch&#x00E9; &amp; &lt;cose&gt;</Description>"),
              std::string::npos)
        << request;
    // The service's own XML parser read the same text back.
    const std::string record = Read(L"logs\\" + std::to_wstring(logId) + L".json");
    EXPECT_NE(record.find("\"Description\": \"Riga uno\\r\\nperch\xC3\xA9 & <cose>\""), std::string::npos) << record;

    std::optional<std::wstring> comments = L"", commands = L"";
    std::int32_t ready = -1;
    ASSERT_EQ(CServiceT(endpoint).GetStatus(logId, email, &comments, &commands, &ready), S_OK);
    EXPECT_EQ(ready, 0);

    DropSolution(logId, "2%C:\\Temp\\rimasuglio.dll;1%intruso.exe", "Chiudere i programmi.\r\nPoi premere il pulsante \xC3\xA8 basta.");
    ASSERT_EQ(CServiceT(endpoint).GetStatus(logId, email, &comments, &commands, &ready), S_OK);
    EXPECT_EQ(ready, 1);
    EXPECT_EQ(comments, L"Chiudere i programmi.\r\nPoi premere il pulsante \u00e8 basta.");
    EXPECT_EQ(commands, L"2%C:\\Temp\\rimasuglio.dll;1%intruso.exe");

    // Another address's solution is not handed out.
    ASSERT_EQ(CServiceT(endpoint).GetStatus(logId, L"altro@example.com", &comments, &commands, &ready), S_OK);
    EXPECT_EQ(ready, 0);
}

TEST_F(StandInService, EveryWayOfAnsweringEndsInAClearOutcome)
{
    constexpr std::int32_t kSolvedLog = 9001;
    DropSolution(kSolvedLog, "3%C:\\Vecchio", "Pronta.");
    struct Case {
        const char* mode;
        HRESULT expected;
    };
    const Case cases[] = {
        {"chunked", S_OK},
        {"continue", S_OK},
        {"redirect", S_OK},
        {"redirect 301", S_OK},
        {"redirect 303", S_OK},
        {"redirect-loop", E_FAIL},
        {"fault", DISP_E_EXCEPTION},
        {"accepted", E_FAIL},
        {"cutoff", E_FAIL},
        {"garbage", E_FAIL},
        {"slow 3", E_FAIL},  // past the shortened time-out below
        // Hostile servers: each one ends in a failed call, well within the time they ask for.
        {"namespace-bomb", E_FAIL},
        {"endless-continue", E_FAIL},
        {"drip 0.5", E_FAIL},  // every byte within the time-out: only the deadline ends it
        {"silent", E_FAIL},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        SetMode(c.mode);
        CServiceT proxy(Endpoint());
        proxy.SetTimeout(1000);
        proxy.SetDeadline(std::chrono::milliseconds(2500));
        std::optional<std::wstring> comments = L"prima", commands = std::nullopt;
        std::int32_t ready = -1;
        EXPECT_EQ(proxy.GetStatus(kSolvedLog, L"x@example.com", &comments, &commands, &ready), c.expected);
        if (c.expected == S_OK) {
            EXPECT_EQ(ready, 1);
            EXPECT_EQ(comments, L"Pronta.");
            EXPECT_EQ(commands, L"3%C:\\Vecchio");
        } else {
            EXPECT_EQ(ready, -1);
            EXPECT_EQ(comments, L"prima");
            EXPECT_EQ(commands, std::nullopt);
        }
    }

    SetMode("refuse");
    std::int32_t logId = -1;
    bool accepted = true;
    EXPECT_EQ(CServiceT(Endpoint()).ReportComputerLog(L"x@example.com", L"IT 3.0.6", L"", L"d", &logId, &accepted), S_OK);
    EXPECT_FALSE(accepted);
    EXPECT_EQ(logId, -1);
}

TEST_F(StandInService, BadArgumentsAndUnreachableEndpointsFailWithoutAReply)
{
    std::filesystem::remove(m_state / L"last-request");
    std::optional<std::wstring> text;
    std::int32_t number = -1;
    bool flag = false;
    CServiceT proxy(Endpoint());
    EXPECT_EQ(proxy.GetStatus(1, L"e", nullptr, &text, &number), E_POINTER);
    EXPECT_EQ(proxy.GetStatus(1, L"e", &text, &text, nullptr), E_POINTER);
    EXPECT_EQ(proxy.ReportComputerLog(L"e", L"v", L"l", L"d", nullptr, &flag), E_POINTER);
    EXPECT_EQ(proxy.ReportComputerLog(L"e", L"v", L"l", L"d", &number, nullptr), E_POINTER);
    EXPECT_FALSE(std::filesystem::exists(m_state / L"last-request"));

    const ServiceEndpoint unusable[] = {
        {L"https://127.0.0.1/service.asmx", kNamespace},
        {Endpoint().url, L"http://a\"b/"},
        {Endpoint().url, L""},
    };
    for (const ServiceEndpoint& endpoint : unusable)
        EXPECT_EQ(CServiceT(endpoint).GetStatus(1, L"e", &text, &text, &number), E_INVALIDARG) << endpoint.url;

    // Nothing listens on port 1 of the loopback address.
    EXPECT_EQ(CServiceT({L"http://127.0.0.1:1/service.asmx", kNamespace}).ReportComputerLog(L"e", L"v", L"l", L"d",
                                                                                            &number, &flag),
              E_FAIL);
    EXPECT_EQ(number, -1);
}

}  // namespace
