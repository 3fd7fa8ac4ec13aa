#include "SBitmapGdi.h"
#include "SGdiCount.h"

namespace SOUI {

SBitmapGdi* SBitmapGdi::Create(int cx, int cy, bool clear)
{
    if (cx <= 0 || cy <= 0)
        return nullptr;
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = cx;
    bi.bmiHeader.biHeight = -cy;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP h = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!h || !bits) {
        if (h)
            DeleteObject(h);
        return nullptr;
    }
    GdiCountCreated(GdiKind_Bitmap);
    auto* b = new SBitmapGdi;
    b->m_hbmp = h;
    b->m_bits = static_cast<BYTE*>(bits);
    b->m_cx = cx;
    b->m_cy = cy;
    if (clear)
        ZeroMemory(bits, size_t(cx) * cy * 4);
    return b;
}

SBitmapGdi::~SBitmapGdi()
{
    if (!m_hbmp)
        return;
    // Windows would fail this delete and leak the bitmap (Wine defers it): count it as leaked.
    if (m_dc && GetCurrentObject(m_dc, OBJ_BITMAP) == m_hbmp) {
        OutputDebugStringW(L"render-gdi: a bitmap was deleted while still selected into a DC");
        DeleteObject(m_hbmp);
        return;
    }
    if (DeleteObject(m_hbmp))
        GdiCountDeleted(GdiKind_Bitmap);
}

}  // namespace SOUI
