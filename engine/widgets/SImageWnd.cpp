#include "engine/widgets/SImageWnd.h"
#include <oleacc.h>

namespace SOUI {

HRESULT SImageWnd::SetAttribute(const std::wstring& name, const std::wstring& value, BOOL loading)
{
    static const SAttrEntry<SImageWnd> kAttrs[] = {
        {L"src", [](SImageWnd& w, const std::wstring& v) -> HRESULT { return w.m_picture.Load(v) ? S_OK : E_FAIL; }},
        {L"sampling",
         [](SImageWnd& w, const std::wstring& v) -> HRESULT {
             if (v != L"nearest" && v != L"smooth")
                 return E_FAIL;
             w.m_nearest = v == L"nearest";
             return S_OK;
         }},
        {L"iconIndex",
         [](SImageWnd& w, const std::wstring& v) -> HRESULT { return ParseInt(v, w.m_icon) ? S_OK : E_FAIL; }},
    };
    HRESULT hr = ApplyAttr(kAttrs, *this, name, value);
    if (hr == E_NOTIMPL)
        return Base::SetAttribute(name, value, loading);
    if (hr == S_OK && !loading)
        Invalidate();
    return hr;
}

void SImageWnd::SetImage(IBitmap* bmp)
{
    m_picture.Set(bmp);
    Invalidate();
}

void SImageWnd::SetIcon(int index)
{
    m_icon = index;
    Invalidate();
}

SIZE SImageWnd::GetDesiredSize()
{
    // The base picture is drawn for 100 %.
    if (IBitmap* b = m_picture.Base())
        return SIZE{Scaled(b->Width()), Scaled(b->Height())};
    return Base::GetDesiredSize();
}

void SImageWnd::OnPaint(IRenderTarget* rt)
{
    if (m_crBkgnd != CR_INVALID)
        rt->FillSolidRect(GetClientRect(), m_crBkgnd);
    RECT rc = GetClientRect();
    int scale;
    if (IBitmap* b = m_picture.Pick(rt->GetDpi(), 100, scale)) {
        const RECT all = {0, 0, b->Width(), b->Height()};
        if (m_nearest)
            rt->DrawBitmapNearest(rc, b, all, 255);
        else
            rt->DrawBitmap(rc, b, all, 255);
    } else if (m_skin)
        m_skin->DrawByIndex(rt, rc, m_icon);
}

LONG SImageWnd::DefaultAccRole() const
{
    return ROLE_SYSTEM_GRAPHIC;
}

}  // namespace SOUI
