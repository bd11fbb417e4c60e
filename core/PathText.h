#pragma once
// The text-only tests that decide whether a registry text is a plain file path worth
// an existence test. Environment expansion and the existence test itself live in the
// engine; these never touch the system.

#include <string>
#include <string_view>

// ASCII lower case (the file system ignores case; other letters are left alone).
[[nodiscard]] std::wstring ToLowerAscii(std::wstring_view text);

// True when the name ends with the extension (given with its period) in any ASCII case.
// A file search for "*.lnk" also finds "x.lnkx" through its 8.3 short name "X~1.LNK";
// this tells the real matches apart.
[[nodiscard]] bool HasExtension(std::wstring_view name, std::wstring_view extension);

// The lower-case copy with every "\systemroot" replaced by "%systemroot%"; after
// environment expansion a colon in it marks an absolute path.
[[nodiscard]] std::wstring NormaliseSystemRoot(std::wstring_view text);

// True when the text begins with "\SystemRoot\" in any case: such a text names a file
// below the Windows folder, and must be tested on its normalised, expanded form.
[[nodiscard]] bool BeginsWithSystemRoot(std::wstring_view text);

// No comma, semicolon or brace, and exactly one period.
[[nodiscard]] bool IsSingleFilePath(std::wstring_view text);

// Contains "msiexec.exe" or "rundll32" (case counts).
[[nodiscard]] bool IsInstallerCommand(std::wstring_view text);

// The last four characters, in lower case, are one of .exe .dll .txt .ttf .chm .wav
// .jpg .bmp .xml.
[[nodiscard]] bool HasKnownExtension(std::wstring_view text);
