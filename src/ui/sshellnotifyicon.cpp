#include "ui/sshellnotifyicon.h"

SShellNotifyIcon::SShellNotifyIcon()
{
    ZeroMemory(&m_data, sizeof(m_data));
}

void SShellNotifyIcon::Create(HWND window, HICON icon, UINT flags, UINT callbackMessage, UINT id,
                              const std::wstring& tip)
{
    // The platform's own size: the 32-bit layout is smaller than this 64-bit one.
    m_data.cbSize = sizeof(m_data);
    m_data.hWnd = window;
    m_data.uID = id;
    m_data.uFlags = flags;
    m_data.uCallbackMessage = callbackMessage;
    m_data.hIcon = icon;
    lstrcpynW(m_data.szTip, tip.c_str(), ARRAYSIZE(m_data.szTip));
}

BOOL SShellNotifyIcon::Show()
{
    if (m_data.cbSize != sizeof(m_data))
        return FALSE;
    m_shown = Shell_NotifyIconW(NIM_ADD, &m_data) != FALSE;
    return m_shown;
}

BOOL SShellNotifyIcon::Hide()
{
    if (!m_shown)
        return FALSE;
    m_shown = false;
    return Shell_NotifyIconW(NIM_DELETE, &m_data);
}

BOOL SShellNotifyIcon::ShowBalloon(const std::wstring& title, const std::wstring& text)
{
    if (!m_shown)
        return FALSE;
    NOTIFYICONDATAW data = m_data;
    data.uFlags = NIF_INFO;
    data.dwInfoFlags = NIIF_WARNING;
    lstrcpynW(data.szInfoTitle, title.c_str(), ARRAYSIZE(data.szInfoTitle));
    lstrcpynW(data.szInfo, text.c_str(), ARRAYSIZE(data.szInfo));
    return Shell_NotifyIconW(NIM_MODIFY, &data);
}
