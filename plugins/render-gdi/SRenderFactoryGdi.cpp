#include "SRenderFactoryGdi.h"
#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>
#include <cstring>
#include "SBitmapGdi.h"
#include "SFontGdi.h"
#include "SRenderTargetGdi.h"

namespace SOUI {

SRenderFactoryGdi::SRenderFactoryGdi()
{
    Gdiplus::GdiplusStartupInput in;
    if (Gdiplus::GdiplusStartup(&m_token, &in, nullptr) != Gdiplus::Ok)
        m_token = 0;
}

SRenderFactoryGdi::~SRenderFactoryGdi()
{
    m_decoder = nullptr;
    if (m_token)
        Gdiplus::GdiplusShutdown(m_token);
}

BOOL SRenderFactoryGdi::CreateRenderTarget(IRenderTarget** out, int cx, int cy)
{
    if (!out)
        return FALSE;
    auto* rt = new SRenderTargetGdi(this);
    if (!rt->Resize(cx, cy)) {
        rt->Release();
        return FALSE;
    }
    *out = rt;
    return TRUE;
}

BOOL SRenderFactoryGdi::CreateBitmap(IBitmap** out, int cx, int cy)
{
    if (!out)
        return FALSE;
    SBitmapGdi* b = SBitmapGdi::Create(cx, cy);
    if (!b)
        return FALSE;
    *out = b;
    return TRUE;
}

BOOL SRenderFactoryGdi::CreateBitmapFromMemory(IBitmap** out, const void* data, UINT size)
{
    if (!out || !m_decoder || !data || !size)
        return FALSE;
    SAutoRefPtr<IImgFrame> frame;
    if (!m_decoder->DecodeImage(data, size, frame.Out()) || !frame)
        return FALSE;
    SBitmapGdi* b = SBitmapGdi::Create(frame->Width(), frame->Height(), false);
    if (!b)
        return FALSE;
    memcpy(b->GetPixelBits(), frame->Pixels(), size_t(frame->Width()) * frame->Height() * 4);
    *out = b;
    return TRUE;
}

BOOL SRenderFactoryGdi::CreateFont(IFont** out, const wchar_t* face, int size, BOOL bold, BOOL italic, BOOL underline)
{
    if (!out)
        return FALSE;
    *out = new SFontGdi(this, face, size, bold, italic, underline);
    return TRUE;
}

}  // namespace SOUI

extern "C" __declspec(dllexport) BOOL SCreateInstance(SOUI::IObjRef** out)
{
    if (!out)
        return FALSE;
    auto* f = new SOUI::SRenderFactoryGdi;
    if (!f->Started()) {
        f->Release();
        return FALSE;
    }
    *out = f;
    return TRUE;
}
