#include "SRenderTargetGdi.h"
#include <algorithm>
#include <cmath>
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
    if (sa == 255)
        return src;
    if (sa == 0)
        return dst;
    DWORD inv = 255 - sa;
    DWORD rb = (((dst & 0x00FF00FF) * inv) >> 8) & 0x00FF00FF;
    DWORD ag = (((dst >> 8) & 0x00FF00FF) * inv) & 0xFF00FF00;
    return src + (rb | ag);
}

// One premultiplied colour over a row span: a copy when it is opaque, nothing when it is clear,
// otherwise the same arithmetic as Blend with the colour's part worked out once.
void BlendFlat(DWORD* row, int n, DWORD src, DWORD alpha)
{
    if (alpha != 255)
        src = Blend(0, src, alpha);
    DWORD sa = src >> 24;
    if (sa == 255) {
        std::fill(row, row + n, src);
        return;
    }
    if (sa == 0)
        return;
    DWORD inv = 255 - sa;
    for (int x = 0; x < n; ++x) {
        DWORD d = row[x];
        row[x] = src + (((((d & 0x00FF00FF) * inv) >> 8) & 0x00FF00FF) | (((d >> 8) & 0x00FF00FF) * inv & 0xFF00FF00));
    }
}

// Source pixels over a row span, unscaled; opaque stretches are copied whole.
void BlendRow(DWORD* row, const DWORD* src, int n, DWORD alpha)
{
    if (alpha != 255) {
        for (int x = 0; x < n; ++x)
            row[x] = Blend(row[x], src[x], alpha);
        return;
    }
    int x = 0;
    while (x < n) {
        int run = x;
        while (run < n && (src[run] >> 24) == 255)
            ++run;
        if (run > x) {
            std::copy(src + x, src + run, row + x);
            x = run;
            continue;
        }
        row[x] = Blend(row[x], src[x], 255);
        ++x;
    }
}

Gdiplus::Color ToGdip(COLORREF cr)
{
    return Gdiplus::Color(GetAValue(cr), GetRValue(cr), GetGValue(cr), GetBValue(cr));
}

bool Intersect(RECT& out, const RECT& a, const RECT& b)
{
    return IntersectRect(&out, &a, &b) != FALSE;
}
}  // namespace

SRenderTargetGdi::SRenderTargetGdi(IObjRef* factory) : m_factory(factory)
{
    m_hdc = CreateCompatibleDC(nullptr);
    if (m_hdc)
        GdiCountCreated(GdiKind_DC);
}

SRenderTargetGdi::~SRenderTargetGdi()
{
    m_graphics.reset();
    m_gdipBmp.reset();
    if (m_hdc) {
        // The bitmaps leave the DC before the members release them.
        if (m_oldBmp)
            SelectObject(m_hdc, m_oldBmp);
        if (DeleteDC(m_hdc))
            GdiCountDeleted(GdiKind_DC);
    }
}

BOOL SRenderTargetGdi::Resize(int cx, int cy)
{
    // A resized target's content is undefined: its owner paints it all before showing it.
    SBitmapGdi* b = SBitmapGdi::Create(std::max(cx, 1), std::max(cy, 1), false);
    if (!b)
        return FALSE;
    // The new bitmap goes into the DC before the old one can be released.
    Select(b);
    m_own.Attach(b);
    return TRUE;
}

SIZE SRenderTargetGdi::GetSize()
{
    if (!m_cur)
        return SIZE{0, 0};
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
        if (!m_oldBmp)
            m_oldBmp = old;
    }
    if (bmp)
        bmp->SetDC(m_hdc);
    m_cur = bmp;
    if (!bmp)
        return;
    m_gdipBmp = std::make_unique<Gdiplus::Bitmap>(bmp->Width(), bmp->Height(), bmp->Width() * 4, PixelFormat32bppPARGB,
                                                  bmp->GetPixelBits());
    m_graphics.reset(Gdiplus::Graphics::FromImage(m_gdipBmp.get()));
    if (m_graphics) {
        m_graphics->SetTextRenderingHint(Gdiplus::TextRenderingHintAntiAliasGridFit);
        m_graphics->SetPageUnit(Gdiplus::UnitPixel);
    }
}

