// The real Moravel.exe with no stored user, against the substitute service: the
// merchant types the number, asks for the code, types the SMS code and logs in; the
// main window follows in the same process.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "appinstance.h"
#include "servicefixture.h"
#include "topwindows.h"

namespace {

POINT Centre(HWND hwnd)
{
    RECT rc = {};
    GetWindowRect(hwnd, &rc);
    return POINT{(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
}

// A left click at a screen point of the host window, as the mouse would send it.
void ClickAt(HWND host, POINT screen)
{
    ScreenToClient(host, &screen);
    const LPARAM at = MAKELPARAM(screen.x, screen.y);
    PostMessageW(host, WM_MOUSEMOVE, 0, at);
    PostMessageW(host, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageW(host, WM_LBUTTONUP, 0, at);
}

}  // namespace

TEST(login_app, sms_login_stores_the_user_and_opens_the_main_window)
{
    ASSERT_TRUE(UseFixtureService());
    ASSERT_TRUE(ServiceControl("reset"));
    // bin\Moravel.exe with its plug-ins; the working folder "Moravel" beside "bin".
    AppInstallation inst;
    ASSERT_TRUE(inst.Ok());
    AppProcess app(inst.Exe(), inst.Bin());
    ASSERT_TRUE(app.Started());
    HWND login = WaitHost(app.Pid(), SIZE{500, 338}, 30000);
    ASSERT_NE(login, nullptr) << "no login window";

    // The two edits are native pop-ups over the layered window, the number's above the code's.
    std::vector<HWND> edits;
    for (int i = 0; i < 50 && edits.size() < 2; ++i, Sleep(100))
        edits = TopWindows(app.Pid(), L"Edit");
    ASSERT_EQ(edits.size(), 2u);
    std::sort(edits.begin(), edits.end(), [](HWND a, HWND b) { return Centre(a).y < Centre(b).y; });
    const POINT mobile = Centre(edits[0]), vcode = Centre(edits[1]);

    SendMessageW(edits[0], WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"13800138000"));
    // The fetch button sits right of the code edit (its centre 164 px further), the
    // login button 180 px below the number edit.
    ClickAt(login, POINT{vcode.x + 164, vcode.y});
    std::string code;
    for (int i = 0; i < 100 && !ServiceControl("last-sms?phone=13800138000", &code); ++i)
        Sleep(100);
    ASSERT_FALSE(code.empty()) << "no code was requested";

    SendMessageW(edits[1], WM_SETTEXT, 0, reinterpret_cast<LPARAM>(std::wstring(code.begin(), code.end()).c_str()));
    ClickAt(login, POINT{mobile.x, mobile.y + 180});

    // The main window may first warn that no invoicing program runs; that box is
    // answered here (closed), as the merchant would.
    HWND mainWnd = nullptr;
    for (int i = 0; i < 300 && !mainWnd; ++i) {
        mainWnd = WaitHost(app.Pid(), SIZE{462, 730}, 100);
        for (HWND box : TopWindows(app.Pid(), L"SOUIHOST"))
            if (box != login && WindowSize(box).cx != 462)
                PostMessageW(box, WM_CLOSE, 0, 0);
        for (HWND box : TopWindows(app.Pid(), L"#32770"))
            PostMessageW(box, WM_COMMAND, IDOK, 0);
    }
    EXPECT_NE(mainWnd, nullptr) << "the main window did not follow";
    EXPECT_TRUE(app.Running());
    EXPECT_FALSE(IsWindow(login));
    const std::string profile = ReadFileBytes(inst.Profile());
    EXPECT_NE(profile.find("Id=10000001"), std::string::npos) << profile;
}
