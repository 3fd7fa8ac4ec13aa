#include "extend.ctrls/ssearchdropdownlist.h"
#include "engine/core/SAttrParse.h"
#include "engine/core/SDebug.h"
#include "engine/core/SDpi.h"
#include "engine/host/SHostWnd.h"

using namespace SOUI;

namespace {
// A value that does not parse gives 0, with a line saying so.
HRESULT SetInt(SSearchDropdownList& c, int& out, const wchar_t* attr, const std::wstring& v)
{
    if (!ParseInt(v, out)) {
        out = 0;
        c.LogBadValue(attr, v);
    }
    return S_FALSE;
}
}  // namespace

SSearchDropdownList::SSearchDropdownList()
{
    m_evtSet.addEvent(EventFillSearchDropdownList::EventID, EventFillSearchDropdownList::EventName());
}

SSearchDropdownList::~SSearchDropdownList()
{
    // Told as cancelled, while this object can still hear it.
    if (m_pDropDownWnd)
        m_pDropDownWnd->EndDropDown(IDCANCEL);
}

HRESULT SSearchDropdownList::SetAttribute(const std::wstring& name, const std::wstring& value, BOOL loading)
{
    static const SAttrEntry<SSearchDropdownList> kAttrs[] = {
        {L"dropAlign",
         [](SSearchDropdownList& c, const std::wstring& v) { return SetInt(c, c.m_dropAlign, L"dropAlign", v); }},
        {L"maxDropHeight", [](SSearchDropdownList& c,
                              const std::wstring& v) { return SetInt(c, c.m_maxDropHeight, L"maxDropHeight", v); }},
    };
    HRESULT hr = ApplyAttr(kAttrs, *this, name, value);
    return hr != E_NOTIMPL ? hr : Base::SetAttribute(name, value, loading);
}

BOOL SSearchDropdownList::CreateChildren(pugi::xml_node node)
{
    // "popupStyle" is the pop-up's template, not a widget of this tree.
    pugi::xml_document widgets;
    pugi::xml_node copy = widgets.append_copy(node);
    copy.remove_child("popupStyle");
    if (!Base::CreateChildren(copy))
        return FALSE;
    m_pEdit = FindChildByName2<SEdit>(L"edit_input");
    if (!m_pEdit) {
        SLog(Describe() + L" has no edit \"edit_input\"");
        return FALSE;
    }
    m_pEdit->SSendMessage(EM_SETEVENTMASK, 0, ENM_CHANGE);
    m_pEdit->GetEventSet()->subscribeEvent(EventRENotify::EventID, &SSearchDropdownList::OnEditNotify, this);
    m_pEdit->GetEventSet()->subscribeEvent(EventKillFocus::EventID, &SSearchDropdownList::OnEditKillFocus, this);
    m_popupTemplate.reset();
    if (pugi::xml_node tpl = node.child("popupStyle"))
        m_popupTemplate.append_copy(tpl);
    else
        SLog(Describe() + L" has no \"popupStyle\": its pop-up would stay empty");
    return TRUE;
}

bool SSearchDropdownList::OnEditNotify(EventArgs* evt)
{
    if (static_cast<EventRENotify*>(evt)->iNotify != EN_CHANGE)
        return false;
    m_keysLeft = false;
    if (!PreparePopup())
        return false;
    EventFillSearchDropdownList fill(this);
    fill.strKey = m_pEdit ? m_pEdit->GetWindowTextW() : GetWindowTextW();
    fill.pDropdownList = m_pDropDownWnd.get();
    fill.bPopup = false;
    FireEvent(&fill);
    if (fill.bPopup)
        ShowDropDown();
    // Nothing to show: hidden and out of the keys' way until the next change.
    else
        m_pDropDownWnd->EndDropDown(IDCANCEL);
    return false;
}

