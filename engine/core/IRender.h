#pragma once
#include "engine/core/SObjRef.h"

// The seam between the engine and its two plug-ins. Plug-ins see only these abstract classes,
// so nothing of the standard library crosses a module boundary.
namespace SOUI {

// Colours are 0xAABBGGRR (COLORREF with alpha in the high byte).
inline constexpr COLORREF RGBA(BYTE r, BYTE g, BYTE b, BYTE a)
{
    return COLORREF(r) | (COLORREF(g) << 8) | (COLORREF(b) << 16) | (COLORREF(a) << 24);
}
inline constexpr COLORREF CR_INVALID = 0x00FFFFFF;
inline constexpr BYTE GetAValue(COLORREF c)
{
    return BYTE(c >> 24);
}

// One decoded picture: premultiplied BGRA, top-down rows, stride = width * 4.
struct IImgFrame : IObjRef {
    virtual int Width() const = 0;
    virtual int Height() const = 0;
    virtual const BYTE* Pixels() const = 0;
};

struct IImgDecoderFactory : IObjRef {
    // Decodes PNG or BMP bytes; FALSE (and *out untouched) when the data is not a picture.
    virtual BOOL DecodeImage(const void* data, UINT size, IImgFrame** out) = 0;
};

// A 32-bit premultiplied BGRA bitmap (a DIB section owned by the render plug-in).
struct IBitmap : IObjRef {
    virtual int Width() const = 0;
    virtual int Height() const = 0;
    virtual BYTE* GetPixelBits() = 0;
};

struct IFont : IObjRef {
    virtual const wchar_t* FaceName() const = 0;  // the face actually used after fallback
    virtual int Size() const = 0;                 // em height in pixels
    virtual HFONT GetHFont() = 0;                 // an equivalent GDI font, owned by the font object
};

// Draws into the selected bitmap. Clip rectangles nest; every operation honours the innermost.
struct IRenderTarget : IObjRef {
    virtual BOOL Resize(int cx, int cy) = 0;  // new own bitmap; content undefined
    virtual SIZE GetSize() = 0;
    virtual HDC GetDC() = 0;  // memory DC holding the selected bitmap
    virtual IBitmap* GetCurrentBitmap() = 0;
    virtual void SelectBitmap(IBitmap* bmp) = 0;  // nullptr returns to the target's own bitmap
    virtual void PushClipRect(const RECT& rc) = 0;
    virtual void PopClip() = 0;
    virtual void ClearRect(const RECT& rc, COLORREF cr) = 0;      // replaces pixels, alpha included
    virtual void FillSolidRect(const RECT& rc, COLORREF cr) = 0;  // blends over
    virtual void DrawRectangle(const RECT& rc, COLORREF cr, int width) = 0;
    virtual void DrawLine(POINT a, POINT b, COLORREF cr, int width) = 0;
    // DT_LEFT/CENTER/RIGHT, DT_TOP/VCENTER/BOTTOM, DT_SINGLELINE, DT_WORDBREAK, DT_END_ELLIPSIS.
    virtual void DrawText(const wchar_t* text, int len, const RECT& rc, UINT format, IFont* font, COLORREF cr) = 0;
    virtual SIZE MeasureText(const wchar_t* text, int len, IFont* font, int maxWidth) = 0;
    // Draws src of bmp into dst with an overall alpha. Equal sizes copy pixel for pixel; a
    // stretch is filtered (bilinear up, area average down), never reaching outside src.
    virtual void DrawBitmap(const RECT& dst, IBitmap* bmp, const RECT& src, BYTE alpha) = 0;
    // As DrawBitmap, but each pixel takes its nearest source pixel: for pictures made of
    // cells (a QR code), which must keep hard edges at any size.
    virtual void DrawBitmapNearest(const RECT& dst, IBitmap* bmp, const RECT& src, BYTE alpha)
    {
        DrawBitmap(dst, bmp, src, alpha);
    }
    // The display scale this target draws for, in dots per inch (96 = 100 %). Set by the window
    // that owns the target; skins read it to pick pictures and scale their borders.
    virtual void SetDpi(int dpi) = 0;
    virtual int GetDpi() const = 0;
};

struct IRenderFactory : IObjRef {
    virtual void SetImgDecoderFactory(IImgDecoderFactory* dec) = 0;
    virtual IImgDecoderFactory* GetImgDecoderFactory() = 0;
    virtual BOOL CreateRenderTarget(IRenderTarget** out, int cx, int cy) = 0;
    virtual BOOL CreateBitmap(IBitmap** out, int cx, int cy) = 0;  // transparent black
    virtual BOOL CreateBitmapFromMemory(IBitmap** out, const void* data, UINT size) = 0;
    // Missing CJK faces fall back to an installed CJK face.
    virtual BOOL CreateFont(IFont** out, const wchar_t* face, int size, BOOL bold, BOOL italic, BOOL underline) = 0;
};

// Each plug-in exports: extern "C" BOOL SCreateInstance(IObjRef** out).
using FunSCreateInstance = BOOL (*)(IObjRef** out);

// A render plug-in may also export "SGetGdiObjectCount": the GDI objects of one kind it holds
// now (created minus deleted), -1 for an unknown kind. A delete that Windows refuses (a bitmap
// still selected into a DC) is not counted as one, whatever Wine does with it.
enum GdiObjectKind { GdiKind_DC = 0, GdiKind_Bitmap = 1, GdiKind_Font = 2, GdiKind_Count = 3 };
using FunSGetGdiObjectCount = LONG (*)(int kind);

}  // namespace SOUI
