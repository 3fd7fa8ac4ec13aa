#include "engine/SSkinImgFrame.h"
#include "engine/SAttrParse.h"

namespace SOUI {

namespace {
HRESULT Side(LONG& out, const std::wstring& v)
{
    int n;
    if (!ParseInt(v, n)) return E_FAIL;
    out = n;
    return S_OK;
}
} // namespace

HRESULT SSkinImgFrame::SetAttribute(const std::wstring& name, const std::wstring& value, BOOL loading)
{
    static const SAttrEntry<SSkinImgFrame> kAttrs[] = {
        {L"margin", [](SSkinImgFrame& s, const std::wstring& v) -> HRESULT {
             return ParseMargin(v, s.m_margin) ? S_OK : E_FAIL;
         }},
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
    if (!m_image || !rt) return;
    RECT s = StateRect(index);
    RECT m = m_margin;
    // A destination smaller than the corners shrinks them evenly.
    int dw = rc.right - rc.left, dh = rc.bottom - rc.top;
    if (m.left + m.right > dw) m.left = m.right = dw / 2;
    if (m.top + m.bottom > dh) m.top = m.bottom = dh / 2;
    const int sx[4] = {s.left, s.left + int(m_margin.left), s.right - int(m_margin.right), s.right};
    const int sy[4] = {s.top, s.top + int(m_margin.top), s.bottom - int(m_margin.bottom), s.bottom};
    const int dx[4] = {rc.left, rc.left + int(m.left), rc.right - int(m.right), rc.right};
    const int dy[4] = {rc.top, rc.top + int(m.top), rc.bottom - int(m.bottom), rc.bottom};
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            rt->DrawBitmap(RECT{dx[c], dy[r], dx[c + 1], dy[r + 1]}, m_image,
                           RECT{sx[c], sy[r], sx[c + 1], sy[r + 1]}, alpha);
}

} // namespace SOUI
