#pragma once
#include <string>

#include "engine/host/SHostDialog.h"

// The modal "请输入当前企业信息" window asking for the merchant's company name and
// tax code. The modal run always ends as cancel; Result() tells whether the merchant
// confirmed valid values.
class CInputDlg : public SOUI::SHostDialog {
public:
    using Base = SOUI::SHostDialog;
    CInputDlg();

    // -1 until the merchant confirmed valid values, then 0.
    int Result() const { return m_result; }
    // The trimmed texts at the last press of "确定", valid or not.
    const std::wstring& CompanyName() const { return m_companyName; }
    const std::wstring& TaxCode() const { return m_taxCode; }

    BOOL ProcessWindowMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

    EVENT_MAP_BEGIN()
    EVENT_NAME_COMMAND(L"btn_close", OnCancel)
    EVENT_NAME_COMMAND(L"btn_done", OnDone)
    EVENT_MAP_END()

private:
    void OnCancel();
    void OnDone();
    std::wstring TrimmedText(const wchar_t* name) const;

    std::wstring m_companyName;
    std::wstring m_taxCode;
    int m_result = -1;
};
