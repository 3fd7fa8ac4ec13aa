// The business card window on the program's real layout and resources. The save
// dialog and the message boxes are answered here.
#include <gtest/gtest.h>

#include <objidl.h>
#include <gdiplus.h>

#include <memory>
#include <vector>

#include "engine/widgets/SImageWnd.h"
#include "modalanswers.h"
#include "net/companyendpoints.h"
#include "net/httptransport.h"
#include "servicefixture.h"
#include "tempdir.h"
#include "ui/bizcarddlg.h"
#include "windowtestenv.h"

namespace {

const wchar_t kKey[] = L"6c756d6f72612d6d65726368616e7431";

CompanyRecord SampleCompany(const std::wstring& key = kKey)
{
    CompanyRecord c;
    c.KeyNo = key;
    c.Name = L"福州路明信息技术有限公司";
    c.CreditCode = L"91350100M000100Y43";
    c.Address = L"福州市鼓楼区五四路1号";
    c.PhoneNumber = L"0591-87654321";
    c.Bank = L"中国银行福州分行";
    c.Bankaccount = L"4071 0000 1234";
    return c;
}

bool Exists(const std::wstring& path)
{
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

uint32_t LittleEndian32(const std::string& b, size_t at)
{
    return uint32_t(uint8_t(b[at])) | uint32_t(uint8_t(b[at + 1])) << 8 | uint32_t(uint8_t(b[at + 2])) << 16 |
           uint32_t(uint8_t(b[at + 3])) << 24;
}

uint32_t BigEndian32(const std::string& b, size_t at)
{
    return uint32_t(uint8_t(b[at])) << 24 | uint32_t(uint8_t(b[at + 1])) << 16 | uint32_t(uint8_t(b[at + 2])) << 8 |
           uint32_t(uint8_t(b[at + 3]));
}

// Names of the files in the folder that match the pattern.
std::vector<std::wstring> FilesLike(const std::wstring& pattern)
{
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW fd;
    HANDLE find = FindFirstFileW(pattern.c_str(), &fd);
    if (find == INVALID_HANDLE_VALUE)
        return names;
    do
        if (wcscmp(fd.cFileName, L".") != 0 && wcscmp(fd.cFileName, L"..") != 0)
            names.push_back(fd.cFileName);
    while (FindNextFileW(find, &fd));
    FindClose(find);
    return names;
}

// An opened card window (not shown) in a folder of its own, without "bizcard_frame.png".
class bizcarddlg : public ::testing::Test {
protected:
    void Open(const CompanyRecord& company)
    {
        ASSERT_TRUE(WindowTestEnvReady());
        m_dlg = std::make_unique<CBizcardDlg>(company);
        ASSERT_NE(m_dlg->Create(nullptr), nullptr);
        m_dlg->SendMessageW(WM_INITDIALOG, 0, 0);
    }
    void TearDown() override
    {
        if (m_dlg && m_dlg->IsWindow())
            m_dlg->DestroyWindow();
    }
    SOUI::IBitmap* QrImage() const
    {
        auto* img = m_dlg->FindChildByName2<SOUI::SImageWnd>(L"imgQRCode");
        return img ? img->GetImage() : nullptr;
    }

    ScopedWorkDir m_dir;
    std::unique_ptr<CBizcardDlg> m_dlg;
};

}  // namespace

TEST_F(bizcarddlg, opening_shows_the_record_and_its_qr_bitmap)
{
    Open(SampleCompany());
    EXPECT_EQ(WidgetText(*m_dlg, L"txtTaxcode"), L"91350100M000100Y43");
    EXPECT_EQ(WidgetText(*m_dlg, L"txtComName"), L"福州路明信息技术有限公司");
    EXPECT_EQ(WidgetText(*m_dlg, L"txtComAddr"), L"福州市鼓楼区五四路1号");
    EXPECT_EQ(WidgetText(*m_dlg, L"txtTel"), L"0591-87654321");
    EXPECT_EQ(WidgetText(*m_dlg, L"txtBankAccount"), L"4071 0000 1234");

    const std::string bmp = ReadFileBytes(m_dir.File(L"qr_" + std::wstring(kKey) + L".bmp"));
    ASSERT_GT(bmp.size(), 54u);
    EXPECT_EQ(bmp.substr(0, 2), "BM");
    SOUI::IBitmap* shown = QrImage();
    ASSERT_NE(shown, nullptr) << "the QR bitmap was not shown";
    EXPECT_EQ(uint32_t(shown->Width()), LittleEndian32(bmp, 18));
    EXPECT_EQ(m_dlg->QrBitmapName(), L"qr_" + std::wstring(kKey) + L".bmp");
}

TEST_F(bizcarddlg, an_empty_key_number_names_qr_dot_bmp)
{
    Open(SampleCompany(L""));
    EXPECT_TRUE(Exists(m_dir.File(L"qr_.bmp")));
    EXPECT_NE(QrImage(), nullptr);
}

TEST_F(bizcarddlg, a_key_number_that_could_leave_the_folder_writes_no_file)
{
    for (const wchar_t* key : {L"..\\..\\evil", L"a/b", L"C:evil", L"x*y", L".."}) {
        SCOPED_TRACE(testing::Message() << "key " << std::string(key, key + wcslen(key)));
        Open(SampleCompany(key));
        EXPECT_TRUE(FilesLike(m_dir.File(L"*")).empty());
        EXPECT_EQ(QrImage(), nullptr);
        // The texts are still shown.
        EXPECT_EQ(WidgetText(*m_dlg, L"txtComName"), L"福州路明信息技术有限公司");

        ModalAnswers answers;
        BoxSeen seen;
        answers.Add(PressButton(IDOK, &seen));
        Click(*m_dlg, L"btn_download");
        EXPECT_EQ(seen.text, L"名片生成失败！");
        EXPECT_TRUE(FilesLike(m_dir.File(L"*")).empty());
        m_dlg->DestroyWindow();
    }
}

TEST_F(bizcarddlg, download_saves_a_copy_of_the_card_where_the_merchant_says)
{
    Open(SampleCompany());
    const std::wstring target = m_dir.File(L"我的名片.png");
    ModalAnswers answers;
    std::wstring offered;
    BoxSeen done;
    answers.Add(SaveAs(target, &offered));
    answers.Add(PressButton(IDOK, &done));
    Click(*m_dlg, L"btn_download");

    EXPECT_EQ(answers.Pending(), 0u);
    EXPECT_EQ(offered, L"福州路明信息技术有限公司");
    EXPECT_EQ(done.text, L"下载成功！");
    EXPECT_EQ(done.caption, L"提示");
    // Composed from the built-in background, since none lies in the folder.
    const std::string card = ReadFileBytes(m_dir.File(L"qr_" + std::wstring(kKey) + L".png"));
    ASSERT_GT(card.size(), 24u);
    EXPECT_EQ(card.substr(1, 3), "PNG");
    EXPECT_EQ(BigEndian32(card, 16), 683u);
    EXPECT_EQ(BigEndian32(card, 20), 1024u);
    EXPECT_EQ(ReadFileBytes(target), card);
}

TEST_F(bizcarddlg, saving_over_a_file_asks_first_and_a_cancelled_dialog_saves_nothing)
{
    Open(SampleCompany());
    const std::wstring target = m_dir.File(L"card.png");
    ASSERT_TRUE(WriteFileBytes(target, "older picture"));

    ModalAnswers answers;
    BoxSeen prompt, done;
    answers.Add(SaveAs(target));
    answers.Add(PressButton(IDYES, &prompt));
    answers.Add(PressButton(IDOK, &done));
    Click(*m_dlg, L"btn_download");
    EXPECT_FALSE(prompt.text.empty()) << "no overwrite prompt";
    EXPECT_EQ(done.text, L"下载成功！");
    EXPECT_EQ(ReadFileBytes(target), ReadFileBytes(m_dir.File(L"qr_" + std::wstring(kKey) + L".png")));

    const std::wstring other = m_dir.File(L"other.png");
    answers.Add(SaveAs(L""));
    Click(*m_dlg, L"btn_download");
    EXPECT_EQ(answers.Pending(), 0u);
    EXPECT_EQ(answers.Unexpected(), 0) << "a box came up after a cancelled dialog";
    EXPECT_FALSE(Exists(other));
}

TEST_F(bizcarddlg, closing_ends_the_modal_run_as_cancel)
{
    ASSERT_TRUE(WindowTestEnvReady());
    for (bool byButton : {true, false}) {
        CBizcardDlg dlg(SampleCompany());
        ModalAnswers answers;
        answers.Later([&] {
            if (byButton)
                Click(dlg, L"btn_close");
            else
                dlg.SendMessageW(WM_CLOSE);
        });
        EXPECT_EQ(dlg.DoModal(nullptr), IDCANCEL) << (byButton ? "close button" : "WM_CLOSE");
    }
}

// The window with the seeded merchant from the service, drawn; the QR code shows in
// its area. With MORAVEL_BIZCARD_SHOT set, the window's picture is saved there.
TEST_F(bizcarddlg, shows_a_real_company_with_its_qr_code)
{
    CHttpTransport transport;
    CompanyRecord company;
    ASSERT_TRUE(GetCompanyInfo(transport, L"6c756d6f72612d6d65726368616e7431", company));
    Open(company);
    m_dlg->ShowWindow(SW_SHOWNORMAL);
    m_dlg->UpdateNow();
    PumpUntil([] { return false; }, 300);

    SOUI::IRenderTarget* rt = m_dlg->GetRenderTarget();
    ASSERT_NE(rt, nullptr);
    SOUI::IBitmap* back = rt->GetCurrentBitmap();
    ASSERT_NE(back, nullptr);
    auto* img = m_dlg->FindChildByName2<SOUI::SImageWnd>(L"imgQRCode");
    ASSERT_NE(img, nullptr);
    const RECT qr = img->GetWindowRect();
    // A QR symbol's top-left module is dark.
    const BYTE* px = back->GetPixelBits() + (size_t(qr.top + 2) * back->Width() + qr.left + 2) * 4;
    EXPECT_LT(px[0] + px[1] + px[2], 3 * 64) << "the QR area is not drawn";

    wchar_t shot[MAX_PATH] = {};
    if (GetEnvironmentVariableW(L"MORAVEL_BIZCARD_SHOT", shot, MAX_PATH)) {
        Gdiplus::Bitmap picture(back->Width(), back->Height(), back->Width() * 4, PixelFormat32bppPARGB,
                                back->GetPixelBits());
        CLSID png;
        CLSIDFromString(L"{557CF406-1A04-11D3-9A73-0000F81EF32E}", &png);
        EXPECT_EQ(picture.Save(shot, &png, nullptr), Gdiplus::Ok);
    }
}
