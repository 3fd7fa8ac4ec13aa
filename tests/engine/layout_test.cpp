#include <gtest/gtest.h>
#include "enginetestenv.h"

using namespace SOUI;
using enginetest::LogCapture;

namespace {
// A hidden host whose back buffer the tests read.
class ProbeHost : public SHostWnd {
public:
    explicit ProbeHost(const char* xml)
    {
        SetLayoutXml(xml);
        Create(nullptr);
    }
    // Paints everything now and returns the pixel (premultiplied 0xAARRGGBB) at x, y.
    DWORD Pixel(int x, int y)
    {
        RECT all = {0, 0, 10000, 10000};
        Render(all);
        return Peek(x, y);
    }
    DWORD Peek(int x, int y)
    {
        auto* bits = reinterpret_cast<DWORD*>(m_rt->GetCurrentBitmap()->GetPixelBits());
        return bits[y * m_rt->GetSize().cx + x];
    }
    DWORD CenterPixel(SWindow* w)
    {
        RECT rc = w->GetWindowRect();
        return Pixel((rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2);
    }
    void MouseMove(int x, int y) { SendMessageW(WM_MOUSEMOVE, 0, MAKELPARAM(x, y)); }
};

const char kTree[] = R"(<SOUI name="tree" width="462" height="730">
  <root colorBkgnd="#FFFFFF">
    <caption name="cap" pos="0,0,-0,@40">
      <text name="txt_title" pos="10,10">标题</text>
      <imgbtn name="btn_close" pos="-40,5,@30,@30" skin="skin.states3"/>
    </caption>
    <window name="body" pos="0,40,-0,-0">
      <window name="deep"><button name="btn_done" pos="10,10,@80,@30">完成</button></window>
      <edit name="edit_search" pos="10,60,-10,@30" cueText="搜索"/>
    </window>
  </root>
</SOUI>)";
}  // namespace

TEST(layout, lookup_by_name_and_by_number_at_any_depth)
{
    ProbeHost host(kTree);
    ASSERT_NE(host.m_hWnd, nullptr);
    SWindow* byName = host.FindChildByName(L"edit_search");
    ASSERT_NE(byName, nullptr);
    EXPECT_EQ(host.FindChildByID(65541), byName);
    EXPECT_NE(host.FindChildByName2<SEdit>(L"edit_search"), nullptr);
    EXPECT_EQ(host.FindChildByName2<SButton>(L"edit_search"), nullptr);
    EXPECT_EQ(host.FindChildByID(65539), host.FindChildByName(L"btn_close"));
    // Not in the named-id table: found by name only.
    SWindow* done = host.FindChildByName(L"btn_done");
    ASSERT_NE(done, nullptr);
    EXPECT_EQ(done->GetID(), 0);
    EXPECT_EQ(host.FindChildByID(0), nullptr);
    EXPECT_EQ(host.FindChildByName(L"nosuch"), nullptr);
    EXPECT_EQ(host.FindChildByName(L"btn_done", 2), nullptr);
    EXPECT_EQ(host.GetRoot()->FindChildByName(L"btn_done", 3), done);
}

TEST(layout, positions_from_near_and_far_edges)
{
    ProbeHost host(kTree);
    struct Case {
        const wchar_t* name;
        RECT want;
    } cases[] = {
        {L"cap", {0, 0, 462, 40}},       {L"btn_close", {422, 5, 452, 35}},     {L"body", {0, 40, 462, 730}},
        {L"btn_done", {10, 50, 90, 80}}, {L"edit_search", {10, 100, 452, 130}},
    };
    for (const auto& c : cases) {
        SWindow* w = host.FindChildByName(c.name);
        ASSERT_NE(w, nullptr) << c.name;
        RECT rc = w->GetWindowRect();
        EXPECT_TRUE(EqualRect(&rc, &c.want))
            << c.name << " " << rc.left << "," << rc.top << "," << rc.right << "," << rc.bottom;
    }
    // Size from the text when only the top-left corner is given.
    RECT t = host.FindChildByName(L"txt_title")->GetWindowRect();
    EXPECT_GT(t.right - t.left, 16);
    EXPECT_GT(t.bottom - t.top, 10);
}

TEST(layout, bad_input_is_reported_with_the_widget_and_skipped)
{
    LogCapture log;
    ProbeHost host(R"(<SOUI width="100" height="100"><root>
        <text name="t1" colorText="#12" frobnicate="1">x</text>
        <img name="i1" skin="skin.nosuch"/>
        <img name="i2" src="img:nosuch"/>
        <gizmo name="g1"><text name="inside"/></gizmo>
        <window name="w1" class="nosuchclass"/>
        <window name="w2" pos="1,2,3"/>
      </root></SOUI>)");
    ASSERT_NE(host.m_hWnd, nullptr);
    EXPECT_TRUE(log.Contains(L"bad value '#12' for attribute 'colorText' on text 't1'"));
    EXPECT_TRUE(log.Contains(L"unknown attribute 'frobnicate' on text 't1'"));
    EXPECT_TRUE(log.Contains(L"'skin' on img 'i1'"));
    EXPECT_TRUE(log.Contains(L"image 'img:nosuch' not found"));
    EXPECT_TRUE(log.Contains(L"unknown widget class 'gizmo'"));
    EXPECT_TRUE(log.Contains(L"unknown style class 'nosuchclass' on window 'w1'"));
    EXPECT_TRUE(log.Contains(L"'pos' on window 'w2'"));
    EXPECT_EQ(host.FindChildByName(L"inside"), nullptr);
    EXPECT_NE(host.FindChildByName(L"i2"), nullptr);
    host.Pixel(0, 0);  // paints without the missing pictures
}

