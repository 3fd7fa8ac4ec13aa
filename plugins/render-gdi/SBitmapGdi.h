#pragma once
#include "engine/core/IRender.h"

namespace SOUI {

// A top-down 32-bit DIB section; its pixels are premultiplied BGRA.
class SBitmapGdi : public TObjRefImpl<IBitmap> {
public:
    // nullptr when the DIB cannot be made. Cleared to transparent black unless the caller
    // overwrites every pixel anyway: at 200 % that pass is one more sweep of a large window.
    static SBitmapGdi* Create(int cx, int cy, bool clear = true);
    int Width() const override { return m_cx; }
    int Height() const override { return m_cy; }
    BYTE* GetPixelBits() override { return m_bits; }
    HBITMAP GetHBitmap() const { return m_hbmp; }
    // The DC it was last selected into: Windows refuses to delete a bitmap that a DC still
    // holds, so the destructor looks there first.
    void SetDC(HDC dc) { m_dc = dc; }

private:
    SBitmapGdi() = default;
    ~SBitmapGdi() override;
    HBITMAP m_hbmp = nullptr;
    BYTE* m_bits = nullptr;
    int m_cx = 0, m_cy = 0;
    HDC m_dc = nullptr;
};

}  // namespace SOUI
