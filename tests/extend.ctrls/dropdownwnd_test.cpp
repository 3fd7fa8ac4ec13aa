#include <gtest/gtest.h>
#include <functional>
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

TEST(DropDownWnd, every_way_of_ending_tells_the_owner_once_and_frees_the_popup)
{
    struct Case {
        const char* how;
        std::function<void(SDropDownWnd*)> end;
        UINT code;
    } cases[] = {
        {"EndDropDown(IDOK)", [](SDropDownWnd* d) { d->EndDropDown(IDOK); }, IDOK},
        {"EndDropDown(IDCANCEL)", [](SDropDownWnd* d) { d->EndDropDown(IDCANCEL); }, IDCANCEL},
        // Keys and activation arrive as the pop-up's own messages: it ends inside one of them.
        {"Enter", [](SDropDownWnd* d) { d->SendMessageW(WM_KEYDOWN, VK_RETURN, 1); }, IDOK},
        {"Escape", [](SDropDownWnd* d) { d->SendMessageW(WM_KEYDOWN, VK_ESCAPE, 1); }, IDCANCEL},
        {"application deactivated", [](SDropDownWnd* d) { d->SendMessageW(WM_ACTIVATEAPP, FALSE, 0); }, IDCANCEL},
        {"window destroyed", [](SDropDownWnd* d) { DestroyWindow(d->m_hWnd); }, IDCANCEL},
        {"deleted", [](SDropDownWnd* d) { delete d; }, IDCANCEL},
    };
    for (const auto& c : cases) {
        Owner owner;
        auto* d = new CountedDropDown(&owner);
        HWND hwnd = d->CreateDropDown(nullptr);
        ASSERT_TRUE(hwnd) << c.how;
        EXPECT_EQ(1, owner.created);
        pugi::xml_document doc;
        doc.load_string(kTree);
        d->InitFromXml(doc.first_child());
        SetWindowPos(hwnd, HWND_TOPMOST, 10, 10, 100, 40, SWP_NOACTIVATE | SWP_SHOWWINDOW);
        ASSERT_TRUE(d->FindChildByName(L"t")) << c.how;
        EXPECT_EQ(0, owner.destroyed);

        c.end(d);
        EXPECT_EQ(1, owner.destroyed) << c.how;
        EXPECT_EQ(c.code, owner.code) << c.how;
        EXPECT_FALSE(IsWindow(hwnd)) << c.how;
        EXPECT_TRUE(ctrlstest::PumpUntil([] { return g_alive == 0; }, 1000)) << c.how << ": not freed";
    }
}

TEST(DropDownWnd, never_activated_and_watches_clicks_elsewhere)
{
    Owner owner;
    auto* d = new CountedDropDown(&owner);
    HWND hwnd = d->CreateDropDown(nullptr);
    ASSERT_TRUE(hwnd);
    SetWindowPos(hwnd, HWND_TOPMOST, 10, 10, 100, 40, SWP_NOACTIVATE | SWP_SHOWWINDOW);
    EXPECT_EQ(MA_NOACTIVATE, d->SendMessageW(WM_MOUSEACTIVATE, WPARAM(hwnd), MAKELPARAM(HTCLIENT, WM_LBUTTONDOWN)));
    // A press inside goes on; one outside (the mouse is captured) ends it.
    d->SendMessageW(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    EXPECT_EQ(0, owner.destroyed);
    d->SendMessageW(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 300));
    EXPECT_EQ(1, owner.destroyed);
    EXPECT_EQ(UINT(IDCANCEL), owner.code);
    EXPECT_TRUE(ctrlstest::PumpUntil([] { return g_alive == 0; }, 1000));

    // A press on another window of this thread, seen by the loop's filter, ends it too.
    Owner owner2;
    d = new CountedDropDown(&owner2);
    ASSERT_TRUE(d->CreateDropDown(nullptr));
    HWND other = CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 300, 300, 50, 50, nullptr, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
    PostMessageW(other, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    ctrlstest::PumpUntil([&] { return owner2.destroyed == 1; }, 1000);
    EXPECT_EQ(1, owner2.destroyed);
    EXPECT_EQ(UINT(IDCANCEL), owner2.code);
    DestroyWindow(other);
    EXPECT_TRUE(ctrlstest::PumpUntil([] { return g_alive == 0; }, 1000));

    // Never created: the owner hears at once and the object goes.
    Owner owner3;
    (new CountedDropDown(&owner3))->EndDropDown(IDOK);
    EXPECT_EQ(1, owner3.destroyed);
    EXPECT_EQ(0, g_alive);
}

} // namespace
