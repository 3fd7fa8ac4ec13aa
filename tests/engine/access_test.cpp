// The host window's MSAA tree read through oleacc as a screen reader reads it: roles, names,
// states and places of the widgets, the rules a shown tree keeps, default actions run after
// the call, focus and selection events, and objects that outlive their widgets.
#include <gtest/gtest.h>
#include <oleacc.h>
#include "enginetestenv.h"
#include "engine/lists/SListView.h"
#include "msaatree.h"

using namespace SOUI;

namespace {

const char kForm[] = R"(<SOUI title="Form" width="300" height="260"><root colorBkgnd="#FFFFFF">
    <text name="label" pos="10,10,@80,@20">Label</text>
    <img pos="100,10,@10,@10" accRole="none"/>
    <imgbtn name="tipped" pos="120,10,@20,@20" tip="Close"/>
    <imgbtn name="named" pos="150,10,@20,@20" accName="Import"/>
    <window pos="10,40,-10,@40">
      <button name="ok" pos="0,0,@60,@30">OK</button>
      <button name="gone" pos="70,0,@60,@30" show="0">Gone</button>
      <button name="off" pos="140,0,@60,@30" enable="0">Off</button>
    </window>
    <window pos="10,85,-10,@40" accName="Group">
      <edit name="edit" pos="0,0,@120,@30" cueText="Type a name"/>
      <check name="check" pos="130,0,@80,@30">Check</check>
    </window>
    <tabctrl name="tabs" pos="10,130,-10,@60" tabHeight="20" tabWidth="60">
      <page title="One"><text pos="0,0,@50,@20">First</text></page>
      <page title="Two"><text pos="0,0,@50,@20">Second</text></page>
    </tabctrl>
    <listview name="list" pos="10,195,-10,@60" accName="Rows">
      <template itemHeight="20"><text name="txt" pos="0,0,@100,-0"/><button name="rowbtn" pos="-40,0,-0,-0">Go</button></template>
    </listview>
  </root></SOUI>)";

// Places relative to the window, at 96 dpi; the edit answers with its native window, one line high.
const wchar_t kFormTree[] = LR"(client "Form" [] (0,0 300x260)
  static text "Label" [readonly] (10,10 80x20)
  push button "Close" [focusable] (120,10 20x20) do:按下
  push button "Import" [focusable] (150,10 20x20) do:按下
  push button "OK" [focusable] (10,40 60x30) do:按下
  push button "Off" [unavailable focusable] (150,40 60x30) do:按下
  grouping "Group" [] (10,85 280x40)
    editable text "Type a name" [focusable] (14,@EDIT@) 
    check box "Check" [focusable] (140,85 80x30) do:选中
  page tab list "" [] (10,130 280x60)
    page tab "One" [selected selectable] (10,130 60x20) do:切换
      static text "First" [readonly] (10,150 50x20)
    page tab "Two" [selectable] (70,130 60x20) do:切换
  list "Rows" [] (10,195 280x60)
    list item "row 0" [selectable] (10,195 280x20) do:选择
      static text "row 0" [readonly] (10,195 100x20)
      push button "Go" [] (250,195 40x20) do:按下
    list item "row 1" [selectable] (10,215 280x20) do:选择
      static text "row 1" [readonly] (10,215 100x20)
      push button "Go" [] (250,215 40x20) do:按下
)";

class Rows : public SAdapterBase {
public:
    int getCount() override { return 2; }
    void getView(int position, SWindow* item, pugi::xml_node tpl) override
    {
        if (item->GetChildren().empty())
            item->InitFromXml(tpl);
        if (SWindow* t = item->FindChildByName(L"txt"))
            t->SetWindowTextW(L"row " + std::to_wstring(position));
    }
};

class FormHost : public SHostWnd {
public:
    explicit FormHost(const char* xml = kForm)
    {
        SObjectFactoryMgr::getSingleton().Register<SListView>(true);
        SetLayoutXml(xml);
        Create(nullptr, 0, 0, 40, 40);
        if (auto* list = FindChildByName2<SListView>(L"list")) {
            SAutoRefPtr<Rows> rows;
            rows.Attach(new Rows);
            list->SetAdapter(rows);
        }
        ShowWindow(SW_SHOWNOACTIVATE);
        for (const wchar_t* n : {L"ok", L"check", L"list", L"tipped", L"rowbtn"})
            AddEventHandler(EVT_CMD, n, [this, n](EventArgs*) {
                pressed.push_back(n);
                return true;
            });
    }
    AccNode Tree()
    {
        AccNode root;
        EXPECT_TRUE(ReadAccTree(m_hWnd, root));
        return root;
    }
    std::wstring Text()
    {
        RECT wr;
        ::GetWindowRect(m_hWnd, &wr);
        return FormatAccTree(Tree(), POINT{wr.left, wr.top});
    }
    std::vector<std::wstring> pressed;
};

