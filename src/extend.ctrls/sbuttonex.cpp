#include "extend.ctrls/sbuttonex.h"
#include <cwchar>
#include "engine/skins/SSkinPoolMgr.h"

using namespace SOUI;

HRESULT SButtonEx::SetAttribute(const std::wstring& name, const std::wstring& value, BOOL loading)
{
    static const SAttrEntry<SButtonEx> kAttrs[] = {
        {L"bkgndSkin",
         [](SButtonEx& b, const std::wstring& v) -> HRESULT {
             auto* pool = SSkinPoolMgr::getSingletonPtr();
             b.m_bkgndSkin = pool ? pool->GetSkin(v) : nullptr;
             if (!b.m_bkgndSkin)
                 b.LogBadValue(L"bkgndSkin", v);
             return S_OK;
         }},
        // "x,y"; a single number sets only x.
        {L"textShift",
         [](SButtonEx& b, const std::wstring& v) -> HRESULT {
             if (swscanf(v.c_str(), L"%d,%d", &b.m_shiftX, &b.m_shiftY) < 1)
                 b.LogBadValue(L"textShift", v);
             return S_OK;
         }},
    };
    HRESULT hr = ApplyAttr(kAttrs, *this, name, value);
    return hr != E_NOTIMPL ? hr : Base::SetAttribute(name, value, loading);
}

void SButtonEx::DrawSkinState(ISkinObj* skin, IRenderTarget* rt, const RECT& rc, DWORD state, BYTE fade)
{
    if (!skin || !rt)
        return;
    if (fade == 255) {
        skin->DrawByState(rt, rc, state);
        return;
    }
    BYTE alpha = skin->GetAlpha();
    BYTE a = BYTE((fade * alpha) >> 8);
    skin->DrawByIndex(rt, rc, 0, alpha);
    skin->DrawByIndex(rt, rc, 1, (state & WndState_Hover) ? a : BYTE(alpha - a));
}

void SButtonEx::OnPaint(IRenderTarget* rt)
{
    RECT rc = GetClientRect();
    if (m_crBkgnd != CR_INVALID)
        rt->FillSolidRect(rc, m_crBkgnd);
    DrawSkinState(m_bkgndSkin, rt, rc, m_state, GetFadeValue());
    DrawSkinState(m_skin, rt, rc, m_state, GetFadeValue());
    std::wstring text = GetWindowTextW();
    if (!text.empty())
        DrawTextW(rt, text.c_str(), int(text.size()), &rc, m_textFormat);
}

void SButtonEx::DrawTextW(IRenderTarget* rt, const wchar_t* text, int len, RECT* rc, UINT format)
{
    if ((m_shiftX || m_shiftY) && (m_state & WndState_PushDown)) {
        RECT shifted = *rc;
        shifted.left += Scaled(m_shiftX);
        shifted.top += Scaled(m_shiftY);
        Base::DrawTextW(rt, text, len, &shifted, format);
        return;
    }
    Base::DrawTextW(rt, text, len, rc, format);
}
