#pragma once
#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>
#include <memory>
#include <vector>
#include "SBitmapGdi.h"

namespace SOUI {

// Fills and pictures are plain pixel loops over the DIB (exact and fast, also under Wine);
// text and lines go through GDI+ on a GDI+ bitmap that shares the same pixels.
class SRenderTargetGdi : public TObjRefImpl<IRenderTarget> {
public:
    explicit SRenderTargetGdi(IObjRef* factory);
    BOOL Resize(int cx, int cy) override;
    SIZE GetSize() override;
    HDC GetDC() override { return m_hdc; }
    IBitmap* GetCurrentBitmap() override { return m_cur.get(); }
    void SelectBitmap(IBitmap* bmp) override;
    void PushClipRect(const RECT& rc) override;
    void PopClip() override;
    void ClearRect(const RECT& rc, COLORREF cr) override;
    void FillSolidRect(const RECT& rc, COLORREF cr) override;
    void DrawRectangle(const RECT& rc, COLORREF cr, int width) override;
    void DrawLine(POINT a, POINT b, COLORREF cr, int width) override;
    void DrawText(const wchar_t* text, int len, const RECT& rc, UINT format, IFont* font, COLORREF cr) override;
    SIZE MeasureText(const wchar_t* text, int len, IFont* font, int maxWidth) override;
    void DrawBitmap(const RECT& dst, IBitmap* bmp, const RECT& src, BYTE alpha) override;
    void DrawBitmapNearest(const RECT& dst, IBitmap* bmp, const RECT& src, BYTE alpha) override;
    void SetDpi(int dpi) override { m_dpi = dpi > 0 ? dpi : 96; }
    int GetDpi() const override { return m_dpi; }

private:
    ~SRenderTargetGdi() override;
    RECT Clip() const;
    // The destination pixels a picture draw touches; false when it draws nothing.
    bool BitmapArea(const RECT& dst, IBitmap* bmp, const RECT& src, BYTE alpha, RECT& r) const;
    void ApplyClip();
    void Select(SBitmapGdi* bmp);

    SAutoRefPtr<IObjRef> m_factory;
    SAutoRefPtr<SBitmapGdi> m_own;
    SAutoRefPtr<SBitmapGdi> m_cur;
    HDC m_hdc = nullptr;
    HGDIOBJ m_oldBmp = nullptr;
    std::unique_ptr<Gdiplus::Bitmap> m_gdipBmp;
    std::unique_ptr<Gdiplus::Graphics> m_graphics;
    std::vector<RECT> m_clips;
    int m_dpi = 96;
};

}  // namespace SOUI
