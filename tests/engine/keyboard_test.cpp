// Keys as a person presses them in a host window: Tab through the stops, Enter and Escape on
// the window's buttons, the keyboard handed back on activation, and the cue on a focused button.
#include <gtest/gtest.h>
#include "enginetestenv.h"

using namespace SOUI;

namespace {

const char kForm[] = R"(<SOUI width="320" height="220" %s><root colorBkgnd="#FFFFFF">
    <edit name="first" pos="10,10,@120,@30"/>
    <button name="skipped" pos="140,10,@60,@30" focusable="0"/>
    <window name="box" pos="10,50,-10,@40">
      <button name="ok" id="1" pos="0,0,@60,@30">OK</button>
      <button name="hidden" pos="70,0,@60,@30"/>
    </window>
    <button name="disabled" pos="10,100,@60,@30"/>
    <edit name="second" pos="80,100,@120,@30"/>
    <button name="cancel" id="2" pos="10,150,@60,@30"/>
  </root></SOUI>)";

std::string Form(bool translucent)
{
    char buf[1024];
    snprintf(buf, sizeof(buf), kForm, translucent ? "translucent=\"1\"" : "");
    return buf;
}

class FormHost : public SHostWnd {
public:
    explicit FormHost(bool translucent = false)
    {
        SetLayoutXml(Form(translucent).c_str());
        Create(nullptr, 0, 0, 60, 60);
        FindChildByName(L"hidden")->SetVisible(FALSE);
        FindChildByName(L"disabled")->EnableWindow(FALSE);
        for (const wchar_t* n : {L"ok", L"cancel", L"skipped"})
            AddEventHandler(EVT_CMD, n, [this, n](EventArgs*) {
                pressed.push_back(n);
                return true;
            });
        ShowWindow(SW_SHOW);
        SetForegroundWindow(m_hWnd);
        enginetest::PumpUntil([&] { return GetForegroundWindow() == m_hWnd || GetFocus() != nullptr; }, 1000);
    }
    SEdit* Edit(const wchar_t* name) { return FindChildByName2<SEdit>(name); }
    // The name of the widget that has the keyboard, by where the native focus is.
    std::wstring Focused() const
    {
        HWND f = GetFocus();
        SWindow* w = GetFocusedWidget();
        if (!w)
            return L"(none)";
        if (auto* e = dynamic_cast<SEdit*>(w))
            return e->GetNativeWnd() == f ? w->GetName() : L"(lost)";
        return f == m_hWnd ? w->GetName() : L"(lost)";
    }
    // A key as the focused window receives it.
    void Key(UINT vk, bool shift = false)
    {
        BYTE state[256];
        GetKeyboardState(state);
        BYTE old = state[VK_SHIFT];
        state[VK_SHIFT] = shift ? 0x80 : 0;
        SetKeyboardState(state);
        HWND to = GetFocus();
        ::SendMessageW(to, WM_KEYDOWN, vk, 1);
        if (::IsWindow(to))
            ::SendMessageW(to, WM_KEYUP, vk, 0xC0000001);
        state[VK_SHIFT] = old;
        SetKeyboardState(state);
    }
    std::vector<std::wstring> pressed;
};

}  // namespace

TEST(keyboard, tab_and_shift_tab_walk_the_stops_in_layout_order)
{
    // Layered hosts keep their edits in pop-ups of their own, plain hosts in child windows.
    for (bool translucent : {false, true}) {
        SCOPED_TRACE(translucent ? "translucent" : "plain");
        FormHost host(translucent);
        host.Edit(L"first")->SetFocus();
        std::vector<std::wstring> seen;
        for (int i = 0; i < 4; ++i) {
            host.Key(VK_TAB);
            seen.push_back(host.Focused());
        }
        EXPECT_EQ(seen, (std::vector<std::wstring>{L"ok", L"second", L"cancel", L"first"}));
        seen.clear();
        for (int i = 0; i < 4; ++i) {
            host.Key(VK_TAB, true);
            seen.push_back(host.Focused());
        }
        EXPECT_EQ(seen, (std::vector<std::wstring>{L"cancel", L"second", L"ok", L"first"}));
        // Tab is never typed into an edit, nor does it press anything.
        EXPECT_EQ(host.Edit(L"first")->GetWindowTextW(), L"");
        EXPECT_TRUE(host.pressed.empty());
        // On from a button that its own press disabled, in either direction.
        SWindow* ok = host.FindChildByName(L"ok");
        for (bool back : {true, false}) {
            ok->EnableWindow(TRUE);
            ok->SetFocus();
            ok->EnableWindow(FALSE);
            host.Key(VK_TAB, back);
            EXPECT_EQ(host.Focused(), back ? L"first" : L"second");
        }
    }
}

