#include "ui/CorvaneApp.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR commandLine, int)
{
    CCorvaneApp application(commandLine ? commandLine : L"");
    return application.RunApplication();
}
