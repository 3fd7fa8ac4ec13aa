#pragma once
#include "engine/skins/SSkinImgList.h"

namespace SOUI {

// An image list whose states are drawn as nine-grids: corners kept, edges and centre stretched.
// The margins are in pixels of the `src` picture and scale with the display.
class SSkinImgFrame : public SSkinImgList {
public:
    using Base = SSkinImgList;
    SOUI_CLASS_NAME(SSkinImgFrame, L"imgframe")
    HRESULT SetAttribute(const std::wstring& name, const std::wstring& value, BOOL loading) override;
    const RECT& GetMargin() const { return m_margin; }

protected:
    void _DrawByIndex(IRenderTarget* rt, const RECT& rc, int index, BYTE alpha) override;
    // Draws the part s of bmp, a picture made for scale percent, as a nine-grid into rc.
    void DrawNineGrid(IRenderTarget* rt, const RECT& rc, IBitmap* bmp, const RECT& s, int scale, BYTE alpha);
    RECT m_margin = {0, 0, 0, 0};
};

}  // namespace SOUI
