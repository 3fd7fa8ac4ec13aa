#include <gtest/gtest.h>
#include "ctrlstestenv.h"
#include "engine/lists/SListView.h"
#include "rowsadapter.h"

using namespace SOUI;

namespace {

// 12 rows of 20 px fit the 238 px between the 1 px margins.
const char kLayout[] = R"(<SOUI width="300" height="240"><root colorBkgnd="#FFFFFF">
  <listview name="lv" pos="0,0,-0,-0" margin="1">
    <template itemHeight="20" colorNormal="#FFFFFF" colorSelected="#0000FF" colorHover="#00FF00">
      <text name="txt_key" pos="4,0,-40,-0"/>
      <button name="btn_import" skin="skin.flat" pos="-36,2,@30,@16"/>
    </template>
  </listview>
</root></SOUI>)";

std::wstring RowText(SListView* lv, int row)
{
    SItemPanel* p = lv->GetItemPanel(row);
    SWindow* t = p ? p->FindChildByName(L"txt_key") : nullptr;
    return t ? t->GetWindowTextW() : L"<not on screen>";
}

void ClickAt(SHostWnd& host, POINT pt)
{
    LPARAM at = MAKELPARAM(pt.x, pt.y);
    host.SendMessageW(WM_MOUSEMOVE, 0, at);
    host.SendMessageW(WM_LBUTTONDOWN, MK_LBUTTON, at);
    host.SendMessageW(WM_LBUTTONUP, 0, at);
}

POINT Centre(const RECT& rc)
{
    return POINT{(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
}

class listview : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(host.SetLayoutXml(kLayout));
        ASSERT_TRUE(host.Create(nullptr, 0, 0, 100, 100));
        host.ShowWindow(SW_SHOWNOACTIVATE);
        lv = host.FindChildByName2<SListView>(L"lv");
        ASSERT_TRUE(lv);
        host.AddEventHandler(EVT_CMD, L"lv", [this](EventArgs*) {
            ++listCommands;
            return true;
        });
        host.AddEventHandler(EVT_CMD, L"btn_import", [this](EventArgs*) {
            ++buttonCommands;
            return true;
        });
    }

    SHostWnd host;
    SListView* lv = nullptr;
    int listCommands = 0;
    int buttonCommands = 0;
};

TEST_F(listview, only_visible_rows_have_panels_and_scrolling_reuses_them)
{
    auto rows = RowsAdapter::Make(10000);
    EXPECT_EQ(-1, lv->GetSel());
    lv->SetAdapter(rows);
    EXPECT_EQ(200000, lv->GetItemLocator()->GetTotalHeight());
    EXPECT_EQ(12, rows->views);
    EXPECT_EQ(12, lv->GetPanelCount());
    EXPECT_EQ(L"row 11", RowText(lv, 11));
    EXPECT_EQ(nullptr, lv->GetItemPanel(12));

    // One row down: one row enters and is filled into the panel of the row that left.
    rows->views = 0;
    lv->SetScrollPos(20);
    EXPECT_EQ(1, rows->views);
    EXPECT_EQ(L"row 12", RowText(lv, 12));
    EXPECT_EQ(nullptr, lv->GetItemPanel(0));

    // Half a row shows parts of 13 rows; the far end needs no more panels than that.
    lv->SetScrollPos(30);
    EXPECT_EQ(13, lv->GetPanelCount());
    lv->SetScrollPos(1 << 30);
    EXPECT_EQ(200000 - 238, lv->GetScrollPos());
    EXPECT_EQ(13, lv->GetPanelCount());
    EXPECT_EQ(L"row 9999", RowText(lv, 9999));

    // The panels follow the scroll: row 9999 ends at the bottom of the client area.
    EXPECT_EQ(239, lv->GetItemPanel(9999)->GetWindowRect().bottom);
}

