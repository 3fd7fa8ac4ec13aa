#include "engine/host/SHostDialog.h"
#include "engine/core/SApplication.h"

namespace SOUI {

INT_PTR SHostDialog::DoModal(HWND owner)
{
    auto* app = SApplication::getSingletonPtr();
    if (!app || !Create(owner))
        return -1;
    bool reenable = owner && ::IsWindowEnabled(owner);
    if (reenable)
        ::EnableWindow(owner, FALSE);
    m_endModal = false;
    m_result = IDCANCEL;
    SendMessageW(WM_INITDIALOG, 0, 0);
    if (!m_endModal) {
        CenterWindow();
        ShowWindow(SW_SHOWNORMAL);
        app->RunModalLoop(m_endModal);
    }
    // Re-enable before destroying, or the system activates some other program's window.
    if (reenable)
        ::EnableWindow(owner, TRUE);
    if (owner)
        ::SetActiveWindow(owner);
    DestroyWindow();
    return m_result;
}

void SHostDialog::EndDialog(INT_PTR code)
{
    if (m_endModal)
        return;
    m_result = code;
    m_endModal = true;
    if (m_hWnd)
        PostMessageW(WM_NULL);
}

bool SHostDialog::OnEvent(EventArgs* evt)
{
    if (Base::OnEvent(evt))
        return true;
    if (evt->GetID() != EVT_CMD)
        return false;
    if (evt->idFrom == IDOK || evt->nameFrom == L"IDOK") {
        EndDialog(IDOK);
        return true;
    }
    if (evt->idFrom == IDCANCEL || evt->nameFrom == L"IDCANCEL") {
        EndDialog(IDCANCEL);
        return true;
    }
    return false;
}

LRESULT SHostDialog::HandleMessage(UINT msg, WPARAM wp, LPARAM lp)
{
    LRESULT r = 0;
    if (msg == WM_CLOSE) {
        if (ProcessWindowMessage(m_hWnd, msg, wp, lp, r))
            return r;
        EndDialog(IDCANCEL);
        return 0;
    }
    return Base::HandleMessage(msg, wp, lp);
}

}  // namespace SOUI
