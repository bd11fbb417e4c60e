#pragma once
// The texts of the self-update: where the update server is, what its version and size
// files say, and how a download's progress reads. The server is outside the program, so
// everything it sends is treated as untrusted.

#include <cstdint>
#include <string>
#include <string_view>

// The three files the update server serves below its base address.
inline constexpr wchar_t kServedVersionFile[] = L"it-velmora-latest-version/velmora_version.txt";
inline constexpr wchar_t kServedSizeFile[] = L"it-velmora-latest-version/velmora_appsize.txt";
inline constexpr wchar_t kServedProgramFile[] = L"it-velmora-latest-version/Velmora.exe";

// A plain HTTP base address: "http://host[:port][/folder...]".
struct UpdateServerBase {
    std::wstring host;
    std::uint16_t port = 80;
    std::wstring folder;  // "" or "/a/b", never ending in "/"
};

// False for anything but an http:// address with a host and, when given, a port 1..65535.
[[nodiscard]] bool ParseUpdateServerUrl(std::wstring_view url, UpdateServerBase& base);
// The request path of one served file below the base: folder + "/" + file.
[[nodiscard]] std::wstring ServedFilePath(const UpdateServerBase& base, std::wstring_view file);

// The bytes of a reply up to the first zero, one character per byte, 1024 at most.
[[nodiscard]] std::wstring WidenServedText(std::string_view bytes);
// The served text names a newer program: it starts with a digit and differs, in any way,
// from the own version (a trailing line break makes it differ).
[[nodiscard]] bool IsNewVersion(const std::wstring& served, const std::wstring& own);
// The decimal size at the start of the text (leading blanks skipped, trailing text
// ignored). False for no digits, zero, or a size above 2 GiB - no program file is that
// large, and the progress bar counts kilobytes in 31 bits.
[[nodiscard]] bool ParseServedSize(const std::wstring& text, std::uint64_t& size);

// What the download window shows as the bytes arrive.
struct DownloadFigures {
    std::wstring downloaded;  // "300 KB"
    std::wstring speed;       // "75.0 KB al sec", "Inizializzazione.." before a whole second
    std::wstring elapsed;     // "0 minuti 4 secondi"
};
[[nodiscard]] std::wstring KilobytesText(std::uint64_t bytes);
[[nodiscard]] DownloadFigures FiguresAfter(std::uint64_t bytes, std::uint64_t elapsedMilliseconds);
inline constexpr wchar_t kSpeedStarting[] = L"Inizializzazione..";
