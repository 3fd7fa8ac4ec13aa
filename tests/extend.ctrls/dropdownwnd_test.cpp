#include <gtest/gtest.h>
#include <functional>
#include <memory>
#include "ctrlstestenv.h"
#include "engine/lists/SDropDownWnd.h"

using namespace SOUI;

namespace {

int g_alive = 0;

// Counts itself, so a test sees when the pop-up has freed itself.
class CountedDropDown : public SDropDownWnd {
public:
    explicit CountedDropDown(ISDropDownOwner* owner) : SDropDownWnd(owner) { ++g_alive; }
    ~CountedDropDown() override { --g_alive; }
};

class Owner : public ISDropDownOwner {
public:
    SWindow* GetDropDownOwner() override { return nullptr; }
    void OnCreateDropDown(SDropDownWnd*) override { ++created; }
    void OnDestroyDropDown(SDropDownWnd* d) override
    {
        ++destroyed;
        windowDuringDestroy = d->m_hWnd;
        // A second end while the first runs changes nothing.
        d->EndDropDown(code == IDOK ? IDCANCEL : IDOK);
        code = d->GetExitCode();
    }
    int created = 0, destroyed = 0;
    UINT code = 0;
    HWND windowDuringDestroy = nullptr;
};

const char kTree[] = R"(<SOUI><root colorBkgnd="#FFFFFF"><text name="t">x</text></root></SOUI>)";

void ShowAt(HWND hwnd, int y)
{
    SetWindowPos(hwnd, HWND_TOPMOST, 10, y, 100, 40, SWP_NOACTIVATE | SWP_SHOWWINDOW);
}

// Ending a showing hides the pop-up and tells the owner once; the object and its window stay
// its maker's, to show again, until the maker deletes it.
TEST(DropDownWnd, every_way_of_ending_tells_the_owner_once_and_keeps_the_popup)
{
    struct Case {
        const char* how;
        std::function<void(SDropDownWnd*)> end;
        UINT code;
        bool windowStays;
    } cases[] = {
        {"EndDropDown(IDOK)", [](SDropDownWnd* d) { d->EndDropDown(IDOK); }, IDOK, true},
        {"EndDropDown(IDCANCEL)", [](SDropDownWnd* d) { d->EndDropDown(IDCANCEL); }, IDCANCEL, true},
        // Keys and activation arrive as the pop-up's own messages: it ends inside one of them.
        {"Enter", [](SDropDownWnd* d) { d->SendMessageW(WM_KEYDOWN, VK_RETURN, 1); }, IDOK, true},
        {"Escape", [](SDropDownWnd* d) { d->SendMessageW(WM_KEYDOWN, VK_ESCAPE, 1); }, IDCANCEL, true},
        {"application deactivated", [](SDropDownWnd* d) { d->SendMessageW(WM_ACTIVATEAPP, FALSE, 0); }, IDCANCEL, true},
        {"hidden by someone else", [](SDropDownWnd* d) { ShowWindow(d->m_hWnd, SW_HIDE); }, IDCANCEL, true},
        {"window destroyed", [](SDropDownWnd* d) { DestroyWindow(d->m_hWnd); }, IDCANCEL, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.how);
        Owner owner;
        auto d = std::make_unique<CountedDropDown>(&owner);
        HWND hwnd = d->CreateDropDown(nullptr);
        ASSERT_TRUE(hwnd);
        EXPECT_EQ(1, owner.created);
        pugi::xml_document doc;
        doc.load_string(kTree);
        d->InitFromXml(doc.first_child());
        EXPECT_FALSE(d->IsDroppedDown()) << "made hidden, nothing to end";
        d->EndDropDown(IDOK);
        EXPECT_EQ(0, owner.destroyed);
        ShowAt(hwnd, 10);
        ASSERT_TRUE(d->FindChildByName(L"t"));
        EXPECT_TRUE(d->IsDroppedDown());
        EXPECT_EQ(0, owner.destroyed);

        c.end(d.get());
        EXPECT_EQ(1, owner.destroyed);
        EXPECT_EQ(c.code, owner.code);
        EXPECT_EQ(hwnd, owner.windowDuringDestroy);
        EXPECT_FALSE(d->IsDroppedDown());
        EXPECT_FALSE(IsWindowVisible(hwnd));
        EXPECT_EQ(c.windowStays, bool(IsWindow(hwnd)));
        ctrlstest::PumpFor(20);
        EXPECT_EQ(1, g_alive) << "freed itself";
        if (c.windowStays) {
            // Shown again, it is a new showing: ended again, the owner hears again.
            owner.code = 0;
            ShowAt(hwnd, 60);
            EXPECT_TRUE(d->IsDroppedDown());
            d->SendMessageW(WM_KEYDOWN, VK_RETURN, 1);
            EXPECT_EQ(2, owner.destroyed);
            EXPECT_EQ(UINT(IDOK), owner.code);
            EXPECT_EQ(hwnd, d->m_hWnd);
        }
        // Deleted by its maker, shown or not: the window goes and nobody is told.
        ShowAt(hwnd, 10);
        const int told = owner.destroyed;
        d.reset();
        EXPECT_EQ(told, owner.destroyed);
        EXPECT_FALSE(IsWindow(hwnd));
        EXPECT_EQ(0, g_alive);
    }
}

TEST(DropDownWnd, never_activated_and_watches_clicks_elsewhere)
{
    Owner owner;
    auto d = std::make_unique<CountedDropDown>(&owner);
    HWND hwnd = d->CreateDropDown(nullptr);
    ASSERT_TRUE(hwnd);
    ShowAt(hwnd, 10);
    EXPECT_EQ(MA_NOACTIVATE, d->SendMessageW(WM_MOUSEACTIVATE, WPARAM(hwnd), MAKELPARAM(HTCLIENT, WM_LBUTTONDOWN)));
    // A press inside goes on; one outside (the mouse is captured) ends it.
    d->SendMessageW(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    EXPECT_EQ(0, owner.destroyed);
    d->SendMessageW(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 300));
    EXPECT_EQ(1, owner.destroyed);
    EXPECT_EQ(UINT(IDCANCEL), owner.code);

    // A press on another window of this thread, seen by the loop's filter, ends it too; hidden,
    // the pop-up lets such presses be.
    HWND other = CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 300, 300, 50, 50, nullptr, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
    PostMessageW(other, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    ctrlstest::PumpFor(50);
    EXPECT_EQ(1, owner.destroyed);
    ShowAt(hwnd, 10);
    PostMessageW(other, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    ctrlstest::PumpUntil([&] { return owner.destroyed == 2; }, 1000);
    EXPECT_EQ(2, owner.destroyed);
    EXPECT_EQ(UINT(IDCANCEL), owner.code);
    DestroyWindow(other);
}

}  // namespace
