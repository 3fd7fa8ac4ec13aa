#include <gtest/gtest.h>
#include <functional>
#include <memory>
#include <string>
#include <vector>
#include "ctrlstestenv.h"
#include "extend.ctrls/ssearchdropdownlist.h"
#include "rowsadapter.h"

using namespace SOUI;
using ctrlstest::PumpUntil;

namespace {

// The main window's search box, cut down to what the control relies on.
std::string Layout(const char* popupRoot)
{
    return std::string(R"(<SOUI width="460" height="120"><root colorBkgnd="#FFFFFF">
  <searchDropdownList name="edit_search" pos="10,40,-10,@44" maxDropHeight="400" colorBkgnd="#FFFFFF"
                      margin="1" colorBorder="@color/border">
    <edit name="edit_input" pos="0,0,-0,-0"/>
    <popupStyle translucent="1" resizable="0" sendWheel2Hover="1">)") +
           popupRoot + R"(</popupStyle>
  </searchDropdownList>
</root></SOUI>)";
}

const char kPopupRoot[] = R"xml(
      <root colorBorder="@color/border" margin="0" colorBkgnd="@color/gray">
        <listview name="lv_dropdown" pos="0,0,-0,-0" margin="1">
          <template itemHeight="47" colorNormal="#FFFFFF" colorSelected="#e4f0fc" colorHover="#e4f0fc">
            <window name="line_wrapper" pos="0,0,-0,-0">
              <text name="txt_key" pos="12,0,-72,-1" valign="center"/>
              <button name="btn_import" skin="skin.flat" pos="-64,11,@52,@24"/>
            </window>
            <window pos="0,-1,-0,-0" colorBkgnd="rgb(238,238,238)"/>
          </template>
        </listview>
      </root>)xml";

RECT ScreenRect(HWND hwnd)
{
    RECT rc = {};
    GetWindowRect(hwnd, &rc);
    return rc;
}

void SendMouse(DWORD flags, POINT screen)
{
    INPUT in = {};
    in.type = INPUT_MOUSE;
    in.mi.dx = LONG(screen.x * 65535 / (GetSystemMetrics(SM_CXSCREEN) - 1));
    in.mi.dy = LONG(screen.y * 65535 / (GetSystemMetrics(SM_CYSCREEN) - 1));
    // Every event carries its point: a press must not land where the cursor was before.
    in.mi.dwFlags = flags | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    SendInput(1, &in, sizeof(in));
}

// A real click at a screen point, with the messages it causes handled.
void RealClick(POINT screen)
{
    SendMouse(0, screen);
    ctrlstest::PumpFor(30);
    SendMouse(MOUSEEVENTF_LEFTDOWN, screen);
    ctrlstest::PumpFor(30);
    SendMouse(MOUSEEVENTF_LEFTUP, screen);
    ctrlstest::PumpFor(50);
}

void RealType(wchar_t c)
{
    INPUT in[2] = {};
    for (auto& i : in) {
        i.type = INPUT_KEYBOARD;
        i.ki.wScan = c;
        i.ki.dwFlags = KEYEVENTF_UNICODE;
    }
    in[1].ki.dwFlags |= KEYEVENTF_KEYUP;
    SendInput(2, in, sizeof(INPUT));
}

void RealKey(UINT vk)
{
    INPUT in[2] = {};
    for (auto& i : in) {
        i.type = INPUT_KEYBOARD;
        i.ki.wVk = WORD(vk);
    }
    in[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, in, sizeof(INPUT));
}

