#include "fieldlog.h"

#include <commctrl.h>

#include "base/handle.h"
#include "base/textconv.h"

namespace {

std::wstring g_logPath;
bool g_enabled = false;

std::wstring Escape(const wchar_t* text)
{
    std::wstring out;
    for (const wchar_t* p = text; p && *p; ++p) {
        switch (*p) {
        case L'\\':
            out += L"\\\\";
            break;
        case L'\t':
            out += L"\\t";
            break;
        case L'\r':
            out += L"\\r";
            break;
        case L'\n':
            out += L"\\n";
            break;
        default:
            out += *p;
        }
    }
    return out;
}

LRESULT CALLBACK WatchProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR key)
{
    if (message == WM_SETTEXT)
        LogTextWrite(reinterpret_cast<const wchar_t*>(key), reinterpret_cast<const wchar_t*>(lParam));
    return DefSubclassProc(window, message, wParam, lParam);
}

}  // namespace

void SetFieldLogPath(const std::wstring& path)
{
    g_logPath = path;
}

void SetFieldLogEnabled(bool enabled)
{
    g_enabled = enabled;
}

void WatchWindowText(HWND window, const wchar_t* key)
{
    SetWindowSubclass(window, WatchProc, 1, reinterpret_cast<DWORD_PTR>(key));
}

void LogTextWrite(const wchar_t* key, const wchar_t* text)
{
    if (!g_enabled || g_logPath.empty())
        return;
    std::string line = WideToUtf8(std::wstring(key) + L"\t" + Escape(text) + L"\n");
    // Opened per line so a reader may delete the file between cases.
    KernelHandle file(CreateFileW(g_logPath.c_str(), FILE_APPEND_DATA,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return;
    DWORD written = 0;
    WriteFile(file.Get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}
