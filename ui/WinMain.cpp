#include "ui/CorvaneApp.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int)
{
    CCorvaneApp application;
    return application.RunApplication(instance);
}
