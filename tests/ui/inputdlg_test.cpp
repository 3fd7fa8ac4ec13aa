// The company input window on the program's real layout; its boxes are answered here.
#include <gtest/gtest.h>

#include <cstring>

#include "engine/host/SHostWnd.h"
#include "modalanswers.h"
#include "ui/companyprompt.h"
#include "ui/inputdlg.h"
#include "windowtestenv.h"

namespace {

const wchar_t kBadName[] = L"请输入正确的公司名！";
const wchar_t kBadTax[] = L"请输入正确的税号！";
const wchar_t kConfirm[] = L"确定输入信息准确无误吗？";

// The visible host window of this thread, as the engine object behind it.
SOUI::SHostWnd* OpenHostWindow()
{
    struct Found {
        HWND hwnd = nullptr;
    } found;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND hwnd, LPARAM lp) -> BOOL {
            wchar_t cls[16] = {};
            GetClassNameW(hwnd, cls, 16);
            if (wcscmp(cls, L"SOUIHOST") == 0 && IsWindowVisible(hwnd)) {
                reinterpret_cast<Found*>(lp)->hwnd = hwnd;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return dynamic_cast<SOUI::SHostWnd*>(SOUI::CSimpleWnd::FromHwnd(found.hwnd));
}

}  // namespace

TEST(inputdlg_confirm, checks_name_then_tax_code_and_asks_before_taking_them)
{
    ASSERT_TRUE(WindowTestEnvReady());
    struct Case {
        const char* what;
        const wchar_t* name;
        const wchar_t* tax;
        const wchar_t* message;
    } cases[] = {
        {"six characters are enough", L"福州路明信息", L"913501", kConfirm},
        {"five are not", L"福州路明信", L"913501", kBadName},
        {"surrounding spaces do not count", L"  福州路明信 ", L"913501", kBadName},
        // only U+0020 is trimmed; a tab or a full-width space stays and counts
        {"tab at the end counts", L"福州路明信\t", L"913501", kConfirm},
        {"full-width space counts", L"福州路明信\x3000", L"913501", kConfirm},
        {"inner space counts", L"福州 路明信", L"913501", kConfirm},
        {"short tax code", L"福州路明信息技术有限公司", L"91350", kBadTax},
        {"tax code of spaces", L"福州路明信息技术有限公司", L"       ", kBadTax},
        // the name is tested first and only the first failure is reported
        {"both short", L"福州", L"9", kBadName},
        {"both empty", L"", L"", kBadName},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CInputDlg dlg;
        ASSERT_NE(dlg.Create(nullptr), nullptr);
        dlg.SendMessageW(WM_INITDIALOG, 0, 0);
        SetWidgetText(dlg, L"input_comName", c.name);
        SetWidgetText(dlg, L"input_taxCode", c.tax);
        ModalAnswers answers;
        BoxSeen seen;
        answers.Add(PressButton(IDCANCEL, &seen));
        Click(dlg, L"btn_done");
        EXPECT_EQ(seen.text, c.message);
        EXPECT_EQ(seen.caption, c.message == kConfirm ? L"提示" : L"错误");
        EXPECT_EQ(answers.Unexpected(), 0);
        EXPECT_EQ(dlg.Result(), -1);
        dlg.DestroyWindow();
    }
}

TEST(inputdlg_modal, cancel_on_the_confirmation_keeps_the_window_and_closing_leaves_minus_one)
{
    ASSERT_TRUE(WindowTestEnvReady());
    CInputDlg dlg;
    ModalAnswers answers;
    BoxSeen confirmation;
    bool stillRunning = false;
    answers.Later([&] {
        SetWidgetText(dlg, L"input_comName", L" 福州路明信息技术有限公司 ");
        SetWidgetText(dlg, L"input_taxCode", L"91350100M000100Y43");
        answers.Add(PressButton(IDCANCEL, &confirmation));
        Click(dlg, L"btn_done");
        // Reached only while the modal loop still runs.
        answers.Later([&] {
            stillRunning = true;
            dlg.SendMessageW(WM_CLOSE);
        });
    });
    dlg.DoModal(nullptr);
    EXPECT_EQ(confirmation.text, kConfirm);
    EXPECT_TRUE(stillRunning) << "Cancel on the confirmation ended the window";
    EXPECT_EQ(dlg.Result(), -1);
    EXPECT_EQ(dlg.CompanyName(), L"福州路明信息技术有限公司");
    EXPECT_EQ(dlg.TaxCode(), L"91350100M000100Y43");
}

TEST(inputdlg_modal, closing_before_any_confirmation_leaves_nothing)
{
    ASSERT_TRUE(WindowTestEnvReady());
    for (bool byButton : {true, false}) {
        SCOPED_TRACE(byButton ? "close button" : "WM_CLOSE");
        CInputDlg dlg;
        ModalAnswers answers;
        answers.Later([&] {
            SetWidgetText(dlg, L"input_comName", L"福州路明信息技术有限公司");
            if (byButton)
                Click(dlg, L"btn_close");
            else
                dlg.SendMessageW(WM_CLOSE);
        });
        dlg.DoModal(nullptr);
        EXPECT_EQ(dlg.Result(), -1);
        EXPECT_EQ(dlg.CompanyName(), L"");
    }
}

TEST(inputdlg_prompt, serves_the_merchant_question_only_with_confirmed_values)
{
    ASSERT_TRUE(WindowTestEnvReady());
    ModalAnswers answers;
    std::wstring name = L"unchanged", tax = L"unchanged";

    answers.Later([&] {
        SOUI::SHostWnd* dlg = OpenHostWindow();
        ASSERT_NE(dlg, nullptr);
        SetWidgetText(*dlg, L"input_comName", L"福州路明信息技术有限公司 ");
        SetWidgetText(*dlg, L"input_taxCode", L" 91350100M000100Y43");
        answers.Add(PressButton(IDOK));
        Click(*dlg, L"btn_done");
    });
    EXPECT_TRUE(AskCompanyWithInputDlg(nullptr, name, tax));
    EXPECT_EQ(name, L"福州路明信息技术有限公司");
    EXPECT_EQ(tax, L"91350100M000100Y43");

    name = tax = L"unchanged";
    answers.Later([&] {
        SOUI::SHostWnd* dlg = OpenHostWindow();
        ASSERT_NE(dlg, nullptr);
        SetWidgetText(*dlg, L"input_comName", L"福州路明信息技术有限公司");
        SetWidgetText(*dlg, L"input_taxCode", L"91350100M000100Y43");
        dlg->SendMessageW(WM_CLOSE);
    });
    EXPECT_FALSE(AskCompanyWithInputDlg(nullptr, name, tax));
    EXPECT_EQ(name, L"unchanged");
    EXPECT_EQ(answers.Unexpected(), 0);
}

namespace {
bool Paste(HWND edit, const std::wstring& text)
{
    if (!OpenClipboard(nullptr))
        return false;
    EmptyClipboard();
    HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
    if (mem) {
        memcpy(GlobalLock(mem), text.c_str(), (text.size() + 1) * sizeof(wchar_t));
        GlobalUnlock(mem);
        if (!SetClipboardData(CF_UNICODETEXT, mem))
            GlobalFree(mem);
    }
    CloseClipboard();
    ::SendMessageW(edit, WM_PASTE, 0, 0);
    return mem != nullptr;
}
}  // namespace

// Typed as a merchant types: the boxes keep every character (no cap cuts a long tax code or
// one with other characters), Tab moves on, Enter confirms and OK takes the values; Escape
// closes as the close button does.
TEST(inputdlg_keyboard, typed_values_confirmed_with_enter_and_escape_cancels)
{
    ASSERT_TRUE(WindowTestEnvReady());
    const std::wstring typed = L"  91350100M000100Y43-分店(二) ", pasted = L"tab\there ";
    CInputDlg dlg;
    ModalAnswers answers;
    BoxSeen confirmation;
    answers.Later([&] {
        TypeInto(dlg, L"input_comName", L"福州路明信息技术有限公司");
        PressKey(VK_TAB);
        EXPECT_EQ(dlg.GetFocusedWidget(), dlg.FindChildByName(L"input_taxCode"));
        for (wchar_t c : typed)
            ::SendMessageW(GetFocus(), WM_CHAR, c, 1);
        // A tab cannot be typed into a box (Tab moves on) but comes with a paste.
        EXPECT_TRUE(Paste(GetFocus(), pasted));
        answers.Add(PressButton(IDOK, &confirmation));
        PressKey(VK_RETURN);
    });
    dlg.DoModal(nullptr);
    EXPECT_EQ(confirmation.text, kConfirm);
    EXPECT_EQ(dlg.Result(), 0);
    EXPECT_EQ(dlg.CompanyName(), L"福州路明信息技术有限公司");
    EXPECT_EQ(dlg.TaxCode(), L"91350100M000100Y43-分店(二) tab\there");

    CInputDlg other;
    answers.Later([&] {
        TypeInto(other, L"input_comName", L"福州路明信息技术有限公司");
        PressKey(VK_ESCAPE);
    });
    other.DoModal(nullptr);
    EXPECT_EQ(other.Result(), -1);
    EXPECT_EQ(answers.Unexpected(), 0);
}
