#include "ui/bizcarddlg.h"

#include <commdlg.h>

#include <algorithm>
#include <vector>

#include "config/buildurls.h"
#include "engine/core/SResProviderMgr.h"
#include "base/systemfunction.h"
#include "engine/widgets/SImageWnd.h"
#include "base/handle.h"
#include "base/textconv.h"
#include "ui/cardpicture.h"
#include "ui/qrbitmap.h"
#include "ui/safename.h"

namespace {

// The card background installed beside the program; a built-in copy stands in for it.
const wchar_t kCardBackground[] = L"bizcard_frame.png";

std::vector<BYTE> ReadWholeFile(const std::wstring& path)
{
    std::vector<BYTE> bytes;
    KernelHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return bytes;
    LARGE_INTEGER size = {};
    // A QR bitmap is well below this; anything larger is not ours.
    if (GetFileSizeEx(file.Get(), &size) && size.QuadPart > 0 && size.QuadPart < 64 * 1024 * 1024) {
        bytes.resize(size_t(size.QuadPart));
        DWORD read = 0;
        if (!ReadFile(file.Get(), bytes.data(), DWORD(bytes.size()), &read, nullptr) || read != bytes.size())
            bytes.clear();
    }
    return bytes;
}

}  // namespace

CBizcardDlg::CBizcardDlg(const CompanyRecord& company) : SOUI::SHostDialog(L"LAYOUT:BIZCARD_FRAME"), m_company(company)
{}

BOOL CBizcardDlg::ProcessWindowMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result)
{
    switch (msg) {
    case WM_INITDIALOG:
        OnInit();
        result = TRUE;
        return TRUE;
    default:
        return Base::ProcessWindowMessage(hwnd, msg, wp, lp, result);
    }
}

void CBizcardDlg::OnCancel()
{
    EndDialog(IDCANCEL);
}

void CBizcardDlg::SetText(const wchar_t* name, const std::wstring& text)
{
    if (SOUI::SWindow* w = FindChildByName(name))
        w->SetWindowTextW(text);
}

void CBizcardDlg::OnInit()
{
    // The key number comes from the service; one that could name a file outside the
    // working folder gets no QR file (and so no card) rather than a rewritten name.
    if (IsSafeFileNamePart(m_company.KeyNo)) {
        m_qrBitmapName = L"qr_" + m_company.KeyNo + L".bmp";
        const std::string link = WideToGbk(kShareUrl) + "?keyno=" + WideToGbk(m_company.KeyNo);
        WriteQrBitmap(link, m_qrBitmapName);
        ShowQrBitmap();
    }
    SetText(L"txtTaxcode", m_company.CreditCode);
    SetText(L"txtComName", m_company.Name);
    SetText(L"txtComAddr", m_company.Address);
    SetText(L"txtTel", m_company.PhoneNumber);
    SetText(L"txtBankAccount", m_company.Bankaccount);
}

void CBizcardDlg::ShowQrBitmap()
{
    auto* image = FindChildByName2<SOUI::SImageWnd>(L"imgQRCode");
    SOUI::IRenderFactory* render = SOUI::SResProviderMgr::getSingleton().GetRenderFactory();
    if (!image || !render)
        return;
    const std::vector<BYTE> bytes = ReadWholeFile(m_qrBitmapName);
    SOUI::SAutoRefPtr<SOUI::IBitmap> bitmap;
    // A file that is not a picture leaves the QR area empty; the texts still show.
    if (bytes.empty() || !render->CreateBitmapFromMemory(bitmap.Out(), bytes.data(), UINT(bytes.size())))
        return;
    image->SetImage(bitmap);
    image->Invalidate();
}

void CBizcardDlg::OnDownload()
{
    if (m_qrBitmapName.empty()) {
        MessageBoxW(m_hWnd, L"名片生成失败！", L"错误", MB_SYSTEMMODAL | MB_ICONHAND);
        return;
    }
    const std::wstring cardName = L"qr_" + m_company.KeyNo + L".png";
    // Never offer a card file left from an earlier download as this one.
    if (!ComposeCardPicture(kCardBackground, m_qrBitmapName, cardName)) {
        MessageBoxW(m_hWnd, L"名片生成失败！", L"错误", MB_SYSTEMMODAL | MB_ICONHAND);
        return;
    }

    wchar_t path[MAX_PATH] = {};
    const size_t n = std::min(m_company.Name.size(), size_t(MAX_PATH - 1));
    std::copy_n(m_company.Name.c_str(), n, path);
    OPENFILENAMEW ofn = {};
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = GetActiveWindow();
    ofn.lpstrFilter = L"便携位图文件(*.png)\0*.png\0";
    ofn.lpstrFile = path;
    ofn.nMaxFile = MAX_PATH;
    ofn.lpstrDefExt = L"png";
    ofn.Flags = OFN_EXPLORER | OFN_ENABLESIZING | OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT | OFN_NOCHANGEDIR;
    // comdlg32 brings the printing stack: loaded when a card is first saved.
    static const auto saveDialog = SystemFunction<decltype(&GetSaveFileNameW)>(L"comdlg32.dll", "GetSaveFileNameW");
    if (!saveDialog) {
        MessageBoxW(m_hWnd, L"下载失败！", L"错误", MB_SYSTEMMODAL | MB_ICONHAND);
        return;
    }
    if (!saveDialog(&ofn))
        return;
    if (!CopyFileW(cardName.c_str(), path, FALSE)) {
        MessageBoxW(m_hWnd, L"下载失败！", L"错误", MB_SYSTEMMODAL | MB_ICONHAND);
        return;
    }
    MessageBoxW(m_hWnd, L"下载成功！", L"提示", MB_SYSTEMMODAL | MB_ICONINFORMATION);
}