bool SSearchDropdownList::PreparePopup()
{
    // Its window went with the host's (destroyed and made again): the pop-up is made anew.
    if (m_pDropDownWnd && !m_pDropDownWnd->IsWindow())
        m_pDropDownWnd.reset();
    if (!m_pDropDownWnd) {
        auto popup = std::make_unique<SDropdownList>(this);
        popup->CreateFromTemplate(m_popupTemplate.child("popupStyle"));
        // Without its list the pop-up has nothing to fill, size or choose from.
        if (!popup->GetListView()) {
            SLog(Describe() + L": the pop-up has no list \"lv_dropdown\"; closed");
            return false;
        }
        m_pDropDownWnd = std::move(popup);
        return true;
    }
    // A new search: no rows or choice of the last one. Not under the click that chose a row,
    // whose rows are still on the stack.
    if (!m_pDropDownWnd->IsDroppedDown() && !m_selecting)
        m_pDropDownWnd->EmptyList();
    return true;
}

void SSearchDropdownList::OpenDropDown()
{
    if (m_pDropDownWnd && !m_keysLeft)
        ShowDropDown();
}

bool SSearchDropdownList::OnEditKillFocus(EventArgs*)
{
    // The keys went elsewhere (another window, a message box): the choice is not being made.
    m_keysLeft = true;
    if (m_pDropDownWnd)
        m_pDropDownWnd->EndDropDown(IDCANCEL);
    return false;
}

void SSearchDropdownList::ShowDropDown()
{
    SHostWnd* host = GetHostWnd();
    if (!m_pDropDownWnd || !host || !host->m_hWnd)
        return;
    SDropdownList* popup = m_pDropDownWnd.get();
    RECT rc = GetWindowRect();
    POINT tl = {rc.left, rc.top}, br = {rc.right, rc.bottom};
    ClientToScreen(host->m_hWnd, &tl);
    ClientToScreen(host->m_hWnd, &br);
    // The pop-up takes the scale of the monitor the control is on, before it is measured.
    RECT screenRc = {tl.x, tl.y, br.x, br.y};
    HMONITOR controlMonitor = MonitorFromRect(&screenRc, MONITOR_DEFAULTTONULL);
    int dpi = controlMonitor ? GetMonitorDpi(controlMonitor) : host->GetDpi();
    popup->SetDpi(dpi);

    RECT bounds = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    if (HMONITOR mon = MonitorFromWindow(host->m_hWnd, MONITOR_DEFAULTTONULL)) {
        MONITORINFO mi = {};
        mi.cbSize = sizeof(mi);
        if (GetMonitorInfoW(mon, &mi))
            bounds = mi.rcMonitor;  // the whole monitor: the taskbar does not count
    }

    SIZE sz = popup->GetDropSize();
    int maxHeight = ScaleForDpi(m_maxDropHeight, dpi);
    if (sz.cy > maxHeight)
        sz.cy = maxHeight;
    int x = m_dropAlign == 0 ? tl.x : br.x - sz.cx;
    int y = br.y;
    if (br.y + sz.cy > bounds.bottom)
        y = tl.y - sz.cy;
    const HWND wnd = popup->m_hWnd;
    if (::IsWindowVisible(wnd)) {
        popup->SetWindowPos(HWND_TOPMOST, x, y, sz.cx, sz.cy, SWP_NOACTIVATE);
    } else {
        RECT now = {};
        ::GetWindowRect(wnd, &now);
        if (now.left != x || now.top != y || now.right - now.left != sz.cx || now.bottom - now.top != sz.cy)
            popup->SetWindowPos(nullptr, x, y, sz.cx, sz.cy, SWP_NOZORDER | SWP_NOACTIVATE);
        // Drawn while hidden, so that it never shows the rows of an earlier search.
        popup->UpdateNow();
        popup->SetWindowPos(HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    }
    popup->SetCapture();
}

BOOL SSearchDropdownList::FireEvent(EventArgs* evt)
{
    if (evt && evt->GetID() == EVT_CMD && evt->nameFrom == L"lv_dropdown") {
        if (m_pDropDownWnd)
            m_pDropDownWnd->EndDropDown(IDOK);
        return TRUE;
    }
    return Base::FireEvent(evt);
}

void SSearchDropdownList::OnDestroyDropDown(SDropDownWnd* pDropDown)
{
    if (pDropDown->GetExitCode() != IDOK)
        return;
    auto* list = static_cast<SDropdownList*>(pDropDown);
    EventDropdownListSelected sel(this);
    sel.pDropdownList = list;
    sel.nSelIndex = list->GetCurSel();
    m_selecting = true;
    FireEvent(&sel);
    m_selecting = false;
}
