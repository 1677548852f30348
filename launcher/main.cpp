// lumoraLaunch: the client's start program and the "nembrisk://" handler.
#include "Launcher.h"

#include <windows.h>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR commandLine, int) {
    return RunLauncher(instance, commandLine);
}
