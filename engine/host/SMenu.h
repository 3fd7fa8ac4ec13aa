#pragma once
#include <memory>
#include <vector>
#include <pugixml.hpp>
#include "engine/core/SHandles.h"

namespace SOUI {

// A native pop-up menu built from XML: <menu><item id="6">退出</item><sep/>...</menu>; an item
// holding items is a submenu; "disable" and "check" mark items. An item's "icon" is a state of
// the "iconSkin" named on the item or, inherited, on a menu or submenu above it.
class SMenu {
public:
    // "SMENU:menu_tray", or a name with its resource type.
    BOOL LoadMenuW(const wchar_t* resName, const wchar_t* type = L"smenu");
    BOOL LoadMenuFromXml(pugi::xml_node menu);
    // Brings owner to the foreground first, as a menu of a background window closes at once
    // otherwise. The chosen item arrives at owner as WM_COMMAND (or is returned with TPM_RETURNCMD).
    UINT TrackPopupMenu(UINT flags, int x, int y, HWND owner, const RECT* rcExclude = nullptr);
    HMENU GetHMenu() const { return m_menu.get(); }
    ~SMenu();

    // Icons are drawn by the menu's owner window (HBMMENU_CALLBACK), as a plain item bitmap
    // loses its alpha on some systems; host windows pass WM_MEASUREITEM / WM_DRAWITEM of
    // menus here. FALSE: not an icon of a live SMenu.
    static BOOL OnMeasureItem(MEASUREITEMSTRUCT* mis);
    static BOOL OnDrawItem(const DRAWITEMSTRUCT* dis);

private:
    struct Icon {
        SGdiObject<HBITMAP> bmp;  // 32-bit premultiplied
        SIZE size;
    };
    bool Fill(HMENU menu, pugi::xml_node node, const std::wstring& iconSkin);
    Icon* MakeIcon(const std::wstring& skinName, int index);
    static Icon* FindIcon(ULONG_PTR itemData);

    // The menu's items point at these; they outlive it (destroyed after m_menu).
    std::vector<std::unique_ptr<Icon>> m_icons;
    SMenuHandle m_menu;
};

}  // namespace SOUI
