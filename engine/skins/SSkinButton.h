#pragma once
#include "engine/skins/SSkinObjBase.h"

namespace SOUI {

// A flat button face: border, one colour per state, hover text colour.
class SSkinButton : public SSkinObjBase {
public:
    using Base = SSkinObjBase;
    SOUI_CLASS_NAME(SSkinButton, L"button")
    SIZE GetSkinSize() override { return SIZE{0, 0}; }
    int GetStates() override { return 4; }
    COLORREF GetTextColor(int index) override { return index == 1 ? m_crTextHover : CR_INVALID; }
    HRESULT SetAttribute(const std::wstring& name, const std::wstring& value, BOOL loading) override;

protected:
    void _DrawByIndex(IRenderTarget* rt, const RECT& rc, int index, BYTE alpha) override;

private:
    COLORREF m_crBorder = RGBA(0x12, 0x8B, 0xED, 255);
    COLORREF m_crFace[4] = {RGBA(255, 255, 255, 255), RGBA(255, 255, 255, 255), RGBA(255, 255, 255, 255),
                            RGBA(0xF1, 0xF1, 0xF1, 255)};
    COLORREF m_crTextHover = CR_INVALID;
    int m_corner = 0;
};

}  // namespace SOUI