std::string U8(const std::wstring& s)
{
    return ToUtf8(s);
}

// Clients of MSAA run in a COM apartment, as the program's UI thread does.
class access : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr))); }
    void TearDown() override { OleUninitialize(); }
};

}  // namespace

TEST_F(access, tree_of_a_form_reads_as_its_widgets)
{
    FormHost host;
    std::wstring expected = kFormTree;
    // The native edit's place depends on the font's line height: taken from the window itself.
    HWND edit = host.FindChildByName2<SEdit>(L"edit")->GetNativeWnd();
    RECT er, wr;
    ::GetWindowRect(edit, &er);
    ::GetWindowRect(host.m_hWnd, &wr);
    expected.replace(expected.find(L"14,@EDIT@) "), 11,
                     L"14," + std::to_wstring(er.top - wr.top) + L" 112x" + std::to_wstring(er.bottom - er.top) + L")");
    EXPECT_EQ(U8(host.Text()), U8(expected));
    // The edit's own window answers with the same object, and reads its text as the value.
    SetWindowTextW(edit, L"abc");
    IAccessible* acc = nullptr;
    ASSERT_EQ(AccessibleObjectFromWindow(edit, DWORD(OBJID_CLIENT), kIidAccessibleTest, reinterpret_cast<void**>(&acc)),
              S_OK);
    VARIANT self;
    VariantInit(&self);
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    BSTR name = nullptr, value = nullptr;
    EXPECT_EQ(acc->get_accName(self, &name), S_OK);
    EXPECT_EQ(acc->get_accValue(self, &value), S_OK);
    EXPECT_STREQ(name, L"Type a name");
    EXPECT_STREQ(value, L"abc");
    SysFreeString(name);
    SysFreeString(value);
    IDispatch* parent = nullptr;
    EXPECT_EQ(acc->get_accParent(&parent), S_OK);
    ASSERT_NE(parent, nullptr);
    IAccessible* group = nullptr;
    ASSERT_EQ(parent->QueryInterface(kIidAccessibleTest, reinterpret_cast<void**>(&group)), S_OK);
    EXPECT_EQ(group->get_accName(self, &name), S_OK);
    EXPECT_STREQ(name, L"Group");
    SysFreeString(name);
    group->Release();
    parent->Release();
    acc->Release();
}

namespace {
// What an object named in a VARIANT (itself or another object) reads as.
std::wstring NameOf(IAccessible* from, VARIANT v)
{
    IAccessible* acc = from;
    VARIANT self;
    VariantInit(&self);
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    if (v.vt == VT_DISPATCH && v.pdispVal) {
        if (FAILED(v.pdispVal->QueryInterface(kIidAccessibleTest, reinterpret_cast<void**>(&acc))))
            return L"(no object)";
    } else if (v.vt == VT_I4) {
        self = v;
        acc->AddRef();
    } else {
        return L"(empty)";
    }
    BSTR name = nullptr;
    acc->get_accName(self, &name);
    std::wstring s = name ? name : L"";
    SysFreeString(name);
    acc->Release();
    VariantClear(&v);
    return s;
}
}  // namespace

