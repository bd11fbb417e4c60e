// The advanced-repair windows with their online services played by fakes: the send-log
// window's field checks and messages, the custom-solution window's two states and what
// its button does.

#include "core/SolutionCommands.h"
#include "engine/FileSystem.h"
#include "framework/Handles.h"
#include "res/resource.h"
#include "tests/ui/UiTestSupport.h"
#include "ui/CustomSolnDialog.h"
#include "ui/SendLogDialog.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>
#include <vector>

namespace {

// Keeps a worker's call going until the window abandons it (10 s at most); true when it did.
bool HoldUntilAbandoned(const std::atomic<bool>& abandoned)
{
    for (int i = 0; i < 1000 && !abandoned; ++i)
        ::Sleep(10);
    return abandoned;
}

std::wstring BackupFolder() { return GetModuleFolder() + L"\\backup"; }

const std::wstring kSent = L"Il tuo report è stato inviato con successo.";
const std::wstring kRefused = L"C'è stato qualche problema nell'invio dei dati. Prova di nuovo.";
const std::wstring kOffline = L"E’ necessario connettersi ad internet per inviare il log della scansione.";
const std::wstring kBadEmail = L"Il tuo indirizzo email non è corretto; per favore, verifica e riprova nuovamente.";

class FakeSendLogService final : public ISendLogService {
public:
    std::wstring BuildSnapshot(std::wstring& marked) override
    {
        marked = L"\r\n<b>Running Processes</b>\r\nC:\\app.exe, 3, abc\r\n";
        return L"\r\nRunning Processes\r\nC:\\app.exe\r\n";
    }
    SubmitOutcome SubmitLog(const std::wstring& email, const std::wstring& description, const std::wstring& log,
                            const std::wstring& productVersion, const std::atomic<bool>& abandoned) override
    {
        sent.push_back({email, description, log, productVersion});
        if (hold)
            sawAbandon = HoldUntilAbandoned(abandoned);
        return outcome;
    }
    std::wstring ProductVersion() const override { return L"3.0.6"; }

    bool hold = false;
    std::atomic<bool> sawAbandon{false};
    SubmitOutcome outcome = SubmitOutcome::Accepted;
    std::vector<std::vector<std::wstring>> sent;
};

class SendLogWindowTest : public testing::Test {
protected:
    ~SendLogWindowTest() override
    {
        if (window.GetSafeHwnd())
            window.EndDialog(IDCANCEL);
    }
    void Open()
    {
        ASSERT_TRUE(window.Create());
        PumpMessages();
    }
    void Fill(const wchar_t* name, const wchar_t* email, const wchar_t* description)
    {
        ::SetDlgItemTextW(window.GetSafeHwnd(), IDC_SEND_LOG_NAME, name);
        ::SetDlgItemTextW(window.GetSafeHwnd(), IDC_SEND_LOG_EMAIL, email);
        ::SetDlgItemTextW(window.GetSafeHwnd(), IDC_SEND_LOG_DESCRIPTION, description);
    }
    void Send()
    {
        window.SendCommand();
        EXPECT_TRUE(PumpUntil([this] { return !window.IsSending(); }));
    }

    FakeSendLogService service;
    PromptRecorder prompts;
    CSendLogDialog window{service};
};

class FakeSolutionService final : public ISolutionService {
public:
    FetchOutcome FetchSolution(std::wstring& comments, std::wstring& commands,
                               const std::atomic<bool>& abandoned) override
    {
        if (hold)
            sawAbandon = HoldUntilAbandoned(abandoned);
        comments = L"Chiudi il browser prima di procedere.";
        commands = solution;
        return outcome;
    }
    // Described as the program describes it; run as a stand-in that tells what it was
    // given and can be held between its two actions.
    class CPrepared final : public IPreparedSolution {
    public:
        CPrepared(FakeSolutionService& service, std::wstring commands)
            : m_service(service), m_commands(std::move(commands)), m_real(m_commands, BackupFolder())
        {
        }
        std::wstring Description() const override { return m_real.Description(); }
        std::wstring Run(const SolutionProgress& progress) override
        {
            m_service.runs.push_back(m_commands);
            progress(1, 2);
            // The test looks at the window between the two actions.
            for (int i = 0; i < 1000 && m_service.holdRun; ++i)
                ::Sleep(10);
            progress(2, 2);
            return m_service.report;
        }

    private:
        FakeSolutionService& m_service;
        std::wstring m_commands;
        CPreparedSolution m_real;
    };

    std::unique_ptr<IPreparedSolution> PrepareSolution(const std::wstring& commands) override
    {
        ++prepared;
        return std::make_unique<CPrepared>(*this, commands);
    }

