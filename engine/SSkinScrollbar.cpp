#include "engine/SSkinScrollbar.h"
#include "engine/SAttrParse.h"

namespace SOUI {

HRESULT SSkinScrollbar::SetAttribute(const std::wstring& name, const std::wstring& value, BOOL loading)
{
    static const SAttrEntry<SSkinScrollbar> kAttrs[] = {
        {L"hasGripper", [](SSkinScrollbar& s, const std::wstring& v) -> HRESULT {
             return ParseBool(v, s.m_hasGripper) ? S_OK : E_FAIL;
         }},
    };
    HRESULT hr = ApplyAttr(kAttrs, *this, name, value);
    return hr != E_NOTIMPL ? hr : Base::SetAttribute(name, value, loading);
}

SIZE SSkinScrollbar::GetSkinSize()
{
    if (!m_image) return SIZE{0, 0};
    return SIZE{m_image->Width() / 4, m_image->Height() / Rows()};
}

void SSkinScrollbar::DrawPart(IRenderTarget* rt, const RECT& rc, int part, int state, BYTE alpha)
{
    if (!m_image || !rt || part < 0 || part >= Rows()) return;
    if (state < 0 || state > 3) state = 0;
    SIZE cell = GetSkinSize();
    RECT src = {state * cell.cx, part * cell.cy, (state + 1) * cell.cx, (part + 1) * cell.cy};
    RECT m = m_margin;
    const int sx[4] = {int(src.left), int(src.left + m.left), int(src.right - m.right), int(src.right)};
    const int sy[4] = {int(src.top), int(src.top + m.top), int(src.bottom - m.bottom), int(src.bottom)};
    const int dx[4] = {int(rc.left), int(rc.left + m.left), int(rc.right - m.right), int(rc.right)};
    const int dy[4] = {int(rc.top), int(rc.top + m.top), int(rc.bottom - m.bottom), int(rc.bottom)};
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            rt->DrawBitmap(RECT{dx[c], dy[r], dx[c + 1], dy[r + 1]}, m_image,
                           RECT{sx[c], sy[r], sx[c + 1], sy[r + 1]}, alpha);
}

void SSkinScrollbar::_DrawByIndex(IRenderTarget* rt, const RECT& rc, int index, BYTE alpha)
{
    DrawPart(rt, rc, PartTrack, index, alpha);
}

} // namespace SOUI
