#pragma once
#include "engine/widgets/SWindow.h"

namespace SOUI {

// Raises the command event when pressed and released over it. Without a "skin" attribute it
// uses "skin.btn.common", and without that skin a plain face.
class SButton : public SWindow {
public:
    using Base = SWindow;
    SOUI_CLASS_NAME(SButton, L"button")
    SButton();
    void OnInitFinished(pugi::xml_node node) override;
    void OnLButtonUp(POINT pt) override;
    void OnPaint(IRenderTarget* rt) override;

protected:
    virtual const wchar_t* DefaultSkinName() const { return L"skin.btn.common"; }
};

} // namespace SOUI
