#include <gtest/gtest.h>
#include "enginetestenv.h"

using namespace SOUI;

namespace {
const char kMsgBox[] = R"(<SOUI name="msgbox" width="300" height="160" toolWindow="1">
  <root colorBkgnd="#FFFFFF">
    <caption pos="0,0,-0,@30" colorBkgnd="#2C7CE8">
      <text name="msgtitle" pos="10,0,-40,-0" colorText="#FFFFFF"/>
      <imgbtn name="btn_close" pos="-30,0,@30,@30" skin="skin.states3"/>
    </caption>
    <img name="msgicon" pos="10,40,@16,@16" skin="skin.states3"/>
    <text name="msgtext" pos="40,40,-10,@40"/>
    <tabctrl name="btnSwitch" pos="0,-50,-0,-0" tabHeight="0">
      <page><button name="button1st" pos="110,10,@80,@30"/></page>
      <page><button name="button1st" pos="60,10,@80,@30"/><button name="button2nd" pos="160,10,@80,@30"/></page>
      <page><button name="button1st" pos="10,10,@80,@30"/><button name="button2nd" pos="110,10,@80,@30"/>
            <button name="button3rd" pos="210,10,@80,@30"/></page>
    </tabctrl>
  </root>
</SOUI>)";

// What the driver saw in the open box, and which widget it pressed.
struct Drive {
    const wchar_t* caption;
    const wchar_t* press;  // nullptr: close the window with WM_CLOSE
    std::vector<std::wstring> buttons;
    std::wstring text;
    bool iconShown = false;
    bool found = false;
    std::vector<std::pair<UINT, bool>> keys;  // pressed instead, Shift held when the flag says so
    int waited = 0;
};
Drive* g_drive = nullptr;

void CALLBACK DriveMessageBox(HWND, UINT, UINT_PTR id, DWORD)
{
    HWND hwnd = FindWindowW(L"SOUIHOST", g_drive->caption);
    auto* host = dynamic_cast<SHostWnd*>(CSimpleWnd::FromHwnd(hwnd));
    if (!host)
        return;
    if (!g_drive->keys.empty()) {
        // Keys go to the window with the keyboard: wait until the box has it.
        if (GetForegroundWindow() != hwnd || GetFocus() != hwnd) {
            if (++g_drive->waited > 150) {
                KillTimer(nullptr, id);
                host->PostMessageW(WM_CLOSE);
            }
            return;
        }
        KillTimer(nullptr, id);
        g_drive->found = true;
        for (const auto& k : g_drive->keys)
            enginetest::PressKey(k.first, k.second);
        return;
    }
    KillTimer(nullptr, id);
    g_drive->found = true;
    auto* sw = host->FindChildByName2<STabCtrl>(L"btnSwitch");
    SWindow* page = sw->GetItem(sw->GetCurSel());
    for (const wchar_t* n : {L"button1st", L"button2nd", L"button3rd"})
        if (SWindow* b = page->FindChildByName(n))
            g_drive->buttons.push_back(b->GetWindowTextW());
    g_drive->text = host->FindChildByName(L"msgtext")->GetWindowTextW();
    g_drive->iconShown = host->FindChildByName(L"msgicon")->IsVisible();
    if (!g_drive->press) {
        host->PostMessageW(WM_CLOSE);
        return;
    }
    SWindow* target = page->FindChildByName(g_drive->press);
    if (!target)
        target = host->FindChildByName(g_drive->press);
    enginetest::Click(*host, target);
}
}  // namespace

TEST(message_box, returns_the_button_pressed)
{
    pugi::xml_document doc;
    ASSERT_TRUE(doc.load_string(kMsgBox));
    ASSERT_TRUE(SetMsgTemplate(doc.first_child()));
    struct Case {
        UINT type;
        const wchar_t* press;
        int want;
        std::vector<std::wstring> buttons;
        bool icon;
    } cases[] = {
        {MB_YESNOCANCEL | MB_ICONQUESTION, L"button2nd", IDNO, {L"是", L"否", L"取消"}, true},
        {MB_OKCANCEL | MB_ICONINFORMATION | MB_SYSTEMMODAL, L"button1st", IDOK, {L"确定", L"取消"}, true},
        {MB_OK, L"btn_close", IDCANCEL, {L"确定"}, false},
        {MB_YESNO, nullptr, IDCANCEL, {L"是", L"否"}, false},
    };
    for (const auto& c : cases) {
        Drive d;
        d.caption = L"提示";
        d.press = c.press;
        g_drive = &d;
        SetTimer(nullptr, 0, 20, DriveMessageBox);
        int r = SMessageBox(nullptr, L"请打开开票软件！", L"提示", c.type);
        EXPECT_TRUE(d.found);
        EXPECT_EQ(r, c.want) << c.type;
        EXPECT_EQ(d.buttons, c.buttons) << c.type;
        EXPECT_EQ(d.text, L"请打开开票软件！");
        EXPECT_EQ(d.iconShown, c.icon) << c.type;
    }
    SetMsgTemplate(pugi::xml_node());
    g_drive = nullptr;
}

