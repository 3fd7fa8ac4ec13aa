// The login window on the program's real layout against the substitute service.
// Its timer is driven here with WM_TIMER; its message boxes are answered here.
#include <gtest/gtest.h>

#include "modalanswers.h"
#include "profile/profile.h"
#include "servicefixture.h"
#include "tempdir.h"
#include "ui/logindlg.h"
#include "windowtestenv.h"

namespace {

const wchar_t kBadNumber[] = L"请输入正确的手机号！";

// A created and initialised login window, as start-up leaves it, in a folder of its own.
class logindlg : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(WindowTestEnvReady());
        ASSERT_TRUE(ServiceControl("reset"));
        TakeServiceRequests();
        ASSERT_NE(m_dlg.Create(nullptr), nullptr);
        m_dlg.SendMessageW(WM_INITDIALOG, 0, 0);
    }
    void TearDown() override
    {
        if (m_dlg.IsWindow())
            m_dlg.DestroyWindow();
        // The window ends its UI loop when destroyed; that quit is not for the next case.
        MSG msg;
        while (PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {}
    }

    void Tick(int times)
    {
        for (int i = 0; i < times; ++i)
            m_dlg.SendMessageW(WM_TIMER, CLoginDlg::kCountdownTimer, 0);
    }
    // The window's requests run on its worker: waits (pumping) until their answers are in.
    void Settle()
    {
        EXPECT_TRUE(RunLoopUntil([&] { return !m_dlg.IsWindow() || !m_dlg.Busy(); }, 10000));
    }
    bool ProfileWritten() const
    {
        return GetFileAttributesW(m_dir.File(L"ops.dat").c_str()) != INVALID_FILE_ATTRIBUTES;
    }

    ScopedWorkDir m_dir;
    CLoginDlg m_dlg;
};

}  // namespace

TEST_F(logindlg, fetch_sends_the_trimmed_number_and_counts_down_sixty_seconds)
{
    SetWidgetText(m_dlg, L"edit_input_mobile", L"  13912345678 ");
    Click(m_dlg, L"btn_fetchvcode");
    Settle();
    const std::string requests = TakeServiceRequests();
    EXPECT_NE(requests.find("POST /Invoice_regmobileCode body=phone=13912345678 "), std::string::npos) << requests;
    EXPECT_TRUE(ServiceControl("last-sms?phone=13912345678"));

    struct Step {
        int ticks;  // WM_TIMER 1499 messages before the check
        const wchar_t* text;
        bool enabled;
    } steps[] = {
        {0, L"已发送(60s)", false},
        {1, L"已发送(59s)", false},
        {59, L"已发送(0s)", false},
        // one second after it showed 0 the merchant may ask again
        {1, L"重新获取", true},
        {5, L"重新获取", true},
    };
    for (const Step& s : steps) {
        Tick(s.ticks);
        EXPECT_EQ(WidgetText(m_dlg, L"btn_fetchvcode"), s.text);
        EXPECT_EQ(WidgetEnabled(m_dlg, L"btn_fetchvcode"), s.enabled);
    }
    // Other timers are not the countdown.
    m_dlg.SendMessageW(WM_TIMER, 1500, 0);
    EXPECT_EQ(WidgetText(m_dlg, L"btn_fetchvcode"), L"重新获取");

    // A new request starts the count again from 60.
    Click(m_dlg, L"btn_fetchvcode");
    Settle();
    Tick(1);
    EXPECT_EQ(WidgetText(m_dlg, L"btn_fetchvcode"), L"已发送(59s)");
}

