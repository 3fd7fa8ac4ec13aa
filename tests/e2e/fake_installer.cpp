// Served as the upgrade installer: records that it ran with a marker beside itself.
#include <windows.h>

#include <string>

#include "base/handle.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    wchar_t path[MAX_PATH] = {};
    DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH)
        return 1;
    std::wstring marker(path, n);
    marker = marker.substr(0, marker.rfind(L'\\') + 1) + L"installer-ran.txt";
    KernelHandle file(
        CreateFileW(marker.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return 1;
    DWORD written = 0;
    return WriteFile(file.Get(), "ran\r\n", 5, &written, nullptr) ? 0 : 1;
}
