#include "ui/autostart.h"

#include <windows.h>

#include <vector>

#include "base/handle.h"
#include "base/log.h"

namespace {

const wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const wchar_t kApprovedKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved\\Run";

std::wstring OwnPath()
{
    std::vector<wchar_t> buf(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, buf.data(), static_cast<DWORD>(buf.size()));
        if (n == 0)
            return {};
        if (n < buf.size())
            return std::wstring(buf.data(), n);
        buf.resize(buf.size() * 2);
    }
}

std::wstring RunCommand()
{
    return L"\"" + OwnPath() + L"\" " + kAutostartArgument;
}

// Task Manager keeps 12 bytes per entry; an odd first byte means disabled.
bool DisabledInTaskManager()
{
    BYTE data[12] = {};
    DWORD size = sizeof(data);
    DWORD type = 0;
    const LSTATUS status =
        RegGetValueW(HKEY_CURRENT_USER, kApprovedKey, kAutostartValueName, RRF_RT_REG_BINARY, &type, data, &size);
    return status == ERROR_SUCCESS && size >= 1 && (data[0] & 1) != 0;
}

bool DeleteValue(const wchar_t* keyName)
{
    RegistryKey key;
    LSTATUS status = RegOpenKeyExW(HKEY_CURRENT_USER, keyName, 0, KEY_SET_VALUE, key.Out());
    if (status == ERROR_FILE_NOT_FOUND)
        return true;
    if (status != ERROR_SUCCESS)
        return false;
    status = RegDeleteValueW(key.Get(), kAutostartValueName);
    return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
}

}  // namespace

bool AutostartEnabled()
{
    std::vector<wchar_t> buf(32768, L'\0');
    DWORD size = static_cast<DWORD>(buf.size() * sizeof(wchar_t));
    const LSTATUS status =
        RegGetValueW(HKEY_CURRENT_USER, kRunKey, kAutostartValueName, RRF_RT_REG_SZ, nullptr, buf.data(), &size);
    if (status != ERROR_SUCCESS)
        return false;
    // A value left by a copy in another folder starts that copy, not this one.
    if (lstrcmpiW(buf.data(), RunCommand().c_str()) != 0)
        return false;
    return !DisabledInTaskManager();
}

bool SetAutostart(bool enabled)
{
    if (!enabled) {
        const bool removed = DeleteValue(kRunKey);
        DeleteValue(kApprovedKey);
        if (!removed)
            DebugLine(L"Autostart: the Run value could not be removed");
        return removed;
    }
    const std::wstring command = RunCommand();
    RegistryKey key;
    LSTATUS status =
        RegCreateKeyExW(HKEY_CURRENT_USER, kRunKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, key.Out(), nullptr);
    if (status == ERROR_SUCCESS)
        status =
            RegSetValueExW(key.Get(), kAutostartValueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                           static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t)));
    if (status != ERROR_SUCCESS) {
        DebugLine(L"Autostart: the Run value could not be written, error " + std::to_wstring(status));
        return false;
    }
    // Chosen here after Task Manager disabled it: the merchant's latest word counts.
    DeleteValue(kApprovedKey);
    return true;
}