TEST_F(logindlg, a_bad_number_is_refused_before_any_request)
{
    struct Case {
        const wchar_t* number;
        const wchar_t* button;
    } cases[] = {
        {L"138 12345678", L"btn_fetchvcode"},
        {L"\t13812345678", L"btn_fetchvcode"},
        {L"+8613812345678", L"btn_login"},
        {L"18112345678", L"btn_login"},
        {L"", L"btn_login"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "button " << std::string(c.button, c.button + wcslen(c.button)));
        SetWidgetText(m_dlg, L"edit_input_mobile", c.number);
        ModalAnswers answers;
        BoxSeen seen;
        answers.Add(PressButton(IDOK, &seen));
        Click(m_dlg, c.button);
        EXPECT_EQ(seen.text, kBadNumber);
        EXPECT_EQ(seen.caption, L"错误");
        EXPECT_EQ(TakeServiceRequests(), "");
        EXPECT_EQ(WidgetText(m_dlg, L"btn_fetchvcode"), L"获取验证码");
        EXPECT_TRUE(WidgetEnabled(m_dlg, L"btn_fetchvcode"));
        EXPECT_EQ(m_dlg.LoginResult(), 1);
    }
    EXPECT_FALSE(ProfileWritten());
}

TEST_F(logindlg, a_refused_login_says_so_and_stores_nothing)
{
    SetWidgetText(m_dlg, L"edit_input_mobile", L"13912345678");
    Click(m_dlg, L"btn_fetchvcode");
    Settle();
    TakeServiceRequests();
    // An empty code is the service's to refuse.
    SetWidgetText(m_dlg, L"edit_input_vcode", L"   ");
    ModalAnswers answers;
    BoxSeen seen;
    answers.Add(PressButton(IDOK, &seen));
    Click(m_dlg, L"btn_login");
    Settle();

    const std::string requests = TakeServiceRequests();
    EXPECT_NE(requests.find("POST /Invoice_loginbyverify body=phone=13912345678&code= "), std::string::npos)
        << requests;
    EXPECT_EQ(seen.text, L"登录失败！");
    EXPECT_EQ(seen.caption, L"错误");
    EXPECT_TRUE(m_dlg.IsWindow());
    EXPECT_EQ(m_dlg.LoginResult(), 1);
    EXPECT_FALSE(ProfileWritten());
    // The countdown goes on as it was.
    EXPECT_EQ(WidgetText(m_dlg, L"btn_fetchvcode"), L"已发送(60s)");

    // A dead service is a refusal too.
    ASSERT_TRUE(ServiceControl("fault?mode=500"));
    answers.Add(PressButton(IDOK, &seen));
    seen = {};
    Click(m_dlg, L"btn_login");
    Settle();
    EXPECT_EQ(seen.text, L"登录失败！");
    EXPECT_FALSE(ProfileWritten());
    EXPECT_EQ(answers.Unexpected(), 0);
}

TEST_F(logindlg, the_sms_code_logs_in_stores_the_user_and_ends_with_zero)
{
    SetWidgetText(m_dlg, L"edit_input_mobile", L"13900139000");
    Click(m_dlg, L"btn_fetchvcode");
    Settle();
    std::string code;
    ASSERT_TRUE(ServiceControl("last-sms?phone=13900139000", &code));
    SetWidgetText(m_dlg, L"edit_input_vcode", L" " + std::wstring(code.begin(), code.end()) + L" ");
    ModalAnswers answers;
    Click(m_dlg, L"btn_login");
    Settle();

    EXPECT_EQ(answers.Unexpected(), 0) << "a message box came up";
    EXPECT_EQ(m_dlg.LoginResult(), 0);
    EXPECT_FALSE(m_dlg.IsWindow());
    EXPECT_EQ(ReadStoredUser(), "10000002");
}

