#include "engine/SImageWnd.h"
#include "engine/SResProviderMgr.h"

namespace SOUI {

HRESULT SImageWnd::SetAttribute(const std::wstring& name, const std::wstring& value, BOOL loading)
{
    static const SAttrEntry<SImageWnd> kAttrs[] = {
        {L"src", [](SImageWnd& w, const std::wstring& v) -> HRESULT {
             auto* mgr = SResProviderMgr::getSingletonPtr();
             IBitmap* b = mgr ? mgr->LoadImage2(v) : nullptr;
             w.m_image = b;
             return b ? S_OK : E_FAIL;
         }},
        {L"iconIndex", [](SImageWnd& w, const std::wstring& v) -> HRESULT {
             return ParseInt(v, w.m_icon) ? S_OK : E_FAIL;
         }},
    };
    HRESULT hr = ApplyAttr(kAttrs, *this, name, value);
    if (hr == E_NOTIMPL) return Base::SetAttribute(name, value, loading);
    if (hr == S_OK && !loading) Invalidate();
    return hr;
}

void SImageWnd::SetImage(IBitmap* bmp)
{
    m_image = bmp;
    Invalidate();
}

void SImageWnd::SetIcon(int index)
{
    m_icon = index;
    Invalidate();
}

SIZE SImageWnd::GetDesiredSize()
{
    if (m_image) return SIZE{Scaled(m_image->Width()), Scaled(m_image->Height())};
    return Base::GetDesiredSize();
}

void SImageWnd::OnPaint(IRenderTarget* rt)
{
    if (m_crBkgnd != CR_INVALID) rt->FillSolidRect(GetClientRect(), m_crBkgnd);
    RECT rc = GetClientRect();
    if (m_image) rt->DrawBitmap(rc, m_image, RECT{0, 0, m_image->Width(), m_image->Height()}, 255);
    else if (m_skin) m_skin->DrawByIndex(rt, rc, m_icon);
}

} // namespace SOUI
