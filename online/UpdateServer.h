#pragma once
// The WinINet side of the self-update: a session with the update server and the requests
// for its files. The server's base address is the setting "UpdateServerUrl" (REG_SZ under
// HKEY_LOCAL_MACHINE\Software\Velmora) or, when that is empty, the maker's server - except
// in a test build, which asks no server unless one is set.

#include "core/UpdateText.h"
#include "framework/Handles.h"

#include <windows.h>
#include <wininet.h>

#include <cstdint>
#include <string>

namespace handle_traits {
struct Internet {
    using Handle = HINTERNET;
    static Handle Empty() { return nullptr; }
    static bool IsValid(Handle h) { return h != nullptr; }
    static void Release(Handle h) { ::InternetCloseHandle(h); }
};
}  // namespace handle_traits
using UniqueInternetHandle = UniqueResource<handle_traits::Internet>;

inline constexpr wchar_t kUpdateServerSetting[] = L"UpdateServerUrl";
inline constexpr wchar_t kDefaultUpdateServer[] = L"http://update.velmora.example";
// Whether the program trusts the test key (whose private half is public), chosen when
// the program is configured.
extern const bool kIsTestBuild;

// Whether the system reports a connection (InternetGetConnectedState).
[[nodiscard]] bool IsOnline();

class CUpdateServerSession {
public:
    // Opens WinINet with the agent name and connects to the configured server; a
    // malformed address or a refused open leaves the session closed (IsOpen false).
    explicit CUpdateServerSession(const wchar_t* agent);
    CUpdateServerSession(const CUpdateServerSession&) = delete;
    CUpdateServerSession& operator=(const CUpdateServerSession&) = delete;

    [[nodiscard]] bool IsOpen() const { return static_cast<bool>(m_connection); }

    // A GET request for one served file, not yet sent; empty when it cannot be made.
    [[nodiscard]] UniqueInternetHandle OpenRequest(std::wstring_view file) const;
    // Sends the request; true only for an answer with status 200.
    [[nodiscard]] static bool SendForOk(HINTERNET request);

    enum class Fetched { Ok, ErrorStatus, NoAnswer };
    // One small file: the first 4 KB of a 200 answer. ErrorStatus: the server answered
    // with another status (bytes untouched).
    [[nodiscard]] Fetched FetchBytes(std::wstring_view file, std::string& bytes) const;
    // The same as text, up to its first zero byte.
    [[nodiscard]] Fetched FetchText(std::wstring_view file, std::wstring& text) const;

private:
    UniqueInternetHandle m_internet;
    UniqueInternetHandle m_connection;
    UpdateServerBase m_base;
};
