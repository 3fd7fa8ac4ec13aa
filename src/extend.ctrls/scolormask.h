#pragma once
#include "engine/core/IRender.h"
#include "engine/skins/SSkinObjBase.h"

// A four-state skin (normal, hover, down, disabled) built once, when "mask" is read, from four
// colours and one byte of every pixel of a mask picture; the colours, "width" and "height"
// must come before "mask" in the layout.
class SColorMask : public SOUI::SSkinObjBase {
public:
    using Base = SOUI::SSkinObjBase;
    SOUI_CLASS_NAME(SColorMask, L"colormask")

    // Unknown names go to the skin base. "mask" is refused (E_FAIL) when the picture does
    // not load or the size is not set yet; a refused colour leaves the old one.
    HRESULT SetAttribute(const std::wstring& name, const std::wstring& value, BOOL loading) override;
    SIZE GetSkinSize() override { return SIZE{m_width, m_height}; }
    int GetStates() override { return 4; }

    // The four states side by side, nullptr before a mask was applied.
    SOUI::IBitmap* GetStateImage() const { return m_stateImage; }
    // Byte of a mask pixel in use: 0 blue, 1 green, 2 red, 3 alpha.
    int GetMaskChannel() const { return m_channel; }
    COLORREF GetStateColor(int i) const { return i >= 0 && i < 4 ? m_colors[i] : SOUI::CR_INVALID; }

protected:
    // States outside 0..3 draw nothing.
    void _DrawByIndex(SOUI::IRenderTarget* rt, const RECT& rc, int index, BYTE alpha) override;

private:
    HRESULT SetMask(const std::wstring& value);
    bool BuildStateImage();

    // Plain RGB() values (alpha byte 0), as in the defaults, mean opaque.
    COLORREF m_colors[4] = {0x00EEEEEE, 0x00D6D6D6, 0x00EEEEEE, 0x00E0E0E0};
    int m_width = 0;
    int m_height = 0;
    SOUI::SAutoRefPtr<SOUI::IBitmap> m_stateImage;
    SOUI::SAutoRefPtr<SOUI::IBitmap> m_maskImage;
    int m_channel = 0;
};
