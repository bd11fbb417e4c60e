#pragma once
// What the journeys look for in the program: its window titles, the messages several
// journeys answer, and the registry keys it keeps its settings and start-up entry in.

#include <string>

namespace journey {

inline constexpr wchar_t kMainTitle[] = L"Velmora 2011 | Registry Cleaner";
inline constexpr wchar_t kProgressTitle[] = L"Velmora - Scansione del Registro";
inline constexpr wchar_t kRestoreTitle[] = L"Velmora - Backup del Registro";

inline constexpr wchar_t kScanFinished[] = L"La scansione è stata completata con successo.";
inline constexpr wchar_t kRestored[] =
    L"Una precedente configurazione del Registro è stata ripristinata con successo.";

inline const std::wstring kSettingsKey = L"Software\\Velmora";
inline const std::wstring kRunKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
inline const std::wstring kSharedDllsKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";
inline const std::wstring kFontsKey = L"Software\\Microsoft\\Windows NT\\CurrentVersion\\Fonts";

}  // namespace journey