TEST_F(listview, clicks_keys_and_wheel)
{
    auto rows = RowsAdapter::Make(100);
    lv->SetAdapter(rows);

    // A click on a row's text selects the row, then raises the list's command.
    int seenSel = -2;
    lv->GetEventSet()->subscribeEvent(EVT_CMD, [&](EventArgs*) {
        seenSel = lv->GetSel();
        return false;
    });
    ClickAt(host, Centre(lv->GetItemPanel(2)->FindChildByName(L"txt_key")->GetWindowRect()));
    EXPECT_EQ(2, lv->GetSel());
    EXPECT_EQ(2, seenSel);
    EXPECT_EQ(1, listCommands);

    // A row's button keeps its click: its own command, through the list to the host.
    ClickAt(host, Centre(lv->GetItemPanel(5)->FindChildByName(L"btn_import")->GetWindowRect()));
    EXPECT_EQ(1, buttonCommands);
    EXPECT_EQ(1, rows->importClicks);
    EXPECT_EQ(1, listCommands);
    EXPECT_EQ(2, lv->GetSel());

    struct Key {
        UINT vk;
        int sel;
    } keys[] = {{VK_DOWN, 3}, {VK_UP, 2},    {VK_UP, 1},     {VK_UP, 0},   {VK_UP, 0},
                {VK_END, 99}, {VK_DOWN, 99}, {VK_PRIOR, 88}, {VK_HOME, 0}, {VK_NEXT, 11}};
    for (const auto& k : keys) {
        EXPECT_TRUE(lv->OnKeyDown(k.vk));
        EXPECT_EQ(k.sel, lv->GetSel()) << "key " << k.vk;
        EXPECT_NE(nullptr, lv->GetItemPanel(k.sel)) << "selection scrolled into view";
    }

    lv->SetScrollPos(0);
    UINT lines = 3;
    SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
    EXPECT_TRUE(lv->OnMouseWheel(-WHEEL_DELTA));
    EXPECT_EQ(int(lines) * 20, lv->GetScrollPos());
    EXPECT_TRUE(lv->OnMouseWheel(WHEEL_DELTA * 10));
    EXPECT_EQ(0, lv->GetScrollPos());

    // The scroll bar (10 px, no skin) at the right: a click below the thumb pages down, the
    // thumb dragged past the end shows the last rows; rows end where the bar begins.
    const int barX = 300 - 1 - 5;
    EXPECT_EQ(300 - 1 - 10, lv->GetItemPanel(0)->GetWindowRect().right);
    ClickAt(host, POINT{barX, 200});
    EXPECT_EQ(238, lv->GetScrollPos());
    lv->SetScrollPos(0);
    host.SendMessageW(WM_MOUSEMOVE, 0, MAKELPARAM(barX, 10));
    host.SendMessageW(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(barX, 10));
    host.SendMessageW(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(barX, 120));
    EXPECT_GT(lv->GetScrollPos(), 0);
    host.SendMessageW(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(barX, 2000));
    host.SendMessageW(WM_LBUTTONUP, 0, MAKELPARAM(barX, 2000));
    EXPECT_EQ(2000 - 238, lv->GetScrollPos());
    EXPECT_EQ(0, listCommands - 1) << "the bar raises no command";
}

TEST_F(listview, data_changed_refills_and_clamps)
{
    auto rows = RowsAdapter::Make(1000);
    lv->SetAdapter(rows);
    lv->OnKeyDown(VK_END);
    ASSERT_EQ(999, lv->GetSel());

    rows->SetRows(5, L"new ");
    rows->notifyDataSetChanged();
    EXPECT_EQ(100, lv->GetItemLocator()->GetTotalHeight());
    EXPECT_EQ(-1, lv->GetSel());
    EXPECT_EQ(0, lv->GetScrollPos());
    EXPECT_EQ(L"new 0", RowText(lv, 0));
    EXPECT_EQ(L"new 4", RowText(lv, 4));
    EXPECT_EQ(nullptr, lv->GetItemPanel(5));
    // A click below the last row selects nothing.
    ClickAt(host, POINT{50, 200});
    EXPECT_EQ(-1, lv->GetSel());
    EXPECT_EQ(0, listCommands);

    // Same rows, new text: rows on screen are filled again.
    lv->SetSel(3);
    rows->SetRows(5, L"again ");
    rows->notifyDataSetChanged();
    EXPECT_EQ(L"again 3", RowText(lv, 3));
    EXPECT_EQ(3, lv->GetSel());

    // Without an adapter nothing is shown or chosen.
    lv->SetAdapter(nullptr);
    EXPECT_EQ(0, lv->GetItemLocator()->GetTotalHeight());
    EXPECT_FALSE(lv->OnKeyDown(VK_DOWN));
    EXPECT_EQ(-1, lv->GetSel());
}

}  // namespace
