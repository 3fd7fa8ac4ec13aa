#include "ui/logindlg.h"

CLoginDlg::CLoginDlg() : SOUI::SHostWnd(L"LAYOUT:LOGIN_FRAME") {}

BOOL CLoginDlg::ProcessWindowMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result)
{
    switch (msg) {
    case WM_INITDIALOG:
        m_loginResult = 1;
        result = 0;
        return TRUE;
    case WM_CLOSE:
        OnClose();
        result = 0;
        return TRUE;
    default:
        return Base::ProcessWindowMessage(hwnd, msg, wp, lp, result);
    }
}

void CLoginDlg::OnClose()
{
    ::DestroyWindow(m_hWnd);
}
