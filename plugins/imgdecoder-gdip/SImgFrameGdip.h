#pragma once
#include <vector>
#include "engine/core/IRender.h"

namespace SOUI {

class SImgFrameGdip : public TObjRefImpl<IImgFrame> {
public:
    SImgFrameGdip(int cx, int cy) : m_cx(cx), m_cy(cy), m_pixels(size_t(cx) * cy * 4) {}
    int Width() const override { return m_cx; }
    int Height() const override { return m_cy; }
    const BYTE* Pixels() const override { return m_pixels.data(); }
    BYTE* MutablePixels() { return m_pixels.data(); }

private:
    int m_cx, m_cy;
    std::vector<BYTE> m_pixels;
};

}  // namespace SOUI
