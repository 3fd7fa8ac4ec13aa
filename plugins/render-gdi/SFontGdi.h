#pragma once
#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>
#include <memory>
#include <string>
#include "engine/core/IRender.h"

namespace SOUI {

// A GDI+ font with the GDI twin native edit controls need.
class SFontGdi : public TObjRefImpl<IFont> {
public:
    SFontGdi(IObjRef* factory, const wchar_t* face, int size, BOOL bold, BOOL italic, BOOL underline);
    const wchar_t* FaceName() const override { return m_face.c_str(); }
    int Size() const override { return m_size; }
    HFONT GetHFont() override { return m_hfont; }
    Gdiplus::Font* GetGdipFont() const { return m_font.get(); }

private:
    ~SFontGdi() override;
    SAutoRefPtr<IObjRef> m_factory;  // keeps GDI+ running while the font lives
    std::wstring m_face;
    int m_size;
    std::unique_ptr<Gdiplus::FontFamily> m_family;
    std::unique_ptr<Gdiplus::Font> m_font;
    HFONT m_hfont = nullptr;
};

}  // namespace SOUI
