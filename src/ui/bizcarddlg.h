#pragma once
#include <string>

#include "engine/host/SHostDialog.h"
#include "net/companyrecord.h"

// The modal "我的企业名片" window: the merchant's company beside the QR code of its
// share link, and the download of the card picture. It only reads the record.
class CBizcardDlg : public SOUI::SHostDialog {
public:
    using Base = SOUI::SHostDialog;
    explicit CBizcardDlg(const CompanyRecord& company);

    // "qr_<key number>.bmp" once opened; empty when the key number cannot name a file.
    const std::wstring& QrBitmapName() const { return m_qrBitmapName; }

    BOOL ProcessWindowMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

    EVENT_MAP_BEGIN()
    EVENT_NAME_COMMAND(L"btn_close", OnCancel)
    EVENT_NAME_COMMAND(L"btn_download", OnDownload)
    EVENT_MAP_END()

private:
    void OnInit();
    void OnCancel();
    void OnDownload();
    void ShowQrBitmap();
    void SetText(const wchar_t* name, const std::wstring& text);

    CompanyRecord m_company;
    std::wstring m_qrBitmapName;
};
