#include "online/LogSubmission.h"

#include "engine/Registry.h"
#include "engine/Settings.h"
#include "online/ServiceClient.h"

#include <windows.h>

namespace {

constexpr wchar_t kLogIdValue[] = L"LogID";
constexpr wchar_t kEmailValue[] = L"Email";

}  // namespace

PendingLog ReadPendingLog()
{
    return {static_cast<std::int32_t>(RegReadDword(kSettingsKey, kLogIdValue)),
            RegReadString(HKEY_LOCAL_MACHINE, kSettingsKey, kEmailValue)};
}

bool HasPendingLog()
{
    const PendingLog log = ReadPendingLog();
    return !log.email.empty() && log.id > 0;
}

bool ForgetPendingLog()
{
    RegDeleteValueAt(HKEY_LOCAL_MACHINE, kSettingsKey, kLogIdValue);
    RegDeleteValueAt(HKEY_LOCAL_MACHINE, kSettingsKey, kEmailValue);
    return !HasPendingLog();
}

SubmitOutcome SubmitLog(const std::wstring& email, const std::wstring& description, const std::wstring& log,
                        const std::wstring& productVersion, std::int32_t* logId, const std::atomic<bool>* abandoned)
{
    Service::CServiceT service(Service::ConfiguredServiceEndpoint(), abandoned);
    std::int32_t id = -1;
    bool accepted = false;
    if (FAILED(service.ReportComputerLog(email, productVersion, log, description, &id, &accepted)))
        return SubmitOutcome::Failed;
    if (!accepted)
        return SubmitOutcome::Refused;
    // Without both values the solution could never be fetched: not a success.
    if (!RegWriteDword(HKEY_LOCAL_MACHINE, kSettingsKey, kLogIdValue, static_cast<DWORD>(id)) ||
        !RegWriteString(HKEY_LOCAL_MACHINE, kSettingsKey, kEmailValue, email))
        return SubmitOutcome::Refused;
    if (logId)
        *logId = id;
    return SubmitOutcome::Accepted;
}

std::wstring OutcomeMessage(SubmitOutcome outcome)
{
    switch (outcome) {
    case SubmitOutcome::Accepted:
        return L"Il tuo report è stato inviato con successo.";
    case SubmitOutcome::Refused:
        return L"C'è stato qualche problema nell'invio dei dati. Prova di nuovo.";
    default:
        return L"E’ necessario connettersi ad internet per inviare il log della scansione.";
    }
}