TEST(keyboard, enter_escape_and_space_press_the_windows_buttons)
{
    struct Case {
        const char* why;
        const wchar_t* focus;
        std::vector<UINT> keys;
        std::vector<std::wstring> pressed;
        const wchar_t* typed;  // what the "first" edit holds afterwards
    };
    const Case cases[] = {
        {"Enter in an edit: the default button (numbered IDOK)", L"first", {VK_RETURN}, {L"ok"}, L""},
        {"Escape in an edit: the cancel button (numbered IDCANCEL)", L"first", {VK_ESCAPE}, {L"cancel"}, L""},
        {"Enter on a focused button presses that one", L"cancel", {VK_RETURN}, {L"cancel"}, L""},
        {"Space on a focused button presses it", L"cancel", {VK_SPACE}, {L"cancel"}, L""},
        {"Space in an edit is a space", L"first", {VK_SPACE}, {}, L" "},
        {"Tab then Enter: the button tabbed to", L"first", {VK_TAB, VK_RETURN}, {L"ok"}, L""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        FormHost host;
        SWindow* start = host.FindChildByName(c.focus);
        start->SetFocus();
        for (UINT vk : c.keys) {
            HWND to = GetFocus();
            host.Key(vk);
            // What TranslateMessage makes of the key.
            if (vk == VK_SPACE || vk == VK_RETURN || vk == VK_ESCAPE)
                if (::IsWindow(to))
                    ::SendMessageW(to, WM_CHAR, vk == VK_SPACE ? L' ' : vk, 1);
        }
        EXPECT_EQ(host.pressed, c.pressed);
        EXPECT_EQ(host.Edit(L"first")->GetWindowTextW(), c.typed);
    }

    // None set, or the one set disabled: the keys do nothing.
    FormHost host;
    host.Edit(L"second")->SetFocus();
    host.SetDefaultButton(nullptr);
    host.SetCancelButton(host.FindChildByName(L"disabled"));
    host.Key(VK_RETURN);
    host.Key(VK_ESCAPE);
    EXPECT_TRUE(host.pressed.empty());
    // Named ones win over the numbered ones.
    host.SetDefaultButton(host.FindChildByName(L"cancel"));
    host.Key(VK_RETURN);
    EXPECT_EQ(host.pressed, std::vector<std::wstring>{L"cancel"});
}

TEST(keyboard, activation_gives_the_keyboard_back)
{
    FormHost host(true);
    FormHost other;
    // Never focused before: the first stop.
    SetActiveWindow(host.m_hWnd);
    enginetest::PumpUntil([&] { return host.Focused() == L"first"; }, 1000);
    EXPECT_EQ(host.Focused(), L"first");

    struct Case {
        const wchar_t* had;
    } cases[] = {{L"second"}, {L"cancel"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(c.had)));
        host.FindChildByName(c.had)->SetFocus();
        SetActiveWindow(other.m_hWnd);
        enginetest::PumpUntil([&] { return GetActiveWindow() == other.m_hWnd; }, 1000);
        SetActiveWindow(host.m_hWnd);
        enginetest::PumpUntil([&] { return host.Focused() == c.had; }, 1000);
        EXPECT_EQ(host.Focused(), c.had);
    }
    // A remembered widget that went away: the first stop again.
    host.FindChildByName(L"second")->SetFocus();
    SetActiveWindow(other.m_hWnd);
    host.FindChildByName(L"second")->SetVisible(FALSE);
    SetActiveWindow(host.m_hWnd);
    enginetest::PumpUntil([&] { return host.Focused() == L"first"; }, 1000);
    EXPECT_EQ(host.Focused(), L"first");
}

// A focused button looks hovered; unless "drawFocusRect" is 0 it also gets a dotted frame.
TEST(keyboard, focused_button_shows_a_cue)
{
    FormHost host;
    SWindow* ok = host.FindChildByName(L"ok");
    const RECT rc = ok->GetWindowRect();
    auto pixel = [&](int x, int y) {
        host.UpdateNow();
        return GetPixel(host.GetRenderTarget()->GetDC(), x, y) & 0xFFFFFF;
    };
    auto face = [&] {
        std::vector<COLORREF> all;
        for (int y = rc.top; y < rc.bottom; ++y)
            for (int x = rc.left; x < rc.right; ++x)
                all.push_back(pixel(x, y));
        return all;
    };
    const std::vector<COLORREF> plain = face();

    ok->SetFocus();
    EXPECT_NE(face(), plain) << "no hover look";
    EXPECT_EQ(pixel(rc.left + 3, rc.top + 3), RGB(0, 0, 0)) << "no dotted frame";
    EXPECT_NE(pixel(rc.left + 4, rc.top + 3), RGB(0, 0, 0)) << "not dotted";

    ok->SetAttribute(L"drawFocusRect", L"0", FALSE);
    ok->Invalidate();
    EXPECT_NE(face(), plain) << "no cue left without the frame";
    EXPECT_EQ(pixel(rc.left + 3, rc.top + 3), pixel(rc.left + 4, rc.top + 3)) << "a frame where none is wanted";

    host.Edit(L"first")->SetFocus();
    EXPECT_EQ(face(), plain) << "the cue stayed behind";
}