class SearchTest : public ::testing::Test {
protected:
    // Builds the host at a screen position; rows is what the fill handler shows, or -1 to decline.
    void Open(int x, int y, const char* popupRoot = kPopupRoot)
    {
        host = std::make_unique<SHostWnd>();
        ASSERT_TRUE(host->SetLayoutXml(Layout(popupRoot).c_str()));
        ASSERT_TRUE(host->Create(nullptr, 0, 0, x, y));
        host->ShowWindow(SW_SHOW);
        SetForegroundWindow(host->m_hWnd);
        control = host->FindChildByName2<SSearchDropdownList>(L"edit_search");
        ASSERT_TRUE(control);
        edit = control->FindChildByName2<SEdit>(L"edit_input");
        ASSERT_TRUE(edit);
        edit->SetFocus();
        // Wine raises an activated window on the display a moment later; a pop-up shown
        // before that works but is drawn under the host.
        ctrlstest::PumpFor(300);
        host->AddEventHandler(EventFillSearchDropdownList::EventID, L"edit_search", [this](EventArgs* e) {
            auto* fill = static_cast<EventFillSearchDropdownList*>(e);
            keys.push_back(fill->strKey);
            pops.push_back(fill->pDropdownList ? fill->pDropdownList->m_hWnd : nullptr);
            return FillWithRows(fill, rows);
        });
        host->AddEventHandler(EventDropdownListSelected::EventID, L"edit_search", [this](EventArgs* e) {
            selected.push_back(static_cast<EventDropdownListSelected*>(e)->nSelIndex);
            return true;
        });
        host->AddEventHandler(EVT_CMD, L"btn_import", [this](EventArgs*) {
            ++importCommands;
            return true;
        });
        host->AddEventHandler(EVT_CMD, L"lv_dropdown", [this](EventArgs*) {
            ++listCommandsAtHost;
            return true;
        });
    }
    void TearDown() override
    {
        host.reset();
        ctrlstest::PumpFor(20);  // lets pop-ups that ended inside their own messages go
    }

