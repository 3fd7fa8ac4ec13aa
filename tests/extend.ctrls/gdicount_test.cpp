// GDI objects of the render plug-in over a long life of the search pop-up: every new pop-up and
// every refill that changes the row count resizes a back buffer. Windows refuses to delete a
// bitmap still selected into a DC, and a process stops drawing at 10,000 GDI handles. The
// plug-in counts its own objects; the ledger counts every object the process's own code
// makes (the edit's brush, the engine's bitmaps), which GetGuiResources does not under Wine.
#include <gtest/gtest.h>
#include <cstdio>
#include <memory>
#include "ctrlstestenv.h"
#include "gdiledger.h"
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
    GdiLedgerCounts process;
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
    c.process = GdiLedgerLive();
    return c;
}

}  // namespace

TEST(gdi_count, reports_live_objects_by_kind)
{
    HMODULE render = GetModuleHandleW(L"render-gdid.dll");
    ASSERT_NE(render, nullptr);
    auto live =
        reinterpret_cast<FunSGetGdiObjectCount>(reinterpret_cast<void*>(GetProcAddress(render, "SGetGdiObjectCount")));
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
        for (int i = 0; i < 5; ++i)
            ASSERT_TRUE(rt->Resize(20 + i, 30 + i));
        EXPECT_EQ(Count().bitmap, before.bitmap + 1);
        // A bitmap of the caller's selected, then the target's own again; both stay alive until released.
        SAutoRefPtr<IBitmap> other;
        ASSERT_TRUE(ctrlstest::Engine().Resources().GetRenderFactory()->CreateBitmap(other.Out(), 4, 4));
        rt->SelectBitmap(other);
        EXPECT_EQ(rt->GetCurrentBitmap(), other.get());
        ASSERT_TRUE(rt->Resize(8, 8));
        rt->SelectBitmap(other);
        other = nullptr;  // the target still holds it
        EXPECT_EQ(Count().bitmap, before.bitmap + 2);
        rt->SelectBitmap(nullptr);
        EXPECT_EQ(Count().bitmap, before.bitmap + 1);
    }
    EXPECT_TRUE(Count() == before);
}

// Each kind made straight through GDI, by the test or inside the plug-in, is counted until freed.
TEST(gdi_count, the_process_count_covers_objects_made_outside_the_plugin)
{
    ASSERT_TRUE(StartGdiLedger());
    const GdiLedgerCounts before = GdiLedgerLive();
    LOGFONTW lf = {};
    lf.lfHeight = -12;
    HFONT font = CreateFontIndirectW(&lf);
    HBRUSH brush = CreateSolidBrush(RGB(1, 2, 3));
    HPEN pen = CreatePen(PS_SOLID, 1, RGB(1, 2, 3));
    HRGN region = CreateRectRgn(0, 0, 4, 4);
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 4, 4);
    GdiLedgerCounts made = GdiLedgerLive();
    EXPECT_EQ(made.font, before.font + 1);
    EXPECT_EQ(made.brush, before.brush + 1);
    EXPECT_EQ(made.pen, before.pen + 1);
    EXPECT_EQ(made.region, before.region + 1);
    EXPECT_EQ(made.windowDc, before.windowDc + 1);
    EXPECT_EQ(made.dc, before.dc + 1);
    EXPECT_EQ(made.bitmap, before.bitmap + 1);
    for (HGDIOBJ object : {HGDIOBJ(font), HGDIOBJ(brush), HGDIOBJ(pen), HGDIOBJ(region), HGDIOBJ(bitmap)})
        EXPECT_TRUE(DeleteObject(object));
    EXPECT_TRUE(DeleteDC(memory));
    EXPECT_EQ(ReleaseDC(nullptr, screen), 1);
    EXPECT_EQ(GdiLedgerLive().Total(), before.Total());
    {
        SAutoRefPtr<IRenderTarget> rt;
        ASSERT_TRUE(ctrlstest::Engine().Resources().GetRenderFactory()->CreateRenderTarget(rt.Out(), 10, 10));
        made = GdiLedgerLive();
        EXPECT_EQ(made.dc, before.dc + 1) << "the plug-in's calls are not counted";
        EXPECT_EQ(made.bitmap, before.bitmap + 1);
    }
    EXPECT_EQ(GdiLedgerLive().Total(), before.Total());
}

// A window's whole life: its edit (the native child, its brush and font), its back buffer and
// whatever the engine makes to paint it, all gone with it.
TEST(gdi_count, a_window_made_painted_typed_into_and_destroyed_leaves_nothing)
{
    ASSERT_TRUE(StartGdiLedger());
    auto life = [] {
        auto host = std::make_unique<SHostWnd>();
        ASSERT_TRUE(host->SetLayoutXml(kLayout));
        ASSERT_TRUE(host->Create(nullptr, 0, 0, 100, 100));
        host->ShowWindow(SW_SHOW);
        auto* edit = host->FindChildByName2<SEdit>(L"edit_input");
        ASSERT_NE(edit, nullptr);
        edit->SetFocus();
        SendMessageW(edit->GetNativeWnd(), WM_CHAR, L'a', 1);
        ctrlstest::PumpFor(20);
        host.reset();
        ctrlstest::PumpFor(5);
    };
    life();  // fonts and caches the first window leaves for the next
    const GdiLedgerCounts before = GdiLedgerLive();
    for (int i = 0; i < 20; ++i)
        life();
    const GdiLedgerCounts after = GdiLedgerLive();
    EXPECT_EQ(after.Total(), before.Total())
        << "DC " << after.dc - before.dc << ", window DC " << after.windowDc - before.windowDc << ", bitmap "
        << after.bitmap - before.bitmap << ", font " << after.font - before.font << ", brush "
        << after.brush - before.brush << ", pen " << after.pen - before.pen << ", region "
        << after.region - before.region;
}

TEST(gdi_count, stays_flat_over_a_thousand_popup_opens_and_refills)
{
    ASSERT_TRUE(StartGdiLedger());
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
    for (rows = 0; rows <= 9; ++rows)
        change();
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
        if (!control->IsDroppedDown() && !decline)
            ++opened;
        change();
    }
    rows = -1;
    change();
    ctrlstest::PumpFor(50);
    ASSERT_FALSE(control->IsDroppedDown());
    GdiCounts after = Count();

    const GdiLedgerCounts& b = before.process;
    const GdiLedgerCounts& a = after.process;
    std::printf("GDI objects of the render plug-in before / after %d changes (%d pop-ups opened): DC %ld / %ld, "
                "bitmap %ld / %ld, font %ld / %ld\n"
                "made by the process's own code: DC %ld / %ld, window DC %ld / %ld, bitmap %ld / %ld, font %ld / %ld, "
                "brush %ld / %ld, pen %ld / %ld, region %ld / %ld\n",
                1000, opened, before.dc, after.dc, before.bitmap, after.bitmap, before.font, after.font, b.dc, a.dc,
                b.windowDc, a.windowDc, b.bitmap, a.bitmap, b.font, a.font, b.brush, a.brush, b.pen, a.pen, b.region,
                a.region);
    EXPECT_GE(fills, 1000);
    EXPECT_GE(opened, 90);
    EXPECT_EQ(after.dc, before.dc);
    EXPECT_EQ(after.bitmap, before.bitmap);
    EXPECT_EQ(after.font, before.font);
    EXPECT_EQ(a.Total(), b.Total());
    host.reset();
    ctrlstest::PumpFor(20);
}
