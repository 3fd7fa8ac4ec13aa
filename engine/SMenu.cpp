#include "engine/SMenu.h"
#include <string>
#include "engine/SDebug.h"
#include "engine/SResProviderMgr.h"
#include "engine/SStringUtil.h"

namespace SOUI {

namespace {
bool Fill(HMENU menu, pugi::xml_node node)
{
    for (auto e : node.children()) {
        if (e.type() != pugi::node_element) continue;
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
        if (auto* mgr = SResProviderMgr::getSingletonPtr()) text = mgr->GetString(text);
        UINT flags = MF_STRING;
        if (e.attribute("disable").as_bool()) flags |= MF_GRAYED;
        if (e.attribute("check").as_bool()) flags |= MF_CHECKED;
        if (e.child("item")) {
            SMenuHandle sub(CreatePopupMenu());
            if (!sub.get() || !Fill(sub.get(), e)) return false;
            if (!AppendMenuW(menu, flags | MF_POPUP, reinterpret_cast<UINT_PTR>(sub.get()), text.c_str())) return false;
            sub.release(); // the parent menu owns it now
        } else {
            if (!AppendMenuW(menu, flags, UINT_PTR(e.attribute("id").as_uint()), text.c_str())) return false;
        }
    }
    return true;
}
} // namespace

BOOL SMenu::LoadMenuW(const wchar_t* resName, const wchar_t* type)
{
    auto* mgr = SResProviderMgr::getSingletonPtr();
    if (!mgr || !resName) return FALSE;
    std::wstring id = resName;
    if (id.find(L':') == std::wstring::npos) id = std::wstring(type ? type : L"smenu") + L":" + id;
    pugi::xml_document doc;
    if (!mgr->LoadXml(doc, id)) return FALSE;
    return LoadMenuFromXml(doc.first_child());
}

BOOL SMenu::LoadMenuFromXml(pugi::xml_node menu)
{
    SMenuHandle h(CreatePopupMenu());
    if (!h.get() || !menu || !Fill(h.get(), menu)) {
        SLog(L"menu could not be built");
        return FALSE;
    }
    m_menu.reset(h.release());
    return TRUE;
}

UINT SMenu::TrackPopupMenu(UINT flags, int x, int y, HWND owner, const RECT* rcExclude)
{
    if (!m_menu.get()) return 0;
    SetForegroundWindow(owner);
    UINT r = UINT(::TrackPopupMenu(m_menu.get(), flags, x, y, 0, owner, rcExclude));
    // Lets the menu close properly when the next click goes to another program.
    PostMessageW(owner, WM_NULL, 0, 0);
    return r;
}

} // namespace SOUI
