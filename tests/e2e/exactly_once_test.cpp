// A state-changing call that the service reads and then answers by dropping the
// connection reaches it once through the real program, however the call before it
// left the connection.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "driver.h"
#include "servicefixture.h"

namespace {

const SIZE kLogin = {500, 338};
const POINT kLoginFetchCode = {371, 199}, kLoginButton = {256, 289};

size_t Count(const std::string& text, const std::string& what)
{
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + what.size()))
        ++n;
    return n;
}

}  // namespace

// The code request leaves a keep-alive connection behind (the service keeps them);
// the login right after it is dropped by the service and must not be sent again,
// or a code spent at the service would be reported to the merchant as a failure.
TEST(e2e_once, a_dropped_login_reaches_the_service_once)
{
    ASSERT_TRUE(UseFixtureService());
    ASSERT_TRUE(ServiceControl("reset"));
    TakeServiceRequests();

    AppInstallation inst;
    ASSERT_TRUE(inst.Ok());
    AppProcess app(inst.Exe(), inst.Bin());
    HWND login = WaitHost(app.Pid(), kLogin, 30000);
    ASSERT_NE(login, nullptr) << "no login window";
    std::vector<HWND> edits;
    WaitUntil([&] { return (edits = EditsWithin(app.Pid(), ScreenRect(login))).size() == 2; }, 5000);
    ASSERT_EQ(edits.size(), 2u);

    // A phone of its own: the code it leaves unused must not meet other tests' logins.
    Type(edits[0], L"13900139000");
    Click(login, kLoginFetchCode);
    std::string code;
    ASSERT_TRUE(WaitUntil([&] { return ServiceControl("last-sms?phone=13900139000", &code); }, 10000))
        << "no code was requested";
    // At once: the service closes a connection that stays idle for seconds.
    ASSERT_TRUE(ServiceControl("fault?mode=drop&only=Invoice_loginbyverify"));
    Type(edits[1], std::wstring(code.begin(), code.end()));
    Click(login, kLoginButton);

    HWND box = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (box = FindBox(app.Pid())) != nullptr && !BoxText(box).empty(); }, 15000))
        << "no message";
    EXPECT_NE(BoxText(box).find(L"登录失败！"), std::wstring::npos);
    PostMessageW(box, WM_COMMAND, IDOK, 0);

    const std::string requests = TakeServiceRequests();
    ServiceControl("reset");
    EXPECT_EQ(Count(requests, "POST /Invoice_regmobileCode "), 1u) << requests;
    EXPECT_EQ(Count(requests, "POST /Invoice_loginbyverify "), 1u) << requests;
    EXPECT_EQ(inst.ProfileValue(L"User", L"Id"), L"");
}
