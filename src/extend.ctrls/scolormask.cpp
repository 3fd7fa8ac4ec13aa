#include "extend.ctrls/scolormask.h"
#include <algorithm>
#include "engine/core/SAttrParse.h"
#include "engine/core/SDebug.h"
#include "engine/core/SResProviderMgr.h"

using namespace SOUI;

namespace {
HRESULT SetColor(COLORREF& out, const std::wstring& v)
{
    if (v.empty())
        return E_FAIL;
    auto* mgr = SResProviderMgr::getSingletonPtr();
    COLORREF cr = CR_INVALID;
    if (!mgr || !ParseColor(v, cr))
        return E_FAIL;
    out = cr;
    return S_OK;
}

// A value that does not parse gives 0, with a line saying so.
HRESULT SetSize(SColorMask& s, int& out, const wchar_t* attr, const std::wstring& v)
{
    if (!ParseInt(v, out)) {
        out = 0;
        s.LogBadValue(attr, v);
    }
    return S_OK;
}
}  // namespace

HRESULT SColorMask::SetAttribute(const std::wstring& name, const std::wstring& value, BOOL loading)
{
    static const SAttrEntry<SColorMask> kAttrs[] = {
        {L"colorNormal", [](SColorMask& s, const std::wstring& v) { return SetColor(s.m_colors[0], v); }},
        {L"colorHover", [](SColorMask& s, const std::wstring& v) { return SetColor(s.m_colors[1], v); }},
        {L"colorDown", [](SColorMask& s, const std::wstring& v) { return SetColor(s.m_colors[2], v); }},
        {L"colorDisable", [](SColorMask& s, const std::wstring& v) { return SetColor(s.m_colors[3], v); }},
        {L"width", [](SColorMask& s, const std::wstring& v) { return SetSize(s, s.m_width, L"width", v); }},
        {L"height", [](SColorMask& s, const std::wstring& v) { return SetSize(s, s.m_height, L"height", v); }},
        {L"mask", [](SColorMask& s, const std::wstring& v) { return s.SetMask(v); }},
        // Accepted for the layouts that carry it; drawing stretches the whole frame.
        {L"margin",
         [](SColorMask&, const std::wstring& v) -> HRESULT {
             RECT rc;
             return ParseMargin(v, rc) ? S_OK : E_FAIL;
         }},
    };
    HRESULT hr = ApplyAttr(kAttrs, *this, name, value);
    return hr != E_NOTIMPL ? hr : Base::SetAttribute(name, value, loading);
}

HRESULT SColorMask::SetMask(const std::wstring& value)
{
    // The suffix names the channel; bytes are in the engine's order blue, green, red, alpha.
    static const struct {
        const wchar_t* suffix;
        int channel;
    } kSuffixes[] = {{L".b", 0}, {L".g", 1}, {L".r", 2}, {L".a", 3}};
    std::wstring image = value;
    int channel = 0;
    for (const auto& s : kSuffixes)
        if (value.size() > 2 && value.compare(value.size() - 2, 2, s.suffix) == 0) {
            image = value.substr(0, value.size() - 2);
            channel = s.channel;
            break;
        }
    if (m_width < 4 || m_height <= 0) {
        SLog(L"colormask '" + m_name + L"': \"width\" (at least 4) and \"height\" must come before \"mask\"");
        return E_FAIL;
    }
    auto* mgr = SResProviderMgr::getSingletonPtr();
    IBitmap* mask = mgr ? mgr->LoadImage2(image) : nullptr;
    if (!mask)
        return E_FAIL;
    m_maskImage = mask;
    m_channel = channel;
    return BuildStateImage() ? S_OK : E_FAIL;
}

bool SColorMask::BuildStateImage()
{
    auto* res = SResProviderMgr::getSingletonPtr();
    IRenderFactory* factory = res ? res->GetRenderFactory() : nullptr;
    SAutoRefPtr<IBitmap> img;
    if (!factory || !factory->CreateBitmap(img.Out(), m_width, m_height) || !img) {
        SLog(L"colormask '" + m_name + L"': no bitmap for the states");
        m_stateImage = nullptr;
        return false;
    }
    const int q = m_width / 4;
    BYTE* px = img->GetPixelBits();
    // Frame i from its left edge to the right edge of the image: the last fill wins, so the
    // columns past 4 * q keep colour 3.
    for (int i = 0; i < 4; ++i) {
        COLORREF cr = m_colors[i];
        DWORD a = GetAValue(cr) ? GetAValue(cr) : 255;
        BYTE bgra[4] = {BYTE(GetBValue(cr) * a / 255), BYTE(GetGValue(cr) * a / 255), BYTE(GetRValue(cr) * a / 255),
                        BYTE(a)};
        for (int y = 0; y < m_height; ++y)
            for (int x = i * q; x < m_width; ++x)
                memcpy(px + (size_t(y) * m_width + x) * 4, bgra, 4);
    }
    const int maskW = m_maskImage->Width();
    const BYTE* mask = m_maskImage->GetPixelBits();
    const int h = std::min(m_maskImage->Height(), m_height);
    const int w = std::min(maskW, q);
    for (int i = 0; i < 4; ++i)
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                BYTE m = mask[(size_t(y) * maskW + x) * 4 + m_channel];
                BYTE* p = px + (size_t(y) * m_width + i * q + x) * 4;
                for (int c = 0; c < 3; ++c)
                    p[c] = BYTE((p[c] * m) >> 8);
                p[3] = m;
            }
    m_stateImage = img;
    return true;
}

void SColorMask::_DrawByIndex(IRenderTarget* rt, const RECT& rc, int index, BYTE alpha)
{
    if (!rt || !m_stateImage || index < 0 || index >= 4)
        return;
    const int q = m_width / 4;
    rt->DrawBitmap(rc, m_stateImage, RECT{index * q, 0, index * q + q, m_height}, alpha);
}
