#include "engine/skins/SSkinImgFrame.h"
#include "engine/core/SAttrParse.h"

namespace SOUI {

namespace {
HRESULT Side(LONG& out, const std::wstring& v)
{
    int n;
    if (!ParseInt(v, n))
        return E_FAIL;
    out = n;
    return S_OK;
}
}  // namespace

HRESULT SSkinImgFrame::SetAttribute(const std::wstring& name, const std::wstring& value, BOOL loading)
{
    static const SAttrEntry<SSkinImgFrame> kAttrs[] = {
        {L"margin",
         [](SSkinImgFrame& s, const std::wstring& v) -> HRESULT { return ParseMargin(v, s.m_margin) ? S_OK : E_FAIL; }},
        {L"left", [](SSkinImgFrame& s, const std::wstring& v) { return Side(s.m_margin.left, v); }},
        {L"top", [](SSkinImgFrame& s, const std::wstring& v) { return Side(s.m_margin.top, v); }},
        {L"right", [](SSkinImgFrame& s, const std::wstring& v) { return Side(s.m_margin.right, v); }},
        {L"bottom", [](SSkinImgFrame& s, const std::wstring& v) { return Side(s.m_margin.bottom, v); }},
    };
    HRESULT hr = ApplyAttr(kAttrs, *this, name, value);
    return hr != E_NOTIMPL ? hr : Base::SetAttribute(name, value, loading);
}

void SSkinImgFrame::_DrawByIndex(IRenderTarget* rt, const RECT& rc, int index, BYTE alpha)
{
    if (!rt)
        return;
    int scale;
    IBitmap* bmp = PictureFor(rt, scale);
    if (!bmp)
        return;
    DrawNineGrid(rt, rc, bmp, StateRect(bmp, index), scale, alpha);
}

void SSkinImgFrame::DrawNineGrid(IRenderTarget* rt, const RECT& rc, IBitmap* bmp, const RECT& s, int scale, BYTE alpha)
{
    // The margins are in pixels of the picture `src` names. In the picture drawn they are
    // that many pixels at its scale, and on screen that many at the target's: with the
    // version made for the target's scale the corners and edges are copied 1:1.
    const int dpi = rt->GetDpi();
    auto inPicture = [&](LONG v) { return ScaleLength(int(v), scale, m_scale); };
    auto onScreen = [&](LONG v) { return ToDeviceLength(int(v), dpi, m_scale); };
    RECT sm = {inPicture(m_margin.left), inPicture(m_margin.top), inPicture(m_margin.right),
               inPicture(m_margin.bottom)};
    RECT m = {onScreen(m_margin.left), onScreen(m_margin.top), onScreen(m_margin.right), onScreen(m_margin.bottom)};
    int sw = s.right - s.left, sh = s.bottom - s.top;
    if (sm.left + sm.right > sw)
        sm.left = sm.right = sw / 2;
    if (sm.top + sm.bottom > sh)
        sm.top = sm.bottom = sh / 2;
    // A destination smaller than the corners shrinks them evenly.
    int dw = rc.right - rc.left, dh = rc.bottom - rc.top;
    if (m.left + m.right > dw)
        m.left = m.right = dw / 2;
    if (m.top + m.bottom > dh)
        m.top = m.bottom = dh / 2;
    const int sx[4] = {int(s.left), int(s.left + sm.left), int(s.right - sm.right), int(s.right)};
    const int sy[4] = {int(s.top), int(s.top + sm.top), int(s.bottom - sm.bottom), int(s.bottom)};
    const int dx[4] = {int(rc.left), int(rc.left + m.left), int(rc.right - m.right), int(rc.right)};
    const int dy[4] = {int(rc.top), int(rc.top + m.top), int(rc.bottom - m.bottom), int(rc.bottom)};
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            rt->DrawBitmap(RECT{dx[c], dy[r], dx[c + 1], dy[r + 1]}, bmp, RECT{sx[c], sy[r], sx[c + 1], sy[r + 1]},
                           alpha);
}

}  // namespace SOUI
