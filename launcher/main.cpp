// lumoraLaunch: the client's start program and the "nembrisk://" handler.
#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) { return 0; }
