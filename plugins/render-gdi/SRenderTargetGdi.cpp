#include "SRenderTargetGdi.h"
#include <algorithm>
#include "SFontGdi.h"
#include "SGdiCount.h"

namespace SOUI {

namespace {
inline DWORD Premultiply(COLORREF cr)
{
    DWORD a = GetAValue(cr);
    DWORD r = GetRValue(cr) * a / 255, g = GetGValue(cr) * a / 255, b = GetBValue(cr) * a / 255;
    return (a << 24) | (r << 16) | (g << 8) | b;
}

// Source-over for premultiplied pixels, with an extra overall alpha on the source.
inline DWORD Blend(DWORD dst, DWORD src, DWORD alpha)
{
    if (alpha != 255) {
        DWORD rb = ((src & 0x00FF00FF) * alpha) >> 8 & 0x00FF00FF;
        DWORD ag = ((src >> 8) & 0x00FF00FF) * alpha & 0xFF00FF00;
        src = rb | ag;
    }
    DWORD sa = src >> 24;
    if (sa == 255) return src;
    if (sa == 0) return dst;
    DWORD inv = 255 - sa;
    DWORD rb = (((dst & 0x00FF00FF) * inv) >> 8) & 0x00FF00FF;
    DWORD ag = (((dst >> 8) & 0x00FF00FF) * inv) & 0xFF00FF00;
    return src + (rb | ag);
}

Gdiplus::Color ToGdip(COLORREF cr)
{
    return Gdiplus::Color(GetAValue(cr), GetRValue(cr), GetGValue(cr), GetBValue(cr));
}

bool Intersect(RECT& out, const RECT& a, const RECT& b)
{
    return IntersectRect(&out, &a, &b) != FALSE;
}
} // namespace

SRenderTargetGdi::SRenderTargetGdi(IObjRef* factory) : m_factory(factory)
{
    m_hdc = CreateCompatibleDC(nullptr);
    if (m_hdc) GdiCountCreated(GdiKind_DC);
}

SRenderTargetGdi::~SRenderTargetGdi()
{
    m_graphics.reset();
    m_gdipBmp.reset();
    if (m_hdc) {
        // The bitmaps leave the DC before the members release them.
        if (m_oldBmp) SelectObject(m_hdc, m_oldBmp);
        if (DeleteDC(m_hdc)) GdiCountDeleted(GdiKind_DC);
    }
}

BOOL SRenderTargetGdi::Resize(int cx, int cy)
{
    SBitmapGdi* b = SBitmapGdi::Create(std::max(cx, 1), std::max(cy, 1));
    if (!b) return FALSE;
    // The new bitmap goes into the DC before the old one can be released.
    Select(b);
    m_own.Attach(b);
    return TRUE;
}

SIZE SRenderTargetGdi::GetSize()
{
    if (!m_cur) return SIZE{0, 0};
    return SIZE{m_cur->Width(), m_cur->Height()};
}

void SRenderTargetGdi::SelectBitmap(IBitmap* bmp)
{
    // Only bitmaps of this plug-in can be selected; they are all SBitmapGdi.
    Select(bmp ? static_cast<SBitmapGdi*>(bmp) : m_own.get());
}

void SRenderTargetGdi::Select(SBitmapGdi* bmp)
{
    m_graphics.reset();
    m_gdipBmp.reset();
    m_clips.clear();
    // Into the DC before m_cur lets the old one go: releasing it may delete it, and Windows
    // refuses to delete a bitmap that is still selected.
    if (HGDIOBJ next = bmp ? bmp->GetHBitmap() : m_oldBmp) {
        HGDIOBJ old = SelectObject(m_hdc, next);
        if (!m_oldBmp) m_oldBmp = old;
    }
    if (bmp) bmp->SetDC(m_hdc);
    m_cur = bmp;
    if (!bmp) return;
    m_gdipBmp = std::make_unique<Gdiplus::Bitmap>(bmp->Width(), bmp->Height(), bmp->Width() * 4,
                                                  PixelFormat32bppPARGB, bmp->GetPixelBits());
    m_graphics.reset(Gdiplus::Graphics::FromImage(m_gdipBmp.get()));
    if (m_graphics) {
        m_graphics->SetTextRenderingHint(Gdiplus::TextRenderingHintAntiAliasGridFit);
        m_graphics->SetPageUnit(Gdiplus::UnitPixel);
    }
}

RECT SRenderTargetGdi::Clip() const
{
    if (!m_clips.empty()) return m_clips.back();
    RECT rc = {0, 0, 0, 0};
    if (m_cur) rc = RECT{0, 0, m_cur->Width(), m_cur->Height()};
    return rc;
}

void SRenderTargetGdi::ApplyClip()
{
    if (!m_graphics) return;
    RECT rc = Clip();
    m_graphics->SetClip(Gdiplus::Rect(rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top));
}

void SRenderTargetGdi::PushClipRect(const RECT& rc)
{
    RECT r;
    if (!Intersect(r, Clip(), rc)) r = RECT{0, 0, 0, 0};
    m_clips.push_back(r);
    ApplyClip();
}

void SRenderTargetGdi::PopClip()
{
    if (!m_clips.empty()) m_clips.pop_back();
    ApplyClip();
}

void SRenderTargetGdi::ClearRect(const RECT& rc, COLORREF cr)
{
    RECT r;
    if (!m_cur || !Intersect(r, Clip(), rc)) return;
    DWORD px = Premultiply(cr);
    int w = m_cur->Width();
    auto* bits = reinterpret_cast<DWORD*>(m_cur->GetPixelBits());
    for (int y = r.top; y < r.bottom; ++y) std::fill(bits + y * w + r.left, bits + y * w + r.right, px);
}

void SRenderTargetGdi::FillSolidRect(const RECT& rc, COLORREF cr)
{
    if (GetAValue(cr) == 255) return ClearRect(rc, cr);
    RECT r;
    if (!m_cur || GetAValue(cr) == 0 || !Intersect(r, Clip(), rc)) return;
    DWORD px = Premultiply(cr);
    int w = m_cur->Width();
    auto* bits = reinterpret_cast<DWORD*>(m_cur->GetPixelBits());
    for (int y = r.top; y < r.bottom; ++y) {
        DWORD* row = bits + y * w;
        for (int x = r.left; x < r.right; ++x) row[x] = Blend(row[x], px, 255);
    }
}

void SRenderTargetGdi::DrawRectangle(const RECT& rc, COLORREF cr, int width)
{
    if (width <= 0) return;
    FillSolidRect(RECT{rc.left, rc.top, rc.right, rc.top + width}, cr);
    FillSolidRect(RECT{rc.left, rc.bottom - width, rc.right, rc.bottom}, cr);
    FillSolidRect(RECT{rc.left, rc.top + width, rc.left + width, rc.bottom - width}, cr);
    FillSolidRect(RECT{rc.right - width, rc.top + width, rc.right, rc.bottom - width}, cr);
}

void SRenderTargetGdi::DrawLine(POINT a, POINT b, COLORREF cr, int width)
{
    if (!m_graphics) return;
    Gdiplus::Pen pen(ToGdip(cr), Gdiplus::REAL(width));
    m_graphics->DrawLine(&pen, INT(a.x), INT(a.y), INT(b.x), INT(b.y));
}

void SRenderTargetGdi::DrawText(const wchar_t* text, int len, const RECT& rc, UINT format,
                                IFont* font, COLORREF cr)
{
    if (!m_graphics || !text || !font || GetAValue(cr) == 0) return;
    if (len < 0) len = lstrlenW(text);
    if (len == 0) return;
    Gdiplus::StringFormat sf(Gdiplus::StringFormat::GenericTypographic());
    sf.SetAlignment((format & DT_CENTER)  ? Gdiplus::StringAlignmentCenter
                    : (format & DT_RIGHT) ? Gdiplus::StringAlignmentFar
                                          : Gdiplus::StringAlignmentNear);
    sf.SetLineAlignment((format & DT_VCENTER)  ? Gdiplus::StringAlignmentCenter
                        : (format & DT_BOTTOM) ? Gdiplus::StringAlignmentFar
                                               : Gdiplus::StringAlignmentNear);
    INT flags = Gdiplus::StringFormatFlagsMeasureTrailingSpaces;
    if (format & DT_SINGLELINE || !(format & DT_WORDBREAK)) flags |= Gdiplus::StringFormatFlagsNoWrap;
    sf.SetFormatFlags(flags);
    sf.SetTrimming((format & (DT_END_ELLIPSIS | DT_WORD_ELLIPSIS)) ? Gdiplus::StringTrimmingEllipsisCharacter
                                                                   : Gdiplus::StringTrimmingNone);
    Gdiplus::SolidBrush brush(ToGdip(cr));
    Gdiplus::RectF box(Gdiplus::REAL(rc.left), Gdiplus::REAL(rc.top), Gdiplus::REAL(rc.right - rc.left),
                       Gdiplus::REAL(rc.bottom - rc.top));
    m_graphics->DrawString(text, len, static_cast<SFontGdi*>(font)->GetGdipFont(), box, &sf, &brush);
}

SIZE SRenderTargetGdi::MeasureText(const wchar_t* text, int len, IFont* font, int maxWidth)
{
    SIZE sz = {0, 0};
    if (!m_graphics || !text || !font) return sz;
    if (len < 0) len = lstrlenW(text);
    auto* f = static_cast<SFontGdi*>(font)->GetGdipFont();
    Gdiplus::StringFormat sf(Gdiplus::StringFormat::GenericTypographic());
    sf.SetFormatFlags(Gdiplus::StringFormatFlagsMeasureTrailingSpaces |
                      (maxWidth > 0 ? 0 : Gdiplus::StringFormatFlagsNoWrap));
    Gdiplus::RectF box;
    Gdiplus::RectF layout(0, 0, maxWidth > 0 ? Gdiplus::REAL(maxWidth) : 100000.0f, 100000.0f);
    m_graphics->MeasureString(len ? text : L" ", len ? len : 1, f, layout, &sf, &box);
    sz.cx = len ? LONG(box.Width + 0.99f) : 0;
    sz.cy = LONG(box.Height + 0.99f);
    return sz;
}

void SRenderTargetGdi::DrawBitmap(const RECT& dst, IBitmap* bmp, const RECT& src, BYTE alpha)
{
    if (!m_cur || !bmp || alpha == 0) return;
    int dw = dst.right - dst.left, dh = dst.bottom - dst.top;
    int sw = src.right - src.left, sh = src.bottom - src.top;
    if (dw <= 0 || dh <= 0 || sw <= 0 || sh <= 0) return;
    if (src.left < 0 || src.top < 0 || src.right > bmp->Width() || src.bottom > bmp->Height()) return;
    RECT r;
    if (!Intersect(r, Clip(), dst)) return;
    int tw = m_cur->Width();
    auto* out = reinterpret_cast<DWORD*>(m_cur->GetPixelBits());
    auto* in = reinterpret_cast<const DWORD*>(bmp->GetPixelBits());
    int iw = bmp->Width();
    // Nearest sample: keeps 1:1 copies exact and nine-grid bands sharp.
    for (int y = r.top; y < r.bottom; ++y) {
        int sy = src.top + int((long long)(y - dst.top) * sh / dh);
        const DWORD* srow = in + sy * iw;
        DWORD* drow = out + y * tw;
        if (sw == dw) {
            const DWORD* s = srow + src.left + (r.left - dst.left);
            for (int x = r.left; x < r.right; ++x, ++s) drow[x] = Blend(drow[x], *s, alpha);
        } else {
            for (int x = r.left; x < r.right; ++x) {
                int sx = src.left + int((long long)(x - dst.left) * sw / dw);
                drow[x] = Blend(drow[x], srow[sx], alpha);
            }
        }
    }
}

} // namespace SOUI