    bool hold = false;
    std::atomic<bool> holdRun{false};
    std::wstring solution = L"2%C:\\adware\\tool.exe;1%adware.exe";
    std::atomic<bool> sawAbandon{false};
    FetchOutcome outcome = FetchOutcome::Ready;
    std::wstring report = L"File = C:\\adware\\tool.exe has been deleted\r\n";
    std::vector<std::wstring> runs;
    int prepared = 0;
};

class SolutionWindowTest : public testing::Test {
protected:
    ~SolutionWindowTest() override
    {
        if (window.GetSafeHwnd())
            window.EndDialog(IDCANCEL);
    }
    void Open()
    {
        ASSERT_TRUE(window.Create());
        ASSERT_TRUE(PumpUntil([this] { return !window.IsBusy(); }));
    }
    void Run()
    {
        window.RunCommand();
        EXPECT_TRUE(PumpUntil([this] { return !window.IsBusy(); }));
    }
    [[nodiscard]] bool RunEnabled() const { return ::IsWindowEnabled(window.GetDlgItem(IDC_SOLUTION_RUN)) != FALSE; }

    FakeSolutionService service;
    PromptRecorder prompts;
    CCustomSolnDialog window{service};
};

}  // namespace

TEST_F(SendLogWindowTest, EachFieldCheckStopsBeforeSending)
{
    struct Case {
        const wchar_t* name;
        const wchar_t* email;
        const wchar_t* description;
        std::wstring message;
    };
    const Case cases[] = {
        {L"", L"anna@example.it", L"Lento", L"Per favore, inserisci il tuo nome per proseguire."},
        {L"Anna", L"", L"Lento", L"Per favore, inserisci il tuo indirizzo email per proseguire."},
        {L"Anna", L"anna@example", L"Lento", kBadEmail},
        {L"Anna", L"@example.it", L"Lento", kBadEmail},
        {L"Anna", L"anna@example.it", L"", L"Per favore, inviaci una descrizione completa del tuo problema.\r\nNOTA: "
                                           L"più dettagli ci fornirai (codici di errore, tipo di errore, ecc.), \r\npiù "
                                           L"possibilità avremo di elaborare una soluzione adeguata."},
    };
    Open();
    EXPECT_EQ(ControlText(window.GetSafeHwnd(), IDC_SEND_LOG_SNAPSHOT), L"\r\nRunning Processes\r\nC:\\app.exe\r\n");
    for (const Case& c : cases) {
        prompts.prompts.clear();
        Fill(c.name, c.email, c.description);
        Send();
        EXPECT_EQ(prompts.Texts(), std::vector<std::wstring>{c.message}) << c.email;
        EXPECT_TRUE(window.IsShown());
    }
    EXPECT_TRUE(service.sent.empty());
}

TEST_F(SendLogWindowTest, SubmissionOutcomes)
{
    Open();
    Fill(L"Anna", L"anna@example.it", L"Il PC è lento");
    service.outcome = SubmitOutcome::Refused;
    Send();
    EXPECT_EQ(prompts.Texts(), (std::vector<std::wstring>{kRefused, kNoConnectionForLog}));
    EXPECT_TRUE(window.IsShown());

    prompts.prompts.clear();
    service.outcome = SubmitOutcome::Failed;
    Send();
    EXPECT_EQ(prompts.Texts(), (std::vector<std::wstring>{kOffline, kNoConnectionForLog}));
    EXPECT_TRUE(window.IsShown());

    prompts.prompts.clear();
    service.outcome = SubmitOutcome::Accepted;
    Send();
    EXPECT_EQ(prompts.Texts(), std::vector<std::wstring>{kSent});
    EXPECT_FALSE(window.IsShown());
    ASSERT_EQ(service.sent.size(), 3u);
    // The name only has to be there; the marked snapshot is what goes out.
    EXPECT_EQ(service.sent.back(), (std::vector<std::wstring>{L"anna@example.it", L"Il PC è lento",
                                                              L"\r\n<b>Running Processes</b>\r\nC:\\app.exe, 3, abc\r\n",
                                                              L"IT 3.0.6"}));
}

