#pragma once
#include "engine/SHostWnd.h"

// The login window built from "LAYOUT:LOGIN_FRAME"; destroying it ends its UI loop.
class CLoginDlg : public SOUI::SHostWnd {
public:
    using Base = SOUI::SHostWnd;
    CLoginDlg();

    // -1 after construction, 1 once initialised, 0 only after a successful login.
    int LoginResult() const { return m_loginResult; }

protected:
    BOOL ProcessWindowMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

    EVENT_MAP_BEGIN()
    EVENT_NAME_COMMAND(L"btn_close", OnClose)
    EVENT_MAP_END()

private:
    void OnClose();

    int m_loginResult = -1;
};