namespace {
// Refuses a layout without a child named "needed", as a composite widget does without its parts.
class SRefuser : public SWindow {
public:
    using Base = SWindow;
    SOUI_CLASS_NAME(SRefuser, L"refuser")
    BOOL CreateChildren(pugi::xml_node node) override
    {
        return Base::CreateChildren(node) && FindChildByName(L"needed", 1) != nullptr;
    }
};
}  // namespace

TEST(layout, a_child_that_refuses_its_layout_is_removed_with_a_line)
{
    ASSERT_TRUE(SObjectFactoryMgr::getSingleton().Register<SRefuser>(true));
    LogCapture log;
    ProbeHost host(R"(<SOUI width="100" height="100"><root>
        <refuser name="bad" pos="0,0,-0,-0"><button name="bad_btn" pos="0,0,-0,-0"/></refuser>
        <window name="holder"><refuser name="nested_bad"/></window>
        <refuser name="good"><window name="needed"/></refuser>
        <text name="after">x</text>
      </root></SOUI>)");
    ASSERT_NE(host.m_hWnd, nullptr);
    EXPECT_EQ(host.FindChildByName(L"bad"), nullptr);
    EXPECT_EQ(host.FindChildByName(L"bad_btn"), nullptr);
    EXPECT_EQ(host.FindChildByName(L"nested_bad"), nullptr);
    // Only the refusing widget goes: its parent and siblings stay.
    EXPECT_NE(host.FindChildByName(L"holder"), nullptr);
    EXPECT_NE(host.FindChildByName(L"good"), nullptr);
    EXPECT_NE(host.FindChildByName(L"after"), nullptr);
    EXPECT_TRUE(log.Contains(L"refuser 'bad' inside window '' refused its layout"));
    EXPECT_TRUE(log.Contains(L"refuser 'nested_bad' inside window 'holder' refused its layout"));
    EXPECT_FALSE(log.Contains(L"'good'"));
    // Nothing left behind answers the mouse where the removed widget was.
    host.MouseMove(50, 50);
    host.SendMessageW(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(50, 50));
    host.SendMessageW(WM_LBUTTONUP, 0, MAKELPARAM(50, 50));
    host.Pixel(0, 0);
}

TEST(layout, broken_or_missing_layout_creates_no_window)
{
    LogCapture log;
    SHostWnd missing(L"LAYOUT:nosuch");
    EXPECT_EQ(missing.Create(nullptr), nullptr);
    SHostWnd broken;
    EXPECT_FALSE(broken.SetLayoutXml("<SOUI><root></SOUI>"));
    EXPECT_EQ(broken.Create(nullptr), nullptr);
    SHostWnd noRoot;
    noRoot.SetLayoutXml("<SOUI width='10' height='10'/>");
    EXPECT_NE(noRoot.Create(nullptr), nullptr);
    EXPECT_TRUE(log.Contains(L"has no <root> element"));
}

TEST(layout, include_fills_a_tab_page_and_pages_switch)
{
    enginetest::Mem()->AddResource(L"LAYOUT", L"page_probe",
                                   R"(<include><text name="txt_key" pos="0,0,@50,@20">k</text></include>)");
    ProbeHost host(R"(<SOUI width="200" height="200"><root>
        <tabctrl name="tab_main" pos="0,0,-0,-0" tabHeight="0" curSel="0">
          <page title="a"><include src="LAYOUT:page_probe"/></page>
          <page title="b"><text name="txt_b" pos="0,0,@50,@20">b</text></page>
        </tabctrl></root></SOUI>)");
    auto* tab = host.FindChildByName2<STabCtrl>(L"tab_main");
    ASSERT_NE(tab, nullptr);
    SWindow* key = host.FindChildByName(L"txt_key");
    SWindow* b = host.FindChildByName(L"txt_b");
    ASSERT_NE(key, nullptr);
    EXPECT_TRUE(key->IsVisible(TRUE));
    EXPECT_FALSE(b->IsVisible(TRUE));
    EXPECT_TRUE(tab->SetCurSel(1));
    EXPECT_FALSE(key->IsVisible(TRUE));
    EXPECT_TRUE(b->IsVisible(TRUE));
    EXPECT_FALSE(tab->SetCurSel(2));
}

