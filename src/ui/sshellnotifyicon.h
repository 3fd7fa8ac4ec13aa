#pragma once
#include <windows.h>
#include <shellapi.h>

#include <string>

// One notification-area icon. Removed again when the holder goes.
class SShellNotifyIcon {
public:
    SShellNotifyIcon();
    ~SShellNotifyIcon() { Hide(); }
    SShellNotifyIcon(const SShellNotifyIcon&) = delete;
    SShellNotifyIcon& operator=(const SShellNotifyIcon&) = delete;

    void Create(HWND window, HICON icon, UINT flags, UINT callbackMessage, UINT id, const std::wstring& tip);
    // Adds the icon; nothing before Create. Also the way back after Explorer restarts.
    BOOL Show();
    BOOL Hide();
    // A balloon from the shown icon; it is not shown again when the icon is re-added.
    BOOL ShowBalloon(const std::wstring& title, const std::wstring& text);

private:
    NOTIFYICONDATAW m_data;
    bool m_shown = false;
};