TEST_F(SolutionWindowTest, ReadySolutionShowsItsActionsBeforeTheyRun)
{
    // A file that exists, or the solution would describe nothing to do.
    wchar_t temp[MAX_PATH] = {};
    ASSERT_GT(::GetTempPathW(MAX_PATH, temp), 0u);
    const std::wstring adware =
        std::wstring(temp) + L"velmora-adware-" + std::to_wstring(::GetCurrentProcessId()) + L".exe";
    UniqueHandle file(::CreateFileW(adware.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    ASSERT_TRUE(file);
    file.reset();
    service.solution = L"2%" + adware + L";1%adware.exe";
    const std::wstring described = CPreparedSolution(service.solution, BackupFolder()).Description();
    Open();
    const std::wstring instructions = ControlText(window.GetSafeHwnd(), IDC_SOLUTION_INSTRUCTIONS);
    ::DeleteFileW(adware.c_str());
    ASSERT_NE(described.find(L"velmora-adware-"), std::wstring::npos) << described;
    EXPECT_EQ(ControlText(window.GetSafeHwnd(), IDC_SOLUTION_STATUS), kSolutionReady);
    EXPECT_EQ(instructions.rfind(L"Chiudi il browser prima di procedere.", 0), 0u);
    EXPECT_NE(instructions.find(described), std::wstring::npos) << instructions;
    EXPECT_TRUE(RunEnabled());
    EXPECT_TRUE(service.runs.empty()) << "nothing runs before the click";

    Run();
    EXPECT_EQ(service.runs, std::vector<std::wstring>{service.solution});
    EXPECT_EQ(service.prepared, 1) << "what runs is the solution parsed for the window";
    EXPECT_EQ(prompts.Texts(), std::vector<std::wstring>{service.report});
    EXPECT_TRUE(window.IsShown()) << "a report of actions leaves the window open";

    service.report = kSolutionStaffMessage;
    Run();
    EXPECT_FALSE(window.IsShown()) << "the staff message closes it";
}

TEST_F(SolutionWindowTest, NotReadyOrUnreachableLeavesTheButtonOff)
{
    for (const FetchOutcome outcome : {FetchOutcome::NotReady, FetchOutcome::Failed}) {
        prompts.prompts.clear();
        service.outcome = outcome;
        Open();
        EXPECT_EQ(ControlText(window.GetSafeHwnd(), IDC_SOLUTION_STATUS), kSolutionNotReady);
        EXPECT_EQ(ControlText(window.GetSafeHwnd(), IDC_SOLUTION_INSTRUCTIONS), L"Non ancora disponibile.");
        EXPECT_FALSE(RunEnabled());
        EXPECT_EQ(prompts.Texts(), outcome == FetchOutcome::Failed
                                       ? std::vector<std::wstring>{kFetchFailedMessage}
                                       : std::vector<std::wstring>{});
        window.RunCommand();
        EXPECT_TRUE(service.runs.empty());
        window.EndDialog(IDCANCEL);
    }
}

// Closing a window while its worker waits on the service ends the call at once and
// shows nothing more.
TEST_F(SendLogWindowTest, AnnullaAbandonsTheSubmission)
{
    Open();
    Fill(L"Anna", L"anna@example.it", L"Il PC è lento");
    service.hold = true;
    window.SendCommand();
    ASSERT_TRUE(window.IsSending());
    EXPECT_FALSE(::IsWindowEnabled(window.GetDlgItem(IDOK)));
    EXPECT_TRUE(::IsWindowEnabled(window.GetDlgItem(IDCANCEL)));
    ::SendMessageW(window.GetSafeHwnd(), WM_COMMAND, IDCANCEL, 0);
    PumpMessages();
    EXPECT_FALSE(window.IsShown());
    EXPECT_TRUE(service.sawAbandon);
    EXPECT_TRUE(prompts.prompts.empty());
}

// The actions cannot be abandoned halfway: the window counts them and stays until they end.
TEST_F(SolutionWindowTest, RunningSolutionShowsItsProgressAndCannotBeClosed)
{
    Open();
    service.holdRun = true;
    window.RunCommand();
    const std::wstring halfway = L"Esecuzione della soluzione in corso: operazione 1 di 2, attendere...";
    EXPECT_TRUE(PumpUntil([&] { return ControlText(window.GetSafeHwnd(), IDC_SOLUTION_STATUS) == halfway; }));
    EXPECT_FALSE(RunEnabled());
    ::SendMessageW(window.GetSafeHwnd(), WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(window.IsShown());
    service.holdRun = false;
    EXPECT_TRUE(PumpUntil([this] { return !window.IsBusy(); }));
    EXPECT_EQ(prompts.Texts(), std::vector<std::wstring>{service.report});
    EXPECT_EQ(ControlText(window.GetSafeHwnd(), IDC_SOLUTION_STATUS), kSolutionReady);
}

TEST_F(SolutionWindowTest, ClosingWhileTheServiceIsAskedAbandonsTheCall)
{
    service.hold = true;
    ASSERT_TRUE(window.Create());
    PumpMessages();
    EXPECT_TRUE(window.IsBusy());
    EXPECT_FALSE(RunEnabled());
    ::SendMessageW(window.GetSafeHwnd(), WM_COMMAND, IDCANCEL, 0);
    PumpMessages();
    EXPECT_FALSE(window.IsShown());
    EXPECT_TRUE(service.sawAbandon);
    EXPECT_TRUE(prompts.prompts.empty());
}