RECT SRenderTargetGdi::Clip() const
{
    if (!m_clips.empty())
        return m_clips.back();
    RECT rc = {0, 0, 0, 0};
    if (m_cur)
        rc = RECT{0, 0, m_cur->Width(), m_cur->Height()};
    return rc;
}

void SRenderTargetGdi::ApplyClip()
{
    if (!m_graphics)
        return;
    RECT rc = Clip();
    m_graphics->SetClip(Gdiplus::Rect(rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top));
}

void SRenderTargetGdi::PushClipRect(const RECT& rc)
{
    RECT r;
    if (!Intersect(r, Clip(), rc))
        r = RECT{0, 0, 0, 0};
    m_clips.push_back(r);
    ApplyClip();
}

void SRenderTargetGdi::PopClip()
{
    if (!m_clips.empty())
        m_clips.pop_back();
    ApplyClip();
}

void SRenderTargetGdi::ClearRect(const RECT& rc, COLORREF cr)
{
    RECT r;
    if (!m_cur || !Intersect(r, Clip(), rc))
        return;
    DWORD px = Premultiply(cr);
    int w = m_cur->Width();
    auto* bits = reinterpret_cast<DWORD*>(m_cur->GetPixelBits());
    for (int y = r.top; y < r.bottom; ++y)
        std::fill(bits + y * w + r.left, bits + y * w + r.right, px);
}

void SRenderTargetGdi::FillSolidRect(const RECT& rc, COLORREF cr)
{
    if (GetAValue(cr) == 255)
        return ClearRect(rc, cr);
    RECT r;
    if (!m_cur || GetAValue(cr) == 0 || !Intersect(r, Clip(), rc))
        return;
    DWORD px = Premultiply(cr);
    int w = m_cur->Width();
    auto* bits = reinterpret_cast<DWORD*>(m_cur->GetPixelBits());
    for (int y = r.top; y < r.bottom; ++y)
        BlendFlat(bits + y * w + r.left, r.right - r.left, px, 255);
}

void SRenderTargetGdi::DrawRectangle(const RECT& rc, COLORREF cr, int width)
{
    if (width <= 0)
        return;
    FillSolidRect(RECT{rc.left, rc.top, rc.right, rc.top + width}, cr);
    FillSolidRect(RECT{rc.left, rc.bottom - width, rc.right, rc.bottom}, cr);
    FillSolidRect(RECT{rc.left, rc.top + width, rc.left + width, rc.bottom - width}, cr);
    FillSolidRect(RECT{rc.right - width, rc.top + width, rc.right, rc.bottom - width}, cr);
}

void SRenderTargetGdi::DrawLine(POINT a, POINT b, COLORREF cr, int width)
{
    if (!m_graphics)
        return;
    Gdiplus::Pen pen(ToGdip(cr), Gdiplus::REAL(width));
    m_graphics->DrawLine(&pen, INT(a.x), INT(a.y), INT(b.x), INT(b.y));
}

