#pragma once
#include "engine/widgets/SButton.h"

namespace SOUI {

// A button drawn only by its N-state image skin (normal, hover, pushed, disabled).
class SImageButton : public SButton {
public:
    using Base = SButton;
    SOUI_CLASS_NAME(SImageButton, L"imgbtn")

protected:
    const wchar_t* DefaultSkinName() const override { return nullptr; }
};

}  // namespace SOUI
