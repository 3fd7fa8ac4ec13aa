#include "app/workfolder.h"

#include <windows.h>

#include <vector>

std::wstring WorkingFolderFor(const std::wstring& exePath)
{
    size_t slash = exePath.rfind(L'\\');
    if (slash == std::wstring::npos)
        return std::wstring();
    return exePath.substr(0, slash + 1) + L"..\\Moravel";
}

bool EnterWorkingFolder()
{
    // Long paths are read whole instead of being cut at MAX_PATH.
    std::vector<wchar_t> buf(MAX_PATH);
    for (;;) {
        DWORD n = GetModuleFileNameW(nullptr, buf.data(), static_cast<DWORD>(buf.size()));
        if (n == 0)
            return false;
        if (n < buf.size()) {
            std::wstring folder = WorkingFolderFor(std::wstring(buf.data(), n));
            return !folder.empty() && SetCurrentDirectoryW(folder.c_str()) != FALSE;
        }
        if (buf.size() >= 32768)
            return false;
        buf.resize(buf.size() * 2);
    }
}
