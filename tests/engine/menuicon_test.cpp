#include <gtest/gtest.h>
#include "enginetestenv.h"

using namespace SOUI;

namespace {
MENUITEMINFOW ItemInfo(HMENU menu, UINT pos)
{
    MENUITEMINFOW mii = {};
    mii.cbSize = sizeof(mii);
    mii.fMask = MIIM_BITMAP | MIIM_DATA | MIIM_ID;
    GetMenuItemInfoW(menu, pos, TRUE, &mii);
    return mii;
}

// What the owner window draws for the item's icon over an opaque background, as the menu asks it.
std::vector<DWORD> DrawnIcon(HWND owner, const MENUITEMINFOW& item, DWORD background, SIZE* size)
{
    MEASUREITEMSTRUCT mis = {};
    mis.CtlType = ODT_MENU;
    mis.itemID = item.wID;
    mis.itemData = item.dwItemData;
    if (!SendMessageW(owner, WM_MEASUREITEM, 0, LPARAM(&mis)))
        return {};
    *size = SIZE{LONG(mis.itemWidth), LONG(mis.itemHeight)};
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = size->cx;
    bi.bmiHeader.biHeight = -size->cy;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    SGdiObject<HBITMAP> dib(CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
    std::vector<DWORD> out(size_t(size->cx * size->cy), background);
    memcpy(bits, out.data(), out.size() * 4);
    {
        SMemoryDC dc(nullptr);
        SSelectObject sel(dc.get(), dib.get());
        DRAWITEMSTRUCT dis = {};
        dis.CtlType = ODT_MENU;
        dis.itemID = item.wID;
        dis.itemData = item.dwItemData;
        dis.hDC = dc.get();
        dis.rcItem = RECT{0, 0, size->cx, size->cy};
        if (!SendMessageW(owner, WM_DRAWITEM, 0, LPARAM(&dis)))
            return {};
        GdiFlush();
    }
    memcpy(out.data(), bits, out.size() * 4);
    return out;
}

class OwnerHost : public SHostWnd {
public:
    OwnerHost()
    {
        SetLayoutXml(R"(<SOUI width="50" height="50"><root/></SOUI>)");
        Create(nullptr);
    }
};
}  // namespace

TEST(menu, items_show_their_icon_from_the_icon_skin)
{
    enginetest::LogCapture log;
    OwnerHost owner;
    MENUITEMINFOW kept = {};
    {
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

        MENUITEMINFOW item = ItemInfo(h, 0);
        EXPECT_EQ(item.hbmpItem, HBMMENU_CALLBACK);
        SIZE size = {};
        const DWORD white = 0xFFFFFFFF;
        std::vector<DWORD> got = DrawnIcon(owner.m_hWnd, item, white, &size);
        ASSERT_EQ(size.cx, 16);
        ASSERT_EQ(size.cy, 16);
        ASSERT_EQ(got.size(), 256u);
        // State 2 of the picture blended over the background with its own alpha.
        IBitmap* pic = SResProviderMgr::getSingleton().LoadImage2(L"img:btn3");
        ASSERT_NE(pic, nullptr);
        auto* src = reinterpret_cast<const DWORD*>(pic->GetPixelBits());
        int off = 0;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x) {
                DWORD s = src[y * 48 + 32 + x], d = got[size_t(y * 16 + x)];
                DWORD sa = s >> 24;
                for (int c = 0; c < 24; c += 8) {
                    int want = int((s >> c) & 0xFF) + int(255 * (255 - sa) / 255);
                    off += std::abs(int((d >> c) & 0xFF) - want) > 2;
                }
            }
        EXPECT_EQ(off, 0);

        EXPECT_EQ(ItemInfo(h, 1).hbmpItem, nullptr);
        EXPECT_EQ(ItemInfo(h, 2).hbmpItem, nullptr);
        EXPECT_EQ(ItemInfo(h, 3).hbmpItem, nullptr);
        EXPECT_TRUE(log.Contains(L"no icon 7 in skin 'skin.states3'"));
        EXPECT_TRUE(log.Contains(L"no icon 0 in skin 'skin.nosuch'"));
        HMENU sub = GetSubMenu(h, 4);
        ASSERT_NE(sub, nullptr);
        EXPECT_EQ(ItemInfo(sub, 0).hbmpItem, HBMMENU_CALLBACK);
        kept = item;
    }
    // The menu is gone: its item data no longer names anything the owner would draw.
    SIZE size = {};
    EXPECT_TRUE(DrawnIcon(owner.m_hWnd, kept, 0xFFFFFFFF, &size).empty());
}
