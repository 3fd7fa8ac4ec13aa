#include "engine/host/SMenu.h"
#include <algorithm>
#include <cstring>
#include <string>
#include "engine/core/SDebug.h"
#include "engine/skins/SSkinPoolMgr.h"
#include "engine/core/SResProviderMgr.h"
#include "engine/core/SStringUtil.h"

namespace SOUI {

namespace {
// Menus that hold icons now; a menu's owner-draw messages are checked against them.
std::vector<const SMenu*> g_liveMenus;
}  // namespace

SMenu::~SMenu()
{
    m_menu.reset();
    g_liveMenus.erase(std::remove(g_liveMenus.begin(), g_liveMenus.end(), this), g_liveMenus.end());
}

SMenu::Icon* SMenu::FindIcon(ULONG_PTR itemData)
{
    for (const SMenu* m : g_liveMenus)
        for (const auto& icon : m->m_icons)
            if (ULONG_PTR(icon.get()) == itemData)
                return icon.get();
    return nullptr;
}

BOOL SMenu::OnMeasureItem(MEASUREITEMSTRUCT* mis)
{
    Icon* icon = mis && mis->CtlType == ODT_MENU ? FindIcon(mis->itemData) : nullptr;
    if (!icon)
        return FALSE;
    mis->itemWidth = UINT(icon->size.cx);
    mis->itemHeight = UINT(icon->size.cy);
    return TRUE;
}

BOOL SMenu::OnDrawItem(const DRAWITEMSTRUCT* dis)
{
    Icon* icon = dis && dis->CtlType == ODT_MENU ? FindIcon(dis->itemData) : nullptr;
    if (!icon)
        return FALSE;
    const RECT& rc = dis->rcItem;
    int x = rc.left + (rc.right - rc.left - icon->size.cx) / 2;
    int y = rc.top + (rc.bottom - rc.top - icon->size.cy) / 2;
    SMemoryDC mem(dis->hDC);
    if (!mem.get())
        return TRUE;
    SSelectObject sel(mem.get(), icon->bmp.get());
    BLENDFUNCTION bf = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    GdiAlphaBlend(dis->hDC, x, y, icon->size.cx, icon->size.cy, mem.get(), 0, 0, icon->size.cx, icon->size.cy, bf);
    return TRUE;
}

bool SMenu::Fill(HMENU menu, pugi::xml_node node, const std::wstring& inheritedSkin)
{
    std::wstring iconSkin = inheritedSkin;
    if (auto a = node.attribute("iconSkin"))
        iconSkin = Utf8ToWide(a.value());
    for (auto e : node.children()) {
        if (e.type() != pugi::node_element)
            continue;
        std::string n = e.name();
        if (n == "sep") {
            AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
            continue;
        }
        if (n != "item") {
            SLog(L"menu: unknown element '" + Utf8ToWide(n) + L"'");
            continue;
        }
        std::wstring text = Trim(Utf8ToWide(e.text().get()));
        if (auto* mgr = SResProviderMgr::getSingletonPtr())
            text = mgr->GetString(text);
        UINT flags = MF_STRING;
        if (e.attribute("disable").as_bool())
            flags |= MF_GRAYED;
        if (e.attribute("check").as_bool())
            flags |= MF_CHECKED;
        if (e.child("item")) {
            SMenuHandle sub(CreatePopupMenu());
            if (!sub.get() || !Fill(sub.get(), e, iconSkin))
                return false;
            if (!AppendMenuW(menu, flags | MF_POPUP, reinterpret_cast<UINT_PTR>(sub.get()), text.c_str()))
                return false;
            sub.release();  // the parent menu owns it now
        } else {
            if (!AppendMenuW(menu, flags, UINT_PTR(e.attribute("id").as_uint()), text.c_str()))
                return false;
        }
        auto icon = e.attribute("icon");
        if (!icon)
            continue;
        std::wstring skin = iconSkin;
        if (auto a = e.attribute("iconSkin"))
            skin = Utf8ToWide(a.value());
        Icon* made = MakeIcon(skin, icon.as_int(-1));
        if (!made)
            continue;
        MENUITEMINFOW mii = {};
        mii.cbSize = sizeof(mii);
        mii.fMask = MIIM_BITMAP | MIIM_DATA;
        mii.hbmpItem = HBMMENU_CALLBACK;
        mii.dwItemData = ULONG_PTR(made);
        SetMenuItemInfoW(menu, UINT(GetMenuItemCount(menu) - 1), TRUE, &mii);
    }
    return true;
}

SMenu::Icon* SMenu::MakeIcon(const std::wstring& skinName, int index)
{
    auto* pool = SSkinPoolMgr::getSingletonPtr();
    ISkinObj* skin = pool && !skinName.empty() ? pool->GetSkin(skinName) : nullptr;
    if (!skin || index < 0 || index >= skin->GetStates()) {
        SLog(L"menu: no icon " + std::to_wstring(index) + L" in skin '" + skinName + L"'");
        return nullptr;
    }
    auto* res = SResProviderMgr::getSingletonPtr();
    // The system draws menus at its own scale, so the icon is made for that scale from the
    // picture drawn for it.
    int dpi = 96;
    if (HDC screen = ::GetDC(nullptr)) {
        dpi = GetDeviceCaps(screen, LOGPIXELSX);
        ::ReleaseDC(nullptr, screen);
    }
    if (dpi <= 0)
        dpi = 96;
    SIZE sz = skin->GetSkinSize();
    sz = SIZE{MulDiv(sz.cx, dpi, 96), MulDiv(sz.cy, dpi, 96)};
    SAutoRefPtr<IRenderTarget> rt;
    if (!res || !res->GetRenderFactory() || sz.cx <= 0 || sz.cy <= 0 ||
        !res->GetRenderFactory()->CreateRenderTarget(rt.Out(), sz.cx, sz.cy))
        return nullptr;
    rt->SetDpi(dpi);
    RECT rc = {0, 0, sz.cx, sz.cy};
    rt->ClearRect(rc, RGBA(0, 0, 0, 0));
    skin->DrawByIndex(rt, rc, index);
    // GdiAlphaBlend takes premultiplied pixels, which is what the target holds.
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = sz.cx;
    bi.bmiHeader.biHeight = -sz.cy;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    SGdiObject<HBITMAP> bmp(CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bmp.get() || !bits)
        return nullptr;
    memcpy(bits, rt->GetCurrentBitmap()->GetPixelBits(), size_t(sz.cx) * sz.cy * 4);
    auto made = std::make_unique<Icon>();
    made->bmp = std::move(bmp);
    made->size = sz;
    m_icons.push_back(std::move(made));
    if (std::find(g_liveMenus.begin(), g_liveMenus.end(), this) == g_liveMenus.end())
        g_liveMenus.push_back(this);
    return m_icons.back().get();
}

BOOL SMenu::LoadMenuW(const wchar_t* resName, const wchar_t* type)
{
    auto* mgr = SResProviderMgr::getSingletonPtr();
    if (!mgr || !resName)
        return FALSE;
    std::wstring id = resName;
    if (id.find(L':') == std::wstring::npos)
        id = std::wstring(type ? type : L"smenu") + L":" + id;
    pugi::xml_document doc;
    if (!mgr->LoadXml(doc, id))
        return FALSE;
    return LoadMenuFromXml(doc.first_child());
}

BOOL SMenu::LoadMenuFromXml(pugi::xml_node menu)
{
    m_menu.reset();
    m_icons.clear();
    SMenuHandle h(CreatePopupMenu());
    if (!h.get() || !menu || !Fill(h.get(), menu, L"")) {
        SLog(L"menu could not be built");
        return FALSE;
    }
    m_menu.reset(h.release());
    return TRUE;
}

UINT SMenu::TrackPopupMenu(UINT flags, int x, int y, HWND owner, const RECT* rcExclude)
{
    if (!m_menu.get())
        return 0;
    SetForegroundWindow(owner);
    UINT r = UINT(::TrackPopupMenu(m_menu.get(), flags, x, y, 0, owner, rcExclude));
    // Lets the menu close properly when the next click goes to another program.
    PostMessageW(owner, WM_NULL, 0, 0);
    return r;
}

}  // namespace SOUI
