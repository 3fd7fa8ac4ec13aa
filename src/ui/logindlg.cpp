#include "ui/logindlg.h"

#include <cwchar>

#include "base/textconv.h"
#include "net/accountendpoints.h"
#include "profile/profile.h"
#include "ui/inputtext.h"

namespace {

std::wstring CountdownText(int secondsLeft)
{
    wchar_t buf[32] = {};
    swprintf(buf, 32, L"已发送(%ds)", secondsLeft);
    return buf;
}

}  // namespace

CLoginDlg::CLoginDlg() : SOUI::SHostWnd(L"LAYOUT:LOGIN_FRAME") {}

CLoginDlg::~CLoginDlg()
{
    m_ui.Close();
    m_worker.Shutdown(0);
    if (IsWindow())
        KillTimer(kCountdownTimer);
}

BOOL CLoginDlg::ProcessWindowMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result)
{
    switch (msg) {
    case WM_INITDIALOG:
        m_loginResult = 1;
        // Enter logs in and Escape closes, from either edit.
        SetDefaultButton(FindChildByName(L"btn_login"));
        SetCancelButton(FindChildByName(L"btn_close"));
        result = 0;
        return TRUE;
    case WM_CLOSE:
        OnClose();
        result = 0;
        return TRUE;
    case WM_TIMER:
        if (wp == kCountdownTimer)
            OnCountdownTick();
        break;
    default:
        break;
    }
    return Base::ProcessWindowMessage(hwnd, msg, wp, lp, result);
}

void CLoginDlg::OnClose()
{
    // An answer that comes after this changes nothing.
    m_ui.Close();
    m_worker.Shutdown(0);
    ::DestroyWindow(m_hWnd);
}

std::wstring CLoginDlg::ReadNumber(const wchar_t* editName) const
{
    SOUI::SWindow* edit = FindChildByName(editName);
    return edit ? TrimSpaces(edit->GetWindowTextW()) : std::wstring();
}

void CLoginDlg::ShowError(const wchar_t* text)
{
    MessageBoxW(m_hWnd, text, L"错误", MB_SYSTEMMODAL | MB_ICONHAND);
}

void CLoginDlg::SetFetchButton(bool enabled, const std::wstring& text)
{
    if (SOUI::SWindow* button = FindChildByName(L"btn_fetchvcode")) {
        button->EnableWindow(enabled ? TRUE : FALSE);
        button->SetWindowTextW(text);
    }
}

void CLoginDlg::OnFetchCode()
{
    m_countdown = 0;
    const std::wstring mobile = ReadNumber(L"edit_input_mobile");
    if (!IsMobileNumber(mobile)) {
        ShowError(L"请输入正确的手机号！");
        return;
    }
    // A refused or failed request still starts the countdown: the merchant simply asks again.
    // The countdown disables the button, so one request is in flight at most.
    m_worker.Submit([mobile](CHttpTransport& transport) { RequestVerifyCode(transport, mobile); });
    SetTimer(kCountdownTimer, 1000);
    SetFetchButton(false, CountdownText(kCountdownSeconds));
}

void CLoginDlg::OnCountdownTick()
{
    ++m_countdown;
    if (m_countdown > kCountdownSeconds) {
        SetFetchButton(true, L"重新获取");
        KillTimer(kCountdownTimer);
        return;
    }
    SetFetchButton(false, CountdownText(kCountdownSeconds - m_countdown));
}

void CLoginDlg::OnLogin()
{
    // Enter pressed again while the service is asked: one login at a time.
    if (m_loggingIn)
        return;
    const std::wstring mobile = ReadNumber(L"edit_input_mobile");
    if (!IsMobileNumber(mobile)) {
        ShowError(L"请输入正确的手机号！");
        return;
    }
    // The code is the service's to judge; an empty one is sent as well.
    const std::wstring code = ReadNumber(L"edit_input_vcode");
    const CUiDispatcher ui = m_ui;
    const bool submitted = m_worker.Submit([ui, mobile, code, this](CHttpTransport& transport) {
        std::wstring userId;
        const bool loggedIn = LoginByVerifyCode(transport, mobile, code, userId);
        ui.Post([loggedIn, userId, this] { OnLoginAnswer(loggedIn, userId); });
    });
    if (submitted)
        ShowLoggingIn(true);
}

void CLoginDlg::ShowLoggingIn(bool busy)
{
    m_loggingIn = busy;
    // Its disabled look says the login is under way.
    if (SOUI::SWindow* button = FindChildByName(L"btn_login"))
        button->EnableWindow(busy ? FALSE : TRUE);
}

void CLoginDlg::OnLoginAnswer(bool loggedIn, const std::wstring& userId)
{
    ShowLoggingIn(false);
    // Without a stored user the next start would ask again, so a failed write is a failed login.
    if (!loggedIn || userId.empty() || !WriteStoredUser(WideToAnsi(userId))) {
        ShowError(L"登录失败！");
        return;
    }
    m_loginResult = 0;
    m_ui.Close();
    ::DestroyWindow(m_hWnd);
}
