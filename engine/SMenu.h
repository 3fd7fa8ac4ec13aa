#pragma once
#include <pugixml.hpp>
#include "engine/SHandles.h"

namespace SOUI {

// A native pop-up menu built from XML: <menu><item id="6">退出</item><sep/>...</menu>; an item
// holding items is a submenu; "disable" and "check" mark items.
class SMenu {
public:
    // "SMENU:menu_tray", or a name with its resource type.
    BOOL LoadMenuW(const wchar_t* resName, const wchar_t* type = L"smenu");
    BOOL LoadMenuFromXml(pugi::xml_node menu);
    // Brings owner to the foreground first, as a menu of a background window closes at once
    // otherwise. The chosen item arrives at owner as WM_COMMAND (or is returned with TPM_RETURNCMD).
    UINT TrackPopupMenu(UINT flags, int x, int y, HWND owner, const RECT* rcExclude = nullptr);
    HMENU GetHMenu() const { return m_menu.get(); }

private:
    SMenuHandle m_menu;
};

} // namespace SOUI
