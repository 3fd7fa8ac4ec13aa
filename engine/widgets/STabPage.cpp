#include "engine/widgets/STabPage.h"
#include "engine/core/SResProviderMgr.h"

namespace SOUI {

HRESULT STabPage::SetAttribute(const std::wstring& name, const std::wstring& value, BOOL loading)
{
    static const SAttrEntry<STabPage> kAttrs[] = {
        {L"title", [](STabPage& p, const std::wstring& v) -> HRESULT {
             auto* mgr = SResProviderMgr::getSingletonPtr();
             p.m_title = mgr ? mgr->GetString(v) : v;
             return S_OK;
         }},
    };
    HRESULT hr = ApplyAttr(kAttrs, *this, name, value);
    return hr != E_NOTIMPL ? hr : Base::SetAttribute(name, value, loading);
}

} // namespace SOUI
