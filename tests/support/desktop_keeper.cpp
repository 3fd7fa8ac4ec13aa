// Keeps Wine's virtual desktop alive for a whole test run. Started by scripts/test
// with its output sent elsewhere, so the desktop process does not inherit the pipe
// of the first test and make ctest wait for it.
#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int)
{
    HWND window =
        CreateWindowExW(0, L"STATIC", L"desktop keeper", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    MSG msg;
    while (window && GetMessageW(&msg, nullptr, 0, 0) > 0)
        DispatchMessageW(&msg);
    return 0;
}