    // A character typed into the native edit, through the application's loop.
    void Type(wchar_t c)
    {
        // The fill runs inside the edit's change notification, so a changed text means it ran.
        size_t before = edit->GetWindowTextW().size();
        PostMessageW(edit->GetNativeWnd(), WM_CHAR, c, 0);
        PumpUntil([&] { return edit->GetWindowTextW().size() > before; }, 2000);
    }
    // A key pressed while the edit has the focus: down, then up.
    void Key(UINT vk)
    {
        PostMessageW(edit->GetNativeWnd(), WM_KEYDOWN, vk, 1);
        PostMessageW(edit->GetNativeWnd(), WM_KEYUP, vk, 0xC0000001);
        ctrlstest::PumpFor(30);
    }
    // The pop-up's window while a search shows it.
    HWND PopupHwnd() const { return control->IsDroppedDown() ? control->GetDropdownList()->m_hWnd : nullptr; }
    RECT ControlOnScreen() const
    {
        RECT rc = control->GetWindowRect();
        MapWindowPoints(host->m_hWnd, nullptr, reinterpret_cast<POINT*>(&rc), 2);
        return rc;
    }
    POINT OnScreen(SWindow* w) const
    {
        RECT rc = w->GetWindowRect();
        POINT pt = {(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
        ClientToScreen(w->GetHostWnd()->m_hWnd, &pt);
        return pt;
    }
    SListView* PopupList() const { return control->GetDropdownList()->GetListView(); }

    std::unique_ptr<SHostWnd> host;
    SSearchDropdownList* control = nullptr;
    SEdit* edit = nullptr;
    int rows = 3;
    std::vector<std::wstring> keys;
    // The window of each fill's pop-up: unlike an object's address, which a freed and remade
    // pop-up can land on again, a handle is not given to another window while the first lives.
    std::vector<HWND> pops;
    std::vector<int> selected;
    int importCommands = 0;
    int listCommandsAtHost = 0;
};

TEST_F(SearchTest, declined_fill_leaves_no_popup)
{
    Open(100, 100);
    rows = -1;
    Type(L'a');
    ASSERT_EQ(1u, keys.size());
    EXPECT_EQ(L"a", keys[0]);
    ASSERT_NE(nullptr, pops[0]) << "the fill event always carries a pop-up";
    EXPECT_FALSE(control->IsDroppedDown());
    EXPECT_FALSE(IsWindowVisible(pops[0]));
    // Keys meant for the edit stay there while nothing is shown: Enter chooses nothing.
    Key(VK_RETURN);
    Key(VK_DOWN);
    EXPECT_TRUE(selected.empty());
    // Every change asks again; the search goes on with the pop-up it has, emptied as new.
    Type(L'b');
    ASSERT_EQ(2u, keys.size());
    EXPECT_EQ(L"ab", keys[1]);
    EXPECT_EQ(pops[0], pops[1]) << "built again for a character";
    EXPECT_TRUE(IsWindow(pops[0])) << "built again for a character";
    EXPECT_FALSE(control->IsDroppedDown());
    rows = 2;
    Type(L'c');
    ASSERT_EQ(pops[0], PopupHwnd());
    EXPECT_TRUE(IsWindowVisible(PopupHwnd()));
    EXPECT_EQ(2, PopupList()->GetAdapter()->getCount());
    EXPECT_EQ(-1, PopupList()->GetSel());
    EXPECT_TRUE(selected.empty());

    // The search ends when the edit loses the keyboard; the hidden pop-up stays hidden.
    rows = -1;
    Type(L'd');
    HWND parked = pops.back();
    SetFocus(host->m_hWnd);
    ctrlstest::PumpFor(30);
    EXPECT_FALSE(IsWindowVisible(parked));
    EXPECT_NE(parked, GetCapture());
    edit->SetFocus();
    Type(L'e');
    EXPECT_TRUE(selected.empty());
}

// Every search after the first starts on the pop-up the first one made, hidden in between,
// with nothing left of the search before: no rows, no choice, no mouse or keys taken.
TEST_F(SearchTest, one_popup_serves_every_search)
{
    Open(100, 100);
    Type(L'a');
    ASSERT_TRUE(PopupHwnd());
    const HWND popup = PopupHwnd();
    struct Case {
        const char* ends;
        std::function<void()> act;
        std::vector<int> selected;
    } cases[] = {
        {"Escape", [&] { Key(VK_ESCAPE); }, {}},
        {"Enter on the second row",
         [&] {
             Key(VK_DOWN);
             Key(VK_RETURN);
         },
         {1}},
        {"the edit losing the keyboard",
         [&] {
             SetFocus(host->m_hWnd);
             ctrlstest::PumpFor(30);
         },
         {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.ends);
        selected.clear();
        edit->SetFocus();
        rows = 3;
        Type(L'b');
        ASSERT_EQ(popup, PopupHwnd()) << "a new window for a new search";
        Key(VK_DOWN);
        c.act();
        EXPECT_EQ(c.selected, selected);
        EXPECT_FALSE(control->IsDroppedDown());
        EXPECT_TRUE(IsWindow(popup));
        EXPECT_FALSE(IsWindowVisible(popup));
        EXPECT_NE(popup, GetCapture());
        // Hidden, it takes no keys and ends nothing: Enter and a click go where they were meant.
        edit->SetFocus();
        selected.clear();
        Key(VK_RETURN);
        RECT hostRc = ScreenRect(host->m_hWnd);
        RealClick(POINT{hostRc.left + 5, hostRc.top + 5});
        EXPECT_TRUE(selected.empty());

        edit->SetFocus();
        rows = 2;
        Type(L'c');
        ASSERT_EQ(popup, PopupHwnd());
        EXPECT_TRUE(IsWindowVisible(popup));
        EXPECT_EQ(-1, PopupList()->GetSel()) << "the last search's choice";
        EXPECT_EQ(2, PopupList()->GetAdapter()->getCount());
        EXPECT_EQ(96, ScreenRect(popup).bottom - ScreenRect(popup).top) << "sized for the last search";
        EXPECT_EQ(popup, GetCapture());
        Key(VK_ESCAPE);
    }

    // The control going takes the hidden pop-up with it, and the host the shown one.
    ASSERT_TRUE(control->GetParent()->DestroyChild(control));
    control = nullptr;
    EXPECT_FALSE(IsWindow(popup));
    Open(100, 100);
    Type(L'a');
    const HWND shown = PopupHwnd();
    ASSERT_TRUE(shown);
    Key(VK_DOWN);
    host.reset();
    EXPECT_FALSE(IsWindow(shown));
    ctrlstest::PumpFor(30);
    EXPECT_TRUE(selected.empty());
}

TEST_F(SearchTest, popup_sits_under_the_box_and_its_height_is_capped)
{
    Open(100, 100);
    // rows of 47 px + 2: eight fit under 400, nine are capped, none leaves the border.
    struct Case {
        int rows, height;
    } cases[] = {{3, 143}, {8, 378}, {9, 400}, {0, 2}};
    HWND first = nullptr;
    for (const auto& c : cases) {
        rows = c.rows;
        Type(L'x');
        HWND popup = PopupHwnd();
        ASSERT_TRUE(popup) << c.rows << " rows";
        if (!first)
            first = popup;
        EXPECT_TRUE(IsWindowVisible(popup));
        RECT box = ControlOnScreen(), rc = ScreenRect(popup);
        EXPECT_EQ(box.left, rc.left);
        EXPECT_EQ(box.right, rc.right);
        EXPECT_EQ(box.bottom, rc.top);
        EXPECT_EQ(c.height, rc.bottom - rc.top) << c.rows << " rows";
        // Every character refills the window the first one opened.
        EXPECT_EQ(first, popup) << "refilled, not created again";
        EXPECT_TRUE(IsWindow(first));
    }
    EXPECT_EQ(pops.front(), pops.back());
    // The pop-up is never the active window, and the edit keeps the keyboard.
    EXPECT_NE(PopupHwnd(), GetActiveWindow());
    EXPECT_EQ(edit->GetNativeWnd(), GetFocus());
}

TEST_F(SearchTest, popup_opens_upwards_near_the_bottom_of_the_monitor)
{
    MONITORINFO mi = {};
    mi.cbSize = sizeof(mi);
    GetMonitorInfoW(MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY), &mi);
    // The box ends 40 px above the monitor's bottom; three rows need 143.
    Open(100, mi.rcMonitor.bottom - 124);
    Type(L'x');
    ASSERT_TRUE(PopupHwnd());
    RECT box = ControlOnScreen(), rc = ScreenRect(PopupHwnd());
    EXPECT_EQ(box.top, rc.bottom);
    EXPECT_EQ(143, rc.bottom - rc.top);
}

TEST_F(SearchTest, keys_in_the_edit_choose_a_row)
{
    Open(100, 100);
    struct Case {
        std::vector<UINT> keys;
        std::vector<int> selected;
    } cases[] = {
        {{VK_DOWN, VK_RETURN}, {0}},
        {{VK_DOWN, VK_DOWN, VK_DOWN, VK_UP, VK_RETURN}, {1}},
        {{VK_RETURN}, {-1}},
        {{VK_DOWN, VK_ESCAPE}, {}},
    };
    for (const auto& c : cases) {
        selected.clear();
        Type(L'k');
        ASSERT_TRUE(PopupHwnd());
        int caret = -1;
        for (UINT vk : c.keys)
            Key(vk);
        SendMessageW(edit->GetNativeWnd(), EM_GETSEL, reinterpret_cast<WPARAM>(&caret), 0);
        EXPECT_EQ(c.selected, selected);
        EXPECT_FALSE(control->IsDroppedDown());
        EXPECT_EQ(int(edit->GetWindowTextW().size()), caret) << "the arrows never reached the edit";
    }
    EXPECT_EQ(0, listCommandsAtHost);

    // The wheel over the edit scrolls the list of a pop-up taller than its cap.
    rows = 20;
    Type(L'w');
    ASSERT_TRUE(PopupHwnd());
    PostMessageW(edit->GetNativeWnd(), WM_MOUSEWHEEL, MAKEWPARAM(0, WORD(-WHEEL_DELTA)), 0);
    ctrlstest::PumpFor(30);
    EXPECT_GT(PopupList()->GetScrollPos(), 0);
    EXPECT_TRUE(selected.empty());
}

TEST_F(SearchTest, real_clicks_on_a_row_button_and_on_a_row)
{
    Open(100, 100);
    RealType(L'q');
    ASSERT_TRUE(PumpUntil([&] { return PopupHwnd() != nullptr; }));
    const HWND popup = PopupHwnd();

    // The row's button: its command reaches the host; the pop-up stays and is not activated.
    RealClick(OnScreen(PopupList()->GetItemPanel(1)->FindChildByName(L"btn_import")));
    EXPECT_EQ(1, importCommands);
    EXPECT_EQ(popup, PopupHwnd());
    EXPECT_TRUE(selected.empty());
    EXPECT_NE(PopupHwnd(), GetActiveWindow());
    EXPECT_EQ(edit->GetNativeWnd(), GetFocus());
    // The same without the mouse captured (another window took it): a click never activates it.
    ReleaseCapture();
    RealClick(OnScreen(PopupList()->GetItemPanel(0)->FindChildByName(L"btn_import")));
    EXPECT_EQ(2, importCommands);
    EXPECT_EQ(popup, PopupHwnd());
    EXPECT_NE(PopupHwnd(), GetActiveWindow());
    EXPECT_EQ(edit->GetNativeWnd(), GetFocus());
    EXPECT_EQ(PopupHwnd(), GetCapture()) << "the pop-up takes the mouse back after a click";

    // Typing goes on in the edit and refills the same pop-up.
    RealType(L'w');
    ASSERT_TRUE(PumpUntil([&] { return keys.size() == 2; }));
    EXPECT_EQ(L"qw", keys[1]);
    EXPECT_EQ(popup, PopupHwnd());

    // A click on a row's text chooses that row; the list's command stops at the control.
    RealClick(OnScreen(PopupList()->GetItemPanel(2)->FindChildByName(L"txt_key")));
    EXPECT_EQ(std::vector<int>{2}, selected);
    EXPECT_FALSE(control->IsDroppedDown());
    EXPECT_EQ(0, listCommandsAtHost);

    // A click outside closes without a choice; the next character opens a new pop-up.
    RealType(L'e');
    ASSERT_TRUE(PumpUntil([&] { return PopupHwnd() != nullptr; }));
    RECT hostRc = ScreenRect(host->m_hWnd);
    RealClick(POINT{hostRc.left + 5, hostRc.top + 5});
    EXPECT_FALSE(control->IsDroppedDown());
    EXPECT_EQ(std::vector<int>{2}, selected);
}

// Whatever takes the keyboard or the mouse from the search ends the pop-up as cancelled: no
// choice is made behind the merchant's back.
TEST_F(SearchTest, popup_ends_unchosen_when_keyboard_or_mouse_go_elsewhere)
{
    Open(100, 100);
    SHostWnd other;
    ASSERT_TRUE(other.SetLayoutXml(R"(<SOUI width="80" height="60"><root/></SOUI>)"));
    ASSERT_TRUE(other.Create(nullptr, 0, 0, 600, 100));
    struct Case {
        const char* why;
        std::function<void()> act;
    } cases[] = {
        {"WM_CANCELMODE", [&] { SendMessageW(PopupHwnd(), WM_CANCELMODE, 0, 0); }},
        {"another window takes the mouse", [&] { SetCapture(other.m_hWnd); }},
        {"the edit loses the keyboard", [&] { SetFocus(host->m_hWnd); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        edit->SetFocus();
        Type(L'a');
        ASSERT_TRUE(PopupHwnd());
        Key(VK_DOWN);
        c.act();
        ctrlstest::PumpFor(30);
        EXPECT_FALSE(control->IsDroppedDown());
        EXPECT_TRUE(selected.empty());
        ReleaseCapture();
    }
}

namespace {
struct ModalRun {
    SearchTest* test = nullptr;
    INT_PTR result = 0;
    bool popupGoneBeforeKeys = false;
    int keysSent = 0;
} g_modal;

// Inside the dialog's loop: Enter on the keyboard once the dialog has it.
void CALLBACK TypeEnterIntoDialog(HWND, UINT, UINT_PTR id, DWORD)
{
    HWND dlg = FindWindowW(L"SOUIHOST", L"modal");
    if (!dlg || GetFocus() != dlg || GetForegroundWindow() != dlg)
        return;
    KillTimer(nullptr, id);
    ++g_modal.keysSent;
    RealKey(VK_RETURN);
}

// A dialog that the keys did not end is closed, so that the test fails instead of hanging.
void CALLBACK CloseDialog(HWND, UINT, UINT_PTR id, DWORD)
{
    KillTimer(nullptr, id);
    if (HWND dlg = FindWindowW(L"SOUIHOST", L"modal"))
        PostMessageW(dlg, WM_CLOSE, 0, 0);
}

// What the 1.5 s poll does when it needs the merchant: a modal window from a timer.
void CALLBACK OpenModalFromTimer(HWND, UINT, UINT_PTR id, DWORD)
{
    KillTimer(nullptr, id);
    SHostDialog dlg;
    dlg.SetLayoutXml(R"(<SOUI title="modal" width="200" height="100"><root>
        <button name="ok" id="1" pos="10,10,@80,@30">OK</button></root></SOUI>)");
    UINT_PTR typing = SetTimer(nullptr, 0, 20, TypeEnterIntoDialog);
    UINT_PTR watchdog = SetTimer(nullptr, 0, 3000, CloseDialog);
    g_modal.result = dlg.DoModal(nullptr);
    KillTimer(nullptr, typing);
    KillTimer(nullptr, watchdog);
}
}  // namespace

TEST_F(SearchTest, modal_window_over_an_open_popup_gets_the_keys_and_ends_it_unchosen)
{
    Open(100, 100);
    RealType(L'm');
    ASSERT_TRUE(PumpUntil([&] { return PopupHwnd() != nullptr; }));
    Key(VK_DOWN);
    ASSERT_EQ(0, PopupList()->GetSel());
    g_modal = ModalRun{};
    SetTimer(nullptr, 0, 10, OpenModalFromTimer);
    ASSERT_TRUE(PumpUntil([&] { return g_modal.result != 0; }, 5000)) << "the dialog never ended";
    EXPECT_EQ(1, g_modal.keysSent) << "the dialog never had the keyboard";
    EXPECT_EQ(IDOK, g_modal.result) << "Enter did not reach the dialog";
    EXPECT_FALSE(control->IsDroppedDown());
    EXPECT_TRUE(selected.empty()) << "a row was chosen behind the dialog";
    // The search works as before afterwards.
    edit->SetFocus();
    Type(L'n');
    EXPECT_TRUE(PopupHwnd());
}

namespace {
std::function<void()> g_insideModal;

void CALLBACK RunInsideModal(HWND, UINT, UINT_PTR id, DWORD)
{
    KillTimer(nullptr, id);
    if (g_insideModal)
        g_insideModal();
    if (HWND dlg = FindWindowW(L"SOUIHOST", L"modal"))
        PostMessageW(dlg, WM_CLOSE, 0, 0);
}

void CALLBACK OpenModalRunning(HWND, UINT, UINT_PTR id, DWORD)
{
    KillTimer(nullptr, id);
    SHostDialog dlg;
    dlg.SetLayoutXml(R"(<SOUI title="modal" width="200" height="100"><root>
        <button name="ok" id="1" pos="10,10,@80,@30">OK</button></root></SOUI>)");
    SetTimer(nullptr, 0, 20, RunInsideModal);
    g_modal.result = dlg.DoModal(nullptr);
}
}  // namespace

// The search box stays usable beside a modal window (the company prompt, a message box). The
// first search of a session typed there makes the pop-up inside that loop; after the window
// closes, the pop-up must still take the arrows and Enter, whether it stayed open or not.
TEST_F(SearchTest, popup_first_made_beside_a_modal_window_takes_keys_after_it)
{
    const bool leftOpen[] = {true, false};
    for (bool open : leftOpen) {
        SCOPED_TRACE(open ? "left open" : "ended inside");
        Open(100, 100);
        bool shownInside = false;
        g_insideModal = [&] {
            edit->SetFocus();
            Type(L'a');
            shownInside = PopupHwnd() != nullptr;
            if (!open)
                Key(VK_ESCAPE);
        };
        g_modal = ModalRun{};
        SetTimer(nullptr, 0, 10, OpenModalRunning);
        ASSERT_TRUE(PumpUntil([&] { return g_modal.result != 0; }, 5000)) << "the dialog never ended";
        g_insideModal = nullptr;
        ASSERT_TRUE(shownInside);
        SetForegroundWindow(host->m_hWnd);
        edit->SetFocus();
        Type(L'b');
        ASSERT_TRUE(PopupHwnd());
        selected.clear();
        Key(VK_DOWN);
        Key(VK_RETURN);
        EXPECT_EQ(std::vector<int>{0}, selected);
        EXPECT_FALSE(control->IsDroppedDown());
        TearDown();
    }
}

TEST_F(SearchTest, bad_templates_and_early_destruction)
{
    // No list in the template: nothing to fill, so no fill event and no pop-up left.
    {
        ctrlstest::LogCapture log;
        Open(100, 100, R"(<root><text name="not_a_list"/></root>)");
        Type(L'a');
        EXPECT_TRUE(keys.empty());
        EXPECT_EQ(nullptr, control->GetDropdownList());
        EXPECT_TRUE(log.Contains(L"lv_dropdown"));
    }

    // Destroyed while its pop-up is open: the pop-up goes too, as cancelled.
    Open(100, 100);
    Type(L'a');
    HWND popup = PopupHwnd();
    ASSERT_TRUE(popup);
    Key(VK_DOWN);
    ASSERT_TRUE(control->GetParent()->DestroyChild(control));
    control = nullptr;
    EXPECT_FALSE(IsWindow(popup));
    ctrlstest::PumpFor(30);
    EXPECT_TRUE(selected.empty());

    // No edit "edit_input": the control refuses its children.
    ctrlstest::LogCapture log;
    pugi::xml_document doc;
    doc.load_string(R"(<searchDropdownList><text name="x"/></searchDropdownList>)");
    SSearchDropdownList bare;
    EXPECT_FALSE(bare.CreateChildren(doc.first_child()));
    EXPECT_TRUE(log.Contains(L"edit_input"));
}

TEST_F(SearchTest, attributes)
{
    struct Case {
        const wchar_t* name;
        const wchar_t* value;
        int align, maxHeight;
    } cases[] = {
        {L"dropAlign", L"0", 0, 150},       {L"dropAlign", L"0x2", 2, 150},       {L"dropAlign", L"left", 0, 150},
        {L"maxDropHeight", L"400", 1, 400}, {L"maxDropHeight", L"0x100", 1, 256},
    };
    for (const auto& c : cases) {
        SSearchDropdownList s;
        EXPECT_EQ(S_FALSE, s.SetAttribute(c.name, c.value, FALSE)) << c.name << "=" << c.value;
        EXPECT_EQ(c.align, s.GetDropAlign()) << c.value;
        EXPECT_EQ(c.maxHeight, s.GetMaxDropHeight()) << c.value;
    }
}

}  // namespace
