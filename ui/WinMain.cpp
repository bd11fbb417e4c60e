#include "ui/CorvaneApp.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR commandLine, int)
{
    // Before anything loads a library by name: never from the program's folder or the
    // current folder, which an install outside Program Files leaves open to every user.
    ::SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
    CCorvaneApp application(commandLine ? commandLine : L"");
    return application.RunApplication();
}
