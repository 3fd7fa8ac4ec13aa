#include "SFontGdi.h"
#include "SGdiCount.h"

namespace SOUI {

namespace {
// Faces tried in turn when the asked one is not installed; Wine ships no Microsoft YaHei,
// the WenQuanYi package gives the CJK glyphs there.
const wchar_t* const kFallbackFaces[] = {L"Microsoft YaHei", L"WenQuanYi Micro Hei", L"SimSun", L"Noto Sans CJK SC",
                                         L"Tahoma"};

std::unique_ptr<Gdiplus::FontFamily> OpenFamily(const wchar_t* face)
{
    if (!face || !*face)
        return nullptr;
    auto fam = std::make_unique<Gdiplus::FontFamily>(face);
    if (fam->GetLastStatus() != Gdiplus::Ok || !fam->IsAvailable())
        return nullptr;
    return fam;
}
}  // namespace

SFontGdi::SFontGdi(IObjRef* factory, const wchar_t* face, int size, BOOL bold, BOOL italic, BOOL underline)
    : m_factory(factory), m_size(size > 0 ? size : 12)
{
    m_family = OpenFamily(face);
    if (m_family) {
        m_face = face;
    } else {
        for (const wchar_t* f : kFallbackFaces) {
            m_family = OpenFamily(f);
            if (m_family) {
                m_face = f;
                break;
            }
        }
    }
    INT style = (bold ? Gdiplus::FontStyleBold : 0) | (italic ? Gdiplus::FontStyleItalic : 0) |
                (underline ? Gdiplus::FontStyleUnderline : 0);
    if (m_family) {
        m_font = std::make_unique<Gdiplus::Font>(m_family.get(), Gdiplus::REAL(m_size), style, Gdiplus::UnitPixel);
    } else {
        m_face = L"Tahoma";
        m_font = std::make_unique<Gdiplus::Font>(m_face.c_str(), Gdiplus::REAL(m_size), style, Gdiplus::UnitPixel);
    }
    LOGFONTW lf = {};
    lf.lfHeight = -m_size;
    lf.lfWeight = bold ? FW_BOLD : FW_NORMAL;
    lf.lfItalic = italic ? 1 : 0;
    lf.lfUnderline = underline ? 1 : 0;
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfQuality = CLEARTYPE_QUALITY;
    lstrcpynW(lf.lfFaceName, m_face.c_str(), LF_FACESIZE);
    m_hfont = CreateFontIndirectW(&lf);
    if (m_hfont)
        GdiCountCreated(GdiKind_Font);
}

SFontGdi::~SFontGdi()
{
    if (m_hfont && DeleteObject(m_hfont))
        GdiCountDeleted(GdiKind_Font);
    m_font.reset();
    m_family.reset();
}

}  // namespace SOUI
