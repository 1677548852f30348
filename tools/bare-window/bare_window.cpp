// bare_window: what any window program pays before it can do its own work under the same
// platform: the common controls, the window system and one shown window. Then it appends one
// line to the file named by TOLU_LAUNCH_RECORD (as tools/launch-target does), so a starter can
// time its first file write, and ends.
#include <windows.h>

#include <commctrl.h>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    WNDCLASSW wc{};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = instance;
    wc.lpszClassName = L"ToluBareWindow";
    RegisterClassW(&wc);
    HWND window = CreateWindowExW(WS_EX_TOOLWINDOW, wc.lpszClassName, L"bare", WS_POPUP | WS_VISIBLE,
                                  0, 0, 300, 200, nullptr, nullptr, instance, nullptr);
    if (window == nullptr) return 1;
    UpdateWindow(window);
    wchar_t path[32768];
    const DWORD n = GetEnvironmentVariableW(L"TOLU_LAUNCH_RECORD", path, 32768);
    if (n == 0 || n >= 32768) return 2;
    HANDLE h = CreateFileW(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return 2;
    const char line[] = "bare window\r\n";
    DWORD written = 0;
    const BOOL ok = WriteFile(h, line, sizeof(line) - 1, &written, nullptr);
    CloseHandle(h);
    DestroyWindow(window);
    return ok ? 0 : 2;
}