// The whole login from the keyboard: the number typed with the spaces around it that the
// window accepts, Tab from box to box and to the code button, Space on it, Enter to log in.
TEST_F(logindlg, keyboard_only_login_with_a_spaced_number)
{
    TypeInto(m_dlg, L"edit_input_mobile", L" 13800138000 ");
    EXPECT_EQ(WidgetText(m_dlg, L"edit_input_mobile"), L" 13800138000 ") << "the box cut what was typed";
    PressKey(VK_TAB);
    EXPECT_EQ(m_dlg.GetFocusedWidget(), m_dlg.FindChildByName(L"edit_input_vcode"));
    PressKey(VK_TAB);
    EXPECT_EQ(m_dlg.GetFocusedWidget(), m_dlg.FindChildByName(L"btn_fetchvcode"));
    ModalAnswers answers;
    PressKey(VK_SPACE);
    Settle();
    std::string code;
    ASSERT_TRUE(ServiceControl("last-sms?phone=13800138000", &code)) << TakeServiceRequests();
    EXPECT_EQ(WidgetText(m_dlg, L"btn_fetchvcode"), L"已发送(60s)");

    // A code typed with spaces of its own is not cut either.
    TypeInto(m_dlg, L"edit_input_vcode", L"  " + std::wstring(code.begin(), code.end()) + L"  ");
    PressKey(VK_RETURN);
    Settle();
    EXPECT_EQ(answers.Unexpected(), 0) << "a message box came up";
    EXPECT_EQ(m_dlg.LoginResult(), 0);
    EXPECT_FALSE(m_dlg.IsWindow());
    EXPECT_EQ(ReadStoredUser(), "10000001");
}

// Escape from either box closes the window as its close button does.
TEST_F(logindlg, escape_closes_like_the_close_button)
{
    TypeInto(m_dlg, L"edit_input_vcode", L"12");
    PressKey(VK_ESCAPE);
    EXPECT_FALSE(m_dlg.IsWindow());
    EXPECT_EQ(m_dlg.LoginResult(), 1);
    EXPECT_FALSE(ProfileWritten());
}

TEST_F(logindlg, closing_leaves_one_and_writes_nothing)
{
    Click(m_dlg, L"btn_close");
    EXPECT_FALSE(m_dlg.IsWindow());
    EXPECT_EQ(m_dlg.LoginResult(), 1);

    CLoginDlg other;
    ASSERT_NE(other.Create(nullptr), nullptr);
    other.SendMessageW(WM_INITDIALOG, 0, 0);
    other.SendMessageW(WM_CLOSE, 0, 0);
    EXPECT_FALSE(other.IsWindow());
    EXPECT_EQ(other.LoginResult(), 1);
    EXPECT_FALSE(ProfileWritten());
}

TEST(logindlg_result, is_minus_one_until_initialised)
{
    CLoginDlg dlg;
    EXPECT_EQ(dlg.LoginResult(), -1);
}

// The login waits on a slow service without holding the window; Enter pressed again
// meanwhile sends nothing more: the code is spent once.
TEST_F(logindlg, a_second_login_while_one_waits_is_ignored)
{
    SetWidgetText(m_dlg, L"edit_input_mobile", L"13900139000");
    Click(m_dlg, L"btn_fetchvcode");
    Settle();
    std::string code;
    ASSERT_TRUE(ServiceControl("last-sms?phone=13900139000", &code));
    SetWidgetText(m_dlg, L"edit_input_vcode", std::wstring(code.begin(), code.end()));
    TakeServiceRequests();
    ASSERT_TRUE(ServiceControl("fault?mode=slow&seconds=1&only=Invoice_loginbyverify"));
    ModalAnswers answers;
    Click(m_dlg, L"btn_login");
    EXPECT_TRUE(m_dlg.IsWindow()) << "the click waited for the service";
    EXPECT_FALSE(WidgetEnabled(m_dlg, L"btn_login")) << "no sign that the login runs";
    Click(m_dlg, L"btn_login");
    Settle();
    ServiceControl("reset");
    const std::string requests = TakeServiceRequests();
    size_t logins = 0;
    for (size_t at = requests.find("POST /Invoice_loginbyverify"); at != std::string::npos;
         at = requests.find("POST /Invoice_loginbyverify", at + 1))
        ++logins;
    EXPECT_EQ(1u, logins) << requests;
    EXPECT_EQ(answers.Unexpected(), 0);
    EXPECT_EQ(m_dlg.LoginResult(), 0);
    EXPECT_EQ(ReadStoredUser(), "10000002");
}
