#include "cli/ConsoleOutput.h"

#include "core/Utf16Text.h"

void WriteBytes(DWORD standardHandle, std::string_view bytes)
{
    const HANDLE handle = ::GetStdHandle(standardHandle);
    while (!bytes.empty()) {
        DWORD written = 0;
        const DWORD chunk = static_cast<DWORD>(bytes.size() < 0x100000 ? bytes.size() : 0x100000);
        if (!::WriteFile(handle, bytes.data(), chunk, &written, nullptr) || written == 0)
            return;
        bytes.remove_prefix(written);
    }
}

void PrintLine(const std::wstring& line) { WriteBytes(STD_OUTPUT_HANDLE, utf16::ToUtf8(line) + "\r\n"); }

void PrintError(const std::wstring& line)
{
    WriteBytes(STD_ERROR_HANDLE, "velmora-cli: " + utf16::ToUtf8(line) + "\r\n");
}
