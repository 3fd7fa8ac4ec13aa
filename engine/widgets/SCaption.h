#pragma once
#include "engine/widgets/SWindow.h"

namespace SOUI {

// Dragging it moves the host window.
class SCaption : public SWindow {
public:
    using Base = SWindow;
    SOUI_CLASS_NAME(SCaption, L"caption")
    void OnLButtonDown(POINT pt) override;
};

}  // namespace SOUI
