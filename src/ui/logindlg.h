#pragma once
#include <string>

#include "engine/host/SHostWnd.h"
#include "shell/uidispatcher.h"
#include "ui/serviceworker.h"

// The login window built from "LAYOUT:LOGIN_FRAME": mobile number, SMS code, login.
// Destroying it ends its UI loop; start-up then reads LoginResult(). The code request and
// the login run on a worker; the window stays free while they wait.
class CLoginDlg : public SOUI::SHostWnd {
public:
    using Base = SOUI::SHostWnd;
    CLoginDlg();
    ~CLoginDlg() override;

    // -1 after construction, 1 once initialised, 0 only after a successful login.
    int LoginResult() const { return m_loginResult; }
    // Whether the code request or the login waits on the service.
    bool Busy() const { return m_loggingIn || m_worker.Pending() > 0; }

    BOOL ProcessWindowMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

    EVENT_MAP_BEGIN()
    EVENT_NAME_COMMAND(L"btn_close", OnClose)
    EVENT_NAME_COMMAND(L"btn_login", OnLogin)
    EVENT_NAME_COMMAND(L"btn_fetchvcode", OnFetchCode)
    EVENT_MAP_END()

    static constexpr UINT_PTR kCountdownTimer = 1499;
    static constexpr int kCountdownSeconds = 60;

private:
    void OnClose();
    void OnLogin();
    void OnFetchCode();
    void OnCountdownTick();
    // The edit's text without surrounding spaces.
    std::wstring ReadNumber(const wchar_t* editName) const;
    void ShowError(const wchar_t* text);
    void SetFetchButton(bool enabled, const std::wstring& text);
    void OnLoginAnswer(bool loggedIn, const std::wstring& userId);
    void ShowLoggingIn(bool busy);

    int m_loginResult = -1;
    int m_countdown = 0;
    bool m_loggingIn = false;
    CUiDispatcher m_ui;
    CServiceWorker m_worker;
};
