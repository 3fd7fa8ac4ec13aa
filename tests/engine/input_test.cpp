#include <gtest/gtest.h>
#include "enginetestenv.h"
#include "engine/lists/SListView.h"

using namespace SOUI;

namespace {
std::vector<std::wstring> g_calls;

// Notes every wheel turn and key it is given; uses them when "take" says so.
class SProbe : public SWindow {
public:
    using Base = SWindow;
    SOUI_CLASS_NAME(SProbe, L"inputprobe")
    BOOL OnMouseWheel(int delta) override
    {
        g_calls.push_back(m_name + L" wheel " + std::to_wstring(delta));
        return take;
    }
    BOOL OnKeyDown(UINT vk) override
    {
        g_calls.push_back(m_name + L" key " + std::to_wstring(vk));
        return take;
    }
    void OnMouseLeave() override
    {
        SWindow* now = GetHostWnd()->GetHoverWidget();
        g_calls.push_back(m_name + L" left for " + (now ? now->GetName() : L"nothing"));
        Base::OnMouseLeave();
    }
    BOOL take = FALSE;
};

const char kNested[] = R"(<SOUI width="300" height="200"><root>
    <inputprobe name="outer" pos="0,0,-0,@140">
      <inputprobe name="inner" pos="10,10,@100,@100">
        <button name="btn" pos="0,0,@30,@30"/>
      </inputprobe>
    </inputprobe>
    <edit name="edit" pos="0,150,-0,@30"/>
  </root></SOUI>)";

class InputHost : public SHostWnd {
public:
    explicit InputHost(const char* xml)
    {
        SObjectFactoryMgr::getSingleton().Register<SProbe>(true);
        SObjectFactoryMgr::getSingleton().Register<SListView>(true);
        SetLayoutXml(xml);
        Create(nullptr, 0, 0, 50, 50);
        ShowWindow(SW_SHOWNOACTIVATE);
        g_calls.clear();
    }
    SProbe* Probe(const wchar_t* name) { return FindChildByName2<SProbe>(name); }
    // WM_MOUSEWHEEL carries screen coordinates.
    void Wheel(POINT client, int delta, HWND to = nullptr)
    {
        POINT pt = client;
        ClientToScreen(m_hWnd, &pt);
        ::SendMessageW(to ? to : m_hWnd, WM_MOUSEWHEEL, MAKEWPARAM(0, WORD(short(delta))), MAKELPARAM(pt.x, pt.y));
    }
    void Key(UINT vk) { SendMessageW(WM_KEYDOWN, vk, 1); }
};

