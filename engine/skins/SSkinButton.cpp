#include "engine/skins/SSkinButton.h"
#include <algorithm>
#include "engine/core/SAttrParse.h"

namespace SOUI {

namespace {
HRESULT Colour(COLORREF& out, const std::wstring& v)
{
    return ParseColor(v, out) ? S_OK : E_FAIL;
}
}  // namespace

HRESULT SSkinButton::SetAttribute(const std::wstring& name, const std::wstring& value, BOOL loading)
{
    static const SAttrEntry<SSkinButton> kAttrs[] = {
        {L"colorBorder", [](SSkinButton& s, const std::wstring& v) { return Colour(s.m_crBorder, v); }},
        {L"colorUp", [](SSkinButton& s, const std::wstring& v) { return Colour(s.m_crFace[0], v); }},
        {L"colorHover", [](SSkinButton& s, const std::wstring& v) { return Colour(s.m_crFace[1], v); }},
        {L"colorDown", [](SSkinButton& s, const std::wstring& v) { return Colour(s.m_crFace[2], v); }},
        {L"colorDisable", [](SSkinButton& s, const std::wstring& v) { return Colour(s.m_crFace[3], v); }},
        {L"colorTextHover", [](SSkinButton& s, const std::wstring& v) { return Colour(s.m_crTextHover, v); }},
        {L"cornerSize",
         [](SSkinButton& s, const std::wstring& v) -> HRESULT { return ParseInt(v, s.m_corner) ? S_OK : E_FAIL; }},
    };
    HRESULT hr = ApplyAttr(kAttrs, *this, name, value);
    return hr != E_NOTIMPL ? hr : Base::SetAttribute(name, value, loading);
}

void SSkinButton::_DrawByIndex(IRenderTarget* rt, const RECT& rc, int index, BYTE alpha)
{
    if (!rt)
        return;
    if (index < 0 || index > 3)
        index = 0;
    auto withAlpha = [alpha](COLORREF c) { return (c & 0x00FFFFFF) | (COLORREF(GetAValue(c) * alpha / 255) << 24); };
    // Rounded corners are left square: the program's only button skin has radius 0.
    rt->FillSolidRect(rc, withAlpha(m_crFace[index]));
    // A hairline stays whole pixels: 1 up to 191 dpi, 2 at 200 %.
    if (m_crBorder != CR_INVALID)
        rt->DrawRectangle(rc, withAlpha(m_crBorder), std::max(1, rt->GetDpi() / 96));
}

}  // namespace SOUI