// Where a tool points or steps from one object to the next, and where the keyboard is.
TEST_F(access, hit_test_navigation_and_focus_name_the_widgets)
{
    FormHost host;
    IAccessible* root = nullptr;
    ASSERT_EQ(AccessibleObjectFromWindow(host.m_hWnd, DWORD(OBJID_CLIENT), kIidAccessibleTest,
                                         reinterpret_cast<void**>(&root)),
              S_OK);
    RECT ok = host.FindChildByName(L"ok")->GetAccScreenRect();
    VARIANT v, self;
    VariantInit(&self);
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    EXPECT_EQ(root->accHitTest((ok.left + ok.right) / 2, (ok.top + ok.bottom) / 2, &v), S_OK);
    EXPECT_EQ(U8(NameOf(root, v)), "OK");
    // A row's button, over its row, over the list.
    RECT go =
        host.FindChildByName2<SListView>(L"list")->GetItemPanel(1)->FindChildByName(L"rowbtn")->GetAccScreenRect();
    EXPECT_EQ(root->accHitTest(go.left + 2, go.top + 2, &v), S_OK);
    EXPECT_EQ(U8(NameOf(root, v)), "Go");
    EXPECT_EQ(root->accHitTest(-5000, -5000, &v), S_FALSE);

    EXPECT_EQ(root->accNavigate(NAVDIR_FIRSTCHILD, self, &v), S_OK);
    EXPECT_EQ(U8(NameOf(root, v)), "Label");
    EXPECT_EQ(root->accNavigate(NAVDIR_LASTCHILD, self, &v), S_OK);
    EXPECT_EQ(U8(NameOf(root, v)), "Rows");
    // From "OK" (child 4) to its neighbours; the hidden "Gone" between them does not count.
    VARIANT four;
    VariantInit(&four);
    four.vt = VT_I4;
    four.lVal = 4;
    EXPECT_EQ(root->accNavigate(NAVDIR_NEXT, four, &v), S_OK);
    EXPECT_EQ(U8(NameOf(root, v)), "Off");
    EXPECT_EQ(root->accNavigate(NAVDIR_PREVIOUS, four, &v), S_OK);
    EXPECT_EQ(U8(NameOf(root, v)), "Import");

    SetForegroundWindow(host.m_hWnd);
    host.FindChildByName(L"check")->SetFocus();
    EXPECT_EQ(root->get_accFocus(&v), S_OK);
    EXPECT_EQ(U8(NameOf(root, v)), "Check");
    root->Release();
}

