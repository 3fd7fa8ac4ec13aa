#pragma once
#include "engine/host/SHostWnd.h"

namespace SOUI {

// A host window run modally: its owner is disabled until EndDialog.
class SHostDialog : public SHostWnd {
public:
    using Base = SHostWnd;
    SOUI_CLASS_NAME(SHostDialog, L"hostdialog")
    explicit SHostDialog(const wchar_t* layoutResId = L"") : SHostWnd(layoutResId) {}
    // Creates, initialises (WM_INITDIALOG), centres and shows the window, runs until EndDialog,
    // destroys the window; returns the code given to EndDialog (-1 when the window could not be made).
    INT_PTR DoModal(HWND owner = nullptr);
    void EndDialog(INT_PTR code);
    // Unhandled commands from widgets named or numbered IDOK / IDCANCEL end the dialog.
    bool OnEvent(EventArgs* evt) override;

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    bool m_endModal = false;
    INT_PTR m_result = IDCANCEL;
};

}  // namespace SOUI
