// GDI objects of the render plug-in over a long life of the search pop-up: every new pop-up and
// every refill that changes the row count resizes a back buffer. Windows refuses to delete a
// bitmap still selected into a DC, and a process stops drawing at 10,000 GDI handles.
#include <gtest/gtest.h>
#include <cstdio>
#include <memory>
#include "ctrlstestenv.h"
#include "extend.ctrls/ssearchdropdownlist.h"
#include "rowsadapter.h"

using namespace SOUI;

namespace {

const char kLayout[] = R"(<SOUI width="460" height="120"><root colorBkgnd="#FFFFFF">
  <searchDropdownList name="edit_search" pos="10,40,-10,@44" maxDropHeight="400" margin="1" colorBorder="#EBEBEB">
    <edit name="edit_input" pos="0,0,-0,-0"/>
    <popupStyle translucent="1" resizable="0">
      <root colorBorder="#EBEBEB" margin="0" colorBkgnd="#808080">
        <listview name="lv_dropdown" pos="0,0,-0,-0" margin="1">
          <template itemHeight="47" colorNormal="#FFFFFF" colorSelected="#e4f0fc" colorHover="#e4f0fc">
            <text name="txt_key" pos="12,0,-72,-1" valign="center"/>
            <button name="btn_import" skin="skin.flat" pos="-64,11,@52,@24"/>
          </template>
        </listview>
      </root>
    </popupStyle>
  </searchDropdownList>
</root></SOUI>)";

struct GdiCounts {
    LONG dc = 0, bitmap = 0, font = 0;
    DWORD process = 0; // GetGuiResources; 0 where the platform does not answer it
    bool operator==(const GdiCounts& o) const { return dc == o.dc && bitmap == o.bitmap && font == o.font; }
};

GdiCounts Count()
{
    GdiCounts c;
    HMODULE render = GetModuleHandleW(L"render-gdid.dll");
    auto live = render ? reinterpret_cast<FunSGetGdiObjectCount>(
                             reinterpret_cast<void*>(GetProcAddress(render, "SGetGdiObjectCount")))
                       : nullptr;
    if (live) {
        c.dc = live(GdiKind_DC);
        c.bitmap = live(GdiKind_Bitmap);
        c.font = live(GdiKind_Font);
    }
    c.process = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    return c;
}

} // namespace

TEST(gdi_count, reports_live_objects_by_kind)
{
    HMODULE render = GetModuleHandleW(L"render-gdid.dll");
    ASSERT_NE(render, nullptr);
    auto live = reinterpret_cast<FunSGetGdiObjectCount>(
        reinterpret_cast<void*>(GetProcAddress(render, "SGetGdiObjectCount")));
    ASSERT_NE(live, nullptr);
    EXPECT_EQ(live(GdiKind_Count), -1);
    EXPECT_EQ(live(-1), -1);
    GdiCounts before = Count();
    {
        SAutoRefPtr<IRenderTarget> rt;
        ASSERT_TRUE(ctrlstest::Engine().Resources().GetRenderFactory()->CreateRenderTarget(rt.Out(), 10, 10));
        GdiCounts made = Count();
        EXPECT_EQ(made.dc, before.dc + 1);
        EXPECT_EQ(made.bitmap, before.bitmap + 1);
        // A resize replaces the bitmap: the old one leaves the DC and is deleted.
        for (int i = 0; i < 5; ++i) ASSERT_TRUE(rt->Resize(20 + i, 30 + i));
        EXPECT_EQ(Count().bitmap, before.bitmap + 1);
        // A bitmap of the caller's selected, then the target's own again; both stay alive until released.
        SAutoRefPtr<IBitmap> other;
        ASSERT_TRUE(ctrlstest::Engine().Resources().GetRenderFactory()->CreateBitmap(other.Out(), 4, 4));
        rt->SelectBitmap(other);
        EXPECT_EQ(rt->GetCurrentBitmap(), other.get());
        ASSERT_TRUE(rt->Resize(8, 8));
        rt->SelectBitmap(other);
        other = nullptr; // the target still holds it
        EXPECT_EQ(Count().bitmap, before.bitmap + 2);
        rt->SelectBitmap(nullptr);
        EXPECT_EQ(Count().bitmap, before.bitmap + 1);
    }
    EXPECT_TRUE(Count() == before);
}

TEST(gdi_count, stays_flat_over_a_thousand_popup_opens_and_refills)
{
    auto host = std::make_unique<SHostWnd>();
    ASSERT_TRUE(host->SetLayoutXml(kLayout));
    ASSERT_TRUE(host->Create(nullptr, 0, 0, 100, 100));
    host->ShowWindow(SW_SHOW);
    auto* control = host->FindChildByName2<SSearchDropdownList>(L"edit_search");
    ASSERT_NE(control, nullptr);
    auto* edit = control->FindChildByName2<SEdit>(L"edit_input");
    ASSERT_NE(edit, nullptr);
    edit->SetFocus();

    int rows = 1, fills = 0;
    host->AddEventHandler(EventFillSearchDropdownList::EventID, L"edit_search", [&](EventArgs* e) {
        ++fills;
        return FillWithRows(static_cast<EventFillSearchDropdownList*>(e), rows);
    });
    // A typed character or a backspace: each is a change, each change a fill.
    int typed = 0;
    auto change = [&] {
        SendMessageW(edit->GetNativeWnd(), WM_CHAR, (typed++ % 2) ? VK_BACK : L'a', 1);
        ctrlstest::PumpFor(1);
    };

    // Warm: fonts and the measuring target exist after the first pop-up of every size.
    for (rows = 0; rows <= 9; ++rows) change();
    rows = -1;
    change();
    ctrlstest::PumpFor(50);
    ASSERT_FALSE(control->IsDroppedDown());
    GdiCounts before = Count();

    int opened = 0;
    for (int i = 0; i < 1000; ++i) {
        // Every tenth change declines (the pop-up hides and is shown again by the next);
        // every twentieth the search is cancelled, so the next change starts a new one.
        bool decline = i % 10 == 9;
        if (i % 20 == 4 && control->IsDroppedDown())
            SendMessageW(control->GetDropdownList()->m_hWnd, WM_CANCELMODE, 0, 0);
        rows = decline ? -1 : (i * 7) % 10;
        if (!control->IsDroppedDown() && !decline) ++opened;
        change();
    }
    rows = -1;
    change();
    ctrlstest::PumpFor(50);
    ASSERT_FALSE(control->IsDroppedDown());
    GdiCounts after = Count();

    std::printf("GDI objects of the render plug-in before / after %d changes (%d pop-ups opened): DC %ld / %ld, "
                "bitmap %ld / %ld, font %ld / %ld; GetGuiResources(GR_GDIOBJECTS) %lu / %lu\n",
                1000, opened, before.dc, after.dc, before.bitmap, after.bitmap, before.font, after.font,
                before.process, after.process);
    EXPECT_GE(fills, 1000);
    EXPECT_GE(opened, 90);
    EXPECT_EQ(after.dc, before.dc);
    EXPECT_EQ(after.bitmap, before.bitmap);
    EXPECT_EQ(after.font, before.font);
    // Where the platform counts the process's GDI objects, they are flat too (a little slack for
    // what the system caches on its own, far below one handle per pop-up).
    if (before.process && after.process) {
        EXPECT_LE(after.process, before.process + 10);
    }
    host.reset();
    ctrlstest::PumpFor(20);
}
