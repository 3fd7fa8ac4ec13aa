#include "engine/SSkinImgList.h"
#include "engine/SAttrParse.h"
#include "engine/SResProviderMgr.h"

namespace SOUI {

HRESULT SSkinImgList::SetAttribute(const std::wstring& name, const std::wstring& value, BOOL loading)
{
    static const SAttrEntry<SSkinImgList> kAttrs[] = {
        {L"src", [](SSkinImgList& s, const std::wstring& v) -> HRESULT {
             auto* mgr = SResProviderMgr::getSingletonPtr();
             s.m_image = mgr ? mgr->LoadImage2(v) : nullptr;
             return s.m_image ? S_OK : E_FAIL;
         }},
        {L"states", [](SSkinImgList& s, const std::wstring& v) -> HRESULT {
             int n;
             if (!ParseInt(v, n) || n < 1) return E_FAIL;
             s.m_states = n;
             return S_OK;
         }},
        {L"vertical", [](SSkinImgList& s, const std::wstring& v) -> HRESULT {
             return ParseBool(v, s.m_vertical) ? S_OK : E_FAIL;
         }},
        // Accepted for layouts written for tiled centres; the centre is stretched.
        {L"tile", [](SSkinImgList& s, const std::wstring& v) -> HRESULT {
             return ParseBool(v, s.m_tile) ? S_OK : E_FAIL;
         }},
    };
    HRESULT hr = ApplyAttr(kAttrs, *this, name, value);
    return hr != E_NOTIMPL ? hr : Base::SetAttribute(name, value, loading);
}

SIZE SSkinImgList::GetSkinSize()
{
    if (!m_image) return SIZE{0, 0};
    if (m_vertical) return SIZE{m_image->Width(), m_image->Height() / m_states};
    return SIZE{m_image->Width() / m_states, m_image->Height()};
}

RECT SSkinImgList::StateRect(int index) const
{
    if (index < 0 || index >= m_states) index = 0;
    if (m_vertical) {
        int h = m_image->Height() / m_states;
        return RECT{0, index * h, m_image->Width(), (index + 1) * h};
    }
    int w = m_image->Width() / m_states;
    return RECT{index * w, 0, (index + 1) * w, m_image->Height()};
}

void SSkinImgList::_DrawByIndex(IRenderTarget* rt, const RECT& rc, int index, BYTE alpha)
{
    if (!m_image || !rt) return;
    rt->DrawBitmap(rc, m_image, StateRect(index), alpha);
}

} // namespace SOUI
