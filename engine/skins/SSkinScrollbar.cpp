#include "engine/skins/SSkinScrollbar.h"
#include "engine/core/SAttrParse.h"

namespace SOUI {

HRESULT SSkinScrollbar::SetAttribute(const std::wstring& name, const std::wstring& value, BOOL loading)
{
    static const SAttrEntry<SSkinScrollbar> kAttrs[] = {
        {L"hasGripper",
         [](SSkinScrollbar& s, const std::wstring& v) -> HRESULT {
             return ParseBool(v, s.m_hasGripper) ? S_OK : E_FAIL;
         }},
    };
    HRESULT hr = ApplyAttr(kAttrs, *this, name, value);
    return hr != E_NOTIMPL ? hr : Base::SetAttribute(name, value, loading);
}

SIZE SSkinScrollbar::GetSkinSize()
{
    IBitmap* bmp = m_picture.Base();
    if (!bmp)
        return SIZE{0, 0};
    return SIZE{ToDeviceLength(bmp->Width() / 4, 96, m_scale), ToDeviceLength(bmp->Height() / Rows(), 96, m_scale)};
}

void SSkinScrollbar::DrawPart(IRenderTarget* rt, const RECT& rc, int part, int state, BYTE alpha)
{
    if (!rt || part < 0 || part >= Rows())
        return;
    if (state < 0 || state > 3)
        state = 0;
    int scale;
    IBitmap* bmp = PictureFor(rt, scale);
    if (!bmp)
        return;
    int cw = bmp->Width() / 4, ch = bmp->Height() / Rows();
    DrawNineGrid(rt, rc, bmp, RECT{state * cw, part * ch, (state + 1) * cw, (part + 1) * ch}, scale, alpha);
}

void SSkinScrollbar::_DrawByIndex(IRenderTarget* rt, const RECT& rc, int index, BYTE alpha)
{
    DrawPart(rt, rc, PartTrack, index, alpha);
}

}  // namespace SOUI