POINT Centre(SWindow* w)
{
    RECT rc = w->GetWindowRect();
    return POINT{(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
}

// Rows "row n" with a button each.
class NumberRows : public SAdapterBase {
public:
    explicit NumberRows(int n) : m_count(n) {}
    int getCount() override { return m_count; }
    void getView(int position, SWindow* item, pugi::xml_node tpl) override
    {
        if (item->GetChildren().empty())
            item->InitFromXml(tpl);
        if (SWindow* t = item->FindChildByName(L"txt"))
            t->SetWindowTextW(L"row " + std::to_wstring(position));
    }

private:
    int m_count;
};
}  // namespace

// The wheel starts at the widget under the mouse and climbs until one uses it.
TEST(input, wheel_goes_to_the_widget_under_the_mouse_then_its_parents)
{
    struct Case {
        const char* why;
        const wchar_t* at;
        bool innerTakes, innerDisabled;
        std::vector<std::wstring> calls;
    };
    const Case cases[] = {
        {"a button does not scroll: its parent gets it", L"btn", true, false, {L"inner wheel -120"}},
        {"unused by the parent: on to the grandparent",
         L"btn",
         false,
         false,
         {L"inner wheel -120", L"outer wheel -120"}},
        {"a disabled widget is passed over", L"inner", true, true, {L"outer wheel -120"}},
        {"under the mouse is the outer one itself", L"outer", false, false, {L"outer wheel -120"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        InputHost host(kNested);
        host.Probe(L"outer")->take = TRUE;
        host.Probe(L"inner")->take = c.innerTakes;
        if (c.innerDisabled)
            host.Probe(L"inner")->EnableWindow(FALSE);
        POINT at = std::wstring(c.at) == L"outer" ? POINT{250, 120} : Centre(host.FindChildByName(c.at));
        host.Wheel(at, -WHEEL_DELTA);
        EXPECT_EQ(g_calls, c.calls);
    }
    // Nothing under the mouse: nobody is asked.
    InputHost host(kNested);
    host.Wheel(POINT{-50, -50}, WHEEL_DELTA);
    EXPECT_TRUE(g_calls.empty());
}

TEST(input, keys_go_to_the_focus_widget_while_the_host_has_the_focus)
{
    InputHost host(kNested);
    host.Key(VK_DOWN);
    EXPECT_TRUE(g_calls.empty()) << "no focus widget yet";

    SProbe* inner = host.Probe(L"inner");
    inner->SetFocus();
    EXPECT_EQ(host.GetFocusedWidget(), inner);
    EXPECT_EQ(GetFocus(), host.m_hWnd);
    host.Key(VK_DOWN);
    EXPECT_EQ(g_calls, std::vector<std::wstring>{L"inner key 40"});

    // Disabled or hidden, it gets nothing; hidden, it stops being the focus widget.
    g_calls.clear();
    inner->EnableWindow(FALSE);
    host.Key(VK_UP);
    inner->EnableWindow(TRUE);
    host.Probe(L"outer")->SetVisible(FALSE);
    EXPECT_EQ(host.GetFocusedWidget(), nullptr);
    host.Key(VK_UP);
    EXPECT_TRUE(g_calls.empty());

    // A focus widget that is destroyed leaves nothing behind to call.
    host.Probe(L"outer")->SetVisible(TRUE);
    inner->SetFocus();
    ASSERT_TRUE(host.Probe(L"outer")->DestroyChild(inner));
    EXPECT_EQ(host.GetFocusedWidget(), nullptr);
    host.Key(VK_DOWN);
    EXPECT_TRUE(g_calls.empty());
}

// A native edit keeps its own focus and keys; its wheel goes by the mouse position.
TEST(input, native_edit_keeps_its_focus_and_passes_the_wheel_on)
{
    InputHost host(kNested);
    auto* edit = host.FindChildByName2<SEdit>(L"edit");
    ASSERT_TRUE(edit && edit->GetNativeWnd());
    host.Probe(L"inner")->SetFocus();
    edit->SetFocus();
    EXPECT_EQ(GetFocus(), edit->GetNativeWnd());
    EXPECT_EQ(host.GetFocusedWidget(), edit);
    ::SendMessageW(edit->GetNativeWnd(), WM_KEYDOWN, VK_END, 1);
    ::SendMessageW(edit->GetNativeWnd(), WM_CHAR, L'票', 1);
    EXPECT_EQ(edit->GetWindowTextW(), L"票");
    EXPECT_TRUE(g_calls.empty()) << "a key typed into the edit reached a widget";

    host.Probe(L"inner")->take = TRUE;
    host.Wheel(Centre(host.Probe(L"inner")), WHEEL_DELTA, edit->GetNativeWnd());
    EXPECT_EQ(g_calls, std::vector<std::wstring>{L"inner wheel 120"});
}

// The list view uses both: the wheel over a row (or its button) scrolls the list; a list with
// nothing to scroll passes the wheel on to its parent.
TEST(input, list_view_scrolls_with_the_wheel_and_moves_with_keys)
{
    InputHost host(R"(<SOUI width="300" height="200"><root>
        <inputprobe name="page" pos="0,0,-0,-0">
          <listview name="lv" pos="0,0,-0,@100">
            <template itemHeight="20"><text name="txt" pos="0,0,-40,-0"/>
              <button name="btn_row" pos="-36,2,@30,@16"/></template>
          </listview>
        </inputprobe>
      </root></SOUI>)");
    auto* lv = host.FindChildByName2<SListView>(L"lv");
    ASSERT_TRUE(lv);
    host.Probe(L"page")->take = TRUE;
    host.Wheel(Centre(lv), -WHEEL_DELTA);
    EXPECT_EQ(g_calls, std::vector<std::wstring>{L"page wheel -120"});

    g_calls.clear();
    SAutoRefPtr<NumberRows> rows;
    rows.Attach(new NumberRows(30));
    lv->SetAdapter(rows);
    SItemPanel* first = lv->GetItemPanel(0);
    ASSERT_TRUE(first);
    SWindow* btn = first->FindChildByName(L"btn_row");
    ASSERT_TRUE(btn);
    host.Wheel(Centre(btn), -WHEEL_DELTA);
    EXPECT_GT(lv->GetScrollPos(), 0);
    host.Wheel(Centre(lv), WHEEL_DELTA * 100);
    EXPECT_EQ(lv->GetScrollPos(), 0);
    EXPECT_TRUE(g_calls.empty());

    lv->SetFocus();
    host.Key(VK_END);
    EXPECT_EQ(lv->GetSel(), 29);
    EXPECT_GT(lv->GetScrollPos(), 0);
}

// A row is told where the mouse went, so "onto my button" and "out of me" differ.
TEST(input, mouse_leave_tells_where_the_mouse_went)
{
    struct Case {
        const char* why;
        const wchar_t* to;  // nullptr: out of the window
        const wchar_t* heard;
    };
    const Case cases[] = {
        {"onto its own button", L"btn", L"inner left for btn"},
        {"onto its parent", L"outer", L"inner left for outer"},
        {"out of the window", nullptr, L"inner left for nothing"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        InputHost host(kNested);
        POINT in = {105, 105};  // inside "inner", beside its button
        host.SendMessageW(WM_MOUSEMOVE, 0, MAKELPARAM(in.x, in.y));
        ASSERT_EQ(host.GetHoverWidget(), host.Probe(L"inner"));
        g_calls.clear();
        if (!c.to) {
            host.SendMessageW(WM_MOUSELEAVE);
        } else {
            POINT to = std::wstring(c.to) == L"outer" ? POINT{250, 120} : Centre(host.FindChildByName(c.to));
            host.SendMessageW(WM_MOUSEMOVE, 0, MAKELPARAM(to.x, to.y));
        }
        EXPECT_EQ(g_calls, std::vector<std::wstring>{c.heard});
    }
}

// A list row stays the hover row while the mouse is on its button, whatever the real cursor.
TEST(input, list_row_keeps_hover_while_on_its_button)
{
    InputHost host(R"(<SOUI width="300" height="200"><root>
        <listview name="lv" pos="0,0,-0,@100">
          <template itemHeight="20"><text name="txt" pos="0,0,-40,-0"/>
            <button name="btn_row" pos="-36,2,@30,@16"/></template>
        </listview>
      </root></SOUI>)");
    auto* lv = host.FindChildByName2<SListView>(L"lv");
    ASSERT_TRUE(lv);
    SAutoRefPtr<NumberRows> rows;
    rows.Attach(new NumberRows(10));
    lv->SetAdapter(rows);
    auto move = [&](POINT pt) { host.SendMessageW(WM_MOUSEMOVE, 0, MAKELPARAM(pt.x, pt.y)); };
    SWindow* btn1 = lv->GetItemPanel(1)->FindChildByName(L"btn_row");
    move(POINT{20, 30});
    EXPECT_EQ(lv->GetHoverItem(), 1);
    move(Centre(btn1));
    EXPECT_EQ(lv->GetHoverItem(), 1);
    move(POINT{20, 50});
    EXPECT_EQ(lv->GetHoverItem(), 2);
    host.SendMessageW(WM_MOUSELEAVE);
    EXPECT_EQ(lv->GetHoverItem(), -1);
}

// A translucent host's edits are native pop-ups over it, raised after each activation; when
// one lies under the host after all, a click that reaches the host over it still gives it
// the keyboard (a company input window opened over an active main window did not).
TEST(input, click_on_a_covered_popup_edit_gives_it_the_keyboard)
{
    InputHost host(R"(<SOUI width="300" height="120" translucent="1"><root>
        <edit name="first" pos="10,10,-10,@30"/>
        <edit name="second" pos="10,60,-10,@30"/>
      </root></SOUI>)");
    auto* first = host.FindChildByName2<SEdit>(L"first");
    auto* second = host.FindChildByName2<SEdit>(L"second");
    ASSERT_TRUE(first && second && second->GetNativeWnd());
    first->SetFocus();
    ASSERT_EQ(GetFocus(), first->GetNativeWnd());
    // The second edit under its host, as it was found.
    ::SetWindowPos(second->GetNativeWnd(), host.m_hWnd, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    const POINT at = Centre(second);
    host.SendMessageW(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(at.x, at.y));
    host.SendMessageW(WM_LBUTTONUP, 0, MAKELPARAM(at.x, at.y));
    EXPECT_EQ(GetFocus(), second->GetNativeWnd());
    EXPECT_EQ(host.GetFocusedWidget(), second);
}