// Each case breaks one rule in a window that otherwise keeps them all.
TEST_F(access, rules_name_what_a_tree_breaks)
{
    struct Case {
        const char* why;
        const char* widgets;
        std::vector<std::wstring> broken;
    } cases[] = {
        {"a kept tree", R"(<imgbtn pos="0,0,@20,@20" tip="Close"/>)", {}},
        {"an image-only button without a name", R"(<imgbtn pos="0,0,@20,@20"/>)", {L"push button \"\" has no name"}},
        {"a picture that is no decoration needs a name", R"(<img pos="0,0,@20,@20"/>)", {L"graphic \"\" has no name"}},
        {"two buttons a listener cannot tell apart",
         R"(<button pos="0,0,@50,@20">OK</button><button pos="60,0,@50,@20">OK</button>)",
         {L"two of push button \"OK\" under client \"Rules\""}},
        {"a widget hanging out of its window",
         R"(<text pos="-20,0,@50,@20">Wide</text>)",
         {L"static text \"Wide\" lies outside client \"Rules\""}},
        {"a hidden widget is not read", R"(<imgbtn pos="0,0,@20,@20" show="0"/>)", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        std::string xml =
            std::string(R"(<SOUI title="Rules" width="200" height="100"><root>)") + c.widgets + "</root></SOUI>";
        FormHost host(xml.c_str());
        EXPECT_EQ(CheckAccRules(host.Tree()), c.broken) << U8(host.Text());
    }
}

TEST_F(access, default_actions_run_after_the_call_returns)
{
    FormHost host;
    AccNode tree = host.Tree();
    struct Case {
        LONG role;
        const wchar_t* name;
        std::vector<std::wstring> pressed;
    } cases[] = {
        {ROLE_SYSTEM_PUSHBUTTON, L"OK", {L"ok"}},        {ROLE_SYSTEM_PUSHBUTTON, L"Close", {L"tipped"}},
        {ROLE_SYSTEM_CHECKBUTTON, L"Check", {L"check"}}, {ROLE_SYSTEM_LISTITEM, L"row 1", {L"list"}},
        {ROLE_SYSTEM_PUSHBUTTON, L"Go", {L"rowbtn"}},  // a row's own button, not the row
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(U8(c.name));
        host.pressed.clear();
        const AccNode* n = FindAcc(tree, c.role, c.name);
        ASSERT_NE(n, nullptr);
        ASSERT_EQ(DoDefaultAction(*n), S_OK);
        EXPECT_TRUE(host.pressed.empty()) << "ran inside the client's call";
        enginetest::PumpUntil([&] { return !host.pressed.empty(); }, 1000);
        EXPECT_EQ(host.pressed, c.pressed);
    }
    EXPECT_TRUE(host.FindChildByName(L"check")->IsChecked());
    EXPECT_EQ(host.FindChildByName2<SListView>(L"list")->GetSel(), 1);

    // The other tab is shown by its default action; a disabled button refuses.
    const AccNode* two = FindAcc(tree, ROLE_SYSTEM_PAGETAB, L"Two");
    ASSERT_NE(two, nullptr);
    ASSERT_EQ(DoDefaultAction(*two), S_OK);
    enginetest::PumpUntil([&] { return host.FindChildByName2<STabCtrl>(L"tabs")->GetCurSel() == 1; }, 1000);
    EXPECT_EQ(host.FindChildByName2<STabCtrl>(L"tabs")->GetCurSel(), 1);
    EXPECT_NE(FindAcc(host.Tree(), ROLE_SYSTEM_STATICTEXT, L"Second"), nullptr);
    EXPECT_EQ(FindAcc(host.Tree(), ROLE_SYSTEM_STATICTEXT, L"First"), nullptr);
    const AccNode* off = FindAcc(tree, ROLE_SYSTEM_PUSHBUTTON, L"Off");
    ASSERT_NE(off, nullptr);
    EXPECT_EQ(DoDefaultAction(*off), E_FAIL);

    // Hidden between the request and its turn: nothing runs.
    host.pressed.clear();
    const AccNode* ok = FindAcc(tree, ROLE_SYSTEM_PUSHBUTTON, L"OK");
    ASSERT_EQ(DoDefaultAction(*ok), S_OK);
    host.FindChildByName(L"ok")->SetVisible(FALSE);
    enginetest::PumpUntil([] { return false; }, 200);
    EXPECT_TRUE(host.pressed.empty());
}

namespace {
std::vector<std::wstring> g_events;
void CALLBACK OnEvent(HWINEVENTHOOK, DWORD event, HWND hwnd, LONG object, LONG child, DWORD, DWORD)
{
    IAccessible* acc = nullptr;
    VARIANT v;
    VariantInit(&v);
    if (FAILED(AccessibleObjectFromEvent(hwnd, DWORD(object), DWORD(child), &acc, &v)) || !acc)
        return;
    BSTR name = nullptr;
    acc->get_accName(v, &name);
    const wchar_t* kind = event == EVENT_OBJECT_FOCUS       ? L"focus "
                          : event == EVENT_OBJECT_SELECTION ? L"selection "
                                                            : L"name ";
    g_events.push_back(kind + std::wstring(name ? name : L""));
    SysFreeString(name);
    acc->Release();
}
}  // namespace

TEST_F(access, focus_selection_and_name_changes_are_announced)
{
    FormHost host;
    HWINEVENTHOOK hook = SetWinEventHook(EVENT_OBJECT_FOCUS, EVENT_OBJECT_NAMECHANGE, nullptr, &OnEvent,
                                         GetCurrentProcessId(), 0, WINEVENT_OUTOFCONTEXT);
    ASSERT_NE(hook, nullptr);
    SetForegroundWindow(host.m_hWnd);
    host.FindChildByName(L"ok")->SetFocus();
    enginetest::PumpUntil([] { return false; }, 200);
    g_events.clear();
    host.MoveFocus(false);  // to the edit: its native window announces itself
    host.MoveFocus(false);  // to the check box
    host.FindChildByName2<SListView>(L"list")->SetSel(0);
    host.FindChildByName(L"label")->SetWindowTextW(L"59 s");
    enginetest::PumpUntil([] { return g_events.size() >= 4; }, 2000);
    UnhookWinEvent(hook);
    // The system announces the host window itself as it takes the keyboard; a reader then asks
    // it for its focus, which names the widget, as the engine's own event does right after.
    std::vector<std::wstring> seen;
    for (const auto& e : g_events)
        if (e != L"focus Form" && (seen.empty() || seen.back() != e))
            seen.push_back(e);
    EXPECT_EQ(seen,
              (std::vector<std::wstring>{L"focus Type a name", L"focus Check", L"selection row 0", L"name 59 s"}));
}

TEST_F(access, an_object_held_after_its_window_went_answers_not_connected)
{
    IAccessible* acc = nullptr;
    {
        FormHost host;
        ASSERT_EQ(AccessibleObjectFromWindow(host.m_hWnd, DWORD(OBJID_CLIENT), kIidAccessibleTest,
                                             reinterpret_cast<void**>(&acc)),
                  S_OK);
    }
    VARIANT self;
    VariantInit(&self);
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    BSTR name = nullptr;
    long count = -1;
    EXPECT_EQ(acc->get_accName(self, &name), CO_E_OBJNOTCONNECTED);
    EXPECT_EQ(acc->get_accChildCount(&count), CO_E_OBJNOTCONNECTED);
    EXPECT_EQ(acc->accDoDefaultAction(self), CO_E_OBJNOTCONNECTED);
    acc->Release();
}
