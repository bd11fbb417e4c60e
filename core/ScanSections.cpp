#include "core/ScanSections.h"

namespace {

struct SectionInfo {
    const wchar_t* name;
    bool listOnly;
    const wchar_t* description;
};

// clang-format off
constexpr SectionInfo kSections[kSectionCount] = {
    {L"ActiveX / OLE", true,
     L"ActiveX/Oggetti OLE: Gli errori nella sezione ActiveX si riferiscono a controlli ActiveX corrotti che provocano errori quando si tenta di avviare determinate applicazioni."},
    {L"Percorsi di programma", true,
     L"Percorsi dei programmi: I percorsi non validi si riferiscono a quelle applicazioni nel Registro di Sistema che non sono pi\u00f9 installate nel disco fisso."},
    {L"Files Audio", false,
     L"Files Audio: gli errori nella Sezione Audio si riferiscono ai percorsi dei file Audio nel Registro di Windows che non sono pi\u00f9 presenti nel disco fisso."},
    {L"Files di Aiuto", false,
     L"Files di Aiuto: Percorsi non validi dei Files di Aiuto si riferiscono ai percorsi dei file di aiuto nel Registro di Windows che non sono pi\u00f9 presenti nel disco fisso."},
    {L"Avvio di Windows", false,
     L"Avvio di Windows: gli Errori nell\u2019Avvio di Windows sono quegli elementi nel Registro di Sistema che si riferiscono a files inesistenti di applicazioni in esecuzione all\u2019avvio di Windows."},
    {L"Programmi di sistema", true,
     L"Impostazioni Software di Sistema: Errori nelle Impostazioni dei Software di Sistema si riferiscono a referenze di files mancanti nella sezione Local Machine del tuo Registro di Sistema."},
    {L"Dll condivise", false,
     L"Dll condivise: Errori nelle DLL condivise riguardano quegli elementi del Registro di Sistema che indirizzano a Dll condivise inesistenti nel PC."},
    {L"Chiavi di registro vuote", false,
     L"Chiavi di Registro vuote: Errori nella sezione del Registro riguardanti le Chiavi di Registro vuote si riferiscono a chiavi di registro vuote negli Utenti HKEY del Registro di Sistema."},
    {L"Drivers di sistema", true,
     L"Drivers di Sistema: Problemi nella sezione dei Driver di Sistema sono causati da driver di periferica difettosi. Questo pu\u00f2 rendere instabile la performance del PC."},
    {L"Files di disinstallazione", false,
     L"Files di disinstallazione: Errori dovuti a percorsi di disinstallazione non validi si riferiscono a percorsi nel Registro di Sistema che indirizzano a file eseguibili inesistenti sul PC."},
    {L"Caratteri di Windows", false,
     L"Caratteri di Windows: I caratteri non validi si riferiscono a percorsi nel Registro di Sistema di File di Caratteri che non esistono pi\u00f9 nel PC."},
    {L"Scorciatoie di programma", false,
     L"Scorciatoie di Programma: Scorciatoie non valide indirizzano a locazioni di files non esistenti. La loro presenza pu\u00f2 rendere instabile la performance del PC."},
};
// clang-format on

bool InRange(int section) { return section >= 0 && section < kSectionCount; }

}  // namespace

std::wstring SectionName(int section) { return InRange(section) ? kSections[section].name : L""; }

std::wstring SectionDescription(int section) { return InRange(section) ? kSections[section].description : L""; }

bool SectionListOnly(int section) { return InRange(section) && kSections[section].listOnly; }

void ResetCounters(SectionCounters& counters)
{
    for (SectionCounter& c : counters) {
        c.Found = 0;
        c.Repaired = 0;
        c.Ignored = 0;
    }
}
