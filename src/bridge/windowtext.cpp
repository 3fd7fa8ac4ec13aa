#include "bridge/windowtext.h"

#include <vector>

#include "base/log.h"

bool SendTextBounded(HWND window, const std::wstring& text, UINT timeoutMs)
{
    if (!window)
        return false;
    DWORD_PTR reply = 0;
    LRESULT ok = SendMessageTimeoutW(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), SMTO_ABORTIFHUNG,
                                     timeoutMs, &reply);
    if (!ok) {
        DWORD error = GetLastError();
        DebugLine(L"WM_SETTEXT not delivered, error " + std::to_wstring(error));
        return false;
    }
    return true;
}

std::optional<std::wstring> ReadTextBounded(HWND window, size_t capacity)
{
    if (!window || capacity == 0)
        return std::wstring();
    std::vector<wchar_t> buffer(capacity, L'\0');
    DWORD_PTR copied = 0;
    LRESULT ok = SendMessageTimeoutW(window, WM_GETTEXT, capacity, reinterpret_cast<LPARAM>(buffer.data()),
                                     SMTO_ABORTIFHUNG, kCrossProcessTimeoutMs, &copied);
    if (!ok) {
        DWORD error = GetLastError();
        DebugLine(L"WM_GETTEXT not answered, error " + std::to_wstring(error));
        return std::nullopt;
    }
    buffer.back() = L'\0';
    return std::wstring(buffer.data());
}
