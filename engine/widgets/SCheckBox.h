#pragma once
#include "engine/widgets/SButton.h"

namespace SOUI {

// A box that toggles its check state on click, then raises the command event.
class SCheckBox : public SButton {
public:
    using Base = SButton;
    SOUI_CLASS_NAME(SCheckBox, L"check")
    SCheckBox();
    HRESULT SetAttribute(const std::wstring& name, const std::wstring& value, BOOL loading) override;
    void OnLButtonUp(POINT pt) override;
    void OnPaint(IRenderTarget* rt) override;
    std::wstring GetAccDefaultAction() const override;
    void DoAccDefaultAction() override;

protected:
    LONG DefaultAccRole() const override;
    const wchar_t* DefaultSkinName() const override { return nullptr; }
};

}  // namespace SOUI
