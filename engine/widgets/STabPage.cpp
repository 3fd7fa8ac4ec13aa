#include "engine/widgets/STabPage.h"
#include <oleacc.h>
#include "engine/core/SResProviderMgr.h"
#include "engine/host/SHostWnd.h"
#include "engine/widgets/STabCtrl.h"

namespace SOUI {

HRESULT STabPage::SetAttribute(const std::wstring& name, const std::wstring& value, BOOL loading)
{
    static const SAttrEntry<STabPage> kAttrs[] = {
        {L"title",
         [](STabPage& p, const std::wstring& v) -> HRESULT {
             auto* mgr = SResProviderMgr::getSingletonPtr();
             p.m_title = mgr ? mgr->GetString(v) : v;
             return S_OK;
         }},
    };
    HRESULT hr = ApplyAttr(kAttrs, *this, name, value);
    return hr != E_NOTIMPL ? hr : Base::SetAttribute(name, value, loading);
}

STabCtrl* STabPage::TabOwner() const
{
    auto* tabs = dynamic_cast<STabCtrl*>(m_parent);
    return tabs && tabs->HasTabs() ? tabs : nullptr;
}

LONG STabPage::DefaultAccRole() const
{
    return TabOwner() ? ROLE_SYSTEM_PAGETAB : Base::DefaultAccRole();
}

DWORD STabPage::GetAccState() const
{
    STabCtrl* tabs = TabOwner();
    if (!tabs)
        return Base::GetAccState();
    // The tab shows while its control does, whether its page is the one shown or not.
    DWORD s = tabs->GetAccState() & (STATE_SYSTEM_INVISIBLE | STATE_SYSTEM_UNAVAILABLE);
    s |= STATE_SYSTEM_SELECTABLE;
    if (tabs->GetCurSel() == tabs->IndexOf(this))
        s |= STATE_SYSTEM_SELECTED;
    return s;
}

RECT STabPage::GetAccScreenRect() const
{
    STabCtrl* tabs = TabOwner();
    if (!tabs)
        return Base::GetAccScreenRect();
    RECT rc = tabs->TabRect(tabs->IndexOf(this));
    if (m_host && m_host->m_hWnd)
        ::MapWindowPoints(m_host->m_hWnd, nullptr, reinterpret_cast<POINT*>(&rc), 2);
    return rc;
}

std::wstring STabPage::GetAccDefaultAction() const
{
    return TabOwner() ? L"切换" : L"";
}

void STabPage::DoAccDefaultAction()
{
    AccTakeSelection();
}

bool STabPage::AccTakeSelection()
{
    STabCtrl* tabs = TabOwner();
    return tabs && tabs->SetCurSel(tabs->IndexOf(this));
}

void STabPage::GetAccChildren(std::vector<SWindow*>& out) const
{
    if (IsVisible())
        Base::GetAccChildren(out);
}

}  // namespace SOUI
