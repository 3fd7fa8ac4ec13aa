#include "ui/inputdlg.h"

#include "ui/inputtext.h"

namespace {

// Shorter names and tax codes cannot be real ones.
constexpr size_t kMinLength = 6;

}  // namespace

// The resource is stored as "INPUT_FRAME"; names match without regard to case.
CInputDlg::CInputDlg() : SOUI::SHostDialog(L"LAYOUT:Input_FRAME") {}

BOOL CInputDlg::ProcessWindowMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result)
{
    switch (msg) {
    case WM_INITDIALOG:
        // Enter confirms; Escape is the close button (numbered IDCANCEL in the layout).
        SetDefaultButton(FindChildByName(L"btn_done"));
        result = TRUE;
        return TRUE;
    default:
        return Base::ProcessWindowMessage(hwnd, msg, wp, lp, result);
    }
}

void CInputDlg::OnCancel()
{
    EndDialog(IDCANCEL);
}

std::wstring CInputDlg::TrimmedText(const wchar_t* name) const
{
    SOUI::SWindow* edit = FindChildByName(name);
    return edit ? TrimSpaces(edit->GetWindowTextW()) : std::wstring();
}

void CInputDlg::OnDone()
{
    m_companyName = TrimmedText(L"input_comName");
    m_taxCode = TrimmedText(L"input_taxCode");
    if (m_companyName.size() < kMinLength) {
        MessageBoxW(m_hWnd, L"请输入正确的公司名！", L"错误", MB_SYSTEMMODAL | MB_ICONHAND);
        return;
    }
    if (m_taxCode.size() < kMinLength) {
        MessageBoxW(m_hWnd, L"请输入正确的税号！", L"错误", MB_SYSTEMMODAL | MB_ICONHAND);
        return;
    }
    if (MessageBoxW(m_hWnd, L"确定输入信息准确无误吗？", L"提示", MB_SYSTEMMODAL | MB_ICONINFORMATION | MB_OKCANCEL) !=
        IDOK)
        return;
    m_result = 0;
    OnCancel();
}
