#include "core/SendLogForm.h"

#include "core/TextSplit.h"

#include <vector>

bool IsPlausibleEmail(const std::wstring& email)
{
    const std::vector<std::wstring> atParts = SplitTokens(email, L'@');
    // Tokens are never empty, so two of them are two non-empty parts. The tokeniser skips
    // a leading "@", which would let "@x@y.z" through without a local part.
    if (atParts.size() < 2 || email.front() == L'@')
        return false;
    const std::vector<std::wstring> domainParts = SplitTokens(atParts[1], L'.');
    return domainParts.size() >= 2;
}

std::wstring SendLogFieldProblem(const std::wstring& name, const std::wstring& email, const std::wstring& description)
{
    if (name.empty())
        return L"Per favore, inserisci il tuo nome per proseguire.";
    if (email.empty())
        return L"Per favore, inserisci il tuo indirizzo email per proseguire.";
    if (!IsPlausibleEmail(email))
        return L"Il tuo indirizzo email non è corretto; per favore, verifica e riprova nuovamente.";
    if (description.empty())
        return L"Per favore, inviaci una descrizione completa del tuo problema.\r\nNOTA: più dettagli ci fornirai "
               L"(codici di errore, tipo di errore, ecc.), \r\npiù possibilità avremo di elaborare una soluzione "
               L"adeguata.";
    return {};
}
