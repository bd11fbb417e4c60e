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
// A version text: one to four fields of one to nine decimal digits, separated by single
// dots ("3.0.10"); nothing else, not even a line break.
[[nodiscard]] bool IsVersionText(std::wstring_view text);
// The order of two version texts, field by field as numbers ("3.0.10" after "3.0.9"; a
// missing field counts as 0): negative, zero or positive as a is before, equal to or
// after b. Only for texts that IsVersionText accepts.
[[nodiscard]] int CompareVersions(std::wstring_view a, std::wstring_view b);
// The served text names a program to move forward to: a version strictly after the own
// one and after the highest this machine ever installed (empty: none recorded). A served
// text that is no version, or an own or recorded version that is none, is never new: an
// update must never go back.
[[nodiscard]] bool IsNewVersion(std::wstring_view served, std::wstring_view own, std::wstring_view highestInstalled);
// The decimal size at the start of the text (leading blanks skipped, trailing text
// ignored). False for no digits, zero, or a size above 2 GiB - no program file is that
// large, and the progress bar counts kilobytes in 31 bits.
[[nodiscard]] bool ParseServedSize(const std::wstring& text, std::uint64_t& size);

// The overall time a download of size bytes may take: two minutes, and one second more
// for every 16 KB (a line slower than that would hold the update for hours).
[[nodiscard]] std::uint64_t DownloadDeadlineMilliseconds(std::uint64_t size);
// The free space a download of size bytes needs beside the program before it starts: the
// file and a margin of 64 MiB, so that an update never fills the disk Windows runs from.
[[nodiscard]] std::uint64_t SpaceNeededForDownload(std::uint64_t size);

// What the download window shows as the bytes arrive.
struct DownloadFigures {
    std::wstring downloaded;  // "300 KB"
    std::wstring speed;       // "75.0 KB al sec", "Inizializzazione.." before a whole second
    std::wstring elapsed;     // "0 minuti 4 secondi"
};
[[nodiscard]] std::wstring KilobytesText(std::uint64_t bytes);
[[nodiscard]] DownloadFigures FiguresAfter(std::uint64_t bytes, std::uint64_t elapsedMilliseconds);
inline constexpr wchar_t kSpeedStarting[] = L"Inizializzazione..";
