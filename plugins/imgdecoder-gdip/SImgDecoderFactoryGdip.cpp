#include "SImgDecoderFactoryGdip.h"
#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>
#include <shlwapi.h>
#include <cstring>
#include <memory>
#include "SImgFrameGdip.h"

namespace SOUI {

SImgDecoderFactoryGdip::SImgDecoderFactoryGdip()
{
    Gdiplus::GdiplusStartupInput in;
    if (Gdiplus::GdiplusStartup(&m_token, &in, nullptr) != Gdiplus::Ok)
        m_token = 0;
}

SImgDecoderFactoryGdip::~SImgDecoderFactoryGdip()
{
    if (m_token)
        Gdiplus::GdiplusShutdown(m_token);
}

BOOL SImgDecoderFactoryGdip::DecodeImage(const void* data, UINT size, IImgFrame** out)
{
    if (!out || !data || size == 0)
        return FALSE;
    IStream* stream = SHCreateMemStream(static_cast<const BYTE*>(data), size);
    if (!stream)
        return FALSE;
    BOOL ok = FALSE;
    {
        std::unique_ptr<Gdiplus::Bitmap> bmp(Gdiplus::Bitmap::FromStream(stream));
        if (bmp && bmp->GetLastStatus() == Gdiplus::Ok && bmp->GetWidth() > 0 && bmp->GetHeight() > 0) {
            int cx = int(bmp->GetWidth()), cy = int(bmp->GetHeight());
            Gdiplus::Rect rc(0, 0, cx, cy);
            Gdiplus::BitmapData bd = {};
            if (bmp->LockBits(&rc, Gdiplus::ImageLockModeRead, PixelFormat32bppPARGB, &bd) == Gdiplus::Ok) {
                auto* frame = new SImgFrameGdip(cx, cy);
                for (int y = 0; y < cy; ++y)
                    memcpy(frame->MutablePixels() + size_t(y) * cx * 4,
                           static_cast<const BYTE*>(bd.Scan0) + ptrdiff_t(y) * bd.Stride, size_t(cx) * 4);
                bmp->UnlockBits(&bd);
                *out = frame;
                ok = TRUE;
            }
        }
    }
    stream->Release();
    return ok;
}

}  // namespace SOUI

extern "C" __declspec(dllexport) BOOL SCreateInstance(SOUI::IObjRef** out)
{
    if (!out)
        return FALSE;
    auto* f = new SOUI::SImgDecoderFactoryGdip;
    if (!f->Started()) {
        f->Release();
        return FALSE;
    }
    *out = f;
    return TRUE;
}
