#include "extend.ctrls/sdropdownlist.h"

using namespace SOUI;

SDropdownList::SDropdownList(ISDropDownOwner* owner) : SDropDownWnd(owner) {}

BOOL SDropdownList::CreateFromTemplate(pugi::xml_node node)
{
    ISDropDownOwner* owner = GetOwnerInterface();
    SWindow* ownerWnd = owner ? owner->GetDropDownOwner() : nullptr;
    SHostWnd* host = ownerWnd ? ownerWnd->GetHostWnd() : nullptr;
    if (!CreateDropDown(host ? host->m_hWnd : nullptr))
        return FALSE;
    if (!node)
        return TRUE;
    // Laid out at the scale of the window it drops from.
    if (host)
        SetDpi(host->GetDpi());
    InitFromXml(node);
    m_pListView = FindChildByName2<SListView>(L"lv_dropdown");
    if (m_pListView) {
        m_pListView->SetOwner(ownerWnd);
        m_pListView->SetFocus();
    }
    return TRUE;
}

SIZE SDropdownList::GetDropSize()
{
    ISDropDownOwner* owner = GetOwnerInterface();
    SWindow* ownerWnd = owner ? owner->GetDropDownOwner() : nullptr;
    RECT rc = ownerWnd ? ownerWnd->GetWindowRect() : RECT{0, 0, 0, 0};
    int rows = m_pListView ? m_pListView->GetItemLocator()->GetTotalHeight() : 0;
    // One pixel of border above and one below, each scaled on its own as the list's margin is.
    return SIZE{rc.right - rc.left, rows + 2 * Scaled(1)};
}

void SDropdownList::EmptyList()
{
    if (m_pListView)
        m_pListView->SetAdapter(nullptr);
}

int SDropdownList::GetCurSel() const
{
    return m_pListView ? m_pListView->GetSel() : -1;
}

BOOL SDropdownList::PreTranslateMessage(MSG* msg)
{
    if (Base::PreTranslateMessage(msg))
        return TRUE;
    // Hidden between searches, it leaves the keys to the edit.
    if (!m_hWnd || !IsDroppedDown())
        return FALSE;
    bool take = msg->message == WM_MOUSEWHEEL;
    if (msg->message == WM_KEYDOWN || msg->message == WM_KEYUP)
        take = msg->wParam == VK_UP || msg->wParam == VK_DOWN || msg->wParam == VK_RETURN || msg->wParam == VK_ESCAPE;
    if (!take)
        return FALSE;
    // The pop-up may end (and go) inside this call: nothing of this object is touched after it.
    ::SendMessageW(m_hWnd, msg->message, msg->wParam, msg->lParam);
    return TRUE;
}
