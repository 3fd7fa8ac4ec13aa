#pragma once
#include <string>

#include "engine/host/SHostWnd.h"

// The login window built from "LAYOUT:LOGIN_FRAME": mobile number, SMS code, login.
// Destroying it ends its UI loop; start-up then reads LoginResult().
class CLoginDlg : public SOUI::SHostWnd {
public:
    using Base = SOUI::SHostWnd;
    CLoginDlg();
    ~CLoginDlg() override;

    // -1 after construction, 1 once initialised, 0 only after a successful login.
    int LoginResult() const { return m_loginResult; }

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
    // The edit's text without surrounding spaces, in GBK.
    std::string ReadNumber(const wchar_t* editName) const;
    void ShowError(const wchar_t* text);
    void SetFetchButton(bool enabled, const std::wstring& text);

    int m_loginResult = -1;
    int m_countdown = 0;
};
