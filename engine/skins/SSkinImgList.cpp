#include "engine/skins/SSkinImgList.h"
#include "engine/core/SAttrParse.h"

namespace SOUI {

HRESULT SSkinImgList::SetAttribute(const std::wstring& name, const std::wstring& value, BOOL loading)
{
    static const SAttrEntry<SSkinImgList> kAttrs[] = {
        {L"src", [](SSkinImgList& s, const std::wstring& v) -> HRESULT { return s.m_picture.Load(v) ? S_OK : E_FAIL; }},
        {L"states",
         [](SSkinImgList& s, const std::wstring& v) -> HRESULT {
             int n;
             if (!ParseInt(v, n) || n < 1)
                 return E_FAIL;
             s.m_states = n;
             return S_OK;
         }},
        {L"vertical",
         [](SSkinImgList& s, const std::wstring& v) -> HRESULT { return ParseBool(v, s.m_vertical) ? S_OK : E_FAIL; }},
        // Accepted for layouts written for tiled centres; the centre is stretched.
        {L"tile",
         [](SSkinImgList& s, const std::wstring& v) -> HRESULT { return ParseBool(v, s.m_tile) ? S_OK : E_FAIL; }},
    };
    HRESULT hr = ApplyAttr(kAttrs, *this, name, value);
    return hr != E_NOTIMPL ? hr : Base::SetAttribute(name, value, loading);
}

SIZE SSkinImgList::GetSkinSize()
{
    IBitmap* bmp = m_picture.Base();
    if (!bmp)
        return SIZE{0, 0};
    int w = bmp->Width(), h = bmp->Height();
    if (m_vertical)
        h /= m_states;
    else
        w /= m_states;
    return SIZE{ToDeviceLength(w, 96, m_scale), ToDeviceLength(h, 96, m_scale)};
}

RECT SSkinImgList::StateRect(IBitmap* bmp, int index) const
{
    if (index < 0 || index >= m_states)
        index = 0;
    if (m_vertical) {
        int h = bmp->Height() / m_states;
        return RECT{0, index * h, bmp->Width(), (index + 1) * h};
    }
    int w = bmp->Width() / m_states;
    return RECT{index * w, 0, (index + 1) * w, bmp->Height()};
}

void SSkinImgList::_DrawByIndex(IRenderTarget* rt, const RECT& rc, int index, BYTE alpha)
{
    if (!rt)
        return;
    int scale;
    IBitmap* bmp = PictureFor(rt, scale);
    if (bmp)
        rt->DrawBitmap(rc, bmp, StateRect(bmp, index), alpha);
}

}  // namespace SOUI
