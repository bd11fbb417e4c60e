// velmora-gallery.exe FOLDER: photographs every window of the program, in the states
// worth reviewing, as BMP pictures in FOLDER (a Windows path, or a Linux one reached
// through drive Z:). A tool for looking at the windows, run by tools/gallery.sh in a
// throw-away Wine prefix, never by the tests: it changes that prefix's settings.
// Exit code 0 when every picture was written, 1 when some were not, 2 on bad usage.

#include <windows.h>
#include <shlobj.h>

#include <cstdio>
#include <string>

#include "tests/gallery/GalleryWindows.h"
#include "tests/gallery/Photographer.h"

namespace {

// A Linux path is reached through drive Z:, the Linux root.
std::wstring WindowsPath(std::wstring path)
{
    if (!path.starts_with(L"/"))
        return path;
    for (wchar_t& c : path)
        c = c == L'/' ? L'\\' : c;
    return L"Z:" + path;
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc != 2) {
        std::fputs("usage: velmora-gallery.exe FOLDER\n", stderr);
        return 2;
    }
    const std::wstring folder = WindowsPath(argv[1]);
    const int made = ::SHCreateDirectoryExW(nullptr, folder.c_str(), nullptr);
    if (made != ERROR_SUCCESS && made != ERROR_ALREADY_EXISTS) {
        std::fputs("velmora-gallery: the folder cannot be made\n", stderr);
        return 2;
    }
    CPhotographer camera(folder);
    PhotographEveryWindow(camera);
    for (const std::wstring& path : camera.Written())
        std::fputws((path + L"\n").c_str(), stdout);
    for (const std::wstring& name : camera.Failed())
        std::fputws((L"velmora-gallery: no picture of " + name + L"\n").c_str(), stderr);
    return camera.Failed().empty() ? 0 : 1;
}