TEST(layout, text_state_attributes_and_user_data)
{
    ProbeHost host(kTree);
    SWindow* done = host.FindChildByName(L"btn_done");
    EXPECT_EQ(done->GetWindowTextW(), L"完成");
    done->SetWindowTextW(L"好");
    EXPECT_EQ(done->GetWindowTextW(), L"好");
    EXPECT_EQ(done->SetAttribute(L"tip", L"@string/ver", FALSE), S_FALSE);
    EXPECT_EQ(done->GetToolTipText(), L"1.1");
    done->SetUserData(42);
    EXPECT_EQ(done->GetUserData(), 42u);
    done->EnableWindow(FALSE);
    EXPECT_TRUE(done->IsDisabled());
    SWindow* body = host.FindChildByName(L"body");
    body->SetVisible(FALSE);
    EXPECT_FALSE(done->IsVisible(TRUE));
    EXPECT_TRUE(done->IsVisible(FALSE));
}

// What the back buffer holds: the colours of skins and states, pictures and text.
TEST(painting, states_show_in_the_back_buffer)
{
    ProbeHost host(R"(<SOUI width="200" height="120"><root colorBkgnd="#FFFFFF">
        <window name="red" pos="0,0,@20,@20" colorBkgnd="#FF0000"/>
        <button name="flat" pos="30,0,@60,@30" skin="skin.flat"/>
        <imgbtn name="img" pos="100,0,@16,@16" skin="skin.states3"/>
        <text name="txt" pos="0,40,@120,@30" colorText="#000000">开票助手</text>
      </root></SOUI>)");
    EXPECT_EQ(host.Pixel(10, 10), 0xFFFF0000);
    SWindow* flat = host.FindChildByName(L"flat");
    SWindow* img = host.FindChildByName(L"img");
    EXPECT_EQ(host.CenterPixel(flat), 0xFF102030u);
    EXPECT_EQ(host.CenterPixel(img), 0xFFFF0000u);

    host.MouseMove(40, 10);
    EXPECT_EQ(host.CenterPixel(flat), 0xFF405060u);
    host.SendMessageW(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(40, 10));
    EXPECT_EQ(host.CenterPixel(flat), 0xFF708090u);
    host.SendMessageW(WM_LBUTTONUP, 0, MAKELPARAM(40, 10));
    host.MouseMove(105, 5);
    EXPECT_EQ(host.CenterPixel(flat), 0xFF102030u);
    EXPECT_EQ(host.CenterPixel(img), 0xFF00FF00u);
    // The picture's half-transparent column blends over the white background.
    DWORD edge = host.Pixel(115, 5);
    EXPECT_NEAR(int(edge & 0xFF), 0x7F, 2);
    EXPECT_NEAR(int((edge >> 8) & 0xFF), 0xFF, 1);

    flat->EnableWindow(FALSE);
    EXPECT_EQ(host.CenterPixel(flat), 0xFFA0A0A0u);

    // Chinese text leaves dark, antialiased pixels in its box.
    host.Pixel(0, 0);
    int dark = 0, grey = 0;
    for (int y = 40; y < 70; ++y)
        for (int x = 0; x < 120; ++x) {
            DWORD p = host.Peek(x, y) & 0xFF;
            if (p < 0x40)
                ++dark;
            else if (p < 0xF0)
                ++grey;
        }
    EXPECT_GT(dark, 40);
    EXPECT_GT(grey, 10);
}

// A hidden translucent window spends nothing on pixels nobody sees, and shows what changed
// meanwhile the moment it is shown, whichever way it is shown.
TEST(painting, hidden_translucent_window_draws_when_shown_not_before)
{
    ProbeHost host(R"(<SOUI width="60" height="40" translucent="1"><root colorBkgnd="#FFFFFF">
        <window name="box" pos="0,0,@20,@20" colorBkgnd="#FF0000"/></root></SOUI>)");
    SWindow* box = host.FindChildByName(L"box");
    host.ShowWindow(SW_SHOWNOACTIVATE);
    enginetest::PumpUntil([] { return false; }, 50);
    ASSERT_EQ(host.Peek(10, 10), 0xFFFF0000u);
    struct Case {
        const char* how;
        std::function<void()> show;
        const wchar_t* colour;
        DWORD pixel;
    } cases[] = {
        {"ShowWindow", [&] { host.ShowWindow(SW_SHOWNOACTIVATE); }, L"#00FF00", 0xFF00FF00u},
        {"SetWindowPos",
         [&] {
             ::SetWindowPos(host.m_hWnd, nullptr, 0, 0, 0, 0,
                            SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
         },
         L"#0000FF", 0xFF0000FFu},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.how);
        const DWORD before = host.Peek(10, 10);
        host.ShowWindow(SW_HIDE);
        box->SetAttribute(L"colorBkgnd", c.colour, FALSE);
        box->Invalidate();
        enginetest::PumpUntil([] { return false; }, 50);
        EXPECT_EQ(host.Peek(10, 10), before) << "drawn while hidden";
        c.show();
        EXPECT_EQ(host.Peek(10, 10), c.pixel) << "shown without what changed";
    }
}
