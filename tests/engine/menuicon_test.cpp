#include <gtest/gtest.h>
#include "enginetestenv.h"

using namespace SOUI;

namespace {
// The item's bitmap (nullptr: none) and its top-down 32-bit pixels.
HBITMAP ItemBitmap(HMENU menu, UINT pos)
{
    MENUITEMINFOW mii = {};
    mii.cbSize = sizeof(mii);
    mii.fMask = MIIM_BITMAP;
    if (!GetMenuItemInfoW(menu, pos, TRUE, &mii)) return nullptr;
    return mii.hbmpItem;
}
} // namespace

TEST(menu, items_show_their_icon_from_the_icon_skin)
{
    enginetest::LogCapture log;
    SMenu menu;
    pugi::xml_document doc;
    ASSERT_TRUE(doc.load_string(R"(<menu iconSkin="skin.states3">
        <item id="1" icon="2">有图标</item>
        <item id="2">无图标</item>
        <item id="3" icon="7">超出</item>
        <item id="4" iconSkin="skin.nosuch" icon="0">无皮肤</item>
        <item>子菜单<item id="5" icon="1">继承</item></item>
      </menu>)"));
    ASSERT_TRUE(menu.LoadMenuFromXml(doc.first_child()));
    HMENU h = menu.GetHMenu();

    HBITMAP icon = ItemBitmap(h, 0);
    ASSERT_NE(icon, nullptr);
    DIBSECTION ds = {};
    ASSERT_EQ(GetObjectW(icon, sizeof(ds), &ds), int(sizeof(ds)));
    EXPECT_EQ(ds.dsBm.bmWidth, 16);
    EXPECT_EQ(ds.dsBm.bmHeight, 16);
    EXPECT_EQ(ds.dsBm.bmBitsPixel, 32);
    // The pixels of state 2 of the picture, alpha and all.
    IBitmap* pic = SApplication::getSingletonPtr()->LoadImage2(L"img:btn3");
    ASSERT_NE(pic, nullptr);
    auto* want = reinterpret_cast<const DWORD*>(pic->GetPixelBits());
    auto* got = static_cast<const DWORD*>(ds.dsBm.bmBits);
    int diff = 0;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) diff += got[y * 16 + x] != want[y * 48 + 32 + x];
    EXPECT_EQ(diff, 0);

    EXPECT_EQ(ItemBitmap(h, 1), nullptr);
    EXPECT_EQ(ItemBitmap(h, 2), nullptr);
    EXPECT_EQ(ItemBitmap(h, 3), nullptr);
    EXPECT_TRUE(log.Contains(L"no icon 7 in skin 'skin.states3'"));
    EXPECT_TRUE(log.Contains(L"no icon 0 in skin 'skin.nosuch'"));
    HMENU sub = GetSubMenu(h, 4);
    ASSERT_NE(sub, nullptr);
    EXPECT_NE(ItemBitmap(sub, 0), nullptr);
}
