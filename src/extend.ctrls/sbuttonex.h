#pragma once
#include "engine/widgets/SButton.h"

// A push button with a second skin painted under its own ("bkgndSkin") and text that moves
// by "textShift" (x,y) while the button is pressed. Without "skin" it takes no default
// skin: a button with neither skin paints only its text.
class SButtonEx : public SOUI::SButton {
public:
    using Base = SOUI::SButton;
    SOUI_CLASS_NAME(SButtonEx, L"buttonex")

    HRESULT SetAttribute(const std::wstring& name, const std::wstring& value, BOOL loading) override;
    void OnPaint(SOUI::IRenderTarget* rt) override;
    void DrawTextW(SOUI::IRenderTarget* rt, const wchar_t* text, int len, RECT* rc, UINT format) override;

    SOUI::ISkinObj* GetBkgndSkin() const { return m_bkgndSkin; }
    POINT GetTextShift() const { return POINT{m_shiftX, m_shiftY}; }
    // 255 when no fade runs; the engine's button has no fade animation yet.
    virtual BYTE GetFadeValue() const { return 255; }

    // Paints one skin for a widget state: the state's frame, or during a fade the normal
    // frame with the hover frame over it at the fade's share of the skin's alpha.
    static void DrawSkinState(SOUI::ISkinObj* skin, SOUI::IRenderTarget* rt, const RECT& rc, DWORD state, BYTE fade);

protected:
    const wchar_t* DefaultSkinName() const override { return nullptr; }

private:
    int m_shiftX = 0;
    int m_shiftY = 0;
    SOUI::SAutoRefPtr<SOUI::ISkinObj> m_bkgndSkin;
};
