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
    std::wstring GetAccDefaultAction() const override;
    // What a click does.
    void DoAccDefaultAction() override { FireCommand(); }

protected:
    LONG DefaultAccRole() const override;
    virtual const wchar_t* DefaultSkinName() const { return L"skin.btn.common"; }
};

}  // namespace SOUI