// The keys of the system's box: Enter is the default button, Escape is Cancel or the only
// button, Tab moves between the buttons, Space presses the focused one.
TEST(message_box, answers_keys_as_the_system_box_does)
{
    pugi::xml_document doc;
    ASSERT_TRUE(doc.load_string(kMsgBox));
    ASSERT_TRUE(SetMsgTemplate(doc.first_child()));
    struct Case {
        UINT type;
        std::vector<std::pair<UINT, bool>> keys;
        int want;
    } cases[] = {
        {MB_OK, {{VK_RETURN, false}}, IDOK},
        {MB_OK | MB_SYSTEMMODAL, {{VK_ESCAPE, false}}, IDOK},
        {MB_OKCANCEL, {{VK_ESCAPE, false}}, IDCANCEL},
        {MB_OKCANCEL, {{VK_RETURN, false}}, IDOK},
        {MB_OKCANCEL | MB_DEFBUTTON2, {{VK_RETURN, false}}, IDCANCEL},
        {MB_OKCANCEL, {{VK_TAB, false}, {VK_SPACE, false}}, IDCANCEL},
        {MB_YESNOCANCEL, {{VK_TAB, true}, {VK_TAB, false}, {VK_TAB, false}, {VK_RETURN, false}}, IDNO},
        // Neither Cancel nor a single button: Escape does nothing.
        {MB_YESNO, {{VK_ESCAPE, false}, {VK_TAB, false}, {VK_RETURN, false}}, IDNO},
    };
    for (const auto& c : cases) {
        Drive d;
        d.caption = L"提示";
        d.keys = c.keys;
        g_drive = &d;
        SetTimer(nullptr, 0, 20, DriveMessageBox);
        int r = SMessageBox(nullptr, L"请打开开票软件！", L"提示", c.type);
        EXPECT_TRUE(d.found) << "the box never had the keyboard, type " << c.type;
        EXPECT_EQ(r, c.want) << c.type;
    }
    SetMsgTemplate(pugi::xml_node());
    g_drive = nullptr;
}

namespace {
class CommandHost : public SHostWnd {
public:
    CommandHost()
    {
        SetLayoutXml(R"(<SOUI width="50" height="50"><root/></SOUI>)");
        Create(nullptr);
    }
    BOOL ProcessWindowMessage(HWND, UINT msg, WPARAM wp, LPARAM, LRESULT& r) override
    {
        if (msg != WM_COMMAND)
            return FALSE;
        commands.push_back(wp);
        r = 0;
        return TRUE;
    }
    std::vector<WPARAM> commands;
};

void CALLBACK DriveMenu(HWND, UINT, UINT_PTR id, DWORD)
{
    HWND menu = FindWindowW(L"#32768", nullptr);
    if (!menu || !IsWindowVisible(menu))
        return;
    KillTimer(nullptr, id);
    PostMessageW(menu, WM_KEYDOWN, VK_DOWN, 0);
    PostMessageW(menu, WM_KEYDOWN, VK_DOWN, 0);
    PostMessageW(menu, WM_KEYDOWN, VK_RETURN, 0);
}
}  // namespace

TEST(menu, chosen_item_arrives_as_wm_command)
{
    enginetest::Mem()->AddResource(L"SMENU", L"menu_tray",
                                   R"(<menu><item id="5">打开</item><sep/><item id="6">退出</item></menu>)");
    SMenu menu;
    ASSERT_TRUE(menu.LoadMenuW(L"menu_tray", L"smenu"));
    EXPECT_EQ(GetMenuItemCount(menu.GetHMenu()), 3);
    EXPECT_EQ(GetMenuItemID(menu.GetHMenu(), 2), 6u);
    CommandHost host;
    SetTimer(nullptr, 0, 20, DriveMenu);
    menu.TrackPopupMenu(0, 100, 100, host.m_hWnd);
    ASSERT_TRUE(enginetest::PumpUntil([&] { return !host.commands.empty(); }));
    EXPECT_EQ(host.commands[0], WPARAM(6));

    SMenu bad;
    enginetest::LogCapture log;
    EXPECT_FALSE(bad.LoadMenuW(L"SMENU:nosuch"));
}