void SRenderTargetGdi::DrawText(const wchar_t* text, int len, const RECT& rc, UINT format, IFont* font, COLORREF cr)
{
    if (!m_graphics || !text || !font || GetAValue(cr) == 0)
        return;
    if (len < 0)
        len = lstrlenW(text);
    if (len == 0)
        return;
    Gdiplus::StringFormat sf(Gdiplus::StringFormat::GenericTypographic());
    sf.SetAlignment((format & DT_CENTER)  ? Gdiplus::StringAlignmentCenter
                    : (format & DT_RIGHT) ? Gdiplus::StringAlignmentFar
                                          : Gdiplus::StringAlignmentNear);
    sf.SetLineAlignment((format & DT_VCENTER)  ? Gdiplus::StringAlignmentCenter
                        : (format & DT_BOTTOM) ? Gdiplus::StringAlignmentFar
                                               : Gdiplus::StringAlignmentNear);
    INT flags = Gdiplus::StringFormatFlagsMeasureTrailingSpaces;
    if (format & DT_SINGLELINE || !(format & DT_WORDBREAK))
        flags |= Gdiplus::StringFormatFlagsNoWrap;
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
    if (!m_graphics || !text || !font)
        return sz;
    if (len < 0)
        len = lstrlenW(text);
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

namespace {
// Weights of one axis are fixed point with this many bits; two axes multiplied by a 255
// channel stay below 2^32.
constexpr int kWeightBits = 10;
constexpr int kWeightOne = 1 << kWeightBits;

struct Taps {
    std::vector<int> first;   // per destination pixel: index into index/weight
    std::vector<int> index;   // source coordinate
    std::vector<int> weight;  // sums to kWeightOne per destination pixel
};

// The source pixels each destination pixel of [from, to) reads along one axis, for a source
// span [s0, s0 + sn) shown over a destination span [d0, d0 + dn).
Taps AxisTaps(int s0, int sn, int d0, int dn, int from, int to)
{
    Taps t;
    t.first.reserve(size_t(to - from) + 1);
    std::vector<double> w;
    for (int d = from; d < to; ++d) {
        t.first.push_back(int(t.index.size()));
        size_t begin = t.index.size();
        w.clear();
        int pos = d - d0;
        if (sn == dn) {
            t.index.push_back(s0 + pos);
            w.push_back(1.0);
        } else if (dn > sn) {
            // Bilinear between the two source centres around this pixel's centre.
            double c = (pos + 0.5) * sn / dn - 0.5;
            int i = int(std::floor(c));
            double f = c - i;
            int a = std::clamp(i, 0, sn - 1), b = std::clamp(i + 1, 0, sn - 1);
            t.index.push_back(s0 + a);
            w.push_back(1.0 - f);
            if (b != a && f > 0) {
                t.index.push_back(s0 + b);
                w.push_back(f);
            } else {
                w.back() = 1.0;
            }
        } else {
            // Area average: each source pixel counts by how much of it this pixel covers.
            double lo = double(pos) * sn / dn, hi = double(pos + 1) * sn / dn;
            for (int i = int(std::floor(lo)); i < int(std::ceil(hi)) && i < sn; ++i) {
                double cover = std::min(hi, double(i + 1)) - std::max(lo, double(i));
                if (cover <= 0)
                    continue;
                t.index.push_back(s0 + i);
                w.push_back(cover);
            }
        }
        double sum = 0;
        for (double x : w)
            sum += x;
        int given = 0;
        size_t biggest = begin;
        for (size_t k = 0; k < w.size(); ++k) {
            int q = int(w[k] / sum * kWeightOne + 0.5);
            t.weight.push_back(q);
            given += q;
            if (q > t.weight[biggest])
                biggest = begin + k;
        }
        // Rounding leftovers go to the strongest tap, so a flat colour stays exact.
        t.weight[biggest] += kWeightOne - given;
    }
    t.first.push_back(int(t.index.size()));
    return t;
}

// True when every pixel of src is the same; a flat centre or edge is then a fill.
bool Uniform(const DWORD* in, int iw, const RECT& src, DWORD& colour)
{
    colour = in[src.top * iw + src.left];
    // A large picture is assumed not flat rather than scanned for it.
    if ((long long)(src.right - src.left) * (src.bottom - src.top) > 16384)
        return false;
    for (int y = src.top; y < src.bottom; ++y)
        for (int x = src.left; x < src.right; ++x)
            if (in[y * iw + x] != colour)
                return false;
    return true;
}
}  // namespace

bool SRenderTargetGdi::BitmapArea(const RECT& dst, IBitmap* bmp, const RECT& src, BYTE alpha, RECT& r) const
{
    if (!m_cur || !bmp || alpha == 0)
        return false;
    if (dst.right <= dst.left || dst.bottom <= dst.top || src.right <= src.left || src.bottom <= src.top)
        return false;
    if (src.left < 0 || src.top < 0 || src.right > bmp->Width() || src.bottom > bmp->Height())
        return false;
    return Intersect(r, Clip(), dst);
}

void SRenderTargetGdi::DrawBitmap(const RECT& dst, IBitmap* bmp, const RECT& src, BYTE alpha)
{
    RECT r;
    if (!BitmapArea(dst, bmp, src, alpha, r))
        return;
    int dw = dst.right - dst.left, dh = dst.bottom - dst.top;
    int sw = src.right - src.left, sh = src.bottom - src.top;
    int tw = m_cur->Width();
    auto* out = reinterpret_cast<DWORD*>(m_cur->GetPixelBits());
    auto* in = reinterpret_cast<const DWORD*>(bmp->GetPixelBits());
    int iw = bmp->Width();
    if (sw == dw && sh == dh) {
        for (int y = r.top; y < r.bottom; ++y) {
            const DWORD* s = in + (src.top + y - dst.top) * iw + src.left + (r.left - dst.left);
            BlendRow(out + y * tw + r.left, s, r.right - r.left, alpha);
        }
        return;
    }
    DWORD flat;
    if (Uniform(in, iw, src, flat)) {
        for (int y = r.top; y < r.bottom; ++y)
            BlendFlat(out + y * tw + r.left, r.right - r.left, flat, alpha);
        return;
    }
    const Taps tx = AxisTaps(src.left, sw, dst.left, dw, r.left, r.right);
    const Taps ty = AxisTaps(src.top, sh, dst.top, dh, r.top, r.bottom);
    constexpr DWORD kHalf = 1u << (2 * kWeightBits - 1);
    for (int y = r.top; y < r.bottom; ++y) {
        DWORD* drow = out + y * tw;
        int yi = y - r.top;
        for (int x = r.left; x < r.right; ++x) {
            int xi = x - r.left;
            DWORD b = 0, g = 0, rr = 0, a = 0;
            for (int j = ty.first[yi]; j < ty.first[yi + 1]; ++j) {
                const DWORD* srow = in + ty.index[j] * iw;
                DWORD wy = DWORD(ty.weight[j]);
                for (int i = tx.first[xi]; i < tx.first[xi + 1]; ++i) {
                    DWORD w = wy * DWORD(tx.weight[i]);
                    DWORD p = srow[tx.index[i]];
                    b += (p & 0xFF) * w;
                    g += ((p >> 8) & 0xFF) * w;
                    rr += ((p >> 16) & 0xFF) * w;
                    a += (p >> 24) * w;
                }
            }
            constexpr int shift = 2 * kWeightBits;
            DWORD px = ((a + kHalf) >> shift) << 24 | ((rr + kHalf) >> shift) << 16 | ((g + kHalf) >> shift) << 8 |
                       ((b + kHalf) >> shift);
            drow[x] = Blend(drow[x], px, alpha);
        }
    }
}

void SRenderTargetGdi::DrawBitmapNearest(const RECT& dst, IBitmap* bmp, const RECT& src, BYTE alpha)
{
    RECT r;
    if (!BitmapArea(dst, bmp, src, alpha, r))
        return;
    int dw = dst.right - dst.left, dh = dst.bottom - dst.top;
    int sw = src.right - src.left, sh = src.bottom - src.top;
    int tw = m_cur->Width();
    auto* out = reinterpret_cast<DWORD*>(m_cur->GetPixelBits());
    auto* in = reinterpret_cast<const DWORD*>(bmp->GetPixelBits());
    int iw = bmp->Width();
    for (int y = r.top; y < r.bottom; ++y) {
        const DWORD* srow = in + (src.top + int((long long)(y - dst.top) * sh / dh)) * iw;
        DWORD* drow = out + y * tw;
        for (int x = r.left; x < r.right; ++x)
            drow[x] = Blend(drow[x], srow[src.left + int((long long)(x - dst.left) * sw / dw)], alpha);
    }
}

}  // namespace SOUI
